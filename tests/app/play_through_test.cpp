// The game played from its start to the results board by a recorded input file, as a player
// would: the splash gives way to the main menu, a clan is chosen and "play" clicked, the
// tutorial is taught and completed, the first level is reached, and the run is lost there by
// the player's death: the recorded walk drops it into a hole of the level until its health is
// gone, and the game itself ends the run. The harness has a home of its own
// (settings windowed at 1280 x 720, the default controls, no save marker), checks at each
// stage what the documents show, keeps a picture of each stage under the build folder, and
// checks that every recorded frame was played and that nothing printed an error line. Two
// replays of the same recording give the same diary entry and the same end.

#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "components/scene_system.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity.h"
#include "engine/entity_manager.h"
#include "engine/messaging_manager.h"
#include "engine/user_folders.h"
#include "gameplay/ring_system.h"
#include "platform/input_system.h"
#include "rml/rml.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/private_display.h"
#include "tests/support/recording_builder.h"
#include "tests/support/temp_folder.h"
#include "ui/base_menu.h"
#include "ui/game_hud.h"
#include "ui/menu_manager.h"
#include "ui/performance_diary.h"
// Last: their macros (None, Bool, Status...) would break the headers above.
#include <X11/Xlib.h>

extern "C" Display* glfwGetX11Display(void);
extern "C" Window glfwGetX11Window(GLFWwindow* window);

namespace {

using testing_support::RecordingBuilder;

// Where the real cursor is put before the first update; the replayed pointer starts there.
constexpr glm::vec2 kPointerOrigin{640.0f, 360.0f};

// Ground directions of the move actions (the level camera looks down the diagonal).
struct Walk {
  float across;
  float ahead;
};
constexpr Walk kTowardsPlusX{1.0f, -1.0f};
constexpr Walk kTowardsMinusX{-1.0f, 1.0f};
constexpr Walk kTowardsMinusZ{1.0f, 1.0f};
constexpr Walk kTowardsPlusZ{-1.0f, -1.0f};

// Updates of walking at the player's speed (7 units a second, 60 updates a second).
int FramesFor(float distance) { return static_cast<int>(distance / 7.0f * 60.0f + 0.5f); }

void WalkFor(RecordingBuilder& input, Walk walk, int frames) {
  input.Hold({{X_AXIS, walk.across}, {Y_AXIS, walk.ahead}}, frames);
}

// Faces the player along `walk` with one update of walking (an eighth of a unit).
void Face(RecordingBuilder& input, Walk walk) { WalkFor(input, walk, 1); }

// The tutorial, taught by input from the player's start (0, 0, 22) once the level shows. The map
// is 13 x 29 tiles of 2 units (tile column c at x = -12 + 2c, row r at z = -28 + 2r); the walls
// put the player at known places.
void PlayTutorial(RecordingBuilder& input) {
  input.Mark("tutorial dash").Press(DASH).Wait(40);
  // To the bottom right corner, (10.3, 26.3).
  WalkFor(input, kTowardsPlusX, 150);
  WalkFor(input, kTowardsPlusZ, 120);
  // Down the right wall to row 23 (z 18): lift the tile to the left, fire it across the room.
  WalkFor(input, kTowardsMinusZ, FramesFor(8.3f));
  Face(input, kTowardsMinusX);
  input.Mark("tutorial pick-up").Press(PICKUP_BLOCK).Wait(10);
  input.Mark("tutorial fire").Press(THROW_BLOCK).Wait(30);
  // Row 22: lift the tile to the left and step onto the hole it leaves: the block refills it.
  WalkFor(input, kTowardsMinusZ, FramesFor(2.0f));
  Face(input, kTowardsMinusX);
  input.Press(PICKUP_BLOCK).Wait(10);
  input.Mark("tutorial halo");
  WalkFor(input, kTowardsMinusX, 20);
  WalkFor(input, kTowardsPlusX, 30);
  // Rows 21 to 16: six more lifts, a full hand.
  input.Mark("tutorial full hand");
  for (int row = 21; row >= 16; --row) {
    WalkFor(input, kTowardsMinusZ, FramesFor(2.0f));
    Face(input, kTowardsMinusX);
    input.Press(PICKUP_BLOCK).Wait(5);
    WalkFor(input, kTowardsPlusX, 4);
  }
  // Down to z -10, level with the dummy at (0, -10): a block across the room hits it and the
  // left hand slides in.
  WalkFor(input, kTowardsMinusZ, FramesFor(14.0f));
  Face(input, kTowardsMinusX);
  input.Mark("tutorial dummy").Press(THROW_BLOCK).Wait(150);
  // Q sends the new ring to the left hand.
  input.Mark("tutorial left hand");
  input.Hold({{SEND_RING, 1.0f}}, 2).Wait(120);
  // Back up the wall to row 16 (z 4) and up column 10 over the holes of the lifts: four
  // refills bring in the right hand.
  input.Mark("tutorial refills");
  WalkFor(input, kTowardsPlusZ, FramesFor(14.0f));
  WalkFor(input, kTowardsMinusX, 20);
  WalkFor(input, kTowardsPlusZ, FramesFor(6.5f));
  input.Wait(150);
  // E sends a ring to the right hand: the bridge rises and the portal opens.
  input.Mark("tutorial right hand");
  input.Hold({{SEND_RING, -1.0f}}, 2).Wait(180);
  // Over to column 7 and up across the bridge onto the portal.
  input.Mark("tutorial portal");
  WalkFor(input, kTowardsMinusX, FramesFor(5.5f));
  WalkFor(input, kTowardsMinusZ, FramesFor(38.0f));
}

// The first level from the player's start, (9, 0, 11): the map is 16 x 16 tiles of 2 units
// (tile column c at x = -15 + 2c, row r at z = -15 + 2r), and its nearest hole is the tile at
// (7, 3). The player falls only once its body (a circle of radius 0.7) touches no ground, within
// 0.3 of the hole's middle. Each fall costs a point of health and puts the player back where it
// last stood on ground, the hole's corner (6, 4); three falls take the three points.
void FallToDeath(RecordingBuilder& input) {
  // Updates from the walk's end over the hole to the respawn, and a little more.
  constexpr int kFallFrames = 90;
  WalkFor(input, kTowardsMinusX, FramesFor(2.0f));
  WalkFor(input, kTowardsMinusZ, FramesFor(8.0f));
  input.Wait(kFallFrames);
  for (int fall = 2; fall <= 3; ++fall) {
    WalkFor(input, kTowardsPlusX, FramesFor(1.0f));
    WalkFor(input, kTowardsMinusZ, FramesFor(1.0f));
    input.Wait(kFallFrames);
  }
}

// The lines of `output` that tell of an error: a refused load, a failed scene or a script
// error. The sound library's lines about a machine without a sound card are not the game's.
std::string ErrorLines(const std::string& output) {
  std::istringstream lines(output);
  std::string found;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("ALSA lib ")) continue;
    if (testing_support::HasLoadErrorLine(line) || line.find("LUA ERROR") != std::string::npos) {
      found += line + "\n";
    }
  }
  return found;
}

