#include "components/scene_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "components/camera.h"
#include "components/component_registration.h"
#include "components/scene_identifier.h"
#include "components/texture_component.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/user_folders.h"
#include "platform/settings_system.h"
#include "scripting/action_list_system.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"
#include "ui/rml_system.h"

namespace {

using nlohmann::json;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

// Records what the scene system hands to the post-processing chain: "apply <marker>" for each
// settings document and "fade" for each main-menu fade value.
class RecordingSink final {
 public:
  void ApplySceneSettings(const json& settings) {
    events.push_back("apply " + settings.value("marker", std::string()));
  }
  void SetMainMenuFade(float value) {
    events.push_back("fade");
    fades.push_back(value);
  }
  std::vector<std::string> events;
  std::vector<float> fades;
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The scene system registered as in the game (settings first, then scenes, the action lists
// and the document system), in a temporary home and a fresh working folder. Two receivers log
// the announcements: "systems" at level 1 and "renderer" at level 3, so the log shows the level
// each was posted at.
class SceneSystemTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(work.path);
    RegisterAllComponents();
    settings = systems->RegisterSystem<SettingsSystem>().get();
    scenes = systems->RegisterSystem<SceneSystem>().get();
    actions = systems->RegisterSystem<ActionListSystem>().get();
    rml = systems->RegisterSystem<RMLSystem>().get();
    components = decs->GetManager<ComponentManager>().get();
    scenes->SetLinks(GameLinks());
    decs->AddChild(&systemsLog);
    decs->AddChild(&rendererLog);
  }
  void TearDown() override {
    std::filesystem::current_path(previousFolder);
    EngineFixture::TearDown();
  }

  static void Write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }
  static void WriteScene(const std::string& name, const std::string& text) {
    Write("GAME/Scenes/" + name + ".json", text);
  }
  static void WriteSettings(const std::string& mode, const std::string& scene,
                            const std::string& text) {
    Write("GAME/Scenes/Settings/" + mode + "/" + scene + ".json", text);
  }

  // The links the game makes: fades on the action lists, the document system's pause menu and
  // the settings' graphics mode.
  SceneSystemLinks GameLinks() {
    SceneSystemLinks links;
    links.tweenFloat = [this](float* target, float start, float end, float seconds, int curve,
                              std::function<void()> completion, bool runsWhilePaused) {
      actions->TweenFloat(target, start, end, seconds, curve, std::move(completion),
                          runsWhilePaused);
    };
    links.cancelTweensOn = [this](const float* target) { actions->CancelTweensOn(target); };
    links.setPauseMenuEnabled = [this](bool enabled) { rml->SetPauseMenuEnabled(enabled); };
    links.graphicsModeName = [this] { return settings->CurrentGraphicsModeName(); };
    return links;
  }
  // The game's links with `sink` in the post-processing chain's place.
  void UseSink(RecordingSink& sink) {
    SceneSystemLinks links = GameLinks();
    links.applySceneSettings = [&sink](const json& document) { sink.ApplySceneSettings(document); };
    links.setMainMenuFade = [&sink](float value) { sink.SetMainMenuFade(value); };
    scenes->SetLinks(std::move(links));
  }

  // Delivers a command to the scene system alone and returns its reply.
  std::string Send(const std::string& command) {
    return messaging->PostFormattedTo(scenes, "%s", 1, command.c_str());
  }

  void Step(double seconds = kStep) {
    clock->Advance(seconds);
    decs->Update();
  }
  void RunFor(double seconds) {
    for (double t = 0.0; t < seconds - 1e-9; t += kStep) Step();
  }
  bool StepUntil(const std::function<bool()>& done, double limitSeconds = 6.0) {
    for (double t = 0.0; t < limitSeconds && !done(); t += kStep) Step();
    return done();
  }
  bool Logged(const std::string& entry) const {
    return std::find(log.begin(), log.end(), entry) != log.end();
  }
  // Loads `name` with "firstScene" and waits for its fade-in to end.
  void ShowFirstScene(const std::string& name) {
    Send("firstScene " + name);
    ASSERT_TRUE(StepUntil([this] { return scenes->sceneTimer == 0.0f; }));
    log.clear();
  }
  int Named(const std::string& name) const { return entities->FindEntity(name); }

