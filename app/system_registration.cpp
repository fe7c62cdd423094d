#include "app/system_registration.h"

#include "audio/sound_emitter_system.h"
#include "audio/sound_system.h"
#include "components/scene_system.h"
#include "engine/decs.h"
#include "engine/system_manager.h"
#include "gameplay/animation_system.h"
#include "gameplay/grass_system.h"
#include "gameplay/particle_system.h"
#include "gameplay/ring_system.h"
#include "gameplay/slam_attack_system.h"
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
#include "render/renderer.h"
#include "render/resource_cache.h"
#include "render/sprite_text_system.h"
#include "render/standard_entity_renderer.h"
#include "render/ttf_system.h"
#include "scripting/action_list_system.h"
#include "scripting/lua_script_system.h"
#include "ui/menu_manager.h"
#include "ui/rml_event_handler.h"
#include "ui/rml_system.h"

void RegisterAllSystems() {
  DECS& decs = DECS::Instance();
  SystemManager& systems = *decs.GetManager<SystemManager>();
  if (!systems.Systems().empty()) return;

  systems.RegisterSystem<SettingsSystem>();
  const auto platform = systems.RegisterSystem<PlatformSystem>();

  // The window and its GL context exist now: the renderer and the resource caches can follow.
  Renderer& renderer = Renderer::Instance();
  PostProcessingChain& postProcessing = PostProcessingChain::CreateInstance(renderer);
  renderer.SetPostProcessing(&postProcessing);
  decs.AddChild(&renderer);
  decs.SetFrameRenderer(&renderer);
  decs.SetResourceProvider(&ResourceCache::Instance());
  platform->onViewportResized = [](int, int) {
    if (Renderer::HasInstance()) Renderer::Instance().Resize();
  };

  systems.RegisterSystem<StandardEntityRenderer>()->SetDrawQueue(&renderer);
  systems.RegisterSystem<SpriteTextSystem>();
  systems.RegisterSystem<TilemapSystem>();
  systems.RegisterSystem<PhysicsSystem>();
  systems.RegisterSystem<CollisionSystem>();
  const auto scenes = systems.RegisterSystem<SceneSystem>();
  scenes->SetSettingsSink(&postProcessing);
  postProcessing.SetSceneFadeSource([scenes = std::weak_ptr<SceneSystem>(scenes)] {
    const auto system = scenes.lock();
    return system ? system->sceneTimer : 0.0f;
  });
  systems.RegisterSystem<InputSystem>();
  systems.RegisterSystem<SoundSystem>();
  const auto cameras = systems.RegisterSystem<CameraSystem>();
  const auto lights = systems.RegisterSystem<LightSystem>();
  renderer.UseSystems(cameras, lights);
  postProcessing.SetCameraPositionSource([cameras = std::weak_ptr<CameraSystem>(cameras)] {
    const auto system = cameras.lock();
    const LayerCamera* camera = system ? system->FindLayerCamera(1) : nullptr;
    return camera ? camera->position : glm::vec3(0.0f);
  });
  systems.RegisterSystem<LuaScriptSystem>();
  systems.RegisterSystem<ParticleSystem>();
  systems.RegisterSystem<TTFSystem>();
  systems.RegisterSystem<AnimationSystem>();
  systems.RegisterSystem<GrassSystem>();
  systems.RegisterSystem<ActionListSystem>();
  systems.RegisterSystem<RingSystem>();
  systems.RegisterSystem<SoundEmitterSystem>();
  systems.RegisterSystem<WindSystem>();
  systems.RegisterSystem<RMLSystem>();
  systems.RegisterSystem<RMLEventHandler>();
  systems.RegisterSystem<MenuManager>();
  systems.RegisterSystem<SlamAttackSystem>();
  systems.RegisterSystem<WeatherSystem>();

  // --- Physics, collision and tile world links (to move into WireSystems) ---
  systems.GetSystem<PhysicsSystem>()->SetDrawQueue(&renderer);
  const auto tilemap = systems.GetSystem<TilemapSystem>();
  tilemap->SetDrawQueue(&renderer);
  const auto collision = systems.GetSystem<CollisionSystem>();
  collision->SetDrawQueue(&renderer);
  collision->SetTileWorld(
      {.isGroupCollidable = [tiles = std::weak_ptr<TilemapSystem>(tilemap)](int group) {
        const auto system = tiles.lock();
        return system == nullptr || system->IsGroupCollidable(group);
      }});
  // --- end of the physics links ---

  // --- Audio links (to move into WireSystems) ---
  const auto sound = systems.GetSystem<SoundSystem>();
  sound->SetLinks({[platform = std::weak_ptr<PlatformSystem>(platform)] {
                     const auto system = platform.lock();
                     return system ? system->focused : true;
                   },
                   systems.GetSystem<ActionListSystem>().get()});
  decs.SetSoundLoader(sound.get());
  systems.GetSystem<SoundEmitterSystem>()->SetDrawQueue(&renderer);
  // --- end of audio links ---
}