// Window pixels of the middle of an element.
glm::vec2 Middle(Rml::Element* element) {
  const Rml::Vector2f offset = element->GetAbsoluteOffset(Rml::BoxArea::Border);
  const Rml::Vector2f size = element->GetBox().GetSize(Rml::BoxArea::Border);
  return {offset.x + size.x / 2.0f, offset.y + size.y / 2.0f};
}

// The main menu's clan half and its "play" word, where the documents lay them out in a
// 1280 x 720 window.
struct MenuTargets {
  glm::vec2 clan;
  glm::vec2 play;
};

// What a replay ends with.
struct RunEnd {
  nlohmann::json diaryEntry;  // the new entry's fields but its date
  std::string state;          // scene, HUD and board
};

class PlayThrough : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::UsePrivateDisplay()) << "no X server of the test's own";
    CreateUserFolders();
    std::ofstream(GetSaveDataFolder() + "/settings.json")
        << R"({"Fullscreen": 0, "WindowedResolution.X": 1280, "WindowedResolution.Y": 720})";
    artefacts = std::filesystem::path(KELVARIS_TEST_ARTEFACTS) / "play_through";
    std::filesystem::create_directories(artefacts);
  }

  void TearDown() override { game.reset(); }

  // Starts the game; a replay's pointer starts from kPointerOrigin. The window has no focus
  // under a bare X server, and GLFW moves the pointer only for a focused window: the pointer is
  // moved as the X server would.
  void StartGame() {
    // The game keeps what it prints while it starts and stops to itself; what it says on the
    // error stream is kept here.
    testing::internal::CaptureStderr();
    game = std::make_unique<testing_support::RunningGame>();
    output += testing::internal::GetCapturedStderr();
    GLFWwindow* window = glfwGetCurrentContext();
    XWarpPointer(glfwGetX11Display(), 0, glfwGetX11Window(window), 0, 0, 0, 0,
                 static_cast<int>(kPointerOrigin.x), static_cast<int>(kPointerOrigin.y));
    XSync(glfwGetX11Display(), False);
    menus = DECS::Instance().GetSystem<MenuManager>();
    input = DECS::Instance().GetSystem<InputSystem>();
  }

  void StopGame() {
    testing::internal::CaptureStderr();
    game.reset();
    output += testing::internal::GetCapturedStderr();
    menus.reset();
    input.reset();
  }

  // Where the menu's targets are: the game is started without a recording and shows the main
  // menu.
  MenuTargets FindMenuTargets() {
    StartGame();
    const bool shown = game->ShowScene("main_menu_scene");
    EXPECT_TRUE(shown) << "the main menu never finished fading in";
    Rml::ElementDocument* menu = MainMenuDocument();
    // The Floreth half is clicked on its word, which lets the pointer through to the half.
    Rml::ElementList words;
    if (Rml::Element* half = Element(menu, "left-section")) {
      half->GetElementsByClassName(words, "clan-word");
    }
    Rml::Element* clan = words.empty() ? nullptr : words.front();
    Rml::Element* play = Element(menu, "play-button");
    MenuTargets targets{};
    if (clan != nullptr && play != nullptr) targets = {Middle(clan), Middle(play)};
    EXPECT_TRUE(clan != nullptr && play != nullptr) << "the main menu has no clan half or play";
    StopGame();
    return targets;
  }

  // One update of the game; until the recording's end every update must be a replayed one.
  void Step() {
    // What the game prints in the update is kept, both streams.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    game->Step();
    output += testing::internal::GetCapturedStderr();
    output += testing::internal::GetCapturedStdout();
    if (input->frameCounter <= frameCount && !input->playback && replayEndedAt < 0) {
      replayEndedAt = input->frameCounter;
    }
  }

  // Steps until `frame` updates have run; the last of them is drawn.
  void StepTo(int frame) {
    while (input->frameCounter < frame - 1) Step();
    game->drawEvery = 1;
    Step();
    game->drawEvery = kDrawEvery;
  }

  std::string SceneName() const {
    return DECS::Instance().GetSystem<SceneSystem>()->CurrentSceneName();
  }

  Rml::ElementDocument* MainMenuDocument() const {
    const auto menu = menus != nullptr ? menus->GetMenu(MenuManager::kMainMenu) : nullptr;
    return menu != nullptr ? menu->Document() : nullptr;
  }
  Rml::ElementDocument* HudDocument() const {
    return menus != nullptr && menus->HUD() != nullptr ? menus->HUD()->Document() : nullptr;
  }

  void Shot(const std::string& run, const std::string& stage) {
    testing_support::SavePng((artefacts / (run + "_" + stage + ".png")).string(), game->picture);
  }

  static Rml::Element* Element(Rml::ElementDocument* document, const char* id) {
    return document != nullptr ? document->GetElementById(id) : nullptr;
  }
  static std::string Text(Rml::ElementDocument* document, const char* id) {
    Rml::Element* element = Element(document, id);
    return element != nullptr ? element->GetInnerRML() : std::string("(no #") + id + ")";
  }
  static bool Visible(Rml::ElementDocument* document) {
    return document != nullptr && document->IsVisible();
  }
  static bool Visible(Rml::ElementDocument* document, const char* id) {
    Rml::Element* element = Element(document, id);
    return element != nullptr && element->IsVisible(true);
  }

  // The diary's entries as the file holds them.
  static nlohmann::json DiaryEntries() {
    std::ifstream file(GetSaveDataFolder() + "/" + PerformanceDiary::kFileName);
    if (!file) return nlohmann::json::array();
    const nlohmann::json document = nlohmann::json::parse(file, nullptr, false);
    if (document.is_array()) return document;
    for (const auto& [key, value] : document.items()) {
      if (value.is_array()) return value;
    }
    return nlohmann::json::array();
  }

  // Plays the whole run from the recording; pictures are kept as "<run>_<stage>.png".
  RunEnd Replay(const std::string& run, const MenuTargets& targets);

  static constexpr int kDrawEvery = 10;

  testing_support::ScopedTempHome home;
  std::filesystem::path artefacts;
  std::unique_ptr<testing_support::RunningGame> game;
  std::shared_ptr<MenuManager> menus;
  std::shared_ptr<InputSystem> input;
  int frameCount = 0;
  int replayEndedAt = -1;
  std::string output;
};

