#include "app/system_wiring.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/system_registration.h"
#include "audio/sound_emitter_system.h"
#include "audio/sound_system.h"
#include "components/prefab_instantiation.h"
#include "components/scene_system.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/system_manager.h"
#include "gameplay/grass_system.h"
#include "gameplay/particle_system.h"
#include "gameplay/ring_system.h"
#include "gameplay/weather_system.h"
#include "gameplay/wind_system.h"
#include "physics/collision_system.h"
#include "physics/physics_system.h"
#include "physics/tilemap_system.h"
#include "platform/input_system.h"
#include "platform/platform_system.h"
#include "platform/settings_system.h"
#include "render/camera_system.h"
#include "render/light_system.h"
#include "render/post_processing.h"
#include "render/render_context.h"
#include "render/renderer.h"
#include "render/resource_cache.h"
#include "render/sprite_text_system.h"
#include "render/standard_entity_renderer.h"
#include "render/ttf_system.h"
#include "render/ui_render_interface.h"
#include "rml/rml.h"
#include "scripting/action_list_system.h"
#include "scripting/lua_script_system.h"
#include "ui/game_hud.h"
#include "ui/menu_manager.h"
#include "ui/rml_event_handler.h"
#include "ui/rml_system.h"

namespace {

// The scene system's current scene name, asked each time; empty once the system is gone.
std::function<std::string()> CurrentSceneName(const std::shared_ptr<SceneSystem>& scenes) {
  return [scenes = std::weak_ptr<SceneSystem>(scenes)] {
    const auto system = scenes.lock();
    return system ? system->CurrentSceneName() : std::string();
  };
}

// The engine loop: the window brackets frames, the renderer draws them, input decides the
// fixed step, and destroyed entities leave the script system.
void WireEngineLoop(DECS& decs, RenderContext& context, PlatformSystem& platform,
                    InputSystem& input, LuaScriptSystem& scripts) {
  decs.SetFrameHost(&platform);
  decs.SetInputReplayState(&input);
  decs.SetEntityScriptEraser(&scripts);
  decs.SetFrameRenderer(&context.GetRenderer());
  decs.SetResourceProvider(&context.Resources());
  context.AddTeardownStep([&decs, renderer = &context.GetRenderer()] {
    decs.SetFrameRenderer(nullptr);
    decs.SetResourceProvider(nullptr);
    decs.RemoveChild(renderer);
  });
}

// The window's size reaches the renderer's layers; the render context goes before the window.
void WireWindow(PlatformSystem& platform, RenderContext& context) {
  platform.onViewportResized = [renderer = &context.GetRenderer()](int, int) {
    renderer->Resize();
  };
  platform.beforeWindowCloses = [] { DestroyRenderContext(); };
  context.AddTeardownStep([&platform] { platform.onViewportResized = nullptr; });
}

// The systems that queue draws and the renderer's view of cameras and lights.
void WireDrawing(RenderContext& context, const SystemManager& systems) {
  Renderer& renderer = context.GetRenderer();
  const auto standard = systems.GetSystem<StandardEntityRenderer>();
  const auto ttf = systems.GetSystem<TTFSystem>();
  const auto spriteText = systems.GetSystem<SpriteTextSystem>();
  const auto physics = systems.GetSystem<PhysicsSystem>();
  const auto tilemap = systems.GetSystem<TilemapSystem>();
  const auto collision = systems.GetSystem<CollisionSystem>();
  standard->SetDrawQueue(&renderer);
  ttf->SetDrawQueue(&renderer);
  physics->SetDrawQueue(&renderer);
  tilemap->SetDrawQueue(&renderer);
  collision->SetDrawQueue(&renderer);
  renderer.UseSystems(systems.GetSystem<CameraSystem>(), systems.GetSystem<LightSystem>());
  context.AddTeardownStep([standard, ttf, spriteText, physics, tilemap, collision] {
    standard->SetDrawQueue(nullptr);
    ttf->SetDrawQueue(nullptr);
    physics->SetDrawQueue(nullptr);
    tilemap->SetDrawQueue(nullptr);
    collision->SetDrawQueue(nullptr);
    spriteText->ReleaseCanvas();
  });
}

// The scene camera's (layer 1) position; the origin while there is none.
std::function<glm::vec3()> SceneCameraPosition(const std::shared_ptr<CameraSystem>& cameras) {
  return [cameras = std::weak_ptr<CameraSystem>(cameras)] {
    const auto system = cameras.lock();
    const LayerCamera* camera = system ? system->FindLayerCamera(1) : nullptr;
    return camera ? camera->position : glm::vec3(0.0f);
  };
}

// The post-processing chain follows the scene fade and the scene camera.
void WirePostProcessing(RenderContext& context, const std::shared_ptr<SceneSystem>& scenes,
                        const std::shared_ptr<CameraSystem>& cameras) {
  PostProcessingChain& chain = context.PostProcessing();
  chain.SetSceneFadeSource([scenes = std::weak_ptr<SceneSystem>(scenes)] {
    const auto system = scenes.lock();
    return system ? system->sceneTimer : 0.0f;
  });
  chain.SetCameraPositionSource(SceneCameraPosition(cameras));
}

// The scene system's fades, pause-menu switch, graphics mode and settings documents.
void WireScenes(RenderContext& context, SceneSystem& scenes, ActionListSystem& actions,
                RMLSystem& documents, SettingsSystem& settings) {
  SceneSystemLinks links;
  links.tweenFloat = [&actions](float* target, float start, float end, float seconds, int curve,
                                std::function<void()> completion, bool runsWhilePaused) {
    actions.TweenFloat(target, start, end, seconds, curve, std::move(completion), runsWhilePaused);
  };
  links.cancelTweensOn = [&actions](const float* target) { actions.CancelTweensOn(target); };
  links.setPauseMenuEnabled = [&documents](bool enabled) {
    documents.SetPauseMenuEnabled(enabled);
  };
  links.graphicsModeName = [&settings] { return settings.CurrentGraphicsModeName(); };
  PostProcessingChain* chain = &context.PostProcessing();
  links.applySceneSettings = [chain](const nlohmann::json& document) {
    chain->ApplySceneSettings(document);
  };
  links.setMainMenuFade = [chain](float value) { chain->SetMainMenuFade(value); };
  scenes.SetLinks(std::move(links));

  // Without the chain, settings documents go nowhere; the fades and the rest stay linked.
  context.AddTeardownStep([&scenes] {
    SceneSystemLinks remaining = scenes.Links();
    remaining.applySceneSettings = nullptr;
    remaining.setMainMenuFade = nullptr;
    scenes.SetLinks(std::move(remaining));
  });
}

// Collision asks the tile world which tile groups are solid.
void WireTileWorld(CollisionSystem& collision, const std::shared_ptr<TilemapSystem>& tilemap) {
  collision.SetTileWorld(
      {.isGroupCollidable = [tiles = std::weak_ptr<TilemapSystem>(tilemap)](int group) {
        const auto system = tiles.lock();
        return system == nullptr || system->IsGroupCollidable(group);
      }});
}

// Sound banks load through the sound system; emitters draw their debug circles on the renderer.
void WireAudio(DECS& decs, RenderContext& context, const SystemManager& systems) {
  const auto sound = systems.GetSystem<SoundSystem>();
  decs.SetSoundLoader(sound.get());
  const auto emitters = systems.GetSystem<SoundEmitterSystem>();
  emitters->SetDrawQueue(&context.GetRenderer());
  context.AddTeardownStep([emitters] { emitters->SetDrawQueue(nullptr); });
}

// The settings' graphics quality, full quality once the settings are gone.
std::function<int()> GraphicsQualitySource(const std::shared_ptr<SettingsSystem>& settings) {
  return [settings = std::weak_ptr<SettingsSystem>(settings)] {
    const auto system = settings.lock();
    return system ? system->GraphicsQuality : 2;
  };
}

// Particles rest at low graphics quality, scatter over foliage near the scene camera and queue
// their draws on the renderer.
void WireParticles(RenderContext& context, const std::shared_ptr<ParticleSystem>& particles,
                   const std::shared_ptr<SettingsSystem>& settings,
                   const std::shared_ptr<CameraSystem>& cameras) {
  particles->SetLinks({.graphicsQuality = GraphicsQualitySource(settings),
                       .cameraPosition = SceneCameraPosition(cameras)});
  particles->SetDrawQueue(&context.GetRenderer());
  context.AddTeardownStep([particles] { particles->SetDrawQueue(nullptr); });
}

// The grass grows and presses on the render context's GL context and draws into the scene
// layer (before the wind's view); it rests at graphics quality 0.
void WireGrass(RenderContext& context, const std::shared_ptr<GrassSystem>& grass,
               const std::shared_ptr<SettingsSystem>& settings) {
  grass->SetLinks({.graphicsQuality = GraphicsQualitySource(settings)});
  grass->AttachGpu(context.Resources());
  context.GetRenderer().AddSceneLayerDrawer(grass.get());
  context.AddTeardownStep([grass] { grass->ReleaseGpu(); });
}

// The wind computes its grid on the render context's GL context and draws its view into the
// scene layer; its buffers go before the context.
void WireWind(RenderContext& context, const std::shared_ptr<WindSystem>& wind) {
  wind->AttachGpu(context.Resources());
  context.GetRenderer().AddSceneLayerDrawer(wind.get());
  context.AddTeardownStep([wind] { wind->ReleaseGpu(); });
}

// The weather spawns into the current scene, steers the wind and fades the rain ambience.
void WireWeather(WeatherSystem& weather, const std::shared_ptr<SceneSystem>& scenes,
                 const std::shared_ptr<WindSystem>& wind,
                 const std::shared_ptr<SoundSystem>& sound) {
  WeatherSystemLinks links;
  links.currentSceneName = CurrentSceneName(scenes);
  links.instantiatePrefab = [](const std::string& prefab) {
    return InstantiatePrefabInScene(prefab, "", "");
  };
  links.setWindScrollStrength = [wind = std::weak_ptr<WindSystem>(wind)](float strength) {
    if (const auto system = wind.lock()) system->SetScrollStrength(strength);
  };
  links.fadeOutChannels = [sound = std::weak_ptr<SoundSystem>(sound)](const std::string& alias) {
    if (const auto system = sound.lock()) system->FadeOutChannels(alias);
  };
  weather.SetLinks(std::move(links));
}

// The documents' animations and transitions run on the engine's clock, so a test that moves
// that clock sees them where the game's time says.
class EngineClockDocumentTime final : public Rml::SystemInterface {
 public:
  explicit EngineClockDocumentTime(const DECS& decs) : decs(decs) {}
  double GetElapsedTime() override { return decs.Clock().Now(); }

