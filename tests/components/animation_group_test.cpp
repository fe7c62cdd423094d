#include "components/animation_group.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
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
using testing_support::RecordingReceiver;

constexpr int kGlNearest = 0x2600;
constexpr int kGlLinear = 0x2601;
constexpr int kGlRepeat = 0x2901;

// Hands out texture ids from 100 and records the requests.
class FakeAnimationResources final : public ResourceProvider {
 public:
  struct Request {
    std::string path;
    int minFilter;
    int magFilter;
    int wrap;
  };
  int GetTexture(const std::string& path, int minFilter, int magFilter, int wrap) override {
    textures.push_back({path, minFilter, magFilter, wrap});
    return 99 + static_cast<int>(textures.size());
  }
  bool HasTexture(const std::string&) const override { return false; }
  int CreateTexture(int, int, const std::uint8_t*, const std::string&, int, int) override {
    return -1;
  }
  int GetMesh(const std::string&) override { return -1; }
  int GetMaterial(const std::string&) override { return -1; }

  std::vector<Request> textures;
};

class AnimationGroupTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    decs->SetResourceProvider(&resources);
  }

  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = (folder.path / name).string();
    std::ofstream(path) << text;
    return path;
  }

  // Loads one file and returns the sheet, with what the loader printed.
  AnimationSheet Load(const std::string& text, std::string& output) {
    const std::string path = Write("sheet.txt", text);
    testing::internal::CaptureStdout();
    AnimationSheet sheet = AnimationGroup().LoadAnimationFile(path);
    output = testing::internal::GetCapturedStdout();
    return sheet;
  }

  FakeAnimationResources resources;
  testing_support::TempFolder folder;
};

// A group playing `clip` (first, last, rate) on a 4 x 2 sheet.
AnimationGroup Playing(const AnimationClip& clip, bool loop = true) {
  AnimationGroup group;
  group._sheetWidth = 4;
  group._sheetHeight = 2;
  group.loop = loop;
  group.currentSheet.clips = {clip};
  group.PlayAnimation(clip.name);
  return group;
}

TEST_F(AnimationGroupTest, ListEntriesNameTheirSheetAndFile) {
  Write("walk.txt",
        "./GAME/Assets/Animations/walk.png\n2\nstep 0 8 8.0\nturn 8 12 4\n"
        "2 3 6\nplay_sfx step 1.0  1.0\n");
  Write("idle", "idle.png 1 breathe 0 2 1.5");
  AnimationGroup group;
  group.pathPrefix = folder.path.string() + "/";
  group._animList = {"walk walk.txt", "idle"};
  group.sheets["stale"] = AnimationSheet{};

  group.LoadAnimations();

  ASSERT_EQ(group.sheets.size(), 2u) << "the map is emptied first";
  const AnimationSheet& walk = group.sheets.at("walk");
  EXPECT_EQ(walk.texture, 100);
  ASSERT_EQ(walk.clips.size(), 2u);
  EXPECT_EQ(walk.clips[1].name, "turn");
  EXPECT_EQ(walk.clips[1].firstFrame, 8);
  EXPECT_EQ(walk.clips[1].lastFrame, 12);
  EXPECT_EQ(walk.clips[1].rate, 4.0f);
  EXPECT_THAT(walk.eventFrames, ElementsAre(3u, 6u));
  EXPECT_EQ(walk.eventMessage, "play_sfx step 1.0 1.0") << "words joined by single blanks";
  EXPECT_EQ(group.sheets.at("idle").clips.at(0).name, "breathe");

  ASSERT_EQ(resources.textures.size(), 2u);
  EXPECT_EQ(resources.textures[0].path, "./GAME/Assets/Animations/walk.png");
  EXPECT_EQ(resources.textures[0].minFilter, kGlLinear);
  EXPECT_EQ(resources.textures[0].magFilter, kGlNearest);
  EXPECT_EQ(resources.textures[0].wrap, kGlRepeat);
}

TEST_F(AnimationGroupTest, TheGameAnimationLoadsWithoutReports) {
  AnimationGroup group;
  group._animList = {"ring ring_pulse.txt"};
  testing::internal::CaptureStdout();
  group.LoadAnimations();
  EXPECT_THAT(testing::internal::GetCapturedStdout(), IsEmpty());
  const AnimationSheet& ring = group.sheets.at("ring");
  EXPECT_EQ(ring.clips.size(), 2u);
  EXPECT_EQ(ring.eventFrames.size(), 1u);
  EXPECT_FALSE(ring.eventMessage.empty());
  ASSERT_EQ(resources.textures.size(), 1u);
  EXPECT_TRUE(std::ifstream(resources.textures[0].path).good()) << resources.textures[0].path;
}

