#include "gameplay/animation_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/animation_group.h"
#include "components/texture_component.h"
#include "tests/render/render_test_scene.h"

namespace {

using testing_support::RecordingReceiver;

class AnimationSystemTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    animation = systems->RegisterSystem<AnimationSystem>().get();
    decs->AddChild(&everyLevel);
  }

  // An entity `alias` on a 4 x 3 sheet with two sheets: "walk" (texture 11; clips "run" 0..4 at
  // 4 fps and "idle" 8..10 at 2 fps; an event at frame 2) and "jump" (texture 22; clip "run"
  // 4..6 at 2 fps).
  int MakeSprite(const std::string& alias) {
    AnimationGroup group;
    group._sheetWidth = 4;
    group._sheetHeight = 3;
    group.sheets["walk"] = {11, {{"run", 0, 4, 4.0f}, {"idle", 8, 10, 2.0f}}, {2u}, "step"};
    group.sheets["jump"] = {22, {{"run", 4, 6, 2.0f}}, {}, ""};
    group.currentSheet = group.sheets["walk"];
    group.PlayAnimation("run");
    const int entity = CreateEntity(alias);
    Add<AnimationGroup>(entity, group);
    Add<TextureComponent>(entity);
    return entity;
  }

  AnimationGroup& Group(int entity) { return *components->GetComponent<AnimationGroup>(entity); }
  void Post(const std::string& message) { messaging->PostFormatted("%s", 1, message.c_str()); }

  int Count(const std::string& entry) const {
    int count = 0;
    for (const std::string& line : log) count += line == entry ? 1 : 0;
    return count;
  }

  AnimationSystem* animation = nullptr;
  std::vector<std::string> log;
  RecordingReceiver everyLevel{"log", 1, &log};
};

TEST_F(AnimationSystemTest, FramesFollowTheTimelineLoopingOrStoppingAtTheEnd) {
  const int looping = MakeSprite("a");
  const int once = MakeSprite("b");
  Group(once).loop = false;
  Group(once).PlayAnimation("run");
  // Steps of 0.25 s through a 1 s clip of 4 frames: the frame shown at elapsed = duration is
  // the clip's end; a looping clip then spends one step rewinding.
  const struct {
    int loopingFrame;
    int onceFrame;
    bool onceFinished;
  } steps[] = {{0, 0, false}, {1, 1, false}, {2, 2, false}, {3, 3, false},
               {4, 4, true},  {4, 4, true},  {0, 4, true},  {1, 4, true}};
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    animation->Update(0.25f);
    EXPECT_EQ(Group(looping).currentFrame, steps[i].loopingFrame) << "step " << i;
    EXPECT_EQ(Group(once).currentFrame, steps[i].onceFrame) << "step " << i;
    EXPECT_EQ(Group(once).finished, steps[i].onceFinished) << "step " << i;
  }

  Post("pause_animation a");
  animation->Update(0.25f);
  EXPECT_EQ(Group(looping).currentFrame, 1) << "paused";
  Post("play_animation a idle");
  animation->Update(0.25f);
  EXPECT_GE(Group(looping).currentFrame, 8);
  EXPECT_LE(Group(looping).currentFrame, 10);
  EXPECT_FALSE(Group(looping).paused);
}

