#pragma once
// The built-in decorators and the image tile they share with decorators written elsewhere.
//   image(src [orientation] [fit] [align-x] [align-y])  an image (or sprite) laid over the
//       padding box, fitted as object-fit does (fill, contain, cover, scale-none, scale-down,
//       repeat, repeat-x, repeat-y) and aligned by keyword, px or %.
//   shader(name)  a quad over the padding box drawn with RenderInterface::RenderShader; the
//       shader is compiled with the name "shader" and {"value": name, "dimensions": box size}.
//   none          nothing.

#include "rml/decorator.h"

namespace Rml {

// One image tile: a rectangle of a texture and how it is fitted into a box.
struct DecoratorTile {
  enum class Fit { Fill, Contain, Cover, ScaleNone, ScaleDown, Repeat, RepeatX, RepeatY };
  enum class Orientation { None, FlipHorizontal, FlipVertical, Rotate180 };
  struct Align {
    bool percentage = true;  // false: pixels
    float value = 50.f;
  };

  int texture_index = -1;
  float display_scale = 1.f;
  Vector2f position{0,
                    0};  // source rectangle in pixels; size (0, 0) at (0, 0) is the whole texture
  Vector2f size{0, 0};
  Fit fit = Fit::Fill;
  Align align[2];
  Orientation orientation = Orientation::None;

  // Appends the tile's quad for a surface at origin with size surface; texture_dimensions is
  // the tile texture's size. No quad for an empty surface or texture.
  void GenerateGeometry(Mesh& mesh, Vector2i texture_dimensions, Vector2f origin, Vector2f surface,
                        Colourb colour) const;
};

// Reads the tile properties registered under prefix ("image-src", "image-fit"...) into tile;
// false when the source names no texture or a sprite is given a repeat fit.
bool ReadDecoratorTile(const String& prefix, const PropertyDictionary& properties,
                       const DecoratorInstancerInterface& instancer_interface, DecoratorTile& tile,
                       Texture& texture);
// Registers the tile properties under prefix and the shorthands prefix and "decorator".
void RegisterDecoratorTileProperties(EffectSpecification& effect, const String& prefix);

// The built-in instancer of a lower-case name, or null.
DecoratorInstancer* GetBuiltinDecoratorInstancer(const String& name);

}  // namespace Rml
