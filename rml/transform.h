#pragma once
// Transforms of the "transform" property: a short list of operations applied left to right
// about the element's transform origin. Lengths in em, rem, vw, vh and dp are resolved to pixels
// when the style is computed; percentages stay relative to the element's own border box until
// the transform is built for drawing or hit testing.
//
//   translate(x[, y])  translateX(x)  translateY(y)   lengths or percentages
//   scale(s[, t])      scaleX(s)      scaleY(t)       numbers (0 is allowed and safe)
//   rotate(a)                                         deg, rad or turn; clockwise on screen
//   none

#include <array>
#include <string_view>

#include "rml/types.h"

namespace Rml {

struct UnitContext;

struct TransformOperation {
  enum Type : std::uint8_t { Translate, Scale, Rotate };
  Type type = Translate;
  float x = 0.f;  // translate: x; scale: x factor; rotate: angle in degrees
  float y = 0.f;
  bool x_percent = false;  // translate only: x and y are percentages of the border box
  bool y_percent = false;
  bool operator==(const TransformOperation&) const = default;
};

class TransformList {
 public:
  static constexpr int kMaxOperations = 8;
  bool Empty() const { return count_ == 0; }
  int Size() const { return count_; }
  const TransformOperation& operator[](int index) const { return operations_[size_t(index)]; }
  // False when the list is full.
  bool Add(const TransformOperation& operation);
  void Clear() { count_ = 0; }
  bool operator==(const TransformList& other) const;

 private:
  std::array<TransformOperation, kMaxOperations> operations_{};
  std::uint8_t count_ = 0;
};

// Parses a "transform" value. Lengths in relative units are resolved with font_size and units.
// False with a reason in error for anything malformed (unknown function, wrong argument count,
// a bad unit, more than kMaxOperations operations); the list is then empty.
bool ParseTransform(std::string_view text, float font_size, const UnitContext& units,
                    TransformList& list, String& error);
// Whether text is a well-formed "transform" value (units need no context to be checked).
bool IsValidTransform(std::string_view text, String& error);

// The matrix that maps the element's untransformed context coordinates to drawn ones: the
// operations applied about origin (context pixels); box_size resolves percentages.
Matrix4f BuildTransformMatrix(const TransformList& list, Vector2f origin, Vector2f box_size);

// The list between from and to at t (0..1). Lists of the same operations in the same order
// interpolate per operation; a list that is a prefix of the other (none is a prefix of every
// list) is padded with identity operations; anything else switches from from to to at t 0.5.
TransformList InterpolateTransform(const TransformList& from, const TransformList& to, float t);

}  // namespace Rml
