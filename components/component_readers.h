#pragma once
// Readers of the component sections of entity and prefab files, one per component class.
//
// Each reader takes the section (the JSON value under the component's type name) and returns
// the component: constructed with its defaults, then every key of its field table that the
// section holds read over its field (the rules and value forms are in
// components/field_binding.h). A section that is not an object gives the defaults; keys the
// table does not name are ignored.
//
//   Transform transform = ReadTransform(section);
//   ParticleEmitter emitter = ReadParticleEmitter(section);
//   ResolveParticleResources(emitter);
//
// A member of the wrong JSON type, a vector that is not an object or an unknown enum name
// throws (nlohmann::json::type_error, std::runtime_error for enums) and the component is
// abandoned; the entity reader decides what follows. Reading is all a reader does: the load
// steps (animation files, model lists, documents, sound banks, sequence templates, script
// maps) are run by the entity reader afterwards.

#include <nlohmann/json.hpp>

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
#include "components/sequence.h"
#include "components/sound_bank.h"
#include "components/sound_emitter.h"
#include "components/sprite_text.h"
#include "components/tag_container.h"
#include "components/texture_component.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "components/ttf.h"
#include "components/wind_emitter.h"

AnimationGroup ReadAnimationGroup(const nlohmann::json& section);
// The projection is computed from the defaults when the camera is constructed; the keys are
// stored afterwards without recomputing it or setting projectionDirty (the entity reader marks
// the added camera dirty, so the camera system rebuilds it from the values read).
Camera ReadCamera(const nlohmann::json& section);
Collider ReadCollider(const nlohmann::json& section);
Light ReadLight(const nlohmann::json& section);
LuaScript ReadLuaScript(const nlohmann::json& section);
LuaScriptContainer ReadLuaScriptContainer(const nlohmann::json& section);
MaterialComponent ReadMaterialComponent(const nlohmann::json& section);
MeshComponent ReadMeshComponent(const nlohmann::json& section);
ModelList ReadModelList(const nlohmann::json& section);
Parent ReadParent(const nlohmann::json& section);
ParticleEmitter ReadParticleEmitter(const nlohmann::json& section);
Physics ReadPhysics(const nlohmann::json& section);
Prefab ReadPrefab(const nlohmann::json& section);
RMLDocument ReadRMLDocument(const nlohmann::json& section);
SceneIdentifier ReadSceneIdentifier(const nlohmann::json& section);
Sequence ReadSequence(const nlohmann::json& section);
SoundBank ReadSoundBank(const nlohmann::json& section);
SoundEmitter ReadSoundEmitter(const nlohmann::json& section);
SpriteText ReadSpriteText(const nlohmann::json& section);
TTF ReadTTF(const nlohmann::json& section);
TagContainer ReadTagContainer(const nlohmann::json& section);
TextureComponent ReadTextureComponent(const nlohmann::json& section);
Tilemap ReadTilemap(const nlohmann::json& section);
Transform ReadTransform(const nlohmann::json& section);
WindEmitter ReadWindEmitter(const nlohmann::json& section);

// The load step run on an emitter right after it is read: sets the working emission rate to
// `_emissionRate` and takes the mesh, material and texture handles of its paths (the texture
// with nearest filtering and repeat wrapping) from the engine's resource provider. Without an
// engine or a provider the handles keep their values.
void ResolveParticleResources(ParticleEmitter& emitter);
