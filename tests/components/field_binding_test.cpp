#include "components/field_binding.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "components/value_readers.h"

struct Opaque {
  int untouched = 42;
};
DECLARE_TYPE_NAME(struct, Opaque);

namespace {

using nlohmann::json;

// One text form for every field type, so that all value forms share one table.
std::string Show(int value) { return std::to_string(value); }
std::string Show(unsigned int value) { return std::to_string(value); }
std::string Show(bool value) { return value ? "true" : "false"; }
std::string Show(const std::string& value) { return "'" + value + "'"; }
std::string Show(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}
std::string Show(float value) { return Show(static_cast<double>(value)); }
template <int N>
std::string Show(const glm::vec<N, float>& value) {
  std::string text = "(";
  for (int i = 0; i < N; ++i) text += (i ? ", " : "") + Show(value[i]);
  return text + ")";
}
std::string Show(Mode value) { return std::string(EnumValueName(value)); }
std::string Show(const IntStringPair& value) {
  return "(" + Show(value.first) + ", " + Show(value.second) + ")";
}
template <typename Value>
std::string Show(const Keyframe<Value>& value) {
  return Show(value.time) + ":" + Show(value.value);
}
template <typename Container>
std::string ShowAll(const Container& values) {
  std::string text = "[";
  for (const auto& value : values) text += (text.size() > 1 ? ", " : "") + Show(value);
  return text + "]";
}
std::string Show(const std::vector<std::string>& value) { return ShowAll(value); }
std::string Show(const std::set<std::string>& value) { return ShowAll(value); }
std::string Show(const std::set<IntStringPair>& value) { return ShowAll(value); }

// Reads `value` into a default field of type Field through a binding and shows the result, or
// the exception's kind and message (without the library's "[json.exception...] " prefix).
template <typename Field>
std::string ReadAs(const json& value) {
  Field field{};
  try {
    ReadJsonField(value, FieldBinding("_field", &field).field);
    return Show(field);
  } catch (const json::type_error& error) {
    const std::string what = error.what();
    return "type_error " + std::to_string(error.id) + ": " + what.substr(what.find("] ") + 2);
  } catch (const std::runtime_error& error) {
    return std::string("runtime_error: ") + error.what();
  }
}

struct FormCase {
  const char* fieldType;
  std::function<std::string(const json&)> read;
  json value;
  std::string expected;
};

TEST(ReadJsonField, ValueFormsByFieldType) {
  const auto Int = ReadAs<int>;
  const auto Unsigned = ReadAs<unsigned int>;
  const auto Float = ReadAs<float>;
  const auto Double = ReadAs<double>;
  const auto Bool = ReadAs<bool>;
  const auto String = ReadAs<std::string>;
  const auto Vec2 = ReadAs<glm::vec2>;
  const auto Vec3 = ReadAs<glm::vec3>;
  const auto Vec4 = ReadAs<glm::vec4>;
  const auto Enum = ReadAs<Mode>;
  const auto Pair = ReadAs<IntStringPair>;
  const auto Key3 = ReadAs<Keyframe<glm::vec3>>;
  const auto List = ReadAs<std::vector<std::string>>;
  const auto Set = ReadAs<std::set<std::string>>;
  const auto PairSet = ReadAs<std::set<IntStringPair>>;

  const FormCase cases[] = {
      {"int", Int, 7, "7"},
      {"int", Int, -7, "-7"},
      {"int", Int, 2.7, "2"},
      {"int", Int, -2.7, "-2"},
      {"int", Int, true, "1"},
      {"int", Int, false, "0"},
      {"int", Int, -2147483648LL, "-2147483648"},
      {"int", Int, 2147483647.9, "2147483647"},
      {"int", Int, "x", "type_error 302: type must be number, but is string"},
      {"int", Int, nullptr, "type_error 302: type must be number, but is null"},
      {"int", Int, json::array({1}), "type_error 302: type must be number, but is array"},
      {"int", Int, 1e12, "type_error 302: number 1000000000000.0 is out of range for int"},
      {"int", Int, 2147483648LL, "type_error 302: number 2147483648 is out of range for int"},
      {"int", Int, 3000000000ULL, "type_error 302: number 3000000000 is out of range for int"},
      {"unsigned", Unsigned, 250.7, "250"},
      {"unsigned", Unsigned, true, "1"},
      {"unsigned", Unsigned, 4294967295ULL, "4294967295"},
      {"unsigned", Unsigned, -1, "type_error 302: number -1 is out of range for unsigned int"},
      {"unsigned", Unsigned, -0.5, "type_error 302: number -0.5 is out of range for unsigned int"},
      {"unsigned", Unsigned, 4294967296ULL,
       "type_error 302: number 4294967296 is out of range for unsigned int"},
      {"unsigned", Unsigned, "3", "type_error 302: type must be number, but is string"},
      {"float", Float, 2.5, "2.5"},
      {"float", Float, 3, "3"},
      {"float", Float, true, "1"},
      {"float", Float, "1", "type_error 302: type must be number, but is string"},
      {"float", Float, 1e39, "type_error 302: number 1e+39 is out of range for float"},
      {"double", Double, 2.5, "2.5"},
      {"double", Double, true, "type_error 302: type must be number, but is boolean"},
      {"bool", Bool, true, "true"},
      {"bool", Bool, 1, "type_error 302: type must be boolean, but is number"},
      {"string", String, "a b", "'a b'"},
      {"string", String, 5, "type_error 302: type must be string, but is number"},
      {"vec3", Vec3, {{"x", 1}, {"y", 2}, {"z", 3}}, "(1, 2, 3)"},
      {"vec3", Vec3, {{"x", 1}, {"y", 2}}, "(1, 2, 0)"},
      {"vec3",
       Vec3,
       {{"x", 1}, {"y", 2}, {"z", "a"}},
       "type_error 302: type must be number, but is string"},
      {"vec3", Vec3, {{"y", true}, {"X", 9}}, "(0, 1, 0)"},
      {"vec3", Vec3, json::array({1, 2, 3}),
       "type_error 305: cannot use operator[] with a string argument with array"},
      {"vec3", Vec3, "1 2 3",
       "type_error 305: cannot use operator[] with a string argument with string"},
      {"vec3", Vec3, nullptr,
       "type_error 305: cannot use operator[] with a string argument with null"},
      {"vec2", Vec2, {{"x", 1}, {"y", 2}, {"z", 3}}, "(1, 2)"},
      {"vec4", Vec4, {{"w", 4}}, "(0, 0, 0, 4)"},
      {"enum", Enum, "PERSPECTIVE", "PERSPECTIVE"},
      {"enum", Enum, 1, "type_error 302: type must be string, but is number"},
      {"enum", Enum, "Orthographic",
       "runtime_error: Invalid enum string: Orthographic. Valid values are: ORTHO, PERSPECTIVE"},
      {"pair", Pair, {{"first", 3}, {"second", "a"}}, "(3, 'a')"},
      {"pair", Pair, {{"first", 3}}, "(3, '')"},
      {"pair", Pair, {{"first", "3"}}, "type_error 302: type must be number, but is string"},
      {"pair", Pair, 5, "type_error 305: cannot use operator[] with a string argument with number"},
      {"keyframe",
       Key3,
       {{"time", 0.5}, {"value", {{"x", 1}, {"y", 2}, {"z", 3}}}},
       "0.5:(1, 2, 3)"},
      {"keyframe", Key3, {{"value", {{"x", 1}}}}, "0:(1, 0, 0)"},
      {"keyframe", Key3, 5, "0:(0, 0, 0)"},
      {"list", List, json::array({"b", "a", "b"}), "['b', 'a', 'b']"},
      {"list", List, {{"k2", "second"}, {"k1", "first"}}, "['first', 'second']"},
      {"list", List, "enemy", "['enemy']"},
      {"list", List, nullptr, "[]"},
      {"list", List, json::array({"a", 1}), "type_error 302: type must be string, but is number"},
      {"set", Set, json::array({"b", "a", "b"}), "['a', 'b']"},
      {"pair set", PairSet,
       json::array({{{"first", 2}, {"second", "b"}},
                    {{"first", 1}, {"second", "z"}},
                    {{"first", 2}, {"second", "a"}},
                    {{"first", 1}, {"second", "z"}}}),
       "[(1, 'z'), (2, 'a'), (2, 'b')]"},
  };
  // The enum reads log every value; keep that out of the report.
  std::ostringstream log;
  std::streambuf* const savedOut = std::cout.rdbuf(log.rdbuf());
  std::streambuf* const savedErr = std::cerr.rdbuf(log.rdbuf());
  for (const FormCase& testCase : cases) {
    EXPECT_EQ(testCase.read(testCase.value), testCase.expected)
        << testCase.fieldType << " from " << testCase.value.dump();
  }
  std::cout.rdbuf(savedOut);
  std::cerr.rdbuf(savedErr);
}

TEST(ReadJsonField, FieldWithoutAReaderIsReportedAndLeftUnchanged) {
  Opaque opaque;
  testing::internal::CaptureStderr();
  EXPECT_NO_THROW(ReadRecord(json{{"_opaque", {{"untouched", 1}}}}, {{"_opaque", &opaque}}));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Unsupported type for deserialization: struct Opaque\n");
  EXPECT_EQ(opaque.untouched, 42);
}

// A small record: what ReadRecord does with sections of every shape.
struct Sample {
  int count = 5;
  std::string name = "default";
  glm::vec2 size{1.0f, 1.0f};

