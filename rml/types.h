#pragma once
// Basic value types of the document UI library: vectors, colours, rectangles, vertices, meshes,
// box areas and the opaque handles that pass through the render interface. Every other header of
// the library includes this one.

#include <cstdint>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <memory>
#include <string>
#include <vector>

namespace Rml {

using String = std::string;
using StringList = std::vector<String>;
using byte = unsigned char;
using Vector2f = glm::vec2;
using Vector2i = glm::ivec2;
using Matrix4f = glm::mat4;

// Render-interface handles; 0 means "none" or "failed".
using CompiledGeometryHandle = std::uintptr_t;
using TextureHandle = std::uintptr_t;
using CompiledShaderHandle = std::uintptr_t;
using FontFaceHandle = std::uintptr_t;
using FontEffectsHandle = std::uintptr_t;

// An 8-bit RGBA colour. Colours travel through layout and drawing premultiplied by alpha.
struct Colourb {
  byte red = 0, green = 0, blue = 0, alpha = 255;
  constexpr Colourb() = default;
  constexpr Colourb(byte r, byte g, byte b, byte a = 255) : red(r), green(g), blue(b), alpha(a) {}
  bool operator==(const Colourb&) const = default;
  // This colour with red, green and blue multiplied by alpha / 255.
  Colourb ToPremultiplied() const;
  // This colour with alpha scaled by opacity (0..1), then premultiplied.
  Colourb ToPremultiplied(float opacity) const;
};
using ColourbPremultiplied = Colourb;

struct Rectanglef {
  Vector2f position{0, 0};
  Vector2f size{0, 0};
  Vector2f Right() const { return position + size; }
};
struct Rectanglei {
  Vector2i position{0, 0};
  Vector2i size{0, 0};
};

// One vertex of UI geometry: position in pixels, premultiplied colour, texture coordinate.
struct Vertex {
  Vector2f position{0, 0};
  Colourb colour;
  Vector2f tex_coord{0, 0};
};

struct Mesh {
  std::vector<Vertex> vertices;
  std::vector<int> indices;
  bool empty() const { return indices.empty(); }
};

// The nested areas of an element's box, outermost first.
enum class BoxArea { Margin, Border, Padding, Content, Auto };

enum class ModalFlag { None, Modal, Keep };
enum class FocusFlag { None, Document, Keep, Auto };

}  // namespace Rml
