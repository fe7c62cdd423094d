#include "components/model_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/resource_provider.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::UnorderedElementsAre;

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

// Meshes get ids from 10, textures from 100 and materials from 1000, in call order; every
// path asked for is recorded.
class FakeModelResources final : public ResourceProvider {
 public:
  int GetTexture(const std::string& path, int, int, int) override {
    requests.push_back("texture " + path);
    return 100 + textures++;
  }
  bool HasTexture(const std::string&) const override { return false; }
  int CreateTexture(int, int, const std::uint8_t*, const std::string&, int, int) override {
    return -1;
  }
  int GetMesh(const std::string& path) override {
    requests.push_back("mesh " + path);
    return 10 + meshes++;
  }
  int GetMaterial(const std::string& path) override {
    requests.push_back("material " + path);
    return 1000 + materials++;
  }

  std::vector<std::string> requests;
  int textures = 0;
  int meshes = 0;
  int materials = 0;
};

class ModelListFileTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    decs->SetResourceProvider(&resources);
  }

  std::string Write(const std::string& text) {
    const std::string path = (folder.path / "models.txt").string();
    std::ofstream(path) << text;
    return path;
  }

  // Loads `list` from its path, returning what the loader printed.
  static std::string Load(ModelList& list) {
    testing::internal::CaptureStdout();
    list.LoadModelFile();
    return testing::internal::GetCapturedStdout();
  }

  FakeModelResources resources;
  testing_support::TempFolder folder;
};

TEST_F(ModelListFileTest, NamedModelsAreNumberedAfterTheUnnamedOnes) {
  ModelList list;
  list._path = Write(
      "unnamed 2\nm1 a1 b1 x1\nm2 a2 b2 x2\n"
      "named 2\nplayer_clip m3 a3 b3 x3\nopal m4 a4 b4 x4\n");
  EXPECT_THAT(Load(list), IsEmpty());

  EXPECT_EQ(list.modelCount, 4);
  EXPECT_THAT(list.modelLines,
              ElementsAre("m1 a1 b1 x1", "m2 a2 b2 x2", "m3 a3 b3 x3", "m4 a4 b4 x4"));
  EXPECT_THAT(list.namedModels, UnorderedElementsAre(Pair("player_clip", 3), Pair("opal", 4)));
  EXPECT_THAT(list.GetModel(3), ElementsAre(12u, 104u, 105u, 1002u));
  EXPECT_THAT(list.GetModel(5), IsEmpty());
  EXPECT_THAT(std::vector<std::string>(resources.requests.begin(), resources.requests.begin() + 4),
              ElementsAre("mesh m1", "texture a1", "texture b1", "material x1"));
}

