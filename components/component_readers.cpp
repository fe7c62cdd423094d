#include "components/component_readers.h"

#include "components/field_binding.h"
#include "engine/decs.h"
#include "engine/resource_provider.h"

using nlohmann::json;

AnimationGroup ReadAnimationGroup(const json& section) {
  AnimationGroup group;
  ReadRecord(section, {{"_sheetWidth", &group._sheetWidth},
                       {"_sheetHeight", &group._sheetHeight},
                       {"_animList", &group._animList}});
  return group;
}

Camera ReadCamera(const json& section) {
  Camera camera;  // computes the projection from the defaults
  ReadRecord(section, {{"_mode", &camera._mode},
                       {"_zoom", &camera._zoom},
                       {"_nearPlane", &camera._nearPlane},
                       {"_farPlane", &camera._farPlane},
                       {"_frameBuffer", &camera._frameBuffer}});
  return camera;
}

Collider ReadCollider(const json& section) {
  Collider collider;
  ReadRecord(section, {{"_type", &collider._type},
                       {"_offset", &collider._offset},
                       {"_size", &collider._size},
                       {"_trigger", &collider._trigger},
                       {"_radius", &collider._radius},
                       {"_isActive", &collider._isActive},
                       {"_layer", &collider._layer}});
  return collider;
}

Light ReadLight(const json& section) {
  Light light;
  ReadRecord(section, {{"_targetFramebuffer", &light._targetFramebuffer},
                       {"_type", &light._type},
                       {"_color", &light._color},
                       {"_strength", &light._strength},
                       {"_radii", &light._radii},
                       {"_direction", &light._direction},
                       {"_angle", &light._angle},
                       {"_positionOffset", &light._positionOffset}});
  return light;
}

LuaScript ReadLuaScript(const json& section) {
  LuaScript script;
  ReadRecord(section, {{"_scriptPath", &script._scriptPath}, {"_functions", &script._functions}});
  return script;
}

LuaScriptContainer ReadLuaScriptContainer(const json& section) {
  LuaScriptContainer container;
  ReadRecord(section, {{"_scriptList", &container._scriptList}});
  return container;
}

MaterialComponent ReadMaterialComponent(const json& section) {
  MaterialComponent material;
  ReadRecord(section, {{"_path", &material._path},
                       {"_overrideAmbient", &material._overrideAmbient},
                       {"_overrideDiffuse", &material._overrideDiffuse},
                       {"_overrideSpecular", &material._overrideSpecular},
                       {"_overrideShininess", &material._overrideShininess},
                       {"_ambientOverride", &material._ambientOverride},
                       {"_diffuseOverride", &material._diffuseOverride},
                       {"_specularOverride", &material._specularOverride},
                       {"_shininess", &material._shininess}});
  return material;
}

MeshComponent ReadMeshComponent(const json& section) {
  MeshComponent mesh;
  ReadRecord(section, {{"_path", &mesh._path}, {"_offset", &mesh._offset}});
  return mesh;
}

ModelList ReadModelList(const json& section) {
  ModelList list;
  ReadRecord(section, {{"_path", &list._path}});
  return list;
}

Parent ReadParent(const json& section) {
  Parent parent;
  ReadRecord(section, {{"_alias", &parent._alias}});
  return parent;
}

