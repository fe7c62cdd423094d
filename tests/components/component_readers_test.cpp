#include "components/component_readers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "components/enum_names.h"
#include "engine/resource_provider.h"
#include "tests/support/engine_fixture.h"

// Comparisons of the composite values, over their keyed members. Internal to this file.
template <typename Value>
static bool operator==(const Keyframe<Value>& a, const Keyframe<Value>& b) {
  return a.time == b.time && a.value == b.value;
}
template <typename Value>
static bool operator==(const PropertyCurve<Value>& a, const PropertyCurve<Value>& b) {
  return a.keyframes == b.keyframes && a.enabled == b.enabled && a.defaultValue == b.defaultValue;
}
static bool operator==(const ScaleModifiers& a, const ScaleModifiers& b) {
  return std::tie(a.velocityInfluence, a.distanceInfluence, a.oscillationFrequency,
                  a.oscillationAmplitude, a.enableOscillation) ==
         std::tie(b.velocityInfluence, b.distanceInfluence, b.oscillationFrequency,
                  b.oscillationAmplitude, b.enableOscillation);
}
static bool operator==(const NoiseModifiers& a, const NoiseModifiers& b) {
  return std::tie(a.scale, a.strength, a.scrollSpeed, a.octaves, a.persistence, a.lacunarity) ==
         std::tie(b.scale, b.strength, b.scrollSpeed, b.octaves, b.persistence, b.lacunarity);
}
static bool operator==(const TurbulenceModifers& a, const TurbulenceModifers& b) {
  return std::tie(a.intensity, a.frequency, a.offset, a.scrollSpeed) ==
         std::tie(b.intensity, b.frequency, b.offset, b.scrollSpeed);
}
static bool operator==(const FoliageData& a, const FoliageData& b) {
  return std::tie(a._meshPath, a._color1, a._color2, a._color3, a._color4, a._colorThreshold1,
                  a._colorThreshold2, a._colorThreshold3, a._colorThreshold4, a._densityMapPath,
                  a._heightMapPath, a._maxWindSpeed, a._minHeight, a._maxHeight,
                  a._maxDepressStrength, a._maxDensity) ==
         std::tie(b._meshPath, b._color1, b._color2, b._color3, b._color4, b._colorThreshold1,
                  b._colorThreshold2, b._colorThreshold3, b._colorThreshold4, b._densityMapPath,
                  b._heightMapPath, b._maxWindSpeed, b._minHeight, b._maxHeight,
                  b._maxDepressStrength, b._maxDensity);
}