 private:
  const DECS& decs;
};

// The documents draw through the renderer on the menu layer and read the window, the input and
// the scene; components load their documents through the document system. The library shuts
// down while the render context is still whole.
void WireDocuments(DECS& decs, RenderContext& context, const SystemManager& systems,
                   const std::shared_ptr<PlatformSystem>& platform,
                   const std::shared_ptr<SceneSystem>& scenes) {
  const auto documents = systems.GetSystem<RMLSystem>();
  const auto input = systems.GetSystem<InputSystem>();
  const auto cameras = systems.GetSystem<CameraSystem>();
  Renderer* renderer = &context.GetRenderer();

  UiRenderLinks drawing;
  drawing.framebufferSize = [renderer] {
    Framebuffer& layer = renderer->LayerFramebuffer(UiRenderInterface::kMenuLayer);
    return glm::ivec2(layer.Width(), layer.Height());
  };
  // The renderer draws the menu layer with its own camera, else the scene camera.
  drawing.layerViewProjection = [cameras = std::weak_ptr<CameraSystem>(cameras)] {
    const auto system = cameras.lock();
    if (!system) return glm::mat4(1.0f);
    const LayerCamera* camera = system->FindLayerCamera(UiRenderInterface::kMenuLayer);
    if (camera == nullptr) camera = system->FindLayerCamera(1);
    return camera != nullptr ? camera->viewProjection : glm::mat4(1.0f);
  };
  drawing.meshReleased = [renderer](int mesh) { renderer->ForgetMesh(mesh); };
  drawing.depth = &renderer->uiDepth;
  auto ui = std::make_shared<UiRenderInterface>(context.Resources(), *renderer, std::move(drawing));

  RMLSystemLinks links;
  links.windowSize = [platform = std::weak_ptr<PlatformSystem>(platform)] {
    const auto system = platform.lock();
    if (!system) return glm::ivec2(0);
    return glm::ivec2(static_cast<int>(system->viewportWidth),
                      static_cast<int>(system->viewportHeight));
  };
  // While a recording plays back, recorded pointer movement moves the documents' pointer.
  links.pointerPosition = [input] { return input->GetPointerPosition(); };
  links.wheelDelta = [input] { return input->GetWheelDelta(); };
  links.interactTriggered = [input] { return input->IsActionTriggered(UI_INTERACT); };
  links.interactReleased = [input] { return input->IsActionReleased(UI_INTERACT); };
  links.backTriggered = [input] { return input->IsActionTriggered(UI_BACK); };
  links.windowFocused = [platform = std::weak_ptr<PlatformSystem>(platform)] {
    const auto system = platform.lock();
    return system == nullptr || system->focused;
  };
  links.setCursorNormal = [input](bool normal) {
    input->HandleMessage(normal ? "mouse_mode normal" : "mouse_mode locked");
  };
  links.currentSceneName = CurrentSceneName(scenes);
  links.openMenuDocument = [menus = std::weak_ptr<MenuManager>(systems.GetSystem<MenuManager>())] {
    const auto system = menus.lock();
    return system ? system->OpenMenuDocument() : nullptr;
  };
  documents->SetLinks(std::move(links));
  auto documentTime = std::make_shared<EngineClockDocumentTime>(decs);
  Rml::SetSystemInterface(documentTime.get());
  documents->AttachRenderInterface(ui.get());
  decs.SetDocumentLoader(documents.get());
  context.AddTeardownStep([documents, ui, documentTime, &decs] {
    decs.SetDocumentLoader(nullptr);
    documents->AttachRenderInterface(nullptr);
    Rml::SetSystemInterface(nullptr);
    ui->Close();
  });
}

// The event handler attaches its listener to the documents of the RML system's context.
void WireEventHandler(RMLEventHandler& handler, const std::shared_ptr<RMLSystem>& documents) {
  handler.SetLinks({.context = [documents = std::weak_ptr<RMLSystem>(documents)] {
    const auto system = documents.lock();
    return system ? system->GetContext() : nullptr;
  }});
}

// The main menu starts a run: the HUD takes the clan and the health, the engine's menu pause
// ends, the scene system says whether the tutorial was completed, the weather is drawn anew;
// the diary's wheel scrolling parks the window's cursor.
MainMenuLinks MainMenuReach(DECS& decs, const SystemManager& systems,
                            const std::shared_ptr<MenuManager>& menus) {
  const std::weak_ptr<MenuManager> weakMenus = menus;
  const auto hudOf = [weakMenus]() -> GameHUD* {
    const auto system = weakMenus.lock();
    return system ? system->HUD() : nullptr;
  };
  const auto input = systems.GetSystem<InputSystem>();
  const std::weak_ptr<PlatformSystem> platform = systems.GetSystem<PlatformSystem>();
  const std::weak_ptr<SceneSystem> scenes = systems.GetSystem<SceneSystem>();
  const std::weak_ptr<WeatherSystem> weather = systems.GetSystem<WeatherSystem>();
  MainMenuLinks links;
  links.setHudClan = [hudOf](Clan clan) {
    if (GameHUD* hud = hudOf()) hud->SetClan(clan);
  };
  links.clearMenuPause = [&decs] { decs.paused = false; };
  links.tutorialCompleted = [scenes] {
    const auto system = scenes.lock();
    return system && system->saveFileExists;
  };
  links.rerollWeather = [weather] {
    if (const auto system = weather.lock()) system->RollWeather();
  };
  links.wheelDelta = [input] { return input->GetWheelDelta(); };
  links.cursorPosition = [input] { return input->GetCursorPosition(); };
  links.moveCursor = [platform](glm::vec2 position) {
    const auto system = platform.lock();
    if (system && system->window != nullptr) {
      glfwSetCursorPos(system->window, position.x, position.y);
    }
  };
  links.setCursorHidden = [input](bool hidden) {
    input->HandleMessage(hidden ? "mouse_mode hidden" : "mouse_mode normal");
  };
  links.steadySeconds = [&decs] { return decs.Clock().Now(); };
  return links;
}

// The menus and the HUD: built on the RML system's context once it runs, fed by the input, the
// settings, the sound system and the scene (the HUD's hints); they let go of their documents
// before the library shuts down.
void WireMenus(DECS& decs, RenderContext& context, const SystemManager& systems,
               const std::shared_ptr<SettingsSystem>& settings) {
  const auto menus = systems.GetSystem<MenuManager>();
  const auto input = systems.GetSystem<InputSystem>();
  const auto sound = std::weak_ptr<SoundSystem>(systems.GetSystem<SoundSystem>());
  MenuManagerLinks links;
  links.skipTriggered = [input] { return input->IsActionTriggered(SKIP); };
  links.backTriggered = [input] { return input->IsActionTriggered(UI_BACK); };
  links.sendRingRange = [input] { return input->GetActionRangeVal(SEND_RING); };
  // The boss level's tutorial hints wait until its boss exists.
  links.hints.currentSceneName = CurrentSceneName(systems.GetSystem<SceneSystem>());
  links.hints.entityWithAliasExists = [&decs](const std::string& alias) {
    const auto entities = decs.GetManager<EntityManager>();
    return entities != nullptr && entities->FindEntity(alias) != kNoEntity;
  };
  links.setVolume = [sound](const std::string& channel, float volume) {
    const auto system = sound.lock();
    if (!system) return;
    if (channel == "master") system->SetPlayerVolume(volume);
    if (channel == "music") system->musicVolume = volume;
    if (channel == "sfx") system->effectVolume = volume;
  };
  const std::weak_ptr<SettingsSystem> weakSettings = settings;
  links.settings.load = [weakSettings] {
    if (const auto system = weakSettings.lock()) system->LoadSettings();
  };
  links.settings.save = [weakSettings] {
    const auto system = weakSettings.lock();
    return system && system->SaveSettings();
  };
  links.settings.windowedResolution = [weakSettings] {
    const auto system = weakSettings.lock();
    return system ? system->WindowedResolution : glm::ivec2(1280, 720);
  };
  links.settings.fullscreen = [weakSettings] {
    const auto system = weakSettings.lock();
    return system && system->Fullscreen != 0;
  };
  links.settings.muteAudio = [weakSettings] {
    const auto system = weakSettings.lock();
    return system && system->MuteAudio != 0;
  };
  links.mainMenu = MainMenuReach(decs, systems, menus);
  menus->SetLinks(std::move(links));
  menus->Attach(systems.GetSystem<RMLSystem>(), systems.GetSystem<RMLEventHandler>());
  context.AddTeardownStep([menus] { menus->DetachDocuments(); });
}

// The window's state reaches the saved settings, and the sound system's mute flag.
void LinkSettings(SettingsSystem& settings, const std::shared_ptr<PlatformSystem>& platform,
                  const std::shared_ptr<SoundSystem>& sound) {
  SettingsSystemLinks links;
  if (platform != nullptr) {
    const std::weak_ptr<PlatformSystem> window = platform;
    links.windowFullscreen = [window] {
      const auto system = window.lock();
      return system != nullptr && system->fullscreen;
    };
    links.windowRect = [window]() -> std::optional<ScreenRect> {
      const auto system = window.lock();
      return system ? system->WindowRect() : std::nullopt;
    };
  }
  settings.SetLinks(std::move(links));
  settings.SetMuteState(sound.get());
}

// Sounds follow the window's focus, fade on the action lists and start muted as the settings
// say.
void LinkSound(SoundSystem& sound, const std::shared_ptr<PlatformSystem>& platform,
               const std::shared_ptr<ActionListSystem>& actions,
               const std::shared_ptr<SettingsSystem>& settings) {
  SoundSystemLinks links;
  if (platform != nullptr) {
    links.windowFocused = [window = std::weak_ptr<PlatformSystem>(platform)] {
      const auto system = window.lock();
      return system ? system->focused : true;
    };
  }
  links.tweener = actions.get();
  links.settings = settings.get();
  sound.SetLinks(std::move(links));
}

// The cameras take their aspect ratio from the window and the scene view from the settings.
void LinkCameras(CameraSystem& cameras, const std::shared_ptr<PlatformSystem>& platform,
                 const std::shared_ptr<SettingsSystem>& settings) {
  CameraSystemLinks links;
  if (platform != nullptr) {
    links.windowSize = [window = std::weak_ptr<PlatformSystem>(platform)](int& width, int& height) {
      const auto system = window.lock();
      if (system == nullptr || system->window == nullptr) return false;
      glfwGetWindowSize(system->window, &width, &height);
      return true;
    };
  }
  if (settings != nullptr) {
    links.orthographic = [stored = std::weak_ptr<SettingsSystem>(settings)] {
      const auto system = stored.lock();
      return system == nullptr || system->IsOrthographic;
    };
  }
  cameras.SetLinks(std::move(links));
}

// Sprite texts are laid out in the window's reference height.
void LinkSpriteTexts(SpriteTextSystem& texts, const std::shared_ptr<PlatformSystem>& platform) {
  SpriteTextSystemLinks links;
  if (platform != nullptr) {
    links.referenceHeight = [window = std::weak_ptr<PlatformSystem>(platform)] {
      const auto system = window.lock();
      return system ? system->referenceHeight : 720.0f;
    };
  }
  texts.SetLinks(std::move(links));
}

// The hands sit at the corners of the UI camera (layer 2) and stay still in the main menu; the
// SEND_RING action sends rings, which fly on the action lists.
void LinkRings(RingSystem& rings, const std::shared_ptr<InputSystem>& input,
               const std::shared_ptr<ActionListSystem>& actions,
               const std::shared_ptr<CameraSystem>& cameras,
               const std::shared_ptr<SceneSystem>& scenes) {
  RingSystemLinks links;
  if (cameras != nullptr) {
    links.uiCameraMatrix = [cameras = std::weak_ptr<CameraSystem>(cameras)]() -> const glm::mat4* {
      const auto system = cameras.lock();
      const LayerCamera* camera = system ? system->FindLayerCamera(2) : nullptr;
      return camera ? &camera->viewProjection : nullptr;
    };
  }
  if (scenes != nullptr) links.currentSceneName = CurrentSceneName(scenes);
  if (input != nullptr) {
    const std::weak_ptr<InputSystem> weakInput = input;
    links.sendRingTriggered = [weakInput] {
      const auto system = weakInput.lock();
      return system != nullptr && system->IsActionTriggered(SEND_RING);
    };
    links.sendRingRange = [weakInput] {
      const auto system = weakInput.lock();
      return system ? system->GetActionRangeVal(SEND_RING) : 0.0f;
    };
  }
  links.actionLists = actions.get();
  rings.SetLinks(std::move(links));
}

// The scripts read the input, the ring counts, the current scene and the tile groups, and ask
// the HUD for its tutorial hints.
void LinkLuaApi(LuaScriptSystem& scripts, const std::shared_ptr<InputSystem>& input,
                const std::shared_ptr<RingSystem>& rings,
                const std::shared_ptr<SceneSystem>& scenes,
                const std::shared_ptr<TilemapSystem>& tilemap,
                const std::shared_ptr<MenuManager>& menus) {
  LuaApiLinks links;
  links.input = input;
  if (menus != nullptr) {
    links.showHint = [menus = std::weak_ptr<MenuManager>(menus)](int hint) {
      const auto system = menus.lock();
      if (GameHUD* hud = system ? system->HUD() : nullptr) hud->ShowTutorialHint(hint);
    };
  }
  if (rings != nullptr) {
    links.leftHandRingCount = [rings = std::weak_ptr<RingSystem>(rings)] {
      const auto system = rings.lock();
      return system ? system->GetLeftHandRingsCount() : 0;
    };
    links.rightHandRingCount = [rings = std::weak_ptr<RingSystem>(rings)] {
      const auto system = rings.lock();
      return system ? system->GetRightHandRingsCount() : 0;
    };
  }
  if (scenes != nullptr) links.currentSceneName = CurrentSceneName(scenes);
  if (tilemap != nullptr) {
    links.tileGroupHeight = [tiles = std::weak_ptr<TilemapSystem>(tilemap)](int group) {
      const auto system = tiles.lock();
      return system ? system->GroupHeight(group) : 0.0f;
    };
    links.isTileGroupCollidable = [tiles = std::weak_ptr<TilemapSystem>(tilemap)](int group) {
      const auto system = tiles.lock();
      return system == nullptr || system->IsGroupCollidable(group);
    };
  }
  scripts.SetApiLinks(std::move(links));
}

// One line on standard error for every link a registered system still lacks.
void ReportMissingLinks(const SystemManager& systems) {
  for (const auto& [name, system] : systems.Systems()) {
    for (const std::string& link : system->MissingLinks()) {
      std::fprintf(stderr, "SystemWiring : '%s' has no link '%s'\n", name.c_str(), link.c_str());
    }
  }
}

}  // namespace

