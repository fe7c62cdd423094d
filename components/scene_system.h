#pragma once
// SceneSystem: the loaded scenes, scene changes with a fade, per-scene post-processing settings
// and the save marker.
//
// A scene is "./GAME/Scenes/<name>.json", a scene document (components/entity_reader.h). Every
// entity it creates gets a SceneIdentifier naming the scene, so the scene can be popped whole;
// the system's entity set is exactly the entities with a SceneIdentifier.
//
// Messages handled:
//   "scene <name>"       fade `sceneTimer` 0 -> 1 over 2 s, then pop every scene, push <name>,
//                        fade 1 -> 0; ignored while a change is under way
//   "firstScene <name>"  pop every scene and push <name> at once, then fade 1 -> 0
//   "get_scene_timer"    replies with `sceneTimer` ("%f")
//   "CompletedTutorial"  writes the save marker once
// Scene names from messages are refused when empty or holding '/', '\\' or "..".
//
// Announcements and their levels, chosen by who listens:
//   "unloading_scene <base scene>"  level 1: only systems follow it (the menu manager)
//   "now_loading_scene"             level 1: systems (tile map, weather) re-arm for the scene
//   "done_loading_scene"            level 1: systems (the document system's results board)
//   "scene_load <name>"             level 0: DECS (level 4) restarts the shader time and
//                                   systems (level 1) rebuild what depends on the scene
//
// Failures: a scene file that is missing, unreadable or not a scene document is reported as
// "SceneSystem : failed to load scene '<name>': <what>" before anything is popped, so the loaded
// scenes stay; the transition still fades in and ends, clearing `isTransitioning` and turning
// the pause menu back on, so a later "scene" works. Bad entities are skipped by the entity
// reader. A settings file that cannot be read is reported and the previous settings stay.
//
// The system coordinates others it does not depend on, through SceneSystemLinks filled by the
// composition root: fades run on the action lists (without a tween link a fade ends at once),
// the document system's pause menu is switched off for a change, the settings name the graphics
// mode, and the post-processing chain receives each settings document. The main-menu fade
// tweens `mainMenuFade`, a value this system owns, and hands it on every frame; reading new
// settings cancels it first, so it never writes into pass lists that have been rebuilt.

#include <functional>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "components/prefab_cache.h"
#include "engine/base_system.h"
#include "engine/prefab_scenes.h"
#include "engine/type_name.h"

class ComponentManager;
class DECS;
class EntityManager;
class MessagingManager;
class SystemManager;

// What the scene system needs of the systems it coordinates. Every member may be empty: fades
// then end at once, the pause menu is left alone, the graphics mode is "Default" and settings
// documents go nowhere.
struct SceneSystemLinks {
  // Moves *target from `start` to `end` over `seconds` along easing curve `curve` (0..4), first
  // writing it in the next update; `completion` runs once after the end value is written. With
  // `runsWhilePaused` the tween also advances while the engine is paused. The scene system
  // keeps *target alive until the tween ends or is cancelled.
  std::function<void(float* target, float start, float end, float seconds, int curve,
                     std::function<void()> completion, bool runsWhilePaused)>
      tweenFloat;
  // Stops every tween writing to `target`, without writing end values or running completions.
  std::function<void(const float* target)> cancelTweensOn;
  // Turns the pause menu's handling off for the length of a scene change, and on again.
  std::function<void(bool enabled)> setPauseMenuEnabled;
  // The player's post-processing look ("Default", "Toon", "ScreenToned" or "Noir"), which names
  // the folder of per-scene settings.
  std::function<std::string()> graphicsModeName;
  // Replaces the post-processing pass lists with those of a scene settings document (its
  // "PostProcessingPipeline" member).
  std::function<void(const nlohmann::json& settings)> applySceneSettings;
  // The main-menu fade value: the first float parameter of the first pass of list 2 of the
  // lists most recently applied. Called on every frame while the fade runs, and never after a
  // later applySceneSettings.
  std::function<void(float value)> setMainMenuFade;
};

class SceneSystem : public BaseSystem, public PrefabScenes {
 public:
  // Looks for the save marker under GetSaveDataFolder().
  SceneSystem();

