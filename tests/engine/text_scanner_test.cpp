#include "engine/text_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

TEST(TextScanner, NumbersMustFillTheWholeToken) {
  struct IntCase {
    const char* token;
    int base;
    bool ok;
    int value;
  };
  const IntCase ints[] = {
      {"42", 10, true, 42},
      {"-7", 10, true, -7},
      {"+3", 10, true, 3},
      {"12abc", 10, false, 0},
      {"1.5", 10, false, 0},
      {"x", 10, false, 0},
      {"2147483647", 10, true, 2147483647},
      {"2147483648", 10, false, 0},
      {"99999999999", 10, false, 0},
      {"0x1F", 10, false, 0},
      {"0x1F", 0, true, 31},
      {"017", 0, true, 15},
      {"017", 10, true, 17},
      {"-0x10", 0, true, -16},
      {"08", 0, false, 0},
  };
  for (const IntCase& testCase : ints) {
    TextScanner scanner = TextScanner::FromText(testCase.token);
    int value = -99;
    EXPECT_EQ(scanner.ReadInt(value, testCase.base), testCase.ok)
        << testCase.token << " base " << testCase.base;
    EXPECT_EQ(value, testCase.ok ? testCase.value : -99) << testCase.token;
  }

  struct FloatCase {
    const char* token;
    bool ok;
    float value;
  };
  const FloatCase floats[] = {
      {"1.5", true, 1.5f},   {"-0.25", true, -0.25f}, {"2e3", true, 2000.0f},
      {"7", true, 7.0f},     {"1e-60", true, 0.0f},  // underflow reads as zero, like the C library
      {"inf", false, 0.0f},  {"nan", false, 0.0f},    {"1e999", false, 0.0f},
      {"1.5x", false, 0.0f}, {"abc", false, 0.0f},
  };
  for (const FloatCase& testCase : floats) {
    TextScanner scanner = TextScanner::FromText(testCase.token);
    float value = -99.0f;
    EXPECT_EQ(scanner.ReadFloat(value), testCase.ok) << testCase.token;
    EXPECT_EQ(value, testCase.ok ? testCase.value : -99.0f) << testCase.token;
  }
}

TEST(TextScanner, FailedReadsConsumeTheTokenAndKeepTheOutput) {
  // A clip line "walk x 8 fast": the bad first frame and rate keep their defaults, and the
  // fields after a bad token are still read in place.
  TextScanner scanner = TextScanner::FromText("walk x 8 fast\nrun 0 4 12.5");
  std::string name;
  int first = 0;
  int last = 1;
  float rate = 60.0f;
  EXPECT_TRUE(scanner.ReadWord(name));
  EXPECT_FALSE(scanner.ReadInt(first));
  EXPECT_TRUE(scanner.ReadInt(last));
  EXPECT_FALSE(scanner.ReadFloat(rate));
  EXPECT_EQ(name, "walk");
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 8);
  EXPECT_EQ(rate, 60.0f);

  EXPECT_TRUE(scanner.ReadWord(name));
  EXPECT_TRUE(scanner.ReadInt(first));
  EXPECT_TRUE(scanner.ReadInt(last));
  EXPECT_TRUE(scanner.ReadFloat(rate));
  EXPECT_EQ(name, "run");
  EXPECT_EQ(rate, 12.5f);

  // A reader that loops "until the end" over tokens it cannot read still finishes.
  TextScanner garbage = TextScanner::FromText("a b c d");
  int reads = 0;
  int value = 5;
  while (!garbage.AtEnd() && reads < 100) {
    garbage.ReadInt(value);
    ++reads;
  }
  EXPECT_EQ(reads, 4);
  EXPECT_EQ(value, 5);
}

TEST(TextScanner, EndOfTextLeavesOutputsUnchanged) {
  TextScanner scanner = TextScanner::FromText("tex.png 0\n  \t\n");
  std::string word;
  int count = -1;
  EXPECT_FALSE(scanner.AtEnd());
  EXPECT_TRUE(scanner.ReadWord(word));
  EXPECT_TRUE(scanner.ReadInt(count));
  EXPECT_TRUE(scanner.AtEnd()) << "trailing white space is not more content";

  word = "kept";
  int number = 3;
  float real = 2.5f;
  char character = 'k';
  EXPECT_FALSE(scanner.ReadWord(word));
  EXPECT_FALSE(scanner.ReadInt(number));
  EXPECT_FALSE(scanner.ReadFloat(real));
  EXPECT_FALSE(scanner.ReadCount(number, 10));
  EXPECT_FALSE(scanner.ReadChar(character));
  EXPECT_EQ(word, "kept");
  EXPECT_EQ(number, 3);
  EXPECT_EQ(real, 2.5f);
  EXPECT_EQ(character, 'k');
}

