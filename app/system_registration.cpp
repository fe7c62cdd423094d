#include "app/system_registration.h"

#include <memory>
#include <utility>

#include "app/system_wiring.h"
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
#include "platform/glfw_input_source.h"
#include "platform/input_system.h"
#include "platform/platform_system.h"
#include "platform/settings_system.h"
#include "render/camera_system.h"
#include "render/light_system.h"
#include "render/render_context.h"
#include "render/renderer.h"
#include "render/sprite_text_system.h"
#include "render/standard_entity_renderer.h"
#include "render/ttf_system.h"
#include "scripting/action_list_system.h"
#include "scripting/lua_script_system.h"
#include "ui/menu_manager.h"
#include "ui/rml_event_handler.h"
#include "ui/rml_system.h"

namespace {

std::unique_ptr<RenderContext>& RenderContextSlot() {
  static std::unique_ptr<RenderContext> context;
  return context;
}

}  // namespace

RenderContext* GameRenderContext() { return RenderContextSlot().get(); }

void DestroyRenderContext() {
  // Moved out first: a teardown step may ask for the context while it goes.
  std::unique_ptr<RenderContext> context = std::move(RenderContextSlot());
  context.reset();
}

void RegisterAllSystems() {
  DECS& decs = DECS::Instance();
  SystemManager& systems = *decs.GetManager<SystemManager>();
  if (!systems.Systems().empty()) return;

  // The window opens in the platform system's Init, from the stored settings.
  const auto settings = systems.RegisterSystem<SettingsSystem>();
  const auto platform = systems.RegisterSystem<PlatformSystem>(PlatformSystem::Options{},
                                                               PlatformSystemLinks{settings});

  // The window and its GL context exist now: the resource cache, the renderer and the
  // post-processing chain follow, and the renderer joins the message tree under DECS.
  RenderContextSlot() = std::make_unique<RenderContext>();
  decs.AddChild(&RenderContextSlot()->GetRenderer());

  systems.RegisterSystem<StandardEntityRenderer>();
  systems.RegisterSystem<SpriteTextSystem>();
  systems.RegisterSystem<TilemapSystem>();
  systems.RegisterSystem<PhysicsSystem>();
  systems.RegisterSystem<CollisionSystem>();
  systems.RegisterSystem<SceneSystem>();
  // Input reads the window's keys, buttons, cursor and wheel.
  std::unique_ptr<InputSource> windowInput;
  if (platform->window != nullptr) {
    windowInput = std::make_unique<GlfwInputSource>(platform->window);
  }
  systems.RegisterSystem<InputSystem>(std::move(windowInput));
  systems.RegisterSystem<SoundSystem>();
  systems.RegisterSystem<CameraSystem>();
  systems.RegisterSystem<LightSystem>();
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

  WireSystems(decs, *RenderContextSlot());
}