namespace {

using nlohmann::json;

// The members of each component that its section may set, in the order of the component's keys.
auto Keyed(const AnimationGroup& c) { return std::tie(c._sheetWidth, c._sheetHeight, c._animList); }
auto Keyed(const Camera& c) {
  return std::tie(c._mode, c._zoom, c._nearPlane, c._farPlane, c._frameBuffer);
}
auto Keyed(const Collider& c) {
  return std::tie(c._type, c._offset, c._size, c._trigger, c._radius, c._isActive, c._layer);
}
auto Keyed(const Light& c) {
  return std::tie(c._targetFramebuffer, c._type, c._color, c._strength, c._radii, c._direction,
                  c._angle, c._positionOffset);
}
auto Keyed(const LuaScript& c) { return std::tie(c._scriptPath, c._functions); }
auto Keyed(const LuaScriptContainer& c) { return std::tie(c._scriptList); }
auto Keyed(const MaterialComponent& c) {
  return std::tie(c._path, c._overrideAmbient, c._overrideDiffuse, c._overrideSpecular,
                  c._overrideShininess, c._ambientOverride, c._diffuseOverride, c._specularOverride,
                  c._shininess);
}
auto Keyed(const MeshComponent& c) { return std::tie(c._path, c._offset); }
auto Keyed(const ModelList& c) { return std::tie(c._path); }
auto Keyed(const Parent& c) { return std::tie(c._alias); }
auto Keyed(const ParticleEmitter& c) {
  return std::tie(c._emitByParentVelocity, c._velocityEmissionThreshold, c._emissionRate,
                  c._prewarmTime, c._maxParticles, c._lifetimeRange, c._meshPath, c._materialPath,
                  c._useAnimationComponentTexture, c._freezeAnimationFrame, c._texturePath,
                  c._emissionShape, c._emissionBounds, c._offset, c._startVelocityRange,
                  c._endVelocityRange, c._accelerationRange, c._rotationMode, c._initialRotation,
                  c._rotationRange, c._startAngularVelocityRange, c._endAngularVelocityRange,
                  c._angularAccelerationRange, c._scaleMode, c._startScaleRange, c._endScaleRange,
                  c._scaleModifiers, c._noiseModifiers, c._turbulenceModifiers, c._randomColors,
                  c._constantColorR, c._constantColorG, c._constantColorB, c._constantColorA,
                  c._startColorRange, c._startColorRange2, c._endColorRange, c._endColorRange2,
                  c._mathEquation, c._renderMode, c._transparent, c._scaleCurve, c._colorCurve,
                  c._particleSpace, c._active, c._burstMode, c._burstDuration,
                  c._destroyOnCompletion, c._clearParticlesOnComplete);
}
auto Keyed(const Physics& c) {
  return std::tie(c._velocity, c._acceleration, c._linearDamping, c._angularVelocity,
                  c._angularAcceleration, c._angularDamping, c._mass, c._isKinematic,
                  c._gravityMultiplier);
}
auto Keyed(const Prefab& c) { return std::tie(c._prefabAlias); }
auto Keyed(const RMLDocument& c) { return std::tie(c._path, c._isMenuDocument); }
auto Keyed(const SceneIdentifier& c) { return std::tie(c._sceneName); }
auto Keyed(const Sequence& c) { return std::tie(c._path, c._BPM, c._duration, c._numInstruments); }
auto Keyed(const SoundBank& c) { return std::tie(c._loop, c._pairs); }
auto Keyed(const SoundEmitter& c) {
  return std::tie(c._soundAlias, c._innerRadius, c._outerRadius, c._innerVol, c._outerVol,
                  c._decayFactor, c._panningMultiplier, c._looping, c._interval);
}
auto Keyed(const SpriteText& c) { return std::tie(c._text, c._anchorX, c._anchorY); }
auto Keyed(const TTF& c) {
  return std::tie(c._fontFilePath, c._fontSize, c._text, c._anchor, c._color, c._color2,
                  c._alignment);
}
auto Keyed(const TagContainer& c) { return std::tie(c._tags); }
auto Keyed(const TextureComponent& c) {
  return std::tie(c._albedoPath, c._normalPath, c._minAlbedoInterpolationMode,
                  c._maxAlbedoInterpolationMode, c._minNormalInterpolationMode,
                  c._maxNormalInterpolationMode, c._albedoRepeatMode, c._normalRepeatMode);
}
auto Keyed(const Tilemap& c) { return std::tie(c._path, c._trailMapPath, c._foliageData); }
auto Keyed(const Transform& c) {
  return std::tie(c._position, c._rotation, c._scale, c._string, c._speed, c._pair, c._pairSet,
                  c._depthModifier, c._useModifierMatrix);
}
auto Keyed(const WindEmitter& c) {
  return std::tie(c._type, c._directionAngle, c._strength, c._strengthVariationRange,
                  c._strenghVariationDelta, c._radius, c._resolution, c._movingVelocityThreshold,
                  c._offset);
}

// Positions of the keyed members that still equal their construction values.
template <typename Tuple, std::size_t... I>
std::vector<std::size_t> Unchanged(const Tuple& read, const Tuple& defaults,
                                   std::index_sequence<I...>) {
  std::vector<std::size_t> positions;
  ((std::get<I>(read) == std::get<I>(defaults) ? positions.push_back(I) : void()), ...);
  return positions;
}

struct ReaderCase {
  const char* component;
  // Whether the reader gives the construction values for `section`.
  std::function<bool(const json&)> givesDefaults;
  // Positions of keyed members the reader leaves at their defaults for `section`.
  std::function<std::vector<std::size_t>(const json&)> unchanged;
  // A section that sets every key to a value other than its default.
  json everyKey;
};

template <typename Component>
ReaderCase Reader(const char* component, Component (*read)(const json&), json everyKey) {
  return {component,
          [read](const json& section) { return Keyed(read(section)) == Keyed(Component{}); },
          [read](const json& section) {
            const Component result = read(section);
            const Component defaults;
            const auto keyed = Keyed(result);
            return Unchanged(keyed, Keyed(defaults),
                             std::make_index_sequence<std::tuple_size_v<decltype(keyed)>>());
          },
          std::move(everyKey)};
}

json Vec(float x, float y, float z) { return {{"x", x}, {"y", y}, {"z", z}}; }
json Vec(float x, float y, float z, float w) { return {{"x", x}, {"y", y}, {"z", z}, {"w", w}}; }
json Vec(float x, float y) { return {{"x", x}, {"y", y}}; }

// A realistic emitter section: a burst of embers rising from a box, with curves and modifiers.
const char* const kEmberEmitter = R"json({
  "_emitByParentVelocity": true,
  "_velocityEmissionThreshold": 0.25,
  "_emissionRate": 40,
  "_prewarmTime": 1.5,
  "_maxParticles": 250,
  "_lifetimeRange": {"x": 0.5, "y": 2.0},
  "_meshPath": "GAME/Meshes/quad.mesh",
  "_materialPath": "GAME/Materials/ember.json",
  "_useAnimationComponentTexture": true,
  "_freezeAnimationFrame": true,
  "_texturePath": "GAME/Textures/ember.png",
  "_emissionShape": "Box",
  "_emissionBounds": {"x": 2, "y": 0.5, "z": 1},
  "_offset": {"x": 0, "y": 1, "z": 0},
  "_startVelocityRange": {"x": 0.1, "y": 3, "z": 0.1},
  "_endVelocityRange": {"x": 0, "y": 0.5, "z": 0},
  "_accelerationRange": {"x": 0, "y": -1, "z": 0, "w": 10},
  "_rotationMode": "RotationMode::NonUniform",
  "_initialRotation": {"x": 0, "y": 0, "z": 45},
  "_rotationRange": {"x": 0, "y": 0, "z": 90},
  "_startAngularVelocityRange": {"x": 0, "y": 0, "z": 30},
  "_endAngularVelocityRange": {"x": 0, "y": 0, "z": 5},
  "_angularAccelerationRange": {"x": 0, "y": 0, "z": -2, "w": 25},
  "_scaleMode": "ScaleMode::Dynamic",
  "_startScaleRange": {"x": 0.2, "y": 0.2, "z": 0.2},
  "_endScaleRange": {"x": 0.05, "y": 0.05, "z": 0.05},
  "_scaleModifiers": {"velocityInfluence": 0.3, "distanceInfluence": 0.1,
                      "oscillationFrequency": 4, "oscillationAmplitude": 0.02,
                      "enableOscillation": true},
  "_noiseModifiers": {"scale": {"x": 2, "y": 2, "z": 2}, "strength": {"x": 0.5, "y": 0, "z": 0.5},
                      "scrollSpeed": 0.75, "octaves": 3, "persistence": 0.4, "lacunarity": 2.5},
  "_turbulenceModifiers": {"intensity": 1.25, "frequency": {"x": 3, "y": 1, "z": 3},
                           "offset": {"x": 0.5, "y": 0, "z": 0}, "scrollSpeed": 0.2},
  "_randomColors": true,
  "_constantColorR": true,
  "_constantColorG": true,
  "_constantColorB": true,
  "_constantColorA": true,
  "_startColorRange": {"x": 1, "y": 0.6, "z": 0.1, "w": 1},
  "_startColorRange2": {"x": 1, "y": 0.8, "z": 0.2, "w": 1},
  "_endColorRange": {"x": 0.4, "y": 0.1, "z": 0, "w": 0},
  "_endColorRange2": {"x": 0.5, "y": 0.2, "z": 0, "w": 0},
  "_mathEquation": "sin(t) * 0.5",
  "_renderMode": "Mode2D",
  "_transparent": false,
  "_scaleCurve": {"enabled": true, "defaultValue": {"x": 1, "y": 1, "z": 1},
                  "keyframes": [{"time": 0, "value": {"x": 0.1, "y": 0.1, "z": 0.1}},
                                {"time": 1, "value": {"x": 0, "y": 0, "z": 0}}]},
  "_colorCurve": {"enabled": true, "defaultValue": {"x": 1, "y": 1, "z": 1, "w": 1},
                  "keyframes": [{"time": 0, "value": {"x": 1, "y": 0.7, "z": 0.2, "w": 1}},
                                {"time": 0.6, "value": {"x": 0.8, "y": 0.2, "z": 0, "w": 0.5}},
                                {"time": 1, "value": {"x": 0.2, "y": 0, "z": 0, "w": 0}}]},
  "_particleSpace": "Local",
  "_active": false,
  "_burstMode": true,
  "_burstDuration": 0.5,
  "_destroyOnCompletion": true,
  "_clearParticlesOnComplete": true,
  "_unknownKey": "ignored"
})json";

