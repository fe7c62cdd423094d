#pragma once
// Readers of the composite values that component fields hold: vectors, keyframes, property
// curves, the particle modifier records, FoliageData, pairs, lists and sets.
//
// Each takes one JSON value and returns the value built from it. Keyed values (keyframes,
// curves, modifiers, FoliageData) follow the record rules of components/field_binding.h: a
// value that is not an object gives the defaults, missing keys keep theirs, and their keys
// carry no leading underscore ("time", "keyframes", "scrollSpeed"; FoliageData's do).
//
// Vectors and pairs must be objects: anything else throws nlohmann::json::type_error 305
// "cannot use operator[] with a string argument with <type>". A missing member ("x" without
// "y", a pair without "second") reads as 0 or the empty string; a member of the wrong type
// throws the type error of its field type.
//
// Lists and sets accept several shapes:
//   [a, b, c]          the elements in array order
//   {"k1": a, "k2": b} the member values in key order (the JSON library sorts members by key)
//   null               nothing
//   any other value    a list of that one element
// A set drops an element equal to one already present; sets of strings are ordered by text,
// sets of pairs by the number, then the text.

#include <glm/glm.hpp>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "components/field_binding.h"
#include "components/particle_emitter.h"
#include "components/tilemap.h"

glm::vec2 ReadVec2(const nlohmann::json& value);
glm::vec3 ReadVec3(const nlohmann::json& value);
glm::vec4 ReadVec4(const nlohmann::json& value);

// "time" (float) and "value" (the vector); a missing one reads as 0.
Keyframe<glm::vec3> ReadKeyframeVec3(const nlohmann::json& value);
Keyframe<glm::vec4> ReadKeyframeVec4(const nlohmann::json& value);

// "keyframes" (a list of keyframes), "enabled" (bool), "defaultValue" (the vector).
PropertyCurve<glm::vec3> ReadPropertyCurveVec3(const nlohmann::json& value);
PropertyCurve<glm::vec4> ReadPropertyCurveVec4(const nlohmann::json& value);

ScaleModifiers ReadScaleModifiers(const nlohmann::json& value);
NoiseModifiers ReadNoiseModifiers(const nlohmann::json& value);
TurbulenceModifers ReadTurbulenceModifers(const nlohmann::json& value);

// One foliage layer of a Tilemap "_foliageData" list; the working members keep their
// construction values.
FoliageData ReadFoliageData(const nlohmann::json& value);

// {"first": int, "second": string}.
IntStringPair ReadIntStringPair(const nlohmann::json& value);

std::vector<std::string> ReadStringList(const nlohmann::json& value);
std::vector<Keyframe<glm::vec3>> ReadKeyframeVec3List(const nlohmann::json& value);
std::vector<Keyframe<glm::vec4>> ReadKeyframeVec4List(const nlohmann::json& value);
std::vector<FoliageData> ReadFoliageDataList(const nlohmann::json& value);
std::set<std::string> ReadStringSet(const nlohmann::json& value);
std::set<IntStringPair> ReadIntStringPairSet(const nlohmann::json& value);

// Calls `readElement` with each element of `value` in the list shapes above.
template <typename ReadElement>
void ForEachListElement(const nlohmann::json& value, ReadElement&& readElement) {
  if (value.is_null()) return;
  if (value.is_array() || value.is_object()) {
    for (const nlohmann::json& element : value) readElement(element);
    return;
  }
  readElement(value);
}