  static constexpr double kStep = 0.05;

  testing_support::ScopedTempHome home;  // before the scene system looks for the save marker
  testing_support::TempFolder work;
  std::filesystem::path previousFolder;
  std::vector<std::string> log;
  testing_support::RecordingReceiver systemsLog{"systems", 1, &log};
  testing_support::RecordingReceiver rendererLog{"renderer", 3, &log};
  SettingsSystem* settings = nullptr;
  SceneSystem* scenes = nullptr;
  ActionListSystem* actions = nullptr;
  RMLSystem* rml = nullptr;
  ComponentManager* components = nullptr;
};

TEST_F(SceneSystemTest, ASceneChangeFadesOutLoadsAndFadesInOnTheActionLists) {
  WriteScene("alpha", R"([{"alias": "A1"}, {"alias": "A2"}])");
  WriteScene("beta", R"([{"alias": "B1"}])");
  ShowFirstScene("alpha");
  EXPECT_FALSE(Logged("systems:now_loading_scene")) << "firstScene loads without announcements";

  decs->paused = true;  // the pause menu is open when the player picks the next scene
  Send("scene beta");
  EXPECT_TRUE(scenes->isTransitioning);
  EXPECT_FALSE(rml->pauseMenuEnabled);
  EXPECT_THAT(log, ElementsAre("systems:unloading_scene alpha"));

  Send("scene gamma");
  EXPECT_EQ(scenes->pendingSceneName, "beta") << "a second request is ignored";

  RunFor(1.5);
  EXPECT_GT(scenes->sceneTimer, 0.0f);
  EXPECT_LT(scenes->sceneTimer, 1.0f);
  EXPECT_NE(Named("A1"), kNoEntity);

  ASSERT_TRUE(StepUntil([this] { return Logged("systems:now_loading_scene"); }));
  EXPECT_EQ(Send("get_scene_timer"), "1.000000");
  EXPECT_EQ(Named("A1"), kNoEntity);
  EXPECT_NE(Named("B1"), kNoEntity);
  EXPECT_THAT(scenes->loadedScenes, ElementsAre("beta"));
  EXPECT_TRUE(scenes->isTransitioning);

  ASSERT_TRUE(StepUntil([this] { return Logged("systems:done_loading_scene"); }));
  EXPECT_EQ(Send("get_scene_timer"), "0.000000");
  EXPECT_FALSE(scenes->isTransitioning);
  EXPECT_TRUE(rml->pauseMenuEnabled);
  EXPECT_FALSE(decs->paused);
  EXPECT_THAT(log, ElementsAre("systems:unloading_scene alpha", "systems:scene_load beta",
                               "renderer:scene_load beta", "systems:now_loading_scene",
                               "systems:done_loading_scene"));
}

TEST_F(SceneSystemTest, AFailedSceneLoadLeavesTheGameAbleToLoadTheNextOne) {
  WriteScene("alpha", R"([{"alias": "A1"}])");
  WriteScene("beta", R"([{"alias": "B1"}])");
  WriteScene("broken", R"([{"alias": )");
  WriteScene("text", R"("not a scene")");
  ShowFirstScene("alpha");

  struct Case {
    const char* command;
    const char* scene;
    const char* reported;
  };
  const Case cases[] = {
      {"scene", "missing", "Unable to open file for reading: GAME/Scenes/missing.json"},
      {"scene", "broken", "parse_error"},
      {"scene", "text", "holds string"},
      {"firstScene", "missing", "Unable to open file for reading"},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    Send(std::string(c.command) + " " + c.scene);
    Step();
    StepUntil([this] { return !scenes->isTransitioning && scenes->sceneTimer == 0.0f; });
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_THAT(errors,
                HasSubstr("SceneSystem : failed to load scene '" + std::string(c.scene) + "': "))
        << c.scene;
    EXPECT_THAT(errors, HasSubstr(c.reported)) << c.scene;
    EXPECT_FALSE(scenes->isTransitioning) << c.scene;
    EXPECT_TRUE(rml->pauseMenuEnabled) << c.scene;
    EXPECT_THAT(scenes->loadedScenes, ElementsAre("alpha")) << c.scene;
    EXPECT_NE(Named("A1"), kNoEntity) << c.scene;
    EXPECT_THAT(log, Not(Contains(HasSubstr("scene_load")))) << c.scene;
  }

  Send("scene beta");
  ASSERT_TRUE(StepUntil([this] { return !scenes->isTransitioning; }));
  EXPECT_THAT(scenes->loadedScenes, ElementsAre("beta"));
  EXPECT_NE(Named("B1"), kNoEntity);
}