RunEnd PlayThrough::Replay(const std::string& run, const MenuTargets& targets) {
  // No save marker and an empty diary: a first start.
  std::filesystem::remove(GetSaveDataFolder() + "/SAVE.json");
  std::filesystem::remove(GetSaveDataFolder() + "/" + PerformanceDiary::kFileName);
  output.clear();
  replayEndedAt = -1;

  RecordingBuilder recording(kPointerOrigin);
  recording.Wait(60).Mark("splash").Wait(720).Mark("main menu");
  // The Floreth half, then "play" (clicks well apart).
  recording.MovePointerTo(targets.clan).Wait(5).Click().Wait(20).Mark("clan chosen");
  recording.MovePointerTo(targets.play).Wait(5).Click().Wait(300).Mark("tutorial");
  PlayTutorial(recording);
  recording.Wait(200).Mark("transition").Wait(900).Mark("level");
  // Pause and resume with the back action, once the level has faded in.
  recording.Press(UI_BACK).Wait(30).Mark("paused").Press(UI_BACK).Wait(30);
  // The player falls into a hole until its health is gone.
  FallToDeath(recording);
  recording.Mark("death").Wait(60).Mark("results");
  recording.Write(7, 11);
  frameCount = recording.FrameCount();

  StartGame();
  game->drawEvery = kDrawEvery;
  EXPECT_TRUE(input->playback) << "the recording is not replayed";
  const auto at = [&](const char* stage) {
    StepTo(recording.MarkedFrame(stage));
    Shot(run, stage);
    return run + ", " + stage + ": ";
  };

  std::string where = at("splash");
  EXPECT_EQ(SceneName(), "splash_scene") << where;

  where = at("main menu");
  EXPECT_EQ(SceneName(), "main_menu_scene") << where;
  EXPECT_TRUE(Visible(MainMenuDocument())) << where;
  EXPECT_FALSE(Visible(HudDocument())) << where;

  where = at("clan chosen");
  EXPECT_TRUE(Element(MainMenuDocument(), "left-section") != nullptr &&
              Element(MainMenuDocument(), "left-section")->IsClassSet("selected"))
      << where << "the Floreth half is not chosen";

  where = at("tutorial");
  EXPECT_EQ(SceneName(), "levelt_scene") << where;
  EXPECT_FALSE(Visible(MainMenuDocument())) << where;
  EXPECT_TRUE(Visible(HudDocument())) << where;

  where = at("transition");
  EXPECT_EQ(SceneName(), "level0ToLevel1Transition_scene")
      << where << "the tutorial was not completed";

  where = at("level");
  EXPECT_EQ(SceneName(), "level1_scene") << where;
  EXPECT_TRUE(Visible(HudDocument())) << where;

  where = at("paused");
  const auto pause = menus != nullptr ? menus->GetMenu(MenuManager::kPauseMenu) : nullptr;
  EXPECT_TRUE(pause != nullptr && Visible(pause->Document()))
      << where << "the back action did not pause";

  where = at("death");
  EXPECT_TRUE(menus != nullptr && menus->HUD() != nullptr && menus->HUD()->HealthFraction() == 0.0f)
      << where << "the falls did not take the player's health";

  where = at("results");
  EXPECT_TRUE(Visible(HudDocument(), "results-container")) << where;
  RunEnd end;
  const std::string grade = Text(HudDocument(), "results-grade-value");
  EXPECT_FALSE(grade.empty()) << where;

  // Every recorded frame was played, and the replay ended with the recording.
  while (input->frameCounter < frameCount) Step();
  EXPECT_EQ(replayEndedAt, -1) << run << ": live input ended the replay at update "
                               << replayEndedAt;
  Step();
  EXPECT_FALSE(input->playback) << run << ": the replay went on past the recording";

  const nlohmann::json entries = DiaryEntries();
  EXPECT_EQ(entries.size(), 1u) << run << ": the diary does not hold the one run";
  if (!entries.empty()) {
    for (const char* field : {"grade", "score", "runType", "time", "timeMillis", "completed"}) {
      end.diaryEntry[field] = entries.back().value(field, nlohmann::json());
    }
  }
  std::ostringstream state;
  state << SceneName() << " | score " << Text(HudDocument(), "score-value") << " | grade " << grade
        << " | " << Text(HudDocument(), "results-score-value") << " | "
        << Text(HudDocument(), "results-time-value");
  end.state = state.str();
  StopGame();
  return end;
}

