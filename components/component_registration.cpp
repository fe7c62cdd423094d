#include "components/component_registration.h"

#include "components/animation_group.h"
#include "components/camera.h"
#include "components/collider.h"
#include "components/light.h"
#include "components/lua_script.h"
#include "components/lua_script_container.h"
#include "components/material_component.h"
#include "components/mesh_component.h"
#include "components/model_list.h"
#include "components/parent.h"
#include "components/particle_emitter.h"
#include "components/physics.h"
#include "components/prefab.h"
#include "components/rml_document.h"
#include "components/scene_identifier.h"
#include "components/sound_bank.h"
#include "components/sound_emitter.h"
#include "components/sprite_text.h"
#include "components/tag_container.h"
#include "components/texture_component.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "components/ttf.h"
#include "components/wind_emitter.h"
#include "engine/component_manager.h"
#include "engine/decs.h"

void RegisterAllComponents() {
  const auto components = DECS::Instance().GetManager<ComponentManager>();
  if (!components || !components->componentArrays.empty()) return;

  components->RegisterComponent<Transform>();
  components->RegisterComponent<Camera>();
  components->RegisterComponent<Physics>();
  components->RegisterComponent<Collider>();
  components->RegisterComponent<Parent>();
  components->RegisterComponent<SpriteText>();
  components->RegisterComponent<TTF>();
  components->RegisterComponent<TagContainer>();
  components->RegisterComponent<ModelList>();
  components->RegisterComponent<TextureComponent>();
  components->RegisterComponent<MeshComponent>();
  components->RegisterComponent<SoundBank>();
  components->RegisterComponent<SoundEmitter>();
  components->RegisterComponent<LuaScript>();
  components->RegisterComponent<MaterialComponent>();
  components->RegisterComponent<Light>();
  components->RegisterComponent<Tilemap>();
  components->RegisterComponent<ParticleEmitter>();
  components->RegisterComponent<LuaScriptContainer>();
  components->RegisterComponent<Prefab>();
  components->RegisterComponent<SceneIdentifier>();
  components->RegisterComponent<WindEmitter>();
  components->RegisterComponent<AnimationGroup>();
  components->RegisterComponent<RMLDocument>();
}