std::vector<ReaderCase> AllReaders() {
  return {
      Reader("AnimationGroup", ReadAnimationGroup,
             {{"_sheetWidth", 8}, {"_sheetHeight", 4}, {"_animList", {"walk walk.anim"}}}),
      Reader("Camera", ReadCamera,
             {{"_mode", "PERSPECTIVE"},
              {"_zoom", 0.8},
              {"_nearPlane", 0.1},
              {"_farPlane", 50},
              {"_frameBuffer", "Renderer::FramebufferLayer::GAMEUI"}}),
      Reader("Collider", ReadCollider,
             {{"_type", "CIRCLE"},
              {"_offset", Vec(0, 1, 0)},
              {"_size", Vec(2, 2, 2)},
              {"_trigger", true},
              {"_radius", 0.5},
              {"_isActive", false},
              {"_layer", "ColliderLayer::ENEMY"}}),
      Reader("Light", ReadLight,
             {{"_targetFramebuffer", "Renderer::FramebufferLayer::FXAA"},
              {"_type", 2},
              {"_color", Vec(1, 0.5, 0)},
              {"_strength", 3},
              {"_radii", Vec(1, 20)},
              {"_direction", Vec(0, -1, 0)},
              {"_angle", 30},
              {"_positionOffset", Vec(0, 2, 0)}}),
      Reader("LuaScript", ReadLuaScript,
             {{"_scriptPath", "GAME/Scripts/door.lua"}, {"_functions", {"Open", "Close"}}}),
      Reader("LuaScriptContainer", ReadLuaScriptContainer, {{"_scriptList", {"door door.lua"}}}),
      Reader("MaterialComponent", ReadMaterialComponent,
             {{"_path", "GAME/Materials/stone.json"},
              {"_overrideAmbient", true},
              {"_overrideDiffuse", true},
              {"_overrideSpecular", true},
              {"_overrideShininess", true},
              {"_ambientOverride", Vec(0.1, 0.1, 0.1)},
              {"_diffuseOverride", Vec(0.5, 0.5, 0.5, 0.5)},
              {"_specularOverride", Vec(1, 1, 1)},
              {"_shininess", 32}}),
      Reader("MeshComponent", ReadMeshComponent,
             {{"_path", "GAME/Meshes/rock.mesh"}, {"_offset", Vec(0, 0.5, 0)}}),
      Reader("ModelList", ReadModelList, {{"_path", "GAME/Models/forest.txt"}}),
      Reader("Parent", ReadParent, {{"_alias", "Player"}}),
      Reader("ParticleEmitter", ReadParticleEmitter, json::parse(kEmberEmitter)),
      Reader("Physics", ReadPhysics,
             {{"_velocity", Vec(1, 0, 0)},
              {"_acceleration", Vec(0, -1, 0)},
              {"_linearDamping", 0.9},
              {"_angularVelocity", Vec(0, 0, 1)},
              {"_angularAcceleration", Vec(0, 0, 2)},
              {"_angularDamping", 0.3},
              {"_mass", 5},
              {"_isKinematic", true},
              {"_gravityMultiplier", 2}}),
      Reader("Prefab", ReadPrefab, {{"_prefabAlias", "Enemy"}}),
      Reader("RMLDocument", ReadRMLDocument,
             {{"_path", "GAME/UI/menu.rml"}, {"_isMenuDocument", true}}),
      Reader("SceneIdentifier", ReadSceneIdentifier, {{"_sceneName", "forest"}}),
      Reader("Sequence", ReadSequence,
             {{"_path", "GAME/Sounds/theme.seq"},
              {"_BPM", 120},
              {"_duration", 64},
              {"_numInstruments", 4}}),
      Reader("SoundBank", ReadSoundBank, {{"_loop", true}, {"_pairs", {"hit hit.wav"}}}),
      Reader("SoundEmitter", ReadSoundEmitter,
             {{"_soundAlias", "fire"},
              {"_innerRadius", 2},
              {"_outerRadius", 20},
              {"_innerVol", 0.8},
              {"_outerVol", 0.1},
              {"_decayFactor", 2},
              {"_panningMultiplier", 0.5},
              {"_looping", true},
              {"_interval", 3}}),
      Reader("SpriteText", ReadSpriteText,
             {{"_text", "Score"}, {"_anchorX", "left"}, {"_anchorY", "top"}}),
      Reader("TTF", ReadTTF,
             {{"_fontFilePath", "GAME/Fonts/DejaVuSans.ttf"},
              {"_fontSize", 32},
              {"_text", "Hi"},
              {"_anchor", Vec(0.5, 0.5)},
              {"_color", Vec(1, 0, 0)},
              {"_color2", Vec(0, 0, 1)},
              {"_alignment", 1}}),
      Reader("TagContainer", ReadTagContainer, {{"_tags", {"enemy", "flying"}}}),
      Reader("TextureComponent", ReadTextureComponent,
             {{"_albedoPath", "GAME/Textures/a.png"},
              {"_normalPath", "GAME/Textures/n.png"},
              {"_minAlbedoInterpolationMode", "TextureComponent::InterpolationMode::LINEAR"},
              {"_maxAlbedoInterpolationMode", "TextureComponent::InterpolationMode::LINEAR"},
              {"_minNormalInterpolationMode", "TextureComponent::InterpolationMode::LINEAR"},
              {"_maxNormalInterpolationMode", "TextureComponent::InterpolationMode::LINEAR"},
              {"_albedoRepeatMode", "TextureComponent::RepeatMode::CLAMP_TO_EDGE"},
              {"_normalRepeatMode", "TextureComponent::RepeatMode::MIRRORED_REPEAT"}}),
      Reader("Tilemap", ReadTilemap,
             {{"_path", "GAME/Tiles/forest.tile"},
              {"_trailMapPath", "GAME/Textures/trail.png"},
              {"_foliageData", json::array({{{"_meshPath", "grass.mesh"}}})}}),
      Reader("Transform", ReadTransform,
             {{"_position", Vec(1, 2, 3)},
              {"_rotation", Vec(0, 0, 90)},
              {"_scale", Vec(2, 2, 2)},
              {"_string", "tag"},
              {"_speed", true},
              {"_pair", {{"first", 1}, {"second", "a"}}},
              {"_pairSet", json::array({{{"first", 2}, {"second", "b"}}})},
              {"_depthModifier", 0.5},
              {"_useModifierMatrix", true}}),
      Reader("WindEmitter", ReadWindEmitter,
             {{"_type", "WindEmitterType::Vortex"},
              {"_directionAngle", 90},
              {"_strength", 2},
              {"_strengthVariationRange", Vec(0.5, 1.5)},
              {"_strenghVariationDelta", 0.25},
              {"_radius", 5},
              {"_resolution", 8},
              {"_movingVelocityThreshold", 0.1},
              {"_offset", Vec(1, 1)}}),
  };
}

