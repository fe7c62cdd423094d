#include "rml/transform.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

#include "rml/computed_values.h"
#include "rml/string_utilities.h"

namespace Rml {
namespace {

constexpr float kPi = 3.14159265358979f;

// One argument as a length in pixels or a percentage; false for any other unit.
bool ReadLength(std::string_view text, float font_size, const UnitContext& units, float& value,
                bool& percent) {
  Property property;
  if (!ParseLength(text, property)) return false;
  percent = false;
  switch (property.unit) {
    case Unit::Number:
      if (property.number != 0.f) return false;
      [[fallthrough]];
    case Unit::Px:
      value = property.number;
      return true;
    case Unit::Percent:
      value = property.number;
      percent = true;
      return true;
    case Unit::Em:
      value = property.number * font_size;
      return true;
    case Unit::Rem:
      value = property.number * units.root_font_size;
      return true;
    case Unit::Vw:
      value = property.number * units.viewport.x * 0.01f;
      return true;
    case Unit::Vh:
      value = property.number * units.viewport.y * 0.01f;
      return true;
    case Unit::Dp:
      value = property.number * units.dp_ratio;
      return true;
    default:
      return false;
  }
}

bool ReadNumber(std::string_view text, float& value) {
  Property property;
  return ParseLength(text, property) && property.unit == Unit::Number &&
         (value = property.number, true);
}

// An angle in degrees from deg, rad, turn (or a bare 0).
bool ReadAngle(std::string_view text, float& degrees) {
  const String lower = StringUtilities::ToLower(String(text));
  struct Suffix {
    const char* unit;
    float to_degrees;
  };
  for (const Suffix suffix :
       {Suffix{"deg", 1.f}, Suffix{"rad", 180.f / kPi}, Suffix{"turn", 360.f}}) {
    const std::string_view unit(suffix.unit);
    if (lower.size() > unit.size() && lower.ends_with(unit)) {
      float number = 0.f;
      if (!ReadNumber(std::string_view(lower).substr(0, lower.size() - unit.size()), number))
        return false;
      degrees = number * suffix.to_degrees;
      return std::isfinite(degrees);
    }
  }
  float number = 0.f;
  if (!ReadNumber(lower, number) || number != 0.f) return false;
  degrees = 0.f;
  return true;
}

bool ParseFunction(const String& name, const StringList& arguments, float font_size,
                   const UnitContext& units, TransformOperation& operation, String& error) {
  const size_t count = arguments.size();
  auto fail = [&](const char* what) {
    error = what + (" in " + name + "()");
    return false;
  };
  if (name == "translate" || name == "translatex" || name == "translatey") {
    const bool both = name == "translate";
    if (count < 1 || count > (both ? 2u : 1u)) return fail("wrong number of arguments");
    operation.type = TransformOperation::Translate;
    float first = 0.f;
    bool first_percent = false;
    if (!ReadLength(arguments[0], font_size, units, first, first_percent))
      return fail("a length is expected");
    if (name == "translatey") {
      operation.y = first;
      operation.y_percent = first_percent;
      return true;
    }
    operation.x = first;
    operation.x_percent = first_percent;
    if (count == 2 && !ReadLength(arguments[1], font_size, units, operation.y, operation.y_percent))
      return fail("a length is expected");
    return true;
  }
  if (name == "scale" || name == "scalex" || name == "scaley") {
    const bool both = name == "scale";
    if (count < 1 || count > (both ? 2u : 1u)) return fail("wrong number of arguments");
    operation.type = TransformOperation::Scale;
    float first = 0.f;
    if (!ReadNumber(arguments[0], first)) return fail("a number is expected");
    operation.x = name == "scaley" ? 1.f : first;
    operation.y = name == "scalex" ? 1.f : first;
    if (count == 2 && !ReadNumber(arguments[1], operation.y)) return fail("a number is expected");
    return true;
  }
  if (name == "rotate") {
    if (count != 1) return fail("wrong number of arguments");
    operation.type = TransformOperation::Rotate;
    return ReadAngle(arguments[0], operation.x) || fail("an angle is expected");
  }
  error = "unknown function '" + name + "'";
  return false;
}

// The operation of the same kind and units that changes nothing.
TransformOperation IdentityLike(TransformOperation operation) {
  operation.x = operation.y = operation.type == TransformOperation::Scale ? 1.f : 0.f;
  return operation;
}

}  // namespace

bool TransformList::Add(const TransformOperation& operation) {
  if (count_ >= kMaxOperations) return false;
  operations_[count_++] = operation;
  return true;
}

bool TransformList::operator==(const TransformList& other) const {
  if (count_ != other.count_) return false;
  for (int i = 0; i < count_; ++i)
    if (!(operations_[size_t(i)] == other.operations_[size_t(i)])) return false;
  return true;
}

bool ParseTransform(std::string_view text, float font_size, const UnitContext& units,
                    TransformList& list, String& error) {
  list.Clear();
  const String value = StringUtilities::ToLower(StringUtilities::Trim(String(text)));
  if (value == "none" || value.empty()) return true;
  size_t position = 0;
  while (true) {
    position = value.find_first_not_of(" \t\r\n", position);
    if (position == String::npos) return true;
    const size_t open = value.find('(', position);
    const size_t close = open == String::npos ? String::npos : value.find(')', open);
    if (close == String::npos) {
      error = "expected name(arguments) at '" + value.substr(position) + "'";
      list.Clear();
      return false;
    }
    const String name = StringUtilities::Trim(value.substr(position, open - position));
    String inside = value.substr(open + 1, close - open - 1);
    for (char& c : inside)
      if (c == ',') c = ' ';
    StringList arguments;
    StringUtilities::SplitValues(arguments, inside);
    TransformOperation operation;
    if (!ParseFunction(name, arguments, font_size, units, operation, error)) {
      list.Clear();
      return false;
    }
    if (!list.Add(operation)) {
      error = "more than " + std::to_string(TransformList::kMaxOperations) + " operations";
      list.Clear();
      return false;
    }
    position = close + 1;
  }
}

bool IsValidTransform(std::string_view text, String& error) {
  TransformList list;
  return ParseTransform(text, 16.f, UnitContext{}, list, error);
}

Matrix4f BuildTransformMatrix(const TransformList& list, Vector2f origin, Vector2f box_size) {
  Matrix4f matrix = glm::translate(Matrix4f(1.f), glm::vec3(origin, 0.f));
  for (int i = 0; i < list.Size(); ++i) {
    const TransformOperation& operation = list[i];
    switch (operation.type) {
      case TransformOperation::Translate: {
        const float x = operation.x_percent ? operation.x * 0.01f * box_size.x : operation.x;
        const float y = operation.y_percent ? operation.y * 0.01f * box_size.y : operation.y;
        matrix = glm::translate(matrix, glm::vec3(x, y, 0.f));
        break;
      }
      case TransformOperation::Scale:
        matrix = glm::scale(matrix, glm::vec3(operation.x, operation.y, 1.f));
        break;
      case TransformOperation::Rotate:
        matrix = glm::rotate(matrix, operation.x * kPi / 180.f, glm::vec3(0.f, 0.f, 1.f));
        break;
    }
  }
  return glm::translate(matrix, glm::vec3(-origin, 0.f));
}

TransformList InterpolateTransform(const TransformList& from, const TransformList& to, float t) {
  bool compatible = true;
  for (int i = 0; i < std::min(from.Size(), to.Size()); ++i)
    compatible = compatible && from[i].type == to[i].type && from[i].x_percent == to[i].x_percent &&
                 from[i].y_percent == to[i].y_percent;
  if (!compatible) return t < 0.5f ? from : to;
  TransformList result;
  for (int i = 0; i < std::max(from.Size(), to.Size()); ++i) {
    const TransformOperation a = i < from.Size() ? from[i] : IdentityLike(to[i]);
    const TransformOperation b = i < to.Size() ? to[i] : IdentityLike(from[i]);
    TransformOperation mixed = b;
    mixed.x = a.x + (b.x - a.x) * t;
    mixed.y = a.y + (b.y - a.y) * t;
    result.Add(mixed);
  }
  return result;
}

}  // namespace Rml
