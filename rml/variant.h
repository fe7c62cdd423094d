#pragma once
// Variant and Dictionary: loosely typed values passed to shaders and decorators.

#include <string>
#include <unordered_map>
#include <variant>

#include "rml/types.h"

namespace Rml {

class Variant {
 public:
  Variant() = default;
  Variant(bool value) : value_(value) {}
  Variant(int value) : value_(value) {}
  Variant(float value) : value_(value) {}
  Variant(const char* value) : value_(String(value)) {}
  Variant(String value) : value_(std::move(value)) {}
  Variant(Vector2f value) : value_(value) {}
  Variant(Colourb value) : value_(value) {}

  bool IsEmpty() const { return value_.index() == 0; }

  // The value converted to T where a conversion makes sense, else default_value.
  template <typename T>
  T Get(T default_value = T()) const;

  bool operator==(const Variant& other) const { return value_ == other.value_; }

 private:
  std::variant<std::monostate, bool, int, float, String, Vector2f, Colourb> value_;
};

template <>
String Variant::Get<String>(String default_value) const;
template <>
float Variant::Get<float>(float default_value) const;
template <>
int Variant::Get<int>(int default_value) const;
template <>
bool Variant::Get<bool>(bool default_value) const;
template <>
Vector2f Variant::Get<Vector2f>(Vector2f default_value) const;
template <>
Colourb Variant::Get<Colourb>(Colourb default_value) const;

using Dictionary = std::unordered_map<String, Variant>;

}  // namespace Rml
