#include "engine/message_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MessageText, NameAndRestSplitAtTheFirstBlank) {
  EXPECT_EQ(GetMessageName("scene main_menu_scene"), "scene");
  EXPECT_EQ(GetMessageName("decs_exit"), "decs_exit");
  EXPECT_TRUE(IsMessage("scene main_menu_scene", "scene"));
  EXPECT_FALSE(IsMessage("scene_load x", "scene"));
  EXPECT_FALSE(IsMessage("scen", "scene"));

  std::string rest = "unchanged";
  GetMessageRest("decs_exit", rest);
  EXPECT_EQ(rest, "unchanged");
  GetMessageRest("play_sfx menuHover 1.0 1.0", rest);
  EXPECT_EQ(rest, "menuHover 1.0 1.0");
}

struct ParseCase {
  const char* message;
  std::size_t count;
  bool expected;
  std::vector<std::string> words;
};

TEST(MessageText, ParseMessageArgumentsTakesExactlyTheAskedNumberOfWords) {
  const ParseCase cases[] = {
      {"decs_set_fps 60", 1, true, {"60"}},
      {"decs_set_fps", 1, false, {}},
      {"decs_set_fps 60 ", 1, true, {"60"}},  // one trailing blank adds no word
      {"decs_set_fps  60", 1, false, {}},     // two blanks make an empty word
      {"decs_set_fps  60", 2, true, {"", "60"}},
      {"decs_set_fps 60 70", 1, false, {}},
      {"decs_exit", 0, true, {}},
      {"decs_exit x", 0, false, {}},
      {"", 0, false, {}},  // no command word at all
      {"a b c", 2, true, {"b", "c"}},
  };
  for (const ParseCase& testCase : cases) {
    std::vector<std::string_view> words(testCase.count + 1, "untouched");
    const bool parsed = SplitMessageArguments(testCase.message, words.data(), testCase.count);
    EXPECT_EQ(parsed, testCase.expected) << "'" << testCase.message << "' count " << testCase.count;
    if (parsed) {
      for (std::size_t i = 0; i < testCase.count; ++i) EXPECT_EQ(words[i], testCase.words[i]);
    } else {
      EXPECT_EQ(words[0], "untouched") << "outputs must stay unchanged on failure";
    }
  }
}

TEST(MessageText, ParseMessageArgumentsFillsTypedOutputs) {
  std::string type = "keep";
  std::string value = "keep";
  EXPECT_TRUE(ParseMessageArguments("uniform_set_int blur 3", type, value));
  EXPECT_EQ(type, "blur");
  EXPECT_EQ(value, "3");
  EXPECT_FALSE(ParseMessageArguments("uniform_set_int blur", type, value));
  EXPECT_EQ(type, "blur");
}

TEST(MessageText, NumberWordsReadTheirLeadingNumberOrNothing) {
  struct Case {
    const char* word;
    bool ok;
    float value;
  };
  const Case floats[] = {{"60", true, 60.0f},  {"0.5", true, 0.5f},   {"60fps", true, 60.0f},
                         {"-2", true, -2.0f},  {"fast", false, 0.0f}, {"", false, 0.0f},
                         {"nan", false, 0.0f}, {"inf", false, 0.0f},  {"1e999", false, 0.0f}};
  for (const Case& testCase : floats) {
    float value = -7.0f;
    EXPECT_EQ(ReadMessageFloat(testCase.word, value), testCase.ok) << testCase.word;
    EXPECT_EQ(value, testCase.ok ? testCase.value : -7.0f) << testCase.word;
  }

  int id = -7;
  EXPECT_TRUE(ReadMessageInt("42", id));
  EXPECT_EQ(id, 42);
  EXPECT_FALSE(ReadMessageInt("x42", id));
  EXPECT_FALSE(ReadMessageInt("99999999999", id));
  EXPECT_EQ(id, 42);
}

}  // namespace