TEST_F(AnimationGroupTest, BadFilesGiveWhatCouldBeReadAndNameTheFile) {
  const std::string longName(300, 'n');
  std::string longMessage;
  for (int i = 0; i < 100; ++i) longMessage += "word" + std::to_string(i) + " ";
  const struct {
    const char* label;
    std::string text;
    std::size_t clips;
    std::size_t events;
    const char* report;  // empty: nothing printed
  } cases[] = {
      {"texture and no clips", "tex.png 0", 0, 0, ""},
      {"empty file", "", 0, 0, "empty"},
      {"huge clip count, short file", "tex.png 2000000000 walk 0 4 8", 0, 0, "clip count"},
      {"count past the end of the file", "tex.png 1000 walk 0 4 8", 1, 0, "ends after 1 of 1000"},
      {"negative clip count", "tex.png -3 walk 0 4 8", 0, 0, "clip count"},
      {"clip line cut short", "tex.png 1 walk 3", 1, 0, "first frame, last frame or rate"},
      {"rate not a number", "tex.png 1 walk 0 4 fast", 1, 0, "first frame, last frame or rate"},
      {"huge event count", "tex.png 1 walk 0 4 8 99999999 1 msg", 1, 0, "event frame count"},
      {"negative event frame", "tex.png 1 walk 0 4 8 2 1 -5 msg", 1, 1, "event frame"},
      {"events past the end", "tex.png 1 walk 0 4 8 3 1 2", 1, 2, "event frame"},
      {"overlong clip name is cut", "tex.png 1 " + longName + " 0 4 8", 1, 0, ""},
      {"overlong message is cut", "tex.png 0 0 " + longMessage, 0, 0, "511"},
  };
  for (const auto& testCase : cases) {
    std::string output;
    const AnimationSheet sheet = Load(testCase.text, output);
    EXPECT_EQ(sheet.clips.size(), testCase.clips) << testCase.label;
    EXPECT_EQ(sheet.eventFrames.size(), testCase.events) << testCase.label;
    EXPECT_LE(sheet.eventMessage.size(), AnimationGroup::kMaxEventMessageLength) << testCase.label;
    if (*testCase.report == '\0') {
      EXPECT_THAT(output, IsEmpty()) << testCase.label;
    } else {
      EXPECT_THAT(output, HasSubstr("sheet.txt")) << testCase.label;
      EXPECT_THAT(output, HasSubstr(testCase.report)) << testCase.label;
    }
  }

  std::string output;
  const AnimationSheet cutShort = Load("tex.png 1 walk 3", output);
  EXPECT_EQ(cutShort.clips[0].firstFrame, 3);
  EXPECT_EQ(cutShort.clips[0].lastFrame, 1) << "missing values keep their defaults";
  EXPECT_EQ(cutShort.clips[0].rate, 60.0f);
  EXPECT_EQ(Load("tex.png 1 " + longName + " 0 4 8", output).clips[0].name.size(), 255u);

  testing::internal::CaptureStdout();
  const AnimationSheet missing = AnimationGroup().LoadAnimationFile(folder.path.string() + "/no");
  EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("no' cannot be opened"));
  EXPECT_TRUE(missing.clips.empty());
  EXPECT_EQ(missing.texture, 0);
}

TEST(AnimationGroupFrames, FrameOffsetsFollowTheSheetGrid) {
  const struct {
    unsigned int width;
    unsigned int height;
    int frame;
    float u;
    float v;
    float row;
  } cases[] = {
      {4, 2, 5, 0.25f, 0.0f, 0.5f},
      {4, 2, 0, 0.0f, 0.5f, 0.0f},
      {4, 2, 3, 0.75f, 0.5f, 0.0f},
      {4, 3, 5, 0.25f, 1.0f - 1.0f / 3.0f - 1.0f / 3.0f, 1.0f / 3.0f},
      {1, 1, 7, 0.0f, -7.0f, 7.0f},
      // A sheet of 0 columns or rows reads as 1, a negative frame as frame 0.
      {0, 2, 3, 0.0f, -1.0f, 1.5f},
      {4, 0, 5, 0.25f, -1.0f, 1.0f},
      {4, 2, -6, 0.0f, 0.5f, 0.0f},
  };
  for (const auto& testCase : cases) {
    AnimationGroup group;
    group._sheetWidth = testCase.width;
    group._sheetHeight = testCase.height;
    group.currentFrame = testCase.frame;
    const float row = group.ComputeFrameOffset();
    const std::string label = std::to_string(testCase.width) + "x" +
                              std::to_string(testCase.height) + " frame " +
                              std::to_string(testCase.frame);
    EXPECT_FLOAT_EQ(row, testCase.row) << label;
    EXPECT_FLOAT_EQ(group.GetFrameOffset().x, testCase.u) << label;
    EXPECT_FLOAT_EQ(group.GetFrameOffset().y, testCase.v) << label;
  }
}