TEST_F(SceneSystemTest, SceneNamesThatLeaveTheSceneFolderAreRefused) {
  // Each of these would reach this file if it were taken as a path.
  Write("GAME/escape.json", R"([{"alias": "Escaped"}])");
  for (const char* command : {"scene ../escape", "firstScene ../escape", "firstScene ..\\escape",
                              "scene ..", "scene GAME/escape", "scene"}) {
    testing::internal::CaptureStderr();
    Send(command);
    RunFor(0.2);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), Not(IsEmpty())) << command;
    EXPECT_FALSE(scenes->isTransitioning) << command;
    EXPECT_THAT(scenes->loadedScenes, IsEmpty()) << command;
  }
  EXPECT_EQ(Named("Escaped"), kNoEntity);
}

TEST_F(SceneSystemTest, PoppingASceneDestroysOnlyTheEntitiesItOwns) {
  WriteScene(
      "alpha",
      R"([{"alias": "A1"}, {"alias": "Tagged", "class SceneIdentifier": {"_sceneName": "x"}}])");
  WriteScene("beta", R"([{"alias": "B1"}])");
  ASSERT_TRUE(scenes->PushScene("./GAME/Scenes/alpha.json", "alpha"));
  ASSERT_TRUE(scenes->PushScene("./GAME/Scenes/beta.json", "beta"));
  const int loose = entities->CreateEntity("Loose");
  EXPECT_EQ(scenes->baseSceneName, "alpha");
  EXPECT_EQ(scenes->CurrentSceneName(), "beta");
  EXPECT_EQ(components->GetComponent<SceneIdentifier>(Named("Tagged"))->_sceneName, "alpha");
  EXPECT_EQ(scenes->entities.size(), 3u);

  testing::internal::CaptureStdout();
  scenes->PopScene("alpha");
  EXPECT_THAT(testing::internal::GetCapturedStdout(),
              HasSubstr("SceneSystem : Popped scene 'alpha'\n"));
  EXPECT_EQ(Named("A1"), kNoEntity);
  EXPECT_EQ(Named("Tagged"), kNoEntity);
  EXPECT_NE(Named("B1"), kNoEntity);
  EXPECT_TRUE(entities->IsAlive(loose));
  EXPECT_THAT(scenes->loadedScenes, ElementsAre("beta"));
  EXPECT_EQ(scenes->CurrentSceneName(), "beta");
}

TEST_F(SceneSystemTest, SettingsAreReadForTheFirstSceneOnlyFromTheGraphicsModesFolder) {
  for (const char* scene : {"alpha", "beta", "gamma", "delta"}) WriteScene(scene, "[]");
  WriteSettings("Default", "alpha", R"({"marker": "alpha default"})");
  WriteSettings("Default", "beta", R"({"marker": "beta default"})");
  WriteSettings("Noir", "beta", R"({"marker": "beta noir"})");
  WriteSettings("Noir", "delta", R"({"marker": )");
  RecordingSink sink;
  UseSink(sink);

  scenes->PushScene("./GAME/Scenes/alpha.json", "alpha");
  scenes->PushScene("./GAME/Scenes/beta.json", "beta");
  EXPECT_EQ(scenes->sceneSettingsPath, "GAME/Scenes/Settings/Default/alpha.json");
  EXPECT_THAT(sink.events, ElementsAre("apply alpha default"));

  scenes->PopAllScenes();
  settings->GraphicsMode = 3;
  scenes->PushScene("./GAME/Scenes/beta.json", "beta");
  EXPECT_THAT(sink.events, ElementsAre("apply alpha default", "apply beta noir"));

  // A scene without settings, or with unreadable ones, keeps those in force.
  scenes->PopAllScenes();
  scenes->PushScene("./GAME/Scenes/gamma.json", "gamma");
  scenes->PopAllScenes();
  testing::internal::CaptureStderr();
  scenes->PushScene("./GAME/Scenes/delta.json", "delta");
  EXPECT_THAT(testing::internal::GetCapturedStderr(),
              HasSubstr("scene settings 'GAME/Scenes/Settings/Noir/delta.json' not read"));
  EXPECT_EQ(scenes->sceneSettings.value("marker", ""), "beta noir");
  EXPECT_EQ(sink.events.size(), 2u);

  RecordingSink lateSink;
  UseSink(lateSink);
  EXPECT_THAT(lateSink.events, ElementsAre("apply beta noir"));
}