  void HandleMessage(const std::string& message) override;
  // Keeps the engine and its managers; the signature is {"class SceneIdentifier"}.
  void Init() override;
  // Starts the main-menu fade the first time "main_menu_scene" is loaded.
  void Update(float dt) override;
  // Hands the running main-menu fade's value to the settings sink.
  void Render() override;
  // Cancels this system's fades and pops every scene.
  void Shutdown() override;

  // Reads the scene file at `path` and pushes its entities as scene `name`: each gets a
  // SceneIdentifier naming the scene and the systems are told; the settings are read when it
  // is the only scene; logs "SceneSystem : Pushed scene from path '<path>'" and posts
  // "scene_load <name>". Returns false, with the failure reported and nothing changed, when the
  // file is missing or malformed.
  bool PushScene(const std::string& path, const std::string& name);
  // Destroys the entities tagged with the scene and forgets it; logs
  // "SceneSystem : Popped scene '<name>'".
  void PopScene(const std::string& name);
  void PopAllScenes();
  // With exactly one scene loaded: reads "GAME/Scenes/Settings/<graphics mode>/<file name of
  // path>" when it exists and hands it to the settings sink.
  void LoadSceneSettings(const std::string& path);
  // Completions of the two fades of a "scene" change.
  void OnFadeOutDone();
  void OnFadeInDone();

  // The scene pushed last among those still loaded, or an empty name.
  std::string CurrentSceneName() const;

  // Prefabs made while the game runs: read once into `prefabs`; owned by `sceneName` while it is
  // loaded, else by the current scene.
  const nlohmann::json* FindPrefab(const std::string& prefabName) override;
  std::string OwningScene(const std::string& sceneName) const override;

  // Replaces the links to the coordinated systems. An applySceneSettings link set after a scene
  // has loaded receives the current settings at once.
  void SetLinks(SceneSystemLinks newLinks);
  const SceneSystemLinks& Links() const { return links; }

  // "./GAME/Scenes/<name>.json".
  static std::string ScenePath(const std::string& name);

  static constexpr float kFadeSeconds = 2.0f;
  static constexpr int kFadeCurve = 3;

  // The engine and its managers, set by Init. Not owned: the managers own this system, so a
  // shared handle here would keep them alive in a cycle.
  DECS* engine = nullptr;
  SystemManager* systemManager = nullptr;
  ComponentManager* componentManager = nullptr;
  EntityManager* entityManager = nullptr;
  MessagingManager* messagingManager = nullptr;

  // The prefab files read so far, kept for the run (prefab_instantiation.h).
  PrefabCache prefabs;

  std::set<std::string> loadedScenes;
  // The scene pushed while no scene was loaded; named by "unloading_scene".
  std::string baseSceneName;
  // The settings document last read (null until one is): the scene's post-processing passes.
  nlohmann::json sceneSettings;
  std::string sceneSettingsPath;
  bool isTransitioning = false;
  // 0 = scene fully shown, 1 = faded out.
  float sceneTimer = 1.0f;
  // The tutorial has been completed: the save marker exists.
  bool saveFileExists = false;
  std::string saveFilePath;
  // The scene asked for by the last accepted "scene" message.
  std::string pendingSceneName;

  // The main-menu fade: started at most once per engine; `mainMenuFade` runs from 1 down to
  // the value the menu's settings give the float it feeds (0 when they give none).
  bool mainMenuFadeStarted = false;
  bool mainMenuFadeRunning = false;
  float mainMenuFade = 1.0f;

 private:
  void RequestSceneChange(const std::string& name);
  void LoadFirstScene(const std::string& name);
  void CompleteTutorial();
  // Reads and checks a scene file; reports and returns false when it is no scene document.
  bool ReadSceneFile(const std::string& path, const std::string& name, nlohmann::json& document);
  bool PushSceneDocument(const nlohmann::json& document, const std::string& path,
                         const std::string& name);
  void ReportSceneFailure(const std::string& name, const std::string& what) const;
  // A 2-second curve-3 tween that also runs while paused; ends at once without a tweener.
  void StartFade(float* target, float start, float end, std::function<void()> completion);
  void StopMainMenuFade();

  std::string GraphicsModeName() const;
  void SetPauseMenuEnabled(bool enabled) const;
  void CancelTweensOn(const float* target) const;

  // Loaded scene names in push order; the last is the current scene.
  std::vector<std::string> sceneStack;
  SceneSystemLinks links;
};
DECLARE_TYPE_NAME(class, SceneSystem);
