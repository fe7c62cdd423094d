#include "components/model_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

ModelList WithLines(int count) {
  ModelList list;
  list._path = "./GAME/Assets/Models/big.txt";
  for (int i = 0; i < count; ++i) list.modelLines.push_back("mesh" + std::to_string(i) + " a b m");
  return list;
}

TEST(ModelList, FilesAreCutAt127ModelsWithAWarning) {
  const struct {
    int lines;
    std::size_t kept;
    bool warns;
  } cases[] = {{0, 0, false}, {127, 127, false}, {128, 127, true}, {300, 127, true}};
  for (const auto& testCase : cases) {
    ModelList list = WithLines(testCase.lines);
    testing::internal::CaptureStdout();
    list.LimitModelLines();
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(list.modelLines.size(), testCase.kept) << testCase.lines;
    if (testCase.warns) {
      EXPECT_THAT(output, HasSubstr("big.txt")) << testCase.lines;
    } else {
      EXPECT_THAT(output, IsEmpty()) << testCase.lines;
    }
  }
  ModelList cut = WithLines(128);
  testing::internal::CaptureStdout();
  cut.LimitModelLines();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(cut.modelLines.back(), "mesh126 a b m") << "the first models are the ones kept";
}

TEST(ModelList, GetModelAnswersOnlyForLoadedNumbers) {
  ModelList list;
  list.models[0] = {1, 2, 3, 4};
  list.models[126] = {5, 6, 7, 8};
  list.models[127] = {9, 9, 9, 9};
  list.modelCount = 127;
  EXPECT_THAT(list.GetModel(1), ElementsAre(1u, 2u, 3u, 4u));
  EXPECT_THAT(list.GetModel(127), ElementsAre(5u, 6u, 7u, 8u)) << "the last model is reachable";
  for (const int number : {0, -1, 128, 256, 1000}) {
    EXPECT_THAT(list.GetModel(number), IsEmpty()) << number;
  }
}

}  // namespace