// Enum reads log to std::cout and std::cerr; the tests below collect that text instead of
// printing it (the test framework's own reports go to the process's stdout, unaffected).
class QuietReader : public testing::Test {
 protected:
  void SetUp() override {
    savedOut = std::cout.rdbuf(outText.rdbuf());
    savedErr = std::cerr.rdbuf(errText.rdbuf());
  }
  void TearDown() override { Release(); }
  void Release() {
    if (savedOut) std::cout.rdbuf(savedOut);
    if (savedErr) std::cerr.rdbuf(savedErr);
    savedOut = savedErr = nullptr;
    out = outText.str();
    err = errText.str();
  }
  std::ostringstream outText;
  std::ostringstream errText;
  std::streambuf* savedOut = nullptr;
  std::streambuf* savedErr = nullptr;
  std::string out;
  std::string err;
};

using ComponentReaders = QuietReader;

TEST_F(ComponentReaders, SectionsThatAreEmptyOrNotObjectsGiveTheDefaults) {
  const json sections[] = {json::object(), json::array(), 5,
                           nullptr,        "Transform",   json::array({{{"_alias", "x"}}})};
  for (const ReaderCase& reader : AllReaders()) {
    for (const json& section : sections) {
      EXPECT_TRUE(reader.givesDefaults(section)) << reader.component << " from " << section.dump();
    }
  }
}

