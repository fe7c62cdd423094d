#include "components/sequence.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

TEST(Sequence, OnlyADefaultConstructedSequenceIsOriginal) {
  Sequence original;
  original._BPM = 120.0f;
  EXPECT_TRUE(original.isOriginal);

  const Sequence copy(original);
  EXPECT_FALSE(copy.isOriginal);
  EXPECT_EQ(copy._BPM, 120.0f);

  Sequence assigned;
  assigned = original;
  EXPECT_FALSE(assigned.isOriginal);
  EXPECT_EQ(assigned._BPM, 120.0f);

  original = original;
  EXPECT_TRUE(original.isOriginal) << "self-assignment changes nothing";
}

}  // namespace

namespace {

class SequenceTemplateTest : public ::testing::Test {
 protected:
  Sequence Read(const std::string& text) {
    const auto path = folder.path / "template.txt";
    std::ofstream(path) << text;
    Sequence sequence;
    sequence._duration = 42.0f;
    testing::internal::CaptureStdout();
    sequence.LoadTemplate(path.string());
    printed = testing::internal::GetCapturedStdout();
    return sequence;
  }
  // "step:column2,column3,column4,column5,column6" per note, in map order.
  static std::vector<std::string> Notes(const Sequence& sequence) {
    std::vector<std::string> notes;
    for (const auto& [step, list] : sequence.notes) {
      for (const SequenceNote& n : list) {
        notes.push_back(std::to_string(step) + ":" + std::to_string(n.column2) + "," +
                        std::to_string(n.column3) + "," + std::to_string(n.column4) + "," +
                        std::to_string(n.column5) + "," + std::to_string(n.column6));
        EXPECT_EQ(n.step, step);
      }
    }
    return notes;
  }

  testing_support::TempFolder folder;
  std::string printed;
};

TEST_F(SequenceTemplateTest, ReadsNotesUntilTheEnd) {
  using Notes_ = std::vector<std::string>;
  const struct {
    const char* name;
    const char* text;
    Notes_ notes;
    float duration;
  } cases[] = {
      {"a repeated third number is dropped",
       "1 10 20 0 0 0\n1 11 20 0 0 0\n1 10 30 0 0 0\n0 0 0 999 0 0\n9 9 9 0 0 0\n",
       {"0:0,0,999,0,0", "1:10,20,0,0,0", "1:10,30,0,0,0"},
       1.0f},
      {"above 999 ends before the line", "1 2 3 1000 0 0\n2 2 3 0 0 0\n", {}, 0.0f},
      {"octal, hexadecimal and blank lines", "010 0x10 -3\n\n  7 1\n2\n", {"8:16,-3,7,1,2"}, 8.0f},
      {"the end of the file ends reading",
       "3 1 1 0 0 0\n4 1 1 0 0 0",
       {"3:1,1,0,0,0", "4:1,1,0,0,0"},
       4.0f},
      {"a short last line keeps earlier values",
       "3 1 1 5 6 7\n4 2",
       {"3:1,1,5,6,7", "4:2,1,5,6,7"},
       4.0f},
      {"a token that is not a number stops",
       "2 1 1 0 0 0\n5 x 1 0 0 0\n6 1 1 0 0 0\n",
       {"2:1,1,0,0,0"},
       2.0f},
      {"a number too large for an int stops", "2 1 99999999999 0 0 0\n", {}, 0.0f},
      {"an empty file", "", {}, 0.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Sequence sequence = Read(c.text);
    EXPECT_EQ(Notes(sequence), c.notes);
    EXPECT_EQ(sequence._duration, c.duration);
  }
  Read("2 1 1 0 0 0\n5 x 1 0 0 0\n");
  EXPECT_NE(printed.find("template.txt' line 2: a token is not a number"), std::string::npos)
      << printed;
}

TEST_F(SequenceTemplateTest, AMissingTemplateLeavesTheSequenceEmpty) {
  Sequence sequence;
  sequence._duration = 3.0f;
  sequence.LoadTemplate((folder.path / "none.txt").string());
  EXPECT_TRUE(sequence.notes.empty());
  EXPECT_EQ(sequence._duration, 0.0f);
}

TEST_F(SequenceTemplateTest, TheGamesTemplateReads) {
  Sequence sequence;
  testing::internal::CaptureStdout();
  sequence.LoadTemplate();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(sequence.notes.empty());
  EXPECT_GT(sequence._duration, 0.0f);
}

}  // namespace