  void Read(const json& section) {
    ReadRecord(section, {{"_count", &count}, {"_name", &name}, {"_size", &size}});
  }
};

TEST(ReadRecord, AppliesTheRecordRules) {
  struct Case {
    const char* what;
    json section;
    int count;
    const char* name;
  };
  const Case cases[] = {
      {"empty object", json::object(), 5, "default"},
      {"array", json::array({{{"_count", 1}}}), 5, "default"},
      {"number", 5, 5, "default"},
      {"null", nullptr, 5, "default"},
      {"keys are case-sensitive", {{"_Count", 1}, {"_NAME", "x"}}, 5, "default"},
      {"unknown keys are ignored", {{"_count", 1}, {"_other", "x"}}, 1, "default"},
      {"every key", {{"_name", "n"}, {"_count", 2}}, 2, "n"},
  };
  for (const Case& testCase : cases) {
    Sample sample;
    sample.Read(testCase.section);
    EXPECT_EQ(sample.count, testCase.count) << testCase.what;
    EXPECT_EQ(sample.name, testCase.name) << testCase.what;
    EXPECT_EQ(sample.size, glm::vec2(1.0f, 1.0f)) << testCase.what;
  }
}

TEST(ReadRecord, StopsAtTheFirstFailureInTableOrder) {
  Sample sample;
  const json section = {{"_size", {{"x", 3}}}, {"_name", 7}, {"_count", 2}};
  EXPECT_THROW(sample.Read(section), json::type_error);
  EXPECT_EQ(sample.count, 2) << "read before the failing key";
  EXPECT_EQ(sample.name, "default");
  EXPECT_EQ(sample.size, glm::vec2(1.0f, 1.0f)) << "after the failing key: never read";
}

}  // namespace