TEST_F(ModelListFileTest, BadFilesAreReportedAndCountsCannotRunPastTheFile) {
  const std::string longToken(300, 't');
  const struct {
    const char* label;
    std::string text;
    std::vector<std::string> lines;
    std::vector<std::pair<std::string, int>> names;
    const char* report;  // empty: nothing printed
  } cases[] = {
      {"both counts 0", "unnamed 0\nnamed 0\n", {}, {}, ""},
      {"empty file", "", {}, {}, ""},
      {"no named section", "unnamed 1\nm a b x\n", {"m a b x"}, {}, ""},
      {"three tokens at the end", "unnamed 1\nm a b", {"m a b "}, {}, ""},
      {"name without a model",
       "unnamed 1\nm a b x\nnamed 1\nlonely",
       {"m a b x"},
       {{"lonely", 2}},
       ""},
      {"huge count, short file",
       "unnamed 1000\nm a b x\n",
       {"m a b x"},
       {},
       "ends after 1 of 1000 unnamed"},
      {"named count past the end",
       "unnamed 0\nnamed 9\nn m a b x",
       {"m a b x"},
       {{"n", 1}},
       "ends after 1 of 9 named"},
      {"overlong token is cut in place",
       "unnamed 1\n" + longToken + " a b x",
       {std::string(254, 't') + " a b x"},
       {},
       ""},
  };
  for (const auto& testCase : cases) {
    ModelList list;
    list._path = Write(testCase.text);
    const std::string output = Load(list);
    EXPECT_EQ(list.modelLines, testCase.lines) << testCase.label;
    EXPECT_EQ(list.modelCount, static_cast<int>(testCase.lines.size())) << testCase.label;
    EXPECT_EQ(list.namedModels.size(), testCase.names.size()) << testCase.label;
    for (const auto& [name, number] : testCase.names) {
      EXPECT_EQ(list.namedModels[name], number) << testCase.label;
    }
    if (*testCase.report == '\0') {
      EXPECT_THAT(output, IsEmpty()) << testCase.label;
    } else {
      EXPECT_THAT(output, HasSubstr("models.txt")) << testCase.label;
      EXPECT_THAT(output, HasSubstr(testCase.report)) << testCase.label;
    }
  }
  ModelList threeTokens;
  threeTokens._path = Write("unnamed 1\nm a b");
  Load(threeTokens);
  EXPECT_EQ(resources.requests.back(), "material ") << "a missing fourth token is empty";

  // Files that break the format leave a loaded list as it was.
  const char* rejected[] = {"unnamed 5000000000\nm a b x", "unnamed -1\nm a b x",
                            "unnamed 2000\nm a b x", "models 1\nm a b x", "unnamed 0\nnamed x\n"};
  for (const char* text : rejected) {
    ModelList list;
    list._path = Write("unnamed 1\nkept a b x\nnamed 1\nold kept2 a b x");
    Load(list);
    Write(text);
    EXPECT_THAT(Load(list), HasSubstr("not loaded")) << text;
    EXPECT_THAT(list.modelLines, ElementsAre("kept a b x", "kept2 a b x")) << text;
    EXPECT_EQ(list.namedModels.count("old"), 1u) << text;
  }
}

TEST_F(ModelListFileTest, ReloadingReplacesModelsAndNames) {
  ModelList list;
  list._path = Write("unnamed 1\nm a b x\nnamed 1\nold m2 a b x\n");
  Load(list);
  Load(list);
  EXPECT_EQ(list.modelCount, 2) << "loading twice is loading once";
  EXPECT_EQ(list.modelLines.size(), 2u);

  Write("unnamed 0\nnamed 1\nnew m3 a b x\n");
  Load(list);
  EXPECT_THAT(list.namedModels, UnorderedElementsAre(Pair("new", 1)));
  EXPECT_EQ(list.modelCount, 1);
  EXPECT_THAT(list.GetModel(2), IsEmpty());
}

TEST_F(ModelListFileTest, PathsThatNameNoFileLeaveTheListAsItWas) {
  ModelList list;
  list.modelLines = {"kept a b x"};
  list.modelCount = 1;
  const std::string tooLong = folder.path.string() + "/" + std::string(5000, 'x');
  const struct {
    std::string path;
    const char* report;
  } cases[] = {
      {(folder.path / "missing.txt").string(), ""},
      {folder.path.string(), ""},
      {"", ""},
      // The file system refuses to look the path up: reported, not thrown.
      {tooLong, "exists"},
  };
  for (const auto& testCase : cases) {
    list._path = testCase.path;
    const std::string output = Load(list);
    EXPECT_THAT(list.modelLines, ElementsAre("kept a b x")) << testCase.path.substr(0, 80);
    if (*testCase.report == '\0') {
      EXPECT_THAT(output, IsEmpty());
    } else {
      EXPECT_THAT(output, HasSubstr(testCase.report));
    }
  }
}

TEST_F(ModelListFileTest, TheGameModelListLoadsWithoutReports) {
  ModelList list;
  list._path = "./GAME/Assets/Tilemaps/DemoModelList.txt";
  EXPECT_THAT(Load(list), IsEmpty());
  EXPECT_EQ(list.modelCount, 3);
  EXPECT_EQ(list.namedModels.at("player_clip"), 3);
  for (const std::string& request : resources.requests) {
    const std::string path = request.substr(request.find(' ') + 1);
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << request;
  }
}

}  // namespace