TEST_F(AnimationSystemTest, MessagesSteerTheNamedEntityAndIgnoreBadOnes) {
  const int sprite = MakeSprite("hero");

  Post("set_animation_frame hero 5");
  EXPECT_EQ(Group(sprite).currentFrame, 5);
  EXPECT_FLOAT_EQ(Group(sprite).frameOffsetU, 0.25f);
  EXPECT_FLOAT_EQ(Group(sprite).frameOffsetV, 1.0f - 1.0f / 3.0f - 1.0f / 3.0f);

  Post("animation_set_loop hero 0");
  EXPECT_FALSE(Group(sprite).loop);
  Post("animation_set_loop hero 7");
  EXPECT_TRUE(Group(sprite).loop);

  Post("set_animation_sheet hero jump");
  EXPECT_EQ(Group(sprite).currentSheet.texture, 22);
  EXPECT_EQ(components->GetComponent<TextureComponent>(sprite)->albedoTexture, 22);
  EXPECT_EQ(Group(sprite).clipFirstFrame, 4) << "the current clip name plays on the new sheet";

  testing::internal::CaptureStdout();
  const AnimationGroup before = Group(sprite);
  const char* ignored[] = {
      "set_animation_sheet hero nosuchsheet",
      "set_animation_frame hero x",
      "set_animation_frame hero 99999999999",
      "animation_set_loop hero",
      "animation_set_loop hero no",
      "play_animation ghost idle",
      "pause_animation ghost",
      "pause_animation",
      "play_animation hero",
      "set_animation_sheet hero jump walk",
  };
  for (const char* message : ignored) {
    Post(message);
    const AnimationGroup& after = Group(sprite);
    EXPECT_EQ(after.currentFrame, before.currentFrame) << message;
    EXPECT_EQ(after.loop, before.loop) << message;
    EXPECT_EQ(after.paused, before.paused) << message;
    EXPECT_EQ(after.currentSheet.texture, before.currentSheet.texture) << message;
  }
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(entities->FindEntity("ghost"), kNoEntity) << "no alias is added by a look-up";

  // An entity with the alias but no animation group.
  Add<TextureComponent>(CreateEntity("plain"));
  Post("play_animation plain run");
  Post("set_animation_sheet plain walk");
}

TEST_F(AnimationSystemTest, TheEventIsPostedOncePerEntryIntoItsFrame) {
  const int sprite = MakeSprite("hero");
  Group(sprite).sheets["walk"].clips[0].rate = 1.0f;  // 4 s per pass, one frame a second
  Group(sprite).currentSheet = Group(sprite).sheets["walk"];
  Group(sprite).PlayAnimation("run");
  // 60 updates a second for two passes: frame 2 is entered twice and shown for a second each.
  for (int i = 0; i < 60 * 9; ++i) animation->Update(1.0f / 60.0f);
  EXPECT_EQ(Count("log:step"), 2);

  // The first step after a restart enters the frame it shows, an event frame included.
  log.clear();
  Group(sprite).currentSheet.eventFrames = {0u};
  Post("animation_restart hero");
  animation->Update(1.0f / 60.0f);
  animation->Update(1.0f / 60.0f);
  EXPECT_EQ(Count("log:step"), 1);

  // A clip without frames or without a positive rate stays on its first frame.
  for (const AnimationClip& clip :
       {AnimationClip{"flat", 3, 3, 4.0f}, AnimationClip{"still", 0, 4, 0.0f},
        AnimationClip{"back", 0, 4, -2.0f}}) {
    Group(sprite).currentSheet.clips = {clip};
    Group(sprite).PlayAnimation(clip.name);
    for (int i = 0; i < 5; ++i) animation->Update(0.25f);
    EXPECT_EQ(Group(sprite).currentFrame, clip.firstFrame) << clip.name;
    EXPECT_TRUE(std::isfinite(Group(sprite).duration)) << clip.name;
  }
}

TEST_F(AnimationSystemTest, ADelayedCommandIsReleasedByTheFirstFinishedGroup) {
  const int hero = MakeSprite("hero");
  const int other = MakeSprite("other");
  Group(other).loop = false;
  Group(other).PlayAnimation("run");
  for (int i = 0; i < 5; ++i) animation->Update(0.25f);
  ASSERT_TRUE(Group(other).finished);

  Post("play_animation_delayed hero idle");
  Post("set_animation_sheet_delayed hero jump");
  EXPECT_TRUE(animation->delayedPending);
  log.clear();
  animation->Update(0.25f);
  const std::vector<std::string> released = {"log:set_animation_sheet hero jump",
                                             "log:play_animation hero idle"};
  EXPECT_EQ(log, released);
  EXPECT_FALSE(animation->delayedPending);
  EXPECT_EQ(Group(hero).currentSheet.texture, 22);
  EXPECT_EQ(Group(hero).currentClipName, "run") << "the jump sheet has no idle: its first clip";

  // A wrong word count arms the command with what was stored: nothing is posted on release.
  Post("play_animation_delayed hero");
  EXPECT_TRUE(animation->delayedPending);
  EXPECT_TRUE(animation->delayedAnimation.empty());
  log.clear();
  animation->Update(0.25f);
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(animation->delayedPending);
}

}  // namespace