TEST_F(SceneSystemTest, TheMainMenuFadeStopsWhenNewSettingsReplaceTheOnesItFeeds) {
  WriteScene("main_menu_scene", "[]");
  WriteScene("alpha", "[]");
  WriteSettings("Default", "main_menu_scene",
                R"({"marker": "menu", "PostProcessingPipeline": [[], [], [{"FloatData": [0]}]]})");
  WriteSettings("Default", "alpha", R"({"marker": "alpha", "PostProcessingPipeline": []})");
  RecordingSink sink;
  UseSink(sink);

  Send("firstScene main_menu_scene");
  RunFor(0.5);
  ASSERT_TRUE(scenes->mainMenuFadeRunning);
  ASSERT_GE(sink.fades.size(), 2u);
  EXPECT_LT(sink.fades.back(), sink.fades.front());

  Send("firstScene alpha");
  EXPECT_FALSE(scenes->mainMenuFadeRunning);
  RunFor(3.0);
  EXPECT_EQ(sink.events.back(), "apply alpha") << "no fade value after the new settings";
  for (const auto& record : actions->Actions<float>()) {
    EXPECT_NE(record.target, &scenes->mainMenuFade);
  }

  // The fade runs once per engine: the main menu coming back does not start it again.
  Send("firstScene main_menu_scene");
  RunFor(0.5);
  EXPECT_FALSE(scenes->mainMenuFadeRunning);
}

TEST_F(SceneSystemTest, AMainMenuWithoutAThirdPassListHasNothingToFade) {
  WriteScene("main_menu_scene", "[]");
  WriteSettings("Default", "main_menu_scene", R"({"PostProcessingPipeline": [[], []]})");
  RecordingSink sink;
  UseSink(sink);
  Send("firstScene main_menu_scene");
  RunFor(2.5);
  EXPECT_TRUE(scenes->mainMenuFadeStarted);
  EXPECT_THAT(sink.fades, IsEmpty());
}

// The main-menu fade runs from 1 down to the value the menu's settings give the float it feeds
// (kept within 0..1), or to 0 when they give none.
struct MainMenuFadeCase {
  const char* name;
  const char* pass;
  float end;
};

class MainMenuFadeEnd : public SceneSystemTest,
                        public testing::WithParamInterface<MainMenuFadeCase> {};