// The tutorial alone, from its load: every lesson is learned from the recorded input, and the
// player stepping onto the opened portal completes it (the save marker is written).
TEST_F(PlayThrough, TheTutorialIsTaughtAndCompletedByRecordedInput) {
  RecordingBuilder recording(kPointerOrigin);
  recording.Wait(150);
  PlayTutorial(recording);
  recording.Wait(30).Mark("end");
  recording.Write(7, 11);
  frameCount = recording.FrameCount();
  const std::string marker = GetSaveDataFolder() + "/SAVE.json";
  ASSERT_FALSE(std::filesystem::exists(marker));

  StartGame();
  game->drawEvery = kDrawEvery;
  DECS::Instance().GetManager<MessagingManager>()->PostFormatted("firstScene levelt_scene", 1);
  const auto rings = DECS::Instance().GetSystem<RingSystem>();
  ASSERT_NE(rings, nullptr);
  StepTo(recording.MarkedFrame("tutorial right hand"));
  Shot("tutorial", "right_hand");
  EXPECT_TRUE(rings->leftHandEnabled);
  EXPECT_TRUE(rings->rightHandEnabled) << "four refills did not bring in the right hand";
  EXPECT_EQ(rings->GetLeftHandRingsCount(), 1) << "Q did not send the ring to the left hand";
  StepTo(recording.MarkedFrame("tutorial portal"));
  Shot("tutorial", "portal");
  EXPECT_EQ(rings->GetRightHandRingsCount(), 1) << "E did not send the ring to the right hand";
  MessagingManager& messages = *DECS::Instance().GetManager<MessagingManager>();
  EXPECT_EQ(messages.PostFormatted("tilemap_get_group_collidable 3", 1), "1") << "bridge";
  EXPECT_EQ(messages.PostFormatted("tilemap_get_group_collidable 15", 1), "1") << "portal";
  EXPECT_FALSE(std::filesystem::exists(marker));
  EXPECT_EQ(ErrorLines(output), "");

  StepTo(recording.MarkedFrame("end"));
  EXPECT_TRUE(std::filesystem::exists(marker)) << "the tutorial was not completed";
  EXPECT_EQ(replayEndedAt, -1) << "live input ended the replay at update " << replayEndedAt;
}

