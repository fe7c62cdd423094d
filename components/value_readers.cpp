#include "components/value_readers.h"

namespace {

using nlohmann::json;

// Vectors and pairs are read member by member, so their value must be an object. The error is
// the one the JSON library gives for a keyed look-up on any other type.
void RequireObject(const json& value) {
  if (!value.is_object()) {
    throw json::type_error::create(
        305, std::string("cannot use operator[] with a string argument with ") + value.type_name(),
        &value);
  }
}

// A vector member: 0 when missing, a float otherwise.
float ReadComponent(const json& vector, const char* key) {
  const auto member = vector.find(key);
  return member == vector.end() ? 0.0f : ReadFloat(*member);
}

template <typename Value>
Keyframe<Value> ReadKeyframe(const json& value) {
  Keyframe<Value> keyframe;
  ReadRecord(value, {{"time", &keyframe.time}, {"value", &keyframe.value}});
  return keyframe;
}

template <typename Value>
PropertyCurve<Value> ReadPropertyCurve(const json& value) {
  PropertyCurve<Value> curve;
  ReadRecord(value, {{"keyframes", &curve.keyframes},
                     {"enabled", &curve.enabled},
                     {"defaultValue", &curve.defaultValue}});
  return curve;
}

template <typename Element, typename ReadElement>
std::vector<Element> ReadList(const json& value, ReadElement readElement) {
  std::vector<Element> list;
  ForEachListElement(value, [&](const json& element) { list.push_back(readElement(element)); });
  return list;
}

template <typename Element, typename ReadElement>
std::set<Element> ReadSet(const json& value, ReadElement readElement) {
  std::set<Element> set;
  ForEachListElement(value, [&](const json& element) { set.insert(readElement(element)); });
  return set;
}

}  // namespace

glm::vec2 ReadVec2(const json& value) {
  RequireObject(value);
  return {ReadComponent(value, "x"), ReadComponent(value, "y")};
}

glm::vec3 ReadVec3(const json& value) {
  RequireObject(value);
  return {ReadComponent(value, "x"), ReadComponent(value, "y"), ReadComponent(value, "z")};
}

glm::vec4 ReadVec4(const json& value) {
  RequireObject(value);
  return {ReadComponent(value, "x"), ReadComponent(value, "y"), ReadComponent(value, "z"),
          ReadComponent(value, "w")};
}

Keyframe<glm::vec3> ReadKeyframeVec3(const json& value) { return ReadKeyframe<glm::vec3>(value); }

Keyframe<glm::vec4> ReadKeyframeVec4(const json& value) { return ReadKeyframe<glm::vec4>(value); }

PropertyCurve<glm::vec3> ReadPropertyCurveVec3(const json& value) {
  return ReadPropertyCurve<glm::vec3>(value);
}

PropertyCurve<glm::vec4> ReadPropertyCurveVec4(const json& value) {
  return ReadPropertyCurve<glm::vec4>(value);
}

ScaleModifiers ReadScaleModifiers(const json& value) {
  ScaleModifiers modifiers;
  ReadRecord(value, {{"velocityInfluence", &modifiers.velocityInfluence},
                     {"distanceInfluence", &modifiers.distanceInfluence},
                     {"oscillationFrequency", &modifiers.oscillationFrequency},
                     {"oscillationAmplitude", &modifiers.oscillationAmplitude},
                     {"enableOscillation", &modifiers.enableOscillation}});
  return modifiers;
}

NoiseModifiers ReadNoiseModifiers(const json& value) {
  NoiseModifiers modifiers;
  ReadRecord(value, {{"scale", &modifiers.scale},
                     {"strength", &modifiers.strength},
                     {"scrollSpeed", &modifiers.scrollSpeed},
                     {"octaves", &modifiers.octaves},
                     {"persistence", &modifiers.persistence},
                     {"lacunarity", &modifiers.lacunarity}});
  return modifiers;
}

TurbulenceModifers ReadTurbulenceModifers(const json& value) {
  TurbulenceModifers modifiers;
  ReadRecord(value, {{"intensity", &modifiers.intensity},
                     {"frequency", &modifiers.frequency},
                     {"offset", &modifiers.offset},
                     {"scrollSpeed", &modifiers.scrollSpeed}});
  return modifiers;
}

FoliageData ReadFoliageData(const json& value) {
  FoliageData foliage;
  ReadRecord(value, {{"_meshPath", &foliage._meshPath},
                     {"_color1", &foliage._color1},
                     {"_color2", &foliage._color2},
                     {"_color3", &foliage._color3},
                     {"_color4", &foliage._color4},
                     {"_colorThreshold1", &foliage._colorThreshold1},
                     {"_colorThreshold2", &foliage._colorThreshold2},
                     {"_colorThreshold3", &foliage._colorThreshold3},
                     {"_colorThreshold4", &foliage._colorThreshold4},
                     {"_densityMapPath", &foliage._densityMapPath},
                     {"_heightMapPath", &foliage._heightMapPath},
                     {"_maxWindSpeed", &foliage._maxWindSpeed},
                     {"_minHeight", &foliage._minHeight},
                     {"_maxHeight", &foliage._maxHeight},
                     {"_maxDepressStrength", &foliage._maxDepressStrength},
                     {"_maxDensity", &foliage._maxDensity}});
  return foliage;
}

IntStringPair ReadIntStringPair(const json& value) {
  RequireObject(value);
  IntStringPair pair{0, ""};
  if (const auto first = value.find("first"); first != value.end()) pair.first = ReadInt(*first);
  if (const auto second = value.find("second"); second != value.end()) {
    pair.second = ReadString(*second);
  }
  return pair;
}

std::vector<std::string> ReadStringList(const json& value) {
  return ReadList<std::string>(value, ReadString);
}

std::vector<Keyframe<glm::vec3>> ReadKeyframeVec3List(const json& value) {
  return ReadList<Keyframe<glm::vec3>>(value, ReadKeyframeVec3);
}

std::vector<Keyframe<glm::vec4>> ReadKeyframeVec4List(const json& value) {
  return ReadList<Keyframe<glm::vec4>>(value, ReadKeyframeVec4);
}

std::vector<FoliageData> ReadFoliageDataList(const json& value) {
  return ReadList<FoliageData>(value, ReadFoliageData);
}

std::set<std::string> ReadStringSet(const json& value) {
  return ReadSet<std::string>(value, ReadString);
}

std::set<IntStringPair> ReadIntStringPairSet(const json& value) {
  return ReadSet<IntStringPair>(value, ReadIntStringPair);
}