TEST_F(ComponentReaders, EveryKeyOfEveryTableIsRead) {
  for (const ReaderCase& reader : AllReaders()) {
    const std::vector<std::size_t> unchanged = reader.unchanged(reader.everyKey);
    EXPECT_TRUE(unchanged.empty())
        << reader.component << ": keyed member #" << unchanged.front() << " kept its default";
  }
}

TEST_F(ComponentReaders, EmberEmitterFixtureFillsEveryField) {
  const ParticleEmitter emitter = ReadParticleEmitter(json::parse(kEmberEmitter));

  EXPECT_TRUE(emitter._emitByParentVelocity);
  EXPECT_FLOAT_EQ(emitter._velocityEmissionThreshold, 0.25f);
  EXPECT_FLOAT_EQ(emitter._emissionRate, 40.0f);
  EXPECT_FLOAT_EQ(emitter._prewarmTime, 1.5f);
  EXPECT_EQ(emitter._maxParticles, 250u);
  EXPECT_EQ(emitter._lifetimeRange, glm::vec2(0.5f, 2.0f));
  EXPECT_EQ(emitter._meshPath, "GAME/Meshes/quad.mesh");
  EXPECT_EQ(emitter._materialPath, "GAME/Materials/ember.json");
  EXPECT_TRUE(emitter._useAnimationComponentTexture);
  EXPECT_TRUE(emitter._freezeAnimationFrame);
  EXPECT_EQ(emitter._texturePath, "GAME/Textures/ember.png");
  EXPECT_EQ(emitter._emissionShape, EmissionShape::Box);
  EXPECT_EQ(emitter._emissionBounds, glm::vec3(2.0f, 0.5f, 1.0f));
  EXPECT_EQ(emitter._offset, glm::vec3(0.0f, 1.0f, 0.0f));
  EXPECT_EQ(emitter._startVelocityRange, glm::vec3(0.1f, 3.0f, 0.1f));
  EXPECT_EQ(emitter._endVelocityRange, glm::vec3(0.0f, 0.5f, 0.0f));
  EXPECT_EQ(emitter._accelerationRange, glm::vec4(0.0f, -1.0f, 0.0f, 10.0f));
  EXPECT_EQ(emitter._rotationMode, RotationMode::NonUniform);
  EXPECT_EQ(emitter._initialRotation, glm::vec3(0.0f, 0.0f, 45.0f));
  EXPECT_EQ(emitter._rotationRange, glm::vec3(0.0f, 0.0f, 90.0f));
  EXPECT_EQ(emitter._startAngularVelocityRange, glm::vec3(0.0f, 0.0f, 30.0f));
  EXPECT_EQ(emitter._endAngularVelocityRange, glm::vec3(0.0f, 0.0f, 5.0f));
  EXPECT_EQ(emitter._angularAccelerationRange, glm::vec4(0.0f, 0.0f, -2.0f, 25.0f));
  EXPECT_EQ(emitter._scaleMode, ScaleMode::Dynamic);
  EXPECT_EQ(emitter._startScaleRange, glm::vec3(0.2f));
  EXPECT_EQ(emitter._endScaleRange, glm::vec3(0.05f));

  EXPECT_FLOAT_EQ(emitter._scaleModifiers.velocityInfluence, 0.3f);
  EXPECT_FLOAT_EQ(emitter._scaleModifiers.distanceInfluence, 0.1f);
  EXPECT_FLOAT_EQ(emitter._scaleModifiers.oscillationFrequency, 4.0f);
  EXPECT_FLOAT_EQ(emitter._scaleModifiers.oscillationAmplitude, 0.02f);
  EXPECT_TRUE(emitter._scaleModifiers.enableOscillation);
  EXPECT_EQ(emitter._noiseModifiers.scale, glm::vec3(2.0f));
  EXPECT_EQ(emitter._noiseModifiers.strength, glm::vec3(0.5f, 0.0f, 0.5f));
  EXPECT_FLOAT_EQ(emitter._noiseModifiers.scrollSpeed, 0.75f);
  EXPECT_EQ(emitter._noiseModifiers.octaves, 3);
  EXPECT_FLOAT_EQ(emitter._noiseModifiers.persistence, 0.4f);
  EXPECT_FLOAT_EQ(emitter._noiseModifiers.lacunarity, 2.5f);
  EXPECT_FLOAT_EQ(emitter._turbulenceModifiers.intensity, 1.25f);
  EXPECT_EQ(emitter._turbulenceModifiers.frequency, glm::vec3(3.0f, 1.0f, 3.0f));
  EXPECT_EQ(emitter._turbulenceModifiers.offset, glm::vec3(0.5f, 0.0f, 0.0f));
  EXPECT_FLOAT_EQ(emitter._turbulenceModifiers.scrollSpeed, 0.2f);

  EXPECT_TRUE(emitter._randomColors);
  EXPECT_TRUE(emitter._constantColorR && emitter._constantColorG && emitter._constantColorB &&
              emitter._constantColorA);
  EXPECT_EQ(emitter._startColorRange, glm::vec4(1.0f, 0.6f, 0.1f, 1.0f));
  EXPECT_EQ(emitter._startColorRange2, glm::vec4(1.0f, 0.8f, 0.2f, 1.0f));
  EXPECT_EQ(emitter._endColorRange, glm::vec4(0.4f, 0.1f, 0.0f, 0.0f));
  EXPECT_EQ(emitter._endColorRange2, glm::vec4(0.5f, 0.2f, 0.0f, 0.0f));
  EXPECT_EQ(emitter._mathEquation, "sin(t) * 0.5");
  EXPECT_EQ(emitter._renderMode, RenderMode::Mode2D);
  EXPECT_FALSE(emitter._transparent);

  EXPECT_TRUE(emitter._scaleCurve.enabled);
  EXPECT_EQ(emitter._scaleCurve.defaultValue, glm::vec3(1.0f));
  const std::vector<Keyframe<glm::vec3>> scaleKeys = {{0.0f, glm::vec3(0.1f)},
                                                      {1.0f, glm::vec3(0.0f)}};
  EXPECT_TRUE(emitter._scaleCurve.keyframes == scaleKeys);
  EXPECT_TRUE(emitter._colorCurve.enabled);
  EXPECT_EQ(emitter._colorCurve.defaultValue, glm::vec4(1.0f));
  const std::vector<Keyframe<glm::vec4>> colorKeys = {{0.0f, glm::vec4(1.0f, 0.7f, 0.2f, 1.0f)},
                                                      {0.6f, glm::vec4(0.8f, 0.2f, 0.0f, 0.5f)},
                                                      {1.0f, glm::vec4(0.2f, 0.0f, 0.0f, 0.0f)}};
  EXPECT_TRUE(emitter._colorCurve.keyframes == colorKeys);

  EXPECT_EQ(emitter._particleSpace, ParticleSpace::Local);
  EXPECT_FALSE(emitter._active);
  EXPECT_TRUE(emitter._burstMode);
  EXPECT_FLOAT_EQ(emitter._burstDuration, 0.5f);
  EXPECT_TRUE(emitter._destroyOnCompletion);
  EXPECT_TRUE(emitter._clearParticlesOnComplete);

  // Working members are not read.
  EXPECT_TRUE(emitter.particles.empty());
  EXPECT_EQ(emitter.meshHandle, -1);
  EXPECT_FLOAT_EQ(emitter.currentEmissionRate, 0.0f);

  Release();
  EXPECT_NE(out.find("Successfully deserialized to: RotationMode::NonUniform\n"),
            std::string::npos);
  EXPECT_EQ(err, "");
}