ParticleEmitter ReadParticleEmitter(const json& section) {
  ParticleEmitter emitter;
  ReadRecord(section, {{"_emitByParentVelocity", &emitter._emitByParentVelocity},
                       {"_velocityEmissionThreshold", &emitter._velocityEmissionThreshold},
                       {"_emissionRate", &emitter._emissionRate},
                       {"_prewarmTime", &emitter._prewarmTime},
                       {"_maxParticles", &emitter._maxParticles},
                       {"_lifetimeRange", &emitter._lifetimeRange},
                       {"_meshPath", &emitter._meshPath},
                       {"_materialPath", &emitter._materialPath},
                       {"_useAnimationComponentTexture", &emitter._useAnimationComponentTexture},
                       {"_freezeAnimationFrame", &emitter._freezeAnimationFrame},
                       {"_texturePath", &emitter._texturePath},
                       {"_emissionShape", &emitter._emissionShape},
                       {"_emissionBounds", &emitter._emissionBounds},
                       {"_offset", &emitter._offset},
                       {"_startVelocityRange", &emitter._startVelocityRange},
                       {"_endVelocityRange", &emitter._endVelocityRange},
                       {"_accelerationRange", &emitter._accelerationRange},
                       {"_rotationMode", &emitter._rotationMode},
                       {"_initialRotation", &emitter._initialRotation},
                       {"_rotationRange", &emitter._rotationRange},
                       {"_startAngularVelocityRange", &emitter._startAngularVelocityRange},
                       {"_endAngularVelocityRange", &emitter._endAngularVelocityRange},
                       {"_angularAccelerationRange", &emitter._angularAccelerationRange},
                       {"_scaleMode", &emitter._scaleMode},
                       {"_startScaleRange", &emitter._startScaleRange},
                       {"_endScaleRange", &emitter._endScaleRange},
                       {"_scaleModifiers", &emitter._scaleModifiers},
                       {"_noiseModifiers", &emitter._noiseModifiers},
                       {"_turbulenceModifiers", &emitter._turbulenceModifiers},
                       {"_randomColors", &emitter._randomColors},
                       {"_constantColorR", &emitter._constantColorR},
                       {"_constantColorG", &emitter._constantColorG},
                       {"_constantColorB", &emitter._constantColorB},
                       {"_constantColorA", &emitter._constantColorA},
                       {"_startColorRange", &emitter._startColorRange},
                       {"_startColorRange2", &emitter._startColorRange2},
                       {"_endColorRange", &emitter._endColorRange},
                       {"_endColorRange2", &emitter._endColorRange2},
                       {"_mathEquation", &emitter._mathEquation},
                       {"_renderMode", &emitter._renderMode},
                       {"_transparent", &emitter._transparent},
                       {"_scaleCurve", &emitter._scaleCurve},
                       {"_colorCurve", &emitter._colorCurve},
                       {"_particleSpace", &emitter._particleSpace},
                       {"_active", &emitter._active},
                       {"_burstMode", &emitter._burstMode},
                       {"_burstDuration", &emitter._burstDuration},
                       {"_destroyOnCompletion", &emitter._destroyOnCompletion},
                       {"_clearParticlesOnComplete", &emitter._clearParticlesOnComplete}});
  return emitter;
}

Physics ReadPhysics(const json& section) {
  Physics physics;
  ReadRecord(section, {{"_velocity", &physics._velocity},
                       {"_acceleration", &physics._acceleration},
                       {"_linearDamping", &physics._linearDamping},
                       {"_angularVelocity", &physics._angularVelocity},
                       {"_angularAcceleration", &physics._angularAcceleration},
                       {"_angularDamping", &physics._angularDamping},
                       {"_mass", &physics._mass},
                       {"_isKinematic", &physics._isKinematic},
                       {"_gravityMultiplier", &physics._gravityMultiplier}});
  return physics;
}

Prefab ReadPrefab(const json& section) {
  Prefab prefab;
  ReadRecord(section, {{"_prefabAlias", &prefab._prefabAlias}});
  return prefab;
}

RMLDocument ReadRMLDocument(const json& section) {
  RMLDocument document;
  ReadRecord(section, {{"_path", &document._path}, {"_isMenuDocument", &document._isMenuDocument}});
  return document;
}

SceneIdentifier ReadSceneIdentifier(const json& section) {
  SceneIdentifier identifier;
  ReadRecord(section, {{"_sceneName", &identifier._sceneName}});
  return identifier;
}

Sequence ReadSequence(const json& section) {
  Sequence sequence;
  ReadRecord(section, {{"_path", &sequence._path},
                       {"_BPM", &sequence._BPM},
                       {"_duration", &sequence._duration},
                       {"_numInstruments", &sequence._numInstruments}});
  return sequence;
}

SoundBank ReadSoundBank(const json& section) {
  SoundBank bank;
  ReadRecord(section, {{"_loop", &bank._loop}, {"_pairs", &bank._pairs}});
  return bank;
}