TEST_F(PlayThrough, FromTheSplashToTheResultsTwiceAlike) {
  const MenuTargets targets = FindMenuTargets();
  EXPECT_EQ(ErrorLines(output), "") << "plain start";
  const RunEnd first = Replay("first", targets);
  EXPECT_EQ(ErrorLines(output), "") << "first replay";
  const RunEnd second = Replay("second", targets);
  EXPECT_EQ(ErrorLines(output), "") << "second replay";
  EXPECT_EQ(second.diaryEntry, first.diaryEntry);
  EXPECT_EQ(second.state, first.state);
}

// The win comes by the boss's words: the diary gets a completed run and the board shows the
// won result.
TEST_F(PlayThrough, TheBossesFallEndsTheRunWonInTheDiary) {
  StartGame();
  ASSERT_TRUE(game->ShowScene("final_boss_test_scene"));
  MessagingManager& messages = *DECS::Instance().GetManager<MessagingManager>();
  for (const char* word :
       {"boss_eliminated", "bliss_killed", "add_game_success_to_diary", "show_results win"}) {
    messages.PostFormatted("%s", 0, word);
  }
  for (int pass = 0; pass < 40; ++pass) game->Step();
  Shot("win", "results");
  EXPECT_TRUE(Visible(HudDocument(), "results-container"));
  ASSERT_NE(menus->HUD(), nullptr);
  EXPECT_TRUE(menus->HUD()->Results().run.won);
  EXPECT_FALSE(Text(HudDocument(), "results-grade-value").empty());
  const nlohmann::json entries = DiaryEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries.back().value("completed", false), true);
  StopGame();
  EXPECT_EQ(ErrorLines(output), "");
}

}  // namespace