TEST_P(MainMenuFadeEnd, TheFadeEndsAtTheSettingsValue) {
  WriteScene("main_menu_scene", "[]");
  WriteSettings("Default", "main_menu_scene",
                std::string(R"({"PostProcessingPipeline": [[], [], [)") + GetParam().pass + "]]}");
  RecordingSink sink;
  UseSink(sink);
  Send("firstScene main_menu_scene");
  RunFor(3.0);
  ASSERT_FALSE(scenes->mainMenuFadeRunning);
  ASSERT_GE(sink.fades.size(), 2u);
  EXPECT_NEAR(sink.fades.front(), 1.0f, 0.1f);
  EXPECT_TRUE(std::is_sorted(sink.fades.rbegin(), sink.fades.rend())) << "the fade goes back up";
  EXPECT_FLOAT_EQ(sink.fades.back(), GetParam().end);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, MainMenuFadeEnd,
    testing::Values(MainMenuFadeCase{"Threshold", R"({"FloatData": [0.9]})", 0.9f},
                    MainMenuFadeCase{"Zero", R"({"FloatData": [0]})", 0.0f},
                    MainMenuFadeCase{"AboveOne", R"({"FloatData": [1.5]})", 1.0f},
                    MainMenuFadeCase{"Negative", R"({"FloatData": [-0.5]})", 0.0f},
                    MainMenuFadeCase{"NoFloats", R"({"FloatData": []})", 0.0f},
                    MainMenuFadeCase{"Text", R"({"FloatData": ["0.9"]})", 0.0f},
                    MainMenuFadeCase{"NoFloatData", R"({"Type": 0})", 0.0f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SceneSystemTest, CompletingTheTutorialWritesTheSaveMarkerOnce) {
  const std::filesystem::path marker = GetSaveDataFolder() + "/SAVE.json";
  EXPECT_FALSE(scenes->saveFileExists);

  // Without the save folder the marker cannot be written: reported, and tried again later.
  testing::internal::CaptureStderr();
  Send("CompletedTutorial");
  EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("save marker not written"));
  EXPECT_FALSE(scenes->saveFileExists);

  std::filesystem::create_directories(GetSaveDataFolder());
  Send("CompletedTutorial");
  EXPECT_TRUE(scenes->saveFileExists);
  EXPECT_EQ(ReadFile(marker), "null");

  std::ofstream(marker) << "written once";
  Send("CompletedTutorial");
  EXPECT_EQ(ReadFile(marker), "written once");
  EXPECT_TRUE(SceneSystem().saveFileExists) << "a later start finds the marker";
}

TEST_F(SceneSystemTest, TheGameScenesLoadWithoutErrors) {
  std::filesystem::current_path(previousFolder);
  RecordingSink sink;
  UseSink(sink);
  testing::internal::CaptureStderr();
  ShowFirstScene("splash_scene");
  const int camera = Named("SplashCamera");
  ASSERT_NE(camera, kNoEntity);
  EXPECT_EQ(components->GetComponent<Camera>(camera)->_frameBuffer, FramebufferLayer::SCENE);
  EXPECT_EQ(scenes->entities.size(), 7u);

  Send("scene main_menu_scene");
  ASSERT_TRUE(StepUntil([this] { return !scenes->isTransitioning; }));
  RunFor(0.2);
  EXPECT_THAT(testing::internal::GetCapturedStderr(), IsEmpty());
  const int panel = Named("MenuPanel");
  ASSERT_NE(panel, kNoEntity);
  EXPECT_TRUE(components->GetComponent<TextureComponent>(panel)->fromPrefab);
  EXPECT_FALSE(components->GetComponent<Transform>(panel)->fromPrefab);
  EXPECT_TRUE(scenes->mainMenuFadeStarted);
  EXPECT_EQ(std::count(sink.events.begin(), sink.events.end(), "apply "), 2)
      << "splash and menu settings were handed over";
  EXPECT_THAT(sink.events, Contains("fade")) << "the menu's settings have a pass to fade";

  // Every settings file holds at most eight pass lists of well-formed passes.
  for (const auto& entry : std::filesystem::recursive_directory_iterator("GAME/Scenes/Settings")) {
    if (!entry.is_regular_file()) continue;
    const std::string file = entry.path().string();
    const json document = json::parse(std::ifstream(entry.path()));
    const json& lists = document.at("PostProcessingPipeline");
    ASSERT_TRUE(lists.is_array()) << file;
    EXPECT_LE(lists.size(), 8u) << file;
    for (const json& passes : lists) {
      for (const json& pass : passes) {
        EXPECT_TRUE(pass.at("Type").is_number()) << file;
        EXPECT_LE(pass.at("IntData").size(), 10u) << file;
        EXPECT_LE(pass.at("FloatData").size(), 10u) << file;
        EXPECT_TRUE(pass.at("Enabled").is_boolean()) << file;
      }
    }
    if (entry.path().filename() == "main_menu_scene.json") {
      EXPECT_FALSE(lists.at(2).empty()) << file << ": the main-menu fade needs list 2";
    }
  }
}

}  // namespace