TEST_F(ComponentReaders, ResolvingAnEmitterWithoutAnEngineOnlyStartsItsEmissionRate) {
  ParticleEmitter emitter = ReadParticleEmitter(json::parse(kEmberEmitter));
  ResolveParticleResources(emitter);
  EXPECT_FLOAT_EQ(emitter.currentEmissionRate, 40.0f);
  EXPECT_EQ(emitter.meshHandle, -1);
  EXPECT_EQ(emitter.materialHandle, -1);
  EXPECT_EQ(emitter.textureHandle, -1);
}

// Hands out fixed handles and records what it was asked for.
class FakeEmitterResources final : public ResourceProvider {
 public:
  int GetTexture(const std::string& path, int minFilter, int magFilter, int wrap) override {
    requests.push_back("texture " + path + " " + std::to_string(minFilter) + " " +
                       std::to_string(magFilter) + " " + std::to_string(wrap));
    return 7;
  }
  bool HasTexture(const std::string&) const override { return false; }
  int CreateTexture(int, int, const std::uint8_t*, const std::string&, int, int) override {
    return -1;
  }
  int GetMesh(const std::string& path) override {
    requests.push_back("mesh " + path);
    return 3;
  }
  int GetMaterial(const std::string& path) override {
    requests.push_back("material " + path);
    return 5;
  }
  std::vector<std::string> requests;
};

