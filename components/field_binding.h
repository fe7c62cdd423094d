#pragma once
// Table-driven reading of component records from entity and prefab files.
//
// A record is read by a field table: a list of (key, field) bindings, each naming a JSON member
// and the field of the record it is read into. The field's type, carried in the binding, picks
// how the member is read:
//
//   Light ReadLight(const nlohmann::json& section) {
//     Light light;                                     // the defaults
//     ReadRecord(section, {{"_type", &light._type},
//                          {"_color", &light._color}, ...});
//     return light;
//   }
//
// Record rules: a section that is not a JSON object leaves every field at its default; a
// missing key leaves its field at its default; members no binding names are ignored; keys are
// case-sensitive. Bindings are read in table order, and the first failure throws out of
// ReadRecord with the fields before it already written (callers discard the record).
//
// Value forms, by field type:
//   int, unsigned int  a number or a boolean: integers as they are, floats truncated toward
//                      zero, false 0, true 1. A value outside the field's range (a negative
//                      number for unsigned) is a type error; it never wraps.
//   float              a number or a boolean; beyond the range of float is a type error.
//   double             a number.
//   bool               a boolean.       std::string   a string.
//   glm::vec2/3/4      an object {"x", "y", "z", "w"}; a missing member reads 0, a member
//                      that is not a number is a type error, a value that is not an object
//                      is type error 305 "cannot use operator[] with a string argument with
//                      <type>".
//   enums of components/enum_names.h   a name string, read and logged by ReadEnumField.
//   keyframes, curves, modifiers, FoliageData, pairs, sets and lists: components/value_readers.h.
// A wrong JSON type throws nlohmann::json::type_error 302 "type must be number, but is string"
// (boolean, string likewise). A field of a type with no reader is reported on standard error
// as "Unsupported type for deserialization: <type name>" and left unchanged.

#include <glm/glm.hpp>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "components/enum_names.h"
#include "components/particle_emitter.h"
#include "components/tilemap.h"
#include "engine/type_name.h"

using IntStringPair = std::pair<int, std::string>;

// A field whose type has no reader; binding one is allowed so a record can name it, but
// reading it only reports the type.
struct UnsupportedField {
  std::string_view typeName;
};

// The address of a field and, through the alternative it holds, the field's type.
using FieldAddress = std::variant<
    int*, unsigned int*, float*, double*, bool*, std::string*, glm::vec2*, glm::vec3*, glm::vec4*,
    Keyframe<glm::vec3>*, Keyframe<glm::vec4>*, PropertyCurve<glm::vec3>*,
    PropertyCurve<glm::vec4>*, ScaleModifiers*, NoiseModifiers*, TurbulenceModifers*, FoliageData*,
    IntStringPair*, std::set<std::string>*, std::set<IntStringPair>*, std::vector<std::string>*,
    std::vector<Keyframe<glm::vec3>>*, std::vector<Keyframe<glm::vec4>>*, std::vector<FoliageData>*,
    EmissionShape*, Mode*, ColliderType*, RenderMode*, ParticleSpace*, RotationMode*, ScaleMode*,
    WindEmitterType*, FramebufferLayer*, ColliderLayer*, TextureComponent::InterpolationMode*,
    TextureComponent::RepeatMode*, UnsupportedField>;

template <typename T, typename Variant>
inline constexpr bool kIsAlternative = false;
template <typename T, typename... Alternatives>
inline constexpr bool kIsAlternative<T, std::variant<Alternatives...>> =
    (std::is_same_v<T, Alternatives> || ...);

// One entry of a field table: the JSON key (component keys begin with "_") and the field.
struct FieldBinding {
  template <typename Field>
  FieldBinding(const char* key, Field* field) : key(key), field(AddressOf(field)) {}

  const char* key;
  FieldAddress field;

 private:
  template <typename Field>
  static FieldAddress AddressOf(Field* field) {
    if constexpr (kIsAlternative<Field*, FieldAddress>) {
      return FieldAddress(std::in_place_type<Field*>, field);
    } else {
      return UnsupportedField{TypeName<Field>()};
    }
  }
};

// Reads `value` into the field `field` points at, by the field's type (the forms above).
// Throws nlohmann::json::type_error or, for an unknown enum name, std::runtime_error.
void ReadJsonField(const nlohmann::json& value, const FieldAddress& field);

// Applies the record rules to `section` with the field table `fields`.
void ReadRecord(const nlohmann::json& section, std::span<const FieldBinding> fields);
void ReadRecord(const nlohmann::json& section, std::initializer_list<FieldBinding> fields);

// The scalar forms, for readers of composite values.
int ReadInt(const nlohmann::json& value);
unsigned int ReadUnsigned(const nlohmann::json& value);
float ReadFloat(const nlohmann::json& value);
double ReadDouble(const nlohmann::json& value);
bool ReadBool(const nlohmann::json& value);
std::string ReadString(const nlohmann::json& value);
