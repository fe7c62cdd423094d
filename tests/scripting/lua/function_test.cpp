#include "scripting/lua/function.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "scripting/lua/state.h"
#include "tests/scripting/lua/lua_test_support.h"

namespace {

using lua_test::Eval;
using ::testing::HasSubstr;
using ::testing::StartsWith;

enum class Shade : int { NONE = 0, DARK = 2 };

struct Point {
  float x = 0.0f;
  float y = 0.0f;
};

class LuaFunctionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lua.OpenLibraries({lua::Library::base, lua::Library::math, lua::Library::string});
    lua.SetFunction("Text", [](std::string text) { return text; });
    lua.SetFunction("Int", [](int value) { return value; });
    lua.SetFunction("Shade", [](Shade shade) { return static_cast<int>(shade); });
    lua.SetFunction("Real", [](double value) { return value; });
    lua.SetFunction(
        "Pair", [](int a, std::string_view b) { return std::to_string(a) + "|" + std::string(b); });
  }
  lua::State lua;
};

TEST_F(LuaFunctionTest, ArgumentsConvertByTheForgivingRules) {
  const struct {
    const char* call;
    const char* result;
  } cases[] = {
      // Strings: a string as it is, a number in its Lua text form, anything else "".
      {"Text('abc')", "abc"},
      {"Text(12)", "12"},
      {"Text(1.5)", "1.5"},
      {"Text(2^53)", "9.007199254741e+15"},
      {"Text(true)", ""},
      {"Text({})", ""},
      {"Text()", ""},
      // Integers: integers unchanged, floats rounded half away from zero, numeric strings as
      // numbers, anything else 0.
      {"Int(7)", "7"},
      {"Int(3.6)", "4"},
      {"Int(2.5)", "3"},
      {"Int(-2.5)", "-3"},
      {"Int(-2147483648)", "-2147483648"},
      {"Int(2147483647.4)", "2147483647"},
      {"Int('5')", "5"},
      {"Int('five')", "0"},
      {"Int(nil)", "0"},
      {"Int()", "0"},
      // Out of range: the function is not called, the script gets nil.
      {"Int(2^31)", "nil"},
      {"Int(2147483647.6)", "nil"},
      {"Int(-2^31 - 0.6)", "nil"},
      {"Int(2^40 // 1)", "nil"},
      {"Int(math.mininteger)", "nil"},
      {"Int(0/0)", "nil"},
      {"Int(math.huge)", "nil"},
      {"Int(-math.huge)", "nil"},
      // Enumerations: integral numbers only, 0 on failure.
      {"Shade(2)", "2"},
      {"Shade(2.0)", "2"},
      {"Shade(2.5)", "0"},
      {"Shade('2')", "2"},
      {"Shade('two')", "0"},
      {"Shade(2^40 // 1)", "0"},
      // Numbers: numbers and numeric strings, anything else 0.
      {"Real(1.25)", "1.25"},
      {"Real(3)", "3.0"},
      {"Real('1.5')", "1.5"},
      {"Real('x')", "0.0"},
      {"Real()", "0.0"},
      // Several arguments, missing ones neutral.
      {"Pair(1.4, 2)", "1|2"},
      {"Pair()", "0|"},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(Eval(lua, std::string("return ") + row.call), row.result) << row.call;
  }
}

TEST_F(LuaFunctionTest, VectorsAndFieldsBecomeNewTables) {
  lua.SetFunction("Range", [](int count) {
    std::vector<int> values;
    for (int i = 0; i < count; ++i) values.push_back(i * 10);
    return values;
  });
  lua.SetFunction("Where", [](double x) {
    return lua::Fields<float, 2>{{{"x", static_cast<float>(x)}, {"y", -1.0f}}};
  });
  EXPECT_EQ(Eval(lua, "local t = Range(3); return #t .. ' ' .. t[1] .. ' ' .. t[3]"), "3 0 20");
  EXPECT_EQ(Eval(lua, "return #Range(0)"), "0");
  EXPECT_EQ(Eval(lua, "local p = Where(1.5); return p.x .. ' ' .. p.y"), "1.5 -1.0");
  // Each call makes a table of its own.
  EXPECT_EQ(Eval(lua, "local a = Where(1); a.x = 9; return Where(1).x"), "1.0");
}

TEST_F(LuaFunctionTest, OutOfRangeArgumentsSkipTheCall) {
  int calls = 0;
  lua.SetFunction("Touch", [&calls](int) { ++calls; });
  ASSERT_TRUE(lua.RunChunk("Touch(1); Touch(0/0); Touch(1e300); Touch(2)").ok());
  EXPECT_EQ(calls, 2);
  // A function with a result still gives one value, nil; one without gives none.
  EXPECT_EQ(Eval(lua, "return select('#', Int(0/0))"), "1");
  EXPECT_EQ(Eval(lua, "return select('#', Touch(0/0))"), "0");
}

TEST_F(LuaFunctionTest, ExceptionsBecomeLuaErrorsAfterTheStackUnwinds) {
  struct Guard {
    explicit Guard(bool* released) : released(released) {}
    ~Guard() { *released = true; }
    bool* released;
  };
  bool released = false;
  lua.SetFunction("Fail", [&released](std::string message) -> int {
    Guard guard(&released);
    if (message == "lua") throw lua::Error("bad value");
    throw std::runtime_error(message);
  });
  EXPECT_EQ(Eval(lua, "local ok, e = pcall(Fail, 'boom'); return tostring(ok) .. ' ' .. e"),
            "false boom");
  EXPECT_TRUE(released);
  released = false;
  const lua::ChunkOutcome unprotected = lua.RunChunk("Fail('lua')");
  EXPECT_THAT(unprotected.error, StartsWith("sol: runtime error: bad value\nstack traceback:"));
  EXPECT_TRUE(released);
  // The state is usable afterwards.
  EXPECT_EQ(Eval(lua, "return Int(3)"), "3");
}

TEST_F(LuaFunctionTest, BoundTypeArgumentsAreChecked) {
  lua.NewUsertype<Point>("Point").Member("x", &Point::x);
  lua.SetFunction("MakePoint", [](double x) { return Point{static_cast<float>(x), 0.0f}; });
  lua.SetFunction("PointX", [](const Point& point) { return point.x; });
  lua.SetFunction("MaybeX", [](const Point* point) { return point ? point->x : -1.0f; });
  EXPECT_EQ(Eval(lua, "return PointX(MakePoint(1.5))"), "1.5");
  EXPECT_EQ(Eval(lua, "return MaybeX(nil)"), "-1.0");
  for (const char* call : {"PointX(3)", "PointX()", "MaybeX({})"}) {
    EXPECT_THAT(lua.RunChunk(call).error, HasSubstr("bad argument #1: Point expected, got "))
        << call;
  }
}

}  // namespace