class ParticleResources : public testing_support::EngineFixture {};

TEST_F(ParticleResources, HandlesComeFromTheEnginesProvider) {
  FakeEmitterResources resources;
  decs->SetResourceProvider(&resources);
  ParticleEmitter emitter;
  emitter._meshPath = "GAME/Meshes/quad.mesh";
  emitter._materialPath = "GAME/Materials/ember.json";
  emitter._texturePath = "GAME/Textures/ember.png";
  emitter._emissionRate = 12.0f;
  ResolveParticleResources(emitter);
  EXPECT_EQ(emitter.meshHandle, 3);
  EXPECT_EQ(emitter.materialHandle, 5);
  EXPECT_EQ(emitter.textureHandle, 7);
  EXPECT_FLOAT_EQ(emitter.currentEmissionRate, 12.0f);
  // Nearest filtering both ways (GL_NEAREST) and repeat wrapping (GL_REPEAT).
  EXPECT_EQ(
      resources.requests,
      (std::vector<std::string>{"mesh GAME/Meshes/quad.mesh", "material GAME/Materials/ember.json",
                                "texture GAME/Textures/ember.png 9728 9728 10497"}));
  decs->SetResourceProvider(nullptr);
}

TEST_F(ComponentReaders, ValuesInTheShapesFilesUse) {
  EXPECT_EQ(ReadTransform({{"_position", Vec(1, 2, 3)}})._position, glm::vec3(1, 2, 3));
  EXPECT_EQ(ReadParticleEmitter({{"_maxParticles", 250.7}})._maxParticles, 250u);
  EXPECT_EQ(ReadParticleEmitter({{"_maxParticles", true}})._maxParticles, 1u);
  EXPECT_EQ(ReadTagContainer({{"_tags", "enemy"}})._tags, std::vector<std::string>{"enemy"});
  EXPECT_TRUE(ReadTagContainer({{"_tags", nullptr}})._tags.empty());
  EXPECT_EQ(ReadAnimationGroup({{"_animList", {{"b", "run run.anim"}, {"a", "idle idle.anim"}}}})
                ._animList,
            (std::vector<std::string>{"idle idle.anim", "run run.anim"}));
  const std::set<std::pair<int, std::string>> pairs =
      ReadTransform({{"_pairSet", json::array({{{"first", 2}, {"second", "b"}},
                                               {{"first", 1}, {"second", "z"}},
                                               {{"first", 2}, {"second", "b"}}})}})
          ._pairSet;
  EXPECT_EQ(pairs, (std::set<std::pair<int, std::string>>{{1, "z"}, {2, "b"}}));
  EXPECT_EQ(ReadCollider({{"_layer", "ColliderLayer::PLAYER"}})._layer, ColliderLayer::PLAYER);

  // The delta is read under its files' spelling only.
  EXPECT_FLOAT_EQ(ReadWindEmitter({{"_strengthVariationDelta", 0.5}})._strenghVariationDelta, 0.0f);
  EXPECT_FLOAT_EQ(ReadWindEmitter({{"_strenghVariationDelta", 0.5}})._strenghVariationDelta, 0.5f);

  // A foliage layer reads its keys; what the tile map loader fills stays as constructed.
  const Tilemap tilemap = ReadTilemap(
      {{"_foliageData",
        json::array({{{"_meshPath", "grass.mesh"}, {"_maxDensity", 4.9}, {"_color2", Vec(0, 1, 0)}},
                     nullptr})}});
  ASSERT_EQ(tilemap._foliageData.size(), 2u);
  EXPECT_EQ(tilemap._foliageData[0]._meshPath, "grass.mesh");
  EXPECT_EQ(tilemap._foliageData[0]._maxDensity, 4);
  EXPECT_EQ(tilemap._foliageData[0]._color2, glm::vec3(0, 1, 0));
  EXPECT_FLOAT_EQ(tilemap._foliageData[0]._colorThreshold3, 0.5f);
  EXPECT_EQ(tilemap._foliageData[0].densityTexture, -1);
  EXPECT_TRUE(tilemap._foliageData[1] == FoliageData{}) << "null reads as the defaults";
}