void LinkSystems(DECS& decs) {
  const SystemManager& systems = *decs.GetManager<SystemManager>();
  const auto platform = systems.GetSystem<PlatformSystem>();
  const auto settings = systems.GetSystem<SettingsSystem>();
  const auto input = systems.GetSystem<InputSystem>();
  const auto actions = systems.GetSystem<ActionListSystem>();
  const auto scenes = systems.GetSystem<SceneSystem>();
  const auto cameras = systems.GetSystem<CameraSystem>();
  const auto sound = systems.GetSystem<SoundSystem>();
  const auto rings = systems.GetSystem<RingSystem>();

  decs.SetPrefabScenes(scenes.get());
  if (settings != nullptr) LinkSettings(*settings, platform, sound);
  if (sound != nullptr) LinkSound(*sound, platform, actions, settings);
  if (cameras != nullptr) LinkCameras(*cameras, platform, settings);
  if (const auto texts = systems.GetSystem<SpriteTextSystem>()) LinkSpriteTexts(*texts, platform);
  if (rings != nullptr) LinkRings(*rings, input, actions, cameras, scenes);
  if (const auto scripts = systems.GetSystem<LuaScriptSystem>()) {
    LinkLuaApi(*scripts, input, rings, scenes, systems.GetSystem<TilemapSystem>(),
               systems.GetSystem<MenuManager>());
  }
  ReportMissingLinks(systems);
}

