#include "rml/variant.h"

#include <cstdlib>

namespace Rml {

Colourb Colourb::ToPremultiplied() const {
  return Colourb(byte(red * alpha / 255), byte(green * alpha / 255), byte(blue * alpha / 255),
                 alpha);
}

Colourb Colourb::ToPremultiplied(float opacity) const {
  const float clamped = opacity < 0.f ? 0.f : (opacity > 1.f ? 1.f : opacity);
  const byte a = byte(float(alpha) * clamped);
  return Colourb(byte(red * a / 255), byte(green * a / 255), byte(blue * a / 255), a);
}

template <>
String Variant::Get<String>(String default_value) const {
  if (const auto* text = std::get_if<String>(&value_)) return *text;
  if (const auto* number = std::get_if<float>(&value_)) return std::to_string(*number);
  if (const auto* integer = std::get_if<int>(&value_)) return std::to_string(*integer);
  if (const auto* flag = std::get_if<bool>(&value_)) return *flag ? "1" : "0";
  return default_value;
}

template <>
float Variant::Get<float>(float default_value) const {
  if (const auto* number = std::get_if<float>(&value_)) return *number;
  if (const auto* integer = std::get_if<int>(&value_)) return float(*integer);
  if (const auto* flag = std::get_if<bool>(&value_)) return *flag ? 1.f : 0.f;
  if (const auto* text = std::get_if<String>(&value_)) {
    char* end = nullptr;
    const float parsed = std::strtof(text->c_str(), &end);
    return end != text->c_str() ? parsed : default_value;
  }
  return default_value;
}

template <>
int Variant::Get<int>(int default_value) const {
  if (const auto* integer = std::get_if<int>(&value_)) return *integer;
  if (std::holds_alternative<float>(value_) || std::holds_alternative<String>(value_) ||
      std::holds_alternative<bool>(value_))
    return int(Get<float>(float(default_value)));
  return default_value;
}

template <>
bool Variant::Get<bool>(bool default_value) const {
  if (const auto* flag = std::get_if<bool>(&value_)) return *flag;
  if (const auto* text = std::get_if<String>(&value_)) return *text == "1" || *text == "true";
  if (std::holds_alternative<int>(value_) || std::holds_alternative<float>(value_))
    return Get<float>(0.f) != 0.f;
  return default_value;
}

template <>
Vector2f Variant::Get<Vector2f>(Vector2f default_value) const {
  if (const auto* vector = std::get_if<Vector2f>(&value_)) return *vector;
  return default_value;
}

template <>
Colourb Variant::Get<Colourb>(Colourb default_value) const {
  if (const auto* colour = std::get_if<Colourb>(&value_)) return *colour;
  return default_value;
}

}  // namespace Rml