TEST(AnimationGroupFrames, PlaybackStepsThroughTheClipAndLoops) {
  AnimationGroup group = Playing({"run", 0, 8, 8.0f});
  EXPECT_FLOAT_EQ(group.duration, 1.0f);
  std::vector<int> frames;
  for (int i = 0; i < 7; ++i) {
    group.UpdateAnimation(0.25f);
    frames.push_back(group.currentFrame);
  }
  // Elapsed 1.0 still shows a frame; the update after it only rewinds.
  EXPECT_THAT(frames, ElementsAre(0, 2, 4, 6, 8, 8, 0));

  AnimationGroup once = Playing({"run", 0, 8, 8.0f}, false);
  for (int i = 0; i < 10; ++i) once.UpdateAnimation(0.25f);
  EXPECT_EQ(once.currentFrame, 8) << "without loop the last frame stays";
  EXPECT_TRUE(once.finished);

  AnimationGroup paused = Playing({"run", 0, 8, 8.0f});
  paused.PauseAnimation();
  paused.UpdateAnimation(0.5f);
  EXPECT_EQ(paused.elapsed, 0.0f);
  paused.PlayAnimation("run");
  paused.UpdateAnimation(0.5f);
  paused.UpdateAnimation(0.5f);
  EXPECT_EQ(paused.currentFrame, 4);
  paused.RestartAnimation();
  paused.UpdateAnimation(0.1f);
  EXPECT_EQ(paused.currentFrame, 0);
}

TEST(AnimationGroupFrames, ClipsWithoutFramesOrRateShowTheirFirstFrame) {
  const AnimationClip clips[] = {{"still", 3, 3, 8.0f},
                                 {"zero rate", 2, 6, 0.0f},
                                 {"negative rate", 2, 6, -4.0f},
                                 {"backwards", 6, 2, 8.0f},
                                 {"extreme", -2147483647, 2147483647, 1e-30f}};
  for (const AnimationClip& clip : clips) {
    AnimationGroup group = Playing(clip);
    for (int i = 0; i < 5; ++i) {
      group.UpdateAnimation(0.3f);
      EXPECT_EQ(group.currentFrame, clip.firstFrame) << clip.name << " update " << i;
      EXPECT_TRUE(std::isfinite(group.GetFrameOffset().x)) << clip.name;
      EXPECT_TRUE(std::isfinite(group.GetFrameOffset().y)) << clip.name;
    }
  }
}

TEST_F(AnimationGroupTest, EventFramesPostTheMessageOncePerUpdateAsPlainText) {
  std::vector<std::string> log;
  RecordingReceiver listener("listener", 1, &log);
  decs->AddChild(&listener);

  AnimationGroup group;
  group.currentSheet.clips = {{"run", 0, 8, 8.0f}};
  group.currentSheet.eventFrames = {1, 2, 7};
  group.currentSheet.eventMessage = "shout %s %d 100%";
  group.PlayAnimation("run");

  group.UpdateAnimation(0.5f);  // frame 0: no event frame reached
  EXPECT_THAT(log, IsEmpty());
  group.UpdateAnimation(0.25f);  // frame 0 -> 4 passes 1 and 2: one message
  EXPECT_THAT(log, ElementsAre("listener:shout %s %d 100%"));
  group.UpdateAnimation(0.25f);  // 4 -> 6
  EXPECT_EQ(log.size(), 1u);
  group.UpdateAnimation(0.25f);  // 6 -> 8 passes 7
  EXPECT_EQ(log.size(), 2u);
}

TEST_F(AnimationGroupTest, SheetsAndClipsThatDoNotExistChangeNothing) {
  AnimationGroup group;
  AnimationSheet walk;
  walk.texture = 7;
  walk.clips = {{"idle", 0, 2, 4.0f}, {"run", 4, 8, 8.0f}};
  AnimationSheet swim;
  swim.texture = 9;
  swim.clips = {{"run", 10, 14, 8.0f}};
  group.sheets = {{"walk", walk}, {"swim", swim}};

  group.PlayAnimation("run");  // no current sheet yet: ignored
  EXPECT_TRUE(group.currentClipName.empty());

  group.SetAnimationSheet("walk");
  group.PlayAnimation("fly");
  EXPECT_EQ(group.currentClipName, "idle") << "an unknown clip plays the first one";
  group.PlayAnimation("run");
  group.SetAnimationSheet("swim");
  EXPECT_EQ(group.currentSheet.texture, 9);
  EXPECT_EQ(group.clipFirstFrame, 10) << "the clip of the same name starts on the new sheet";

  testing::internal::CaptureStdout();
  group.SetAnimationSheet("dive");
  EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("'dive'"));
  EXPECT_EQ(group.sheets.count("dive"), 0u);
  EXPECT_EQ(group.currentSheet.texture, 9);
  EXPECT_EQ(group.clipFirstFrame, 10);
}

}  // namespace