TEST_F(ComponentReaders, CameraKeysAreStoredWithoutRebuildingTheProjection) {
  const Camera defaults;
  const Camera camera = ReadCamera({{"_mode", "PERSPECTIVE"}, {"_zoom", 0.8}, {"_farPlane", 50}});
  EXPECT_EQ(camera._mode, Mode::PERSPECTIVE);
  EXPECT_FLOAT_EQ(camera._zoom, 0.8f);
  EXPECT_EQ(camera.projection, defaults.projection);
  EXPECT_FALSE(camera.projectionDirty);
}

TEST_F(ComponentReaders, WrongValuesThrowTheReaderOut) {
  struct Case {
    const char* what;
    std::function<void()> read;
    std::string message;
  };
  const Case cases[] = {
      {"vector as array",
       [] {
         ReadTransform({{"_position", {1, 2, 3}}});
       },
       "cannot use operator[] with a string argument with array"},
      {"boolean as number",
       [] {
         ReadPhysics({{"_isKinematic", 1}});
       },
       "type must be boolean, but is number"},
      {"enum as number",
       [] {
         ReadCamera({{"_mode", 1}});
       },
       "type must be string, but is number"},
      {"negative count",
       [] {
         ReadParticleEmitter({{"_maxParticles", -5}});
       },
       "number -5 is out of range for unsigned int"},
      {"curve keyframe value",
       [] {
         ReadParticleEmitter({{"_scaleCurve", {{"keyframes", {{{"value", "big"}}}}}}});
       },
       "cannot use operator[] with a string argument with string"},
      {"modifier member",
       [] {
         ReadParticleEmitter({{"_noiseModifiers", {{"octaves", "3"}}}});
       },
       "type must be number, but is string"},
      {"foliage member",
       [] {
         ReadTilemap({{"_foliageData", {{{"_meshPath", 3}}}}});
       },
       "type must be string, but is number"},
      {"bare layer name",
       [] {
         ReadCollider({{"_layer", "PLAYER"}});
       },
       "Invalid enum string: PLAYER. Valid values are: ColliderLayer::DEFAULT, "
       "ColliderLayer::BULLET, ColliderLayer::PLAYER, ColliderLayer::ENEMY, "
       "ColliderLayer::PLAYER_DASHING, ColliderLayer::MEGA_BLOCK_ENEMY, ColliderLayer::PUSHER"},
  };
  for (const Case& testCase : cases) {
    try {
      testCase.read();
      ADD_FAILURE() << testCase.what << ": no exception";
    } catch (const std::exception& error) {
      const std::string what = error.what();
      EXPECT_EQ(what.substr(what.size() - std::min(what.size(), testCase.message.size())),
                testCase.message)
          << testCase.what;
    }
  }
}

TEST_F(ComponentReaders, UnknownCameraModeIsLoggedWithTheListAndRethrown) {
  EXPECT_THROW(ReadCamera({{"_mode", "Orthographic"}}), std::runtime_error);
  Release();
  EXPECT_EQ(out,
            "Deserializing enum Mode. JSON value: 'Orthographic'\n"
            "Valid enum values: 'ORTHO, PERSPECTIVE'\n");
  EXPECT_EQ(err,
            "Error deserializing enum Mode: Invalid enum string: Orthographic. Valid values are: "
            "ORTHO, PERSPECTIVE\n");
}

}  // namespace
