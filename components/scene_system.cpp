#include "components/scene_system.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include "components/entity_reader.h"
#include "components/prefab_instantiation.h"
#include "components/scene_identifier.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/json_file.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "engine/user_folders.h"

using nlohmann::json;

namespace {

constexpr const char* kMainMenuScene = "main_menu_scene";

// The main-menu fade writes the first float of the first pass of list 2; without such a pass
// there is nothing to fade.
bool HasMainMenuFadePass(const json& settings) {
  if (!settings.is_object()) return false;
  const auto pipeline = settings.find("PostProcessingPipeline");
  return pipeline != settings.end() && pipeline->is_array() && pipeline->size() > 2 &&
         (*pipeline)[2].is_array() && !(*pipeline)[2].empty() && (*pipeline)[2][0].is_object();
}

// Where the main-menu fade ends: the value the settings themselves give that float (for the
// menu's glow, its threshold, so light below it never blooms once the fade is over), within
// 0..1; 0 when they give none. For settings that have the pass (HasMainMenuFadePass).
float MainMenuFadeEnd(const json& settings) {
  const json& pass = settings.at("PostProcessingPipeline").at(2).at(0);
  const auto floats = pass.find("FloatData");
  if (floats == pass.end() || !floats->is_array() || floats->empty() || !(*floats)[0].is_number()) {
    return 0.0f;
  }
  return std::clamp((*floats)[0].get<float>(), 0.0f, 1.0f);
}

}  // namespace

SceneSystem::SceneSystem() {
  try {
    saveFilePath = GetSaveDataFolder() + "/SAVE.json";
  } catch (const std::exception& error) {
    std::fprintf(stderr, "SceneSystem : no save folder, the tutorial counts as not completed: %s\n",
                 error.what());
    return;
  }
  std::error_code error;
  saveFileExists = std::filesystem::exists(saveFilePath, error);
  if (error) {
    std::fprintf(stderr, "SceneSystem : cannot check '%s': %s\n", saveFilePath.c_str(),
                 error.message().c_str());
  }
}

void SceneSystem::Init() {
  engine = &DECS::Instance();
  systemManager = engine->GetManager<SystemManager>().get();
  componentManager = engine->GetManager<ComponentManager>().get();
  entityManager = engine->GetManager<EntityManager>().get();
  messagingManager = engine->GetManager<MessagingManager>().get();
  if (systemManager != nullptr) {
    systemManager->SetSignature(TypeName<SceneSystem>(),
                                Signature{std::string(TypeName<SceneIdentifier>())});
  }
}

std::string SceneSystem::ScenePath(const std::string& name) {
  return "./GAME/Scenes/" + name + ".json";
}

std::string SceneSystem::GraphicsModeName() const {
  return links.graphicsModeName ? links.graphicsModeName() : "Default";
}

void SceneSystem::SetPauseMenuEnabled(bool enabled) const {
  if (links.setPauseMenuEnabled) links.setPauseMenuEnabled(enabled);
}

void SceneSystem::CancelTweensOn(const float* target) const {
  if (links.cancelTweensOn) links.cancelTweensOn(target);
}

void SceneSystem::HandleMessage(const std::string& message) {
  const bool scene = IsMessage(message, "scene");
  const bool firstScene = IsMessage(message, "firstScene");
  if (scene || firstScene) {
    std::string name;
    if (!ParseMessageArguments(message, name)) {
      std::fprintf(stderr, "SceneSystem : ignored '%s': it takes one scene name\n",
                   message.c_str());
      return;
    }
    if (!IsSafeDataName(name)) {
      std::fprintf(stderr,
                   "SceneSystem : refused scene name '%s': a scene name is not empty and holds "
                   "no '/', '\\' or \"..\"\n",
                   name.c_str());
      return;
    }
    if (scene) {
      RequestSceneChange(name);
    } else {
      LoadFirstScene(name);
    }
  } else if (IsMessage(message, "get_scene_timer")) {
    if (messagingManager != nullptr)
      messagingManager->ReplyFormatted("%f", static_cast<double>(sceneTimer));
  } else if (IsMessage(message, "CompletedTutorial")) {
    CompleteTutorial();
  }
}