void WireSystems(DECS& decs, RenderContext& context) {
  const SystemManager& systems = *decs.GetManager<SystemManager>();
  const auto platform = systems.GetSystem<PlatformSystem>();
  const auto settings = systems.GetSystem<SettingsSystem>();
  const auto scenes = systems.GetSystem<SceneSystem>();

  WireEngineLoop(decs, context, *platform, *systems.GetSystem<InputSystem>(),
                 *systems.GetSystem<LuaScriptSystem>());
  WireWindow(*platform, context);
  WireDrawing(context, systems);
  WirePostProcessing(context, scenes, systems.GetSystem<CameraSystem>());
  WireScenes(context, *scenes, *systems.GetSystem<ActionListSystem>(),
             *systems.GetSystem<RMLSystem>(), *settings);
  WireTileWorld(*systems.GetSystem<CollisionSystem>(), systems.GetSystem<TilemapSystem>());
  WireAudio(decs, context, systems);
  WireParticles(context, systems.GetSystem<ParticleSystem>(), settings,
                systems.GetSystem<CameraSystem>());
  WireGrass(context, systems.GetSystem<GrassSystem>(), settings);
  WireWind(context, systems.GetSystem<WindSystem>());
  WireWeather(*systems.GetSystem<WeatherSystem>(), scenes, systems.GetSystem<WindSystem>(),
              systems.GetSystem<SoundSystem>());
  WireDocuments(decs, context, systems, platform, scenes);
  WireEventHandler(*systems.GetSystem<RMLEventHandler>(), systems.GetSystem<RMLSystem>());
  WireMenus(decs, context, systems, settings);
  LinkSystems(decs);
}
