#include "components/field_binding.h"

#include <cmath>
#include <iostream>
#include <limits>
#include <utility>

#include "components/value_readers.h"

namespace {

using nlohmann::json;

[[noreturn]] void ThrowWrongType(const json& value, std::string_view expected) {
  throw json::type_error::create(
      302, "type must be " + std::string(expected) + ", but is " + value.type_name(), &value);
}

// The JSON library would wrap or truncate such a number silently; a field gets it only when
// the value fits.
[[noreturn]] void ThrowOutOfRange(const json& value, std::string_view fieldType) {
  throw json::type_error::create(
      302, "number " + value.dump() + " is out of range for " + std::string(fieldType), &value);
}

// Reads a number or boolean as an integer of type Integer. Floats are truncated toward zero;
// the result must lie in Integer's range (NaN and infinities never do).
template <typename Integer>
Integer ReadInteger(const json& value, std::string_view fieldType) {
  using Limits = std::numeric_limits<Integer>;
  switch (value.type()) {
    case json::value_t::boolean:
      return value.get<bool>() ? 1 : 0;
    case json::value_t::number_integer: {
      const auto number = value.get<json::number_integer_t>();
      if (!std::in_range<Integer>(number)) ThrowOutOfRange(value, fieldType);
      return static_cast<Integer>(number);
    }
    case json::value_t::number_unsigned: {
      const auto number = value.get<json::number_unsigned_t>();
      if (!std::in_range<Integer>(number)) ThrowOutOfRange(value, fieldType);
      return static_cast<Integer>(number);
    }
    case json::value_t::number_float: {
      const double number = value.get<double>();
      const double truncated = std::trunc(number);
      // Both bounds are exact in double for 32-bit integers; NaN and infinities fail them. A
      // negative number never fits an unsigned field, even one that truncates to 0.
      const bool fits = truncated >= static_cast<double>(Limits::min()) &&
                        truncated <= static_cast<double>(Limits::max()) &&
                        (Limits::is_signed || !(number < 0.0));
      if (!fits) ThrowOutOfRange(value, fieldType);
      return static_cast<Integer>(truncated);
    }
    default:
      ThrowWrongType(value, "number");
  }
}

struct FieldReader {
  const json& value;

  void operator()(int* field) const { *field = ReadInt(value); }
  void operator()(unsigned int* field) const { *field = ReadUnsigned(value); }
  void operator()(float* field) const { *field = ReadFloat(value); }
  void operator()(double* field) const { *field = ReadDouble(value); }
  void operator()(bool* field) const { *field = ReadBool(value); }
  void operator()(std::string* field) const { *field = ReadString(value); }
  void operator()(glm::vec2* field) const { *field = ReadVec2(value); }
  void operator()(glm::vec3* field) const { *field = ReadVec3(value); }
  void operator()(glm::vec4* field) const { *field = ReadVec4(value); }
  void operator()(Keyframe<glm::vec3>* field) const { *field = ReadKeyframeVec3(value); }
  void operator()(Keyframe<glm::vec4>* field) const { *field = ReadKeyframeVec4(value); }
  void operator()(PropertyCurve<glm::vec3>* field) const { *field = ReadPropertyCurveVec3(value); }
  void operator()(PropertyCurve<glm::vec4>* field) const { *field = ReadPropertyCurveVec4(value); }
  void operator()(ScaleModifiers* field) const { *field = ReadScaleModifiers(value); }
  void operator()(NoiseModifiers* field) const { *field = ReadNoiseModifiers(value); }
  void operator()(TurbulenceModifers* field) const { *field = ReadTurbulenceModifers(value); }
  void operator()(FoliageData* field) const { *field = ReadFoliageData(value); }
  void operator()(IntStringPair* field) const { *field = ReadIntStringPair(value); }
  void operator()(std::set<std::string>* field) const { *field = ReadStringSet(value); }
  void operator()(std::set<IntStringPair>* field) const { *field = ReadIntStringPairSet(value); }
  void operator()(std::vector<std::string>* field) const { *field = ReadStringList(value); }
  void operator()(std::vector<Keyframe<glm::vec3>>* field) const {
    *field = ReadKeyframeVec3List(value);
  }
  void operator()(std::vector<Keyframe<glm::vec4>>* field) const {
    *field = ReadKeyframeVec4List(value);
  }
  void operator()(std::vector<FoliageData>* field) const { *field = ReadFoliageDataList(value); }

  template <NamedEnum Enum>
  void operator()(Enum* field) const {
    ReadEnumField(value, EnumNames<Enum>::Table(), *field);
  }

  void operator()(UnsupportedField field) const {
    std::cerr << "Unsupported type for deserialization: " << field.typeName << "\n";
  }
};

}  // namespace

int ReadInt(const json& value) { return ReadInteger<int>(value, "int"); }

unsigned int ReadUnsigned(const json& value) {
  return ReadInteger<unsigned int>(value, "unsigned int");
}

float ReadFloat(const json& value) {
  if (value.is_boolean()) return value.get<bool>() ? 1.0f : 0.0f;
  if (!value.is_number()) ThrowWrongType(value, "number");
  const double number = value.get<double>();
  // Converting a finite double beyond float's range is undefined; report it instead.
  if (std::isfinite(number) && std::fabs(number) > std::numeric_limits<float>::max()) {
    ThrowOutOfRange(value, "float");
  }
  return static_cast<float>(number);
}

double ReadDouble(const json& value) {
  if (!value.is_number()) ThrowWrongType(value, "number");
  return value.get<double>();
}

bool ReadBool(const json& value) {
  if (!value.is_boolean()) ThrowWrongType(value, "boolean");
  return value.get<bool>();
}

std::string ReadString(const json& value) {
  if (!value.is_string()) ThrowWrongType(value, "string");
  return value.get<std::string>();
}

void ReadJsonField(const json& value, const FieldAddress& field) {
  std::visit(FieldReader{value}, field);
}

void ReadRecord(const json& section, std::span<const FieldBinding> fields) {
  if (!section.is_object()) return;
  for (const FieldBinding& binding : fields) {
    const auto member = section.find(binding.key);
    if (member != section.end()) ReadJsonField(*member, binding.field);
  }
}

void ReadRecord(const json& section, std::initializer_list<FieldBinding> fields) {
  ReadRecord(section, std::span<const FieldBinding>(fields.begin(), fields.size()));
}