TEST(TextScanner, OverlongTokensAreCutAndStayOneToken) {
  TextScanner scanner = TextScanner::FromText("abcdefgh 12 123456 7", 4);
  std::string word;
  int value = 0;
  EXPECT_TRUE(scanner.ReadWord(word));
  EXPECT_EQ(word, "abcd");
  EXPECT_TRUE(scanner.ReadInt(value)) << "the rest of the cut word must not be the next token";
  EXPECT_EQ(value, 12);
  EXPECT_FALSE(scanner.ReadInt(value)) << "a cut number would be a different number";
  EXPECT_EQ(value, 12);
  EXPECT_TRUE(scanner.ReadInt(value));
  EXPECT_EQ(value, 7);

  const std::string huge(300, 'p');
  TextScanner defaults = TextScanner::FromText(huge + " next");
  EXPECT_TRUE(defaults.ReadWord(word));
  EXPECT_EQ(word, std::string(TextScanner::kDefaultMaxTokenLength, 'p'));
  EXPECT_TRUE(defaults.ReadWord(word));
  EXPECT_EQ(word, "next");
}

TEST(TextScanner, CountsOutsideTheirRangeAreRejected) {
  struct Case {
    const char* token;
    bool ok;
  };
  const Case cases[] = {{"0", true},   {"10", true}, {"3", true},   {"11", false},
                        {"-1", false}, {"x", false}, {"1e2", false}};
  for (const Case& testCase : cases) {
    TextScanner scanner = TextScanner::FromText(std::string(testCase.token) + " 4");
    int count = -5;
    EXPECT_EQ(scanner.ReadCount(count, 10), testCase.ok) << testCase.token;
    if (testCase.ok) {
      EXPECT_EQ(count, std::stoi(testCase.token));
    } else {
      EXPECT_EQ(count, -5) << testCase.token;
    }
    int next = 0;
    EXPECT_TRUE(scanner.ReadInt(next)) << "the count token is consumed: " << testCase.token;
    EXPECT_EQ(next, 4);
  }
}

TEST(TextScanner, CharactersAreReadOneAtATimeSkippingWhiteSpace) {
  // A tile file: width, height, mode letter, separator, then tiles with or without blanks.
  TextScanner scanner = TextScanner::FromText("3 2 n\n-\n012\n3 4 5\n");
  int width = 0;
  int height = 0;
  char mode = 'x';
  char separator = 'x';
  ASSERT_TRUE(scanner.ReadInt(width));
  ASSERT_TRUE(scanner.ReadInt(height));
  ASSERT_TRUE(scanner.ReadChar(mode));
  ASSERT_TRUE(scanner.ReadChar(separator));
  EXPECT_EQ(mode, 'n');
  EXPECT_EQ(separator, '-');
  std::string tiles;
  char tile = 0;
  while (scanner.ReadChar(tile)) tiles += tile;
  EXPECT_EQ(tiles, "012345");
}

TEST(TextScanner, LineNamesTheLineOfTheLastToken) {
  TextScanner scanner = TextScanner::FromText("a\n\n  b c\nd");
  std::string word;
  EXPECT_EQ(scanner.Line(), 0);
  scanner.ReadWord(word);
  EXPECT_EQ(scanner.Line(), 1);
  scanner.ReadWord(word);
  EXPECT_EQ(scanner.Line(), 3);
  scanner.ReadWord(word);
  EXPECT_EQ(scanner.Line(), 3);
  scanner.ReadWord(word);
  EXPECT_EQ(scanner.Line(), 4);
}

TEST(TextScanner, FilesOpenByTheirNormalizedPathAndMissingOnesReadEmpty) {
  testing_support::TempFolder folder;
  const std::string path = (folder.path / "mesh.txt").string();
  std::ofstream(path) << "std_mesh 2\n3 2\n";

  std::string backslashed = path;
  std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
  TextScanner scanner(backslashed);
  EXPECT_TRUE(scanner.IsOpen());
  std::string word;
  int count = 0;
  EXPECT_TRUE(scanner.ReadWord(word));
  EXPECT_EQ(word, "std_mesh");
  EXPECT_TRUE(scanner.ReadInt(count));
  EXPECT_EQ(count, 2);

  for (const std::string& unreadable :
       {(folder.path / "missing.txt").string(), folder.path.string()}) {
    TextScanner empty(unreadable);
    EXPECT_FALSE(empty.IsOpen()) << unreadable;
    EXPECT_TRUE(empty.AtEnd()) << unreadable;
    word = "kept";
    EXPECT_FALSE(empty.ReadWord(word)) << unreadable;
    EXPECT_EQ(word, "kept");
  }

  // A file without end reads as empty once it passes the size ceiling, and says so.
  testing::internal::CaptureStdout();
  const TextScanner endless("/dev/zero");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "TextScanner : '/dev/zero' is larger than 8388608 bytes; read as empty text\n");
  EXPECT_FALSE(endless.IsOpen());
  EXPECT_TRUE(endless.AtEnd());
}

}  // namespace
