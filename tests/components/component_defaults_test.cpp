// Construction values that differ from zero or empty: the ones a slip in a header would change
// silently, since a slot is reset to them whenever a component is added.

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "components/animation_group.h"
#include "components/camera.h"
#include "components/collider.h"
#include "components/component_enums.h"
#include "components/light.h"
#include "components/lua_script_container.h"
#include "components/material_component.h"
#include "components/mesh_component.h"
#include "components/model_list.h"
#include "components/parent.h"
#include "components/particle_emitter.h"
#include "components/physics.h"
#include "components/sequence.h"
#include "components/sound_bank.h"
#include "components/sound_emitter.h"
#include "components/sprite_text.h"
#include "components/texture_component.h"
#include "components/tilemap.h"
#include "components/ttf.h"
#include "components/wind_emitter.h"

namespace {

// One text form for every kind of default, so that all rows share one table.
std::string Show(const std::string& text) { return "\"" + text + "\""; }
std::string Show(const char* text) { return Show(std::string(text)); }
std::string Show(bool value) { return value ? "true" : "false"; }
std::string Show(int value) { return std::to_string(value); }
std::string Show(unsigned int value) { return std::to_string(value); }
std::string Show(float value) { return std::to_string(value); }
template <typename Enum>
requires std::is_enum_v<Enum> std::string Show(Enum value) {
  return std::to_string(static_cast<int>(value));
}

TEST(ComponentDefaults, NonObviousDefaults) {
  const Camera camera;
  const Physics physics;
  const Collider collider;
  const TTF ttf;
  const TextureComponent texture;
  const SoundBank soundBank;
  const SoundEmitter soundEmitter;
  const MaterialComponent material;
  const Light light;
  const Tilemap tilemap;
  const FoliageData foliage;
  const ParticleEmitter particles;
  const WindEmitter wind;
  const AnimationGroup animation;
  const Sequence sequence;

  const struct {
    const char* member;
    std::string actual;
    std::string expected;
  } rows[] = {
      {"Camera::_farPlane", Show(camera._farPlane), Show(1000.0f)},
      {"Camera::aspect", Show(camera.aspect), Show(16.0f / 9.0f)},
      {"Camera::_frameBuffer", Show(camera._frameBuffer), Show(1)},
      {"Physics::_restitution", Show(physics._restitution), Show(0.5f)},
      {"Physics::_linearDamping", Show(physics._linearDamping), Show(0.5f)},
      {"Physics::_gravityMultiplier", Show(physics._gravityMultiplier), Show(9.0f)},
      {"Physics::inertia", Show(physics.inertia), Show(1.0f)},
      {"Collider::_size.y", Show(collider._size.y), Show(1.0f)},
      {"Collider::_isGrounded", Show(collider._isGrounded), Show(true)},
      {"Collider::_isActive", Show(collider._isActive), Show(true)},
      {"Parent::_alias", Show(Parent{}._alias), Show("NULL")},
      {"SpriteText::_text", Show(SpriteText{}._text), Show("Hello World!")},
      {"SpriteText::_anchorY", Show(SpriteText{}._anchorY), Show("center")},
      {"TTF::_fontSize", Show(ttf._fontSize), Show(90.0f)},
      {"TTF::atlasTexture", Show(ttf.atlasTexture), Show(0)},
      {"TTF::atlasWidth", Show(ttf.atlasWidth), Show(1600)},
      {"TTF::atlasHeight", Show(ttf.atlasHeight), Show(800)},
      {"TTF::_color2.z", Show(ttf._color2.z), Show(1.0f)},
      {"ModelList::modelCount", Show(ModelList{}.modelCount), Show(0)},
      {"TextureComponent::albedoTexture", Show(texture.albedoTexture), Show(-1)},
      {"TextureComponent::normalTexture", Show(texture.normalTexture), Show(-1)},
      {"TextureComponent::_normalRepeatMode", Show(texture._normalRepeatMode), Show(2)},
      {"MeshComponent::meshId", Show(MeshComponent{}.meshId), Show(-1)},
      {"SoundBank::firstSound", Show(soundBank.firstSound), Show(-1)},
      {"SoundEmitter::_outerRadius", Show(soundEmitter._outerRadius), Show(10.0f)},
      {"SoundEmitter::_outerVol", Show(soundEmitter._outerVol), Show(0.5f)},
      {"MaterialComponent::materialId", Show(material.materialId), Show(-1)},
      {"MaterialComponent::_diffuseOverride.w", Show(material._diffuseOverride.w), Show(1.0f)},
      {"Light::_targetFramebuffer", Show(light._targetFramebuffer), Show(1)},
      {"Light::_radii.y", Show(light._radii.y), Show(10.0f)},
      {"Light::_direction.y", Show(light._direction.y), Show(1.0f)},
      {"Light::_angle", Show(light._angle), Show(45.0f)},
      {"Tilemap::trailMapTexture", Show(tilemap.trailMapTexture), Show(-1)},
      {"FoliageData::densityTexture", Show(foliage.densityTexture), Show(-1)},
      {"FoliageData::heightTexture", Show(foliage.heightTexture), Show(-1)},
      {"FoliageData::_colorThreshold4", Show(foliage._colorThreshold4), Show(0.75f)},
      {"FoliageData::_maxDensity", Show(foliage._maxDensity), Show(16)},
      {"ParticleEmitter::_maxParticles", Show(particles._maxParticles), Show(100u)},
      {"ParticleEmitter::_lifetimeRange.x", Show(particles._lifetimeRange.x), Show(1.0f)},
      {"ParticleEmitter::_rotationMode", Show(particles._rotationMode), Show(1)},
      {"ParticleEmitter::_scaleMode", Show(particles._scaleMode), Show(2)},
      {"ParticleEmitter::_particleSpace", Show(particles._particleSpace), Show(1)},
      {"ParticleEmitter::_startColorRange2.a", Show(particles._startColorRange2.a), Show(1.0f)},
      {"ParticleEmitter::_transparent", Show(particles._transparent), Show(true)},
      {"ParticleEmitter::_active", Show(particles._active), Show(true)},
      {"ParticleEmitter::_burstDuration", Show(particles._burstDuration), Show(1.0f)},
      {"ParticleEmitter::meshHandle", Show(particles.meshHandle), Show(-1)},
      {"ParticleEmitter::textureHandle", Show(particles.textureHandle), Show(-1)},
      {"ParticleEmitter::firstFreeIndex", Show(particles.firstFreeIndex), Show(-1)},
      {"NoiseModifiers::octaves", Show(particles._noiseModifiers.octaves), Show(1)},
      {"NoiseModifiers::lacunarity", Show(particles._noiseModifiers.lacunarity), Show(2.0f)},
      {"TurbulenceModifers::frequency.z", Show(particles._turbulenceModifiers.frequency.z),
       Show(1.0f)},
      {"LuaScriptContainer::pathPrefix", Show(LuaScriptContainer{}.pathPrefix),
       Show("./GAME/Scripts/")},
      {"WindEmitter::_strength", Show(wind._strength), Show(1.0f)},
      {"WindEmitter::_resolution", Show(wind._resolution), Show(4)},
      {"AnimationGroup::pathPrefix", Show(animation.pathPrefix), Show("./GAME/Assets/Animations/")},
      {"AnimationGroup::clipLastFrame", Show(animation.clipLastFrame), Show(1)},
      {"AnimationGroup::clipRate", Show(animation.clipRate), Show(60.0f)},
      {"AnimationGroup::_sheetWidth", Show(animation._sheetWidth), Show(1u)},
      {"AnimationGroup::loop", Show(animation.loop), Show(true)},
      {"AnimationGroup::duration", Show(animation.duration), Show(1.0f)},
      {"Sequence::_path", Show(sequence._path), Show("NULL")},
      {"Sequence::isOriginal", Show(sequence.isOriginal), Show(true)},
      {"FramebufferLayer::SCREENTONE_MASK", Show(FramebufferLayer::SCREENTONE_MASK), Show(5)},
      {"FramebufferLayer::FXAA", Show(FramebufferLayer::FXAA), Show(6)},
  };
  for (const auto& row : rows) EXPECT_EQ(row.actual, row.expected) << row.member;
}

}  // namespace