SoundEmitter ReadSoundEmitter(const json& section) {
  SoundEmitter emitter;
  ReadRecord(section, {{"_soundAlias", &emitter._soundAlias},
                       {"_innerRadius", &emitter._innerRadius},
                       {"_outerRadius", &emitter._outerRadius},
                       {"_innerVol", &emitter._innerVol},
                       {"_outerVol", &emitter._outerVol},
                       {"_decayFactor", &emitter._decayFactor},
                       {"_panningMultiplier", &emitter._panningMultiplier},
                       {"_looping", &emitter._looping},
                       {"_interval", &emitter._interval}});
  return emitter;
}

SpriteText ReadSpriteText(const json& section) {
  SpriteText text;
  ReadRecord(section,
             {{"_text", &text._text}, {"_anchorX", &text._anchorX}, {"_anchorY", &text._anchorY}});
  return text;
}

TTF ReadTTF(const json& section) {
  TTF text;
  ReadRecord(section, {{"_fontFilePath", &text._fontFilePath},
                       {"_fontSize", &text._fontSize},
                       {"_text", &text._text},
                       {"_anchor", &text._anchor},
                       {"_color", &text._color},
                       {"_color2", &text._color2},
                       {"_alignment", &text._alignment}});
  return text;
}

TagContainer ReadTagContainer(const json& section) {
  TagContainer tags;
  ReadRecord(section, {{"_tags", &tags._tags}});
  return tags;
}

TextureComponent ReadTextureComponent(const json& section) {
  TextureComponent texture;
  ReadRecord(section, {{"_albedoPath", &texture._albedoPath},
                       {"_normalPath", &texture._normalPath},
                       {"_minAlbedoInterpolationMode", &texture._minAlbedoInterpolationMode},
                       {"_maxAlbedoInterpolationMode", &texture._maxAlbedoInterpolationMode},
                       {"_minNormalInterpolationMode", &texture._minNormalInterpolationMode},
                       {"_maxNormalInterpolationMode", &texture._maxNormalInterpolationMode},
                       {"_albedoRepeatMode", &texture._albedoRepeatMode},
                       {"_normalRepeatMode", &texture._normalRepeatMode}});
  return texture;
}

Tilemap ReadTilemap(const json& section) {
  Tilemap tilemap;
  ReadRecord(section, {{"_path", &tilemap._path},
                       {"_trailMapPath", &tilemap._trailMapPath},
                       {"_foliageData", &tilemap._foliageData}});
  return tilemap;
}

Transform ReadTransform(const json& section) {
  Transform transform;
  ReadRecord(section, {{"_position", &transform._position},
                       {"_rotation", &transform._rotation},
                       {"_scale", &transform._scale},
                       {"_string", &transform._string},
                       {"_speed", &transform._speed},
                       {"_pair", &transform._pair},
                       {"_pairSet", &transform._pairSet},
                       {"_depthModifier", &transform._depthModifier},
                       {"_useModifierMatrix", &transform._useModifierMatrix}});
  return transform;
}

WindEmitter ReadWindEmitter(const json& section) {
  WindEmitter wind;
  // "_strenghVariationDelta" is the key files use for the delta.
  ReadRecord(section, {{"_type", &wind._type},
                       {"_directionAngle", &wind._directionAngle},
                       {"_strength", &wind._strength},
                       {"_strengthVariationRange", &wind._strengthVariationRange},
                       {"_strenghVariationDelta", &wind._strenghVariationDelta},
                       {"_radius", &wind._radius},
                       {"_resolution", &wind._resolution},
                       {"_movingVelocityThreshold", &wind._movingVelocityThreshold},
                       {"_offset", &wind._offset}});
  return wind;
}

namespace {}  // namespace

void ResolveParticleResources(ParticleEmitter& emitter) {
  // The handles come from the renderer's caches through the engine's resource provider. With no
  // engine or no provider (a headless run, a tool, a test) they keep their values, -1 for a
  // freshly read emitter.
  ResourceProvider* const resources = DECS::CurrentResources();
  if (resources != nullptr) {
    emitter.meshHandle = resources->GetMesh(emitter._meshPath);
    emitter.materialHandle = resources->GetMaterial(emitter._materialPath);
    emitter.textureHandle =
        resources->GetTexture(emitter._texturePath, texture_sampling::kNearest,
                              texture_sampling::kNearest, texture_sampling::kRepeat);
  }
  emitter.currentEmissionRate = emitter._emissionRate;
}