void SceneSystem::RequestSceneChange(const std::string& name) {
  if (isTransitioning) return;
  pendingSceneName = name;
  isTransitioning = true;
  SetPauseMenuEnabled(false);
  // Announced before the fade starts, so that the order of the messages holds even when there
  // are no action lists and the whole change runs at once.
  if (messagingManager != nullptr) {
    messagingManager->PostFormatted("unloading_scene %s", 1, baseSceneName.c_str());
  }
  StartFade(&sceneTimer, 0.0f, 1.0f, [this] { OnFadeOutDone(); });
}

void SceneSystem::LoadFirstScene(const std::string& name) {
  const std::string path = ScenePath(name);
  json document;
  if (ReadSceneFile(path, name, document)) {
    PopAllScenes();
    PushSceneDocument(document, path, name);
  }
  StartFade(&sceneTimer, 1.0f, 0.0f, {});
}

void SceneSystem::OnFadeOutDone() {
  // The new scene is read before anything is popped: a scene that cannot be loaded leaves the
  // loaded ones in place, and the change still fades in and ends.
  const std::string name = pendingSceneName;
  const std::string path = ScenePath(name);
  json document;
  if (ReadSceneFile(path, name, document)) {
    PopAllScenes();
    if (PushSceneDocument(document, path, name) && messagingManager != nullptr) {
      messagingManager->PostFormatted("now_loading_scene", 1);
    }
  }
  StartFade(&sceneTimer, 1.0f, 0.0f, [this] { OnFadeInDone(); });
}

void SceneSystem::OnFadeInDone() {
  if (engine != nullptr) engine->paused = false;
  SetPauseMenuEnabled(true);
  if (messagingManager != nullptr) messagingManager->PostFormatted("done_loading_scene", 1);
  isTransitioning = false;
}

void SceneSystem::StartFade(float* target, float start, float end,
                            std::function<void()> completion) {
  if (links.tweenFloat) {
    links.tweenFloat(target, start, end, kFadeSeconds, kFadeCurve, std::move(completion),
                     /*runsWhilePaused=*/true);
    return;
  }
  *target = end;
  if (completion) completion();
}

void SceneSystem::ReportSceneFailure(const std::string& name, const std::string& what) const {
  std::fprintf(stderr, "SceneSystem : failed to load scene '%s': %s\n", name.c_str(), what.c_str());
}

bool SceneSystem::ReadSceneFile(const std::string& path, const std::string& name, json& document) {
  JsonFile file;
  std::string normalized = path;
  try {
    LoadJsonFile(file, normalized);
  } catch (const std::exception& error) {
    ReportSceneFailure(name, error.what());
    return false;
  }
  const json& loaded = file.document;
  if (!loaded.is_array() && !loaded.is_object() && !loaded.is_null()) {
    ReportSceneFailure(name, "'" + normalized + "' holds " + loaded.type_name() +
                                 ", not an array or object of entities");
    return false;
  }
  document = std::move(file.document);
  return true;
}

bool SceneSystem::PushScene(const std::string& path, const std::string& name) {
  json document;
  return ReadSceneFile(path, name, document) && PushSceneDocument(document, path, name);
}

bool SceneSystem::PushSceneDocument(const json& document, const std::string& path,
                                    const std::string& name) {
  if (componentManager == nullptr || entityManager == nullptr || systemManager == nullptr) {
    ReportSceneFailure(name, "the scene system has not been initialised");
    return false;
  }
  std::set<int> ids;
  try {
    ids = DeserializeEntities(document, path);
    for (const int entity : ids) {
      if (entityManager->signaturesById[entity].contains(TypeName<SceneIdentifier>())) {
        componentManager->GetComponent<SceneIdentifier>(entity)->_sceneName = name;
      } else {
        entityManager->AddToSignature<SceneIdentifier>(entity);
        SceneIdentifier identifier;
        identifier._sceneName = name;
        AddSceneIdentifier(*componentManager, entity, identifier);
      }
      const Signature signature = entityManager->signaturesById[entity];
      systemManager->EntitySignatureChanged(entity, signature);
    }
  } catch (const std::exception& error) {
    for (const int entity : ids) engine->DestroyEntity(entity);
    ReportSceneFailure(name, error.what());
    return false;
  }

  if (loadedScenes.empty()) baseSceneName = name;
  loadedScenes.insert(name);
  sceneStack.push_back(name);
  LoadSceneSettings(path);
  std::printf("SceneSystem : Pushed scene from path '%s'\n", path.c_str());
  // Scene changes are the landmarks of the log: keep them even when the process ends abruptly.
  std::fflush(stdout);
  if (messagingManager != nullptr)
    messagingManager->PostFormatted("scene_load %s", 0, name.c_str());
  return true;
}

