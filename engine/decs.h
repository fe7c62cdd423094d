#pragma once
// DECS: the engine. It owns the four managers and the global shader values, is the root of the
// message tree (level 4), and runs one pass of the main loop per Update call:
//
//   1. sets the global float "time" (game time since the current scene loaded);
//   2. when more than 1/ups seconds have passed: one fixed update. dt is the real interval,
//      clamped to 0.1 s (exactly 1/60 s, with ups = fps = 60, while input is recorded or played
//      back); the global float "dt" is set; every system's Update gets dt * timeScale unless a
//      skip flag applies (frozen && freezable, paused && pausable);
//   3. when more than 1/fps seconds have passed: one frame. The window begins the frame, every
//      system renders, the renderer renders the frame, the window ends the frame;
//   4. the queued messages are delivered.
//
// There is no catch-up and no sleep. Lifecycle: DECS::CreateInstance() creates the engine (with
// the steady clock, or a clock of the caller's own), CreateManagers() adds the managers, systems
// are registered, Update runs until `quit`, and Shutdown() shuts every system down and destroys
// the engine, after which a new one may be created. Instance() only answers while an engine
// lives: it never makes one, and asking with none ends the program with a message.

#include <memory>
#include <string>
#include <unordered_map>

#include "engine/engine_clock.h"
#include "engine/engine_hooks.h"
#include "engine/global_uniforms.h"
#include "engine/message_receiver.h"
#include "engine/random_engines.h"
#include "engine/resource_provider.h"
#include "engine/type_name.h"

class BaseManager;
class SystemManager;
class MessagingManager;
class SoundLoader;
class DocumentLoader;
class PrefabScenes;

class DECS : public MessageReciever {
 public:
  explicit DECS(std::unique_ptr<EngineClock> clock);
  ~DECS() override;
  DECS(const DECS&) = delete;
  DECS& operator=(const DECS&) = delete;

  // The living engine; there must be one (see HasInstance).
  static DECS& Instance();
  // Creates the engine with the given clock, or the steady clock; there must be no engine yet
  // (otherwise the one there is stays, with a log line).
  static DECS& CreateInstance(std::unique_ptr<EngineClock> clock);
  static DECS& CreateInstance();
  static bool HasInstance();

  // The manager stored under the class's type name, or an empty handle.
  template <typename Manager>
  std::shared_ptr<Manager> GetManager() const {
    const auto found = managers.find(std::string(TypeName<Manager>()));
    return found != managers.end() ? std::static_pointer_cast<Manager>(found->second) : nullptr;
  }

  // The system of a class registered with the SystemManager, or an empty handle. Callers
  // include engine/system_manager.h.
  template <typename System, typename Systems = SystemManager>
  std::shared_ptr<System> GetSystem() const {
    const auto systems = GetManager<Systems>();
    return systems ? systems->template GetSystem<System>() : nullptr;
  }

  // Stores a manager under its type name (done by CreateManagers).
  void AddManager(std::string typeName, std::shared_ptr<BaseManager> manager);

  // One pass of the main loop (see above).
  void Update();

  // Handles the decs_ commands, "scene_load" and "entity_destroy".
  void HandleMessage(const std::string& message) override;

  // Destroys an entity across the engine: its components, its place in every system, its id and
  // name, and its script state. Ids outside 0..1023 are ignored.
  void DestroyEntity(int entity);

  // Runs every system's Shutdown in registration order, then destroys the engine. Nothing of the
  // engine may be used afterwards.
  void Shutdown();

  // Seconds of game time updated so far (sum of every dt, unscaled); the document library's
  // clock.
  double GetElapsedTime() const { return totalTime; }

  // The renderer that draws each frame after the systems have rendered; not owned.
  void SetFrameRenderer(FrameRenderer* renderer) { frameRenderer = renderer; }
  // The window that brackets each frame; not owned, may be null (no window: frames still run).
  void SetFrameHost(FrameHost* host) { frameHost = host; }
  // Whether input is recorded or replayed (fixed steps then); not owned, may be null.
  void SetInputReplayState(InputReplayState* state) { inputReplay = state; }
  // Where a destroyed entity's script state goes; not owned, may be null.
  void SetEntityScriptEraser(EntityScriptEraser* eraser) { scriptEraser = eraser; }
  // The script system as the engine knows it; null when there is none.
  EntityScriptEraser* EntityScripts() const { return scriptEraser; }

  // Where component load steps get textures, meshes and materials; not owned, may be null.
  void SetResourceProvider(ResourceProvider* provider) { resourceProvider = provider; }
  ResourceProvider* Resources() const { return resourceProvider; }
  // The provider of the running engine; null when there is no engine or no provider.
  static ResourceProvider* CurrentResources() {
    return HasInstance() ? Instance().Resources() : nullptr;
  }

  // Where SoundBank load steps load their sounds; not owned, may be null (nothing is loaded).
  void SetSoundLoader(SoundLoader* loader) { soundLoader = loader; }
  static SoundLoader* CurrentSoundLoader() {
    return HasInstance() ? Instance().soundLoader : nullptr;
  }

  // Where RMLDocument load steps get their documents; not owned, may be null (nothing loaded).
  void SetDocumentLoader(DocumentLoader* loader) { documentLoader = loader; }
  static DocumentLoader* CurrentDocumentLoader() {
    return HasInstance() ? Instance().documentLoader : nullptr;
  }

  // Where prefabs made while the game runs find their files and scene; not owned, may be null.
  void SetPrefabScenes(PrefabScenes* scenes) { prefabScenes = scenes; }
  static PrefabScenes* CurrentPrefabScenes() {
    return HasInstance() ? Instance().prefabScenes : nullptr;
  }

  const EngineClock& Clock() const { return *clock; }

  std::unordered_map<std::string, std::shared_ptr<BaseManager>> managers;
  GlobalUniforms globalUniforms;
  // The engine's random numbers: they go with the engine, and the next one starts afresh.
  RandomEngines randomEngines;

  double timeOrigin;
  double gameClock;
  double lastRenderTime;
  double lastUpdateTime;
  double deltaTime = 0.0;
  float timeScale = 1.0f;
  bool frozen = false;
  bool paused = false;
  bool quit = false;
  float fps = 120.0f;
  float ups = 120.0f;
  double totalTime = 0.0;

  // The fixed step while input is recorded or played back: 1/60 in single precision.
  static constexpr double kFixedStep = static_cast<double>(1.0f / 60.0f);
  static constexpr double kMaxDeltaTime = 0.1;

 private:
  void RunUpdate(double now);
  void RunRender(double now);

  std::unique_ptr<EngineClock> clock;
  SystemManager* systemManager = nullptr;
  MessagingManager* messagingManager = nullptr;

  FrameHost* frameHost = nullptr;
  InputReplayState* inputReplay = nullptr;
  EntityScriptEraser* scriptEraser = nullptr;
  FrameRenderer* frameRenderer = nullptr;
  ResourceProvider* resourceProvider = nullptr;
  SoundLoader* soundLoader = nullptr;
  DocumentLoader* documentLoader = nullptr;
  PrefabScenes* prefabScenes = nullptr;
};
DECLARE_TYPE_NAME(class, DECS);

// Creates the four managers under the living DECS and links them into the message tree (level 4
// over the System, Component, Entity and Messaging managers, in that order). Does nothing when
// the engine has its managers already.
void CreateManagers();