void SceneSystem::PopScene(const std::string& name) {
  std::set<int> owned;
  for (const int entity : entities) {
    const SceneIdentifier* identifier =
        componentManager ? componentManager->GetComponent<SceneIdentifier>(entity) : nullptr;
    if (identifier != nullptr && identifier->_sceneName == name) owned.insert(entity);
  }
  for (const int entity : owned) engine->DestroyEntity(entity);
  loadedScenes.erase(name);
  std::erase(sceneStack, name);
  std::printf("SceneSystem : Popped scene '%s'\n", name.c_str());
  std::fflush(stdout);
}

void SceneSystem::PopAllScenes() {
  const std::set<std::string> names = loadedScenes;
  for (const std::string& name : names) PopScene(name);
}

std::string SceneSystem::CurrentSceneName() const {
  return sceneStack.empty() ? std::string() : sceneStack.back();
}

const nlohmann::json* SceneSystem::FindPrefab(const std::string& prefabName) {
  return prefabs.Find(prefabName);
}

std::string SceneSystem::OwningScene(const std::string& sceneName) const {
  if (!sceneName.empty() && loadedScenes.contains(sceneName)) return sceneName;
  return CurrentSceneName();
}

void SceneSystem::LoadSceneSettings(const std::string& path) {
  // Settings follow the first scene pushed onto an empty set; scenes pushed on top share them.
  if (loadedScenes.size() != 1) return;

  const std::size_t separator = path.find_last_of("/\\");
  const std::string fileName = separator == std::string::npos ? path : path.substr(separator + 1);
  sceneSettingsPath = "GAME/Scenes/Settings/" + GraphicsModeName() + "/" + fileName;

  std::error_code error;
  if (!std::filesystem::exists(sceneSettingsPath, error)) {
    if (error) {
      std::fprintf(stderr, "SceneSystem : cannot check '%s': %s\n", sceneSettingsPath.c_str(),
                   error.message().c_str());
    }
    return;
  }
  JsonFile file;
  std::string settingsPath = sceneSettingsPath;
  try {
    LoadJsonFile(file, settingsPath);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "SceneSystem : scene settings '%s' not read, the previous ones stay: %s\n",
                 settingsPath.c_str(), failure.what());
    return;
  }
  // The main-menu fade feeds the pass lists being replaced: it ends here.
  StopMainMenuFade();
  sceneSettings = std::move(file.document);
  if (links.applySceneSettings) links.applySceneSettings(sceneSettings);
}

void SceneSystem::SetLinks(SceneSystemLinks newLinks) {
  links = std::move(newLinks);
  if (links.applySceneSettings && !sceneSettings.is_null()) links.applySceneSettings(sceneSettings);
}

void SceneSystem::Update(float /*dt*/) {
  if (mainMenuFadeStarted || !loadedScenes.contains(kMainMenuScene)) return;
  mainMenuFadeStarted = true;
  // Settings without a third pass list, or with an empty one, have nothing to fade.
  if (!HasMainMenuFadePass(sceneSettings)) return;
  mainMenuFadeRunning = true;
  StartFade(&mainMenuFade, 1.0f, MainMenuFadeEnd(sceneSettings), [this] {
    mainMenuFadeRunning = false;
    if (links.setMainMenuFade) links.setMainMenuFade(mainMenuFade);
  });
}

void SceneSystem::Render() {
  if (mainMenuFadeRunning && links.setMainMenuFade) links.setMainMenuFade(mainMenuFade);
}

void SceneSystem::StopMainMenuFade() {
  if (!mainMenuFadeRunning) return;
  CancelTweensOn(&mainMenuFade);
  mainMenuFadeRunning = false;
}

void SceneSystem::Shutdown() {
  CancelTweensOn(&sceneTimer);
  CancelTweensOn(&mainMenuFade);
  mainMenuFadeRunning = false;
  PopAllScenes();
}

void SceneSystem::CompleteTutorial() {
  if (saveFileExists) return;
  if (saveFilePath.empty()) {
    std::fprintf(stderr, "SceneSystem : save marker not written: there is no save folder\n");
    return;
  }
  JsonFile marker;  // its document is null
  std::string path = saveFilePath;
  try {
    SaveJsonFile(marker, path);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "SceneSystem : save marker not written: %s\n", error.what());
    return;
  }
  saveFileExists = true;
}
