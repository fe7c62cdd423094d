#include "rml/decorator_builtin.h"

#include <algorithm>
#include <cmath>

#include "rml/element.h"
#include "rml/log.h"
#include "rml/math.h"
#include "rml/mesh_utilities.h"

namespace Rml {
namespace {

// Geometry of one element, held behind a data handle.
struct DecoratorGeometry {
  Geometry geometry;
};

DecoratorDataHandle HoldGeometry(Geometry geometry) {
  if (!geometry) return 0;
  return reinterpret_cast<DecoratorDataHandle>(new DecoratorGeometry{std::move(geometry)});
}

void ReleaseGeometry(DecoratorDataHandle data) {
  delete reinterpret_cast<DecoratorGeometry*>(data);
}

const Geometry* HeldGeometry(DecoratorDataHandle data) {
  return data == 0 ? nullptr : &reinterpret_cast<DecoratorGeometry*>(data)->geometry;
}

class ImageDecorator : public Decorator {
 public:
  ImageDecorator(const DecoratorTile& tile, Texture texture) : tile_(tile) {
    tile_.texture_index = AddTexture(texture);
  }

  DecoratorDataHandle GenerateElementData(Element* element, BoxArea paint_area) const override {
    RenderManager* render_manager = element->GetRenderManager();
    const Texture texture = GetTexture(tile_.texture_index);
    if (render_manager == nullptr || !texture) return 0;
    const RenderBox box = element->GetRenderBox(paint_area);
    Mesh mesh;
    tile_.GenerateGeometry(
        mesh, texture.GetDimensions(), box.GetFillOffset(), box.GetFillSize(),
        element->GetComputedValues().image_color.ToPremultiplied(element->GetOpacity()));
    return HoldGeometry(render_manager->MakeGeometry(mesh));
  }
  void ReleaseElementData(DecoratorDataHandle data) const override { ReleaseGeometry(data); }
  void RenderElement(Element* element, DecoratorDataHandle data) const override {
    if (const Geometry* geometry = HeldGeometry(data))
      geometry->Render(element->GetAbsoluteOffset(BoxArea::Border),
                       GetTexture(tile_.texture_index));
  }

 private:
  DecoratorTile tile_;
};

class ImageDecoratorInstancer : public DecoratorInstancer {
 public:
  ImageDecoratorInstancer() { RegisterDecoratorTileProperties(*this, "image"); }
  std::shared_ptr<Decorator> InstanceDecorator(
      const String&, const PropertyDictionary& properties,
      const DecoratorInstancerInterface& instancer_interface) override {
    DecoratorTile tile;
    Texture texture;
    if (!ReadDecoratorTile("image", properties, instancer_interface, tile, texture)) return nullptr;
    return std::make_shared<ImageDecorator>(tile, texture);
  }
};

// Per element: the quad and the shader compiled for the element's size.
struct ShaderData {
  Geometry geometry;
  CompiledShader shader;
};

class ShaderDecorator : public Decorator {
 public:
  explicit ShaderDecorator(String value) : value_(std::move(value)) {}

  DecoratorDataHandle GenerateElementData(Element* element, BoxArea paint_area) const override {
    RenderManager* render_manager = element->GetRenderManager();
    if (render_manager == nullptr) return 0;
    const RenderBox box = element->GetRenderBox(paint_area);
    const Vector2f size = box.GetFillSize();
    if (!(size.x > 0.f && size.y > 0.f)) return 0;
    Mesh mesh;
    const Colourb colour = Colourb(255, 255, 255, 255).ToPremultiplied(element->GetOpacity());
    MeshUtilities::GenerateQuad(mesh, box.GetFillOffset(), size, colour, {0, 0}, {1, 1});
    const Dictionary parameters{{"value", Variant(value_)}, {"dimensions", Variant(size)}};
    auto* data = new ShaderData{render_manager->MakeGeometry(mesh),
                                render_manager->CompileShader("shader", parameters)};
    if (!data->geometry || !data->shader) {
      delete data;
      return 0;
    }
    return reinterpret_cast<DecoratorDataHandle>(data);
  }
  void ReleaseElementData(DecoratorDataHandle data) const override {
    delete reinterpret_cast<ShaderData*>(data);
  }
  void RenderElement(Element* element, DecoratorDataHandle data) const override {
    if (data == 0) return;
    const auto* shader_data = reinterpret_cast<const ShaderData*>(data);
    shader_data->geometry.Render(element->GetAbsoluteOffset(BoxArea::Border), Texture(),
                                 shader_data->shader);
  }

 private:
  String value_;
};

class ShaderDecoratorInstancer : public DecoratorInstancer {
 public:
  ShaderDecoratorInstancer() {
    RegisterProperty("value", "").AddParser("string");
    RegisterShorthand("decorator", "value", ShorthandType::FallThrough);
  }
  std::shared_ptr<Decorator> InstanceDecorator(const String&, const PropertyDictionary& properties,
                                               const DecoratorInstancerInterface&) override {
    const Property* value = properties.GetProperty("value");
    if (value == nullptr || value->string.empty()) return nullptr;
    return std::make_shared<ShaderDecorator>(value->string);
  }
};

}  // namespace

void DecoratorTile::GenerateGeometry(Mesh& mesh, Vector2i texture_dimensions, Vector2f origin,
                                     Vector2f surface, Colourb colour) const {
  if (!(surface.x > 0.f && surface.y > 0.f) || texture_dimensions.x <= 0 ||
      texture_dimensions.y <= 0)
    return;
  const Vector2f dimensions(texture_dimensions);
  const bool whole = position == Vector2f(0, 0) && size == Vector2f(0, 0);
  const Vector2f signed_size = whole ? dimensions : size;
  const Vector2f natural = glm::abs(signed_size) * display_scale;
  if (!(natural.x > 0.f && natural.y > 0.f)) return;
  Vector2f uv0 = position / dimensions;
  Vector2f uv1 = (signed_size + position) / dimensions;

  static constexpr float kOrient[4][4] = {{0, 0, 1, 1}, {1, 0, 0, 1}, {0, 1, 1, 0}, {1, 1, 0, 0}};
  const float* k = kOrient[int(orientation)];
  const Vector2f span = uv1 - uv0;
  Vector2f tex0{uv0.x + span.x * k[0], uv0.y + span.y * k[1]};
  Vector2f tex1{uv0.x + span.x * k[2], uv0.y + span.y * k[3]};

  Vector2f quad = surface;
  Vector2f repeat{1, 1};
  bool offset_and_clip = true;
  const float contain = std::min(surface.x / natural.x, surface.y / natural.y);
  switch (fit) {
    case Fit::Fill:
      offset_and_clip = false;
      break;
    case Fit::Contain:
      quad = natural * contain;
      break;
    case Fit::Cover:
      quad = natural * std::max(surface.x / natural.x, surface.y / natural.y);
      break;
    case Fit::ScaleNone:
      quad = natural;
      break;
    case Fit::ScaleDown:
      quad = contain < 1.f ? natural * contain : natural;
      break;
    case Fit::Repeat:
      repeat = surface / natural;
      offset_and_clip = false;
      break;
    case Fit::RepeatX:
      quad = {surface.x, natural.y};
      repeat = {surface.x / natural.x, 1};
      break;
    case Fit::RepeatY:
      quad = {natural.x, surface.y};
      repeat = {1, surface.y / natural.y};
      break;
  }

  Vector2f offset{0, 0};
  if (offset_and_clip) {
    for (int i = 0; i < 2; ++i) {
      offset[i] = Math::Round(align[i].percentage ? (surface[i] - quad[i]) * align[i].value * 0.01f
                                                  : align[i].value);
      const float before = std::max(-offset[i], 0.f);
      const float after = std::max(offset[i] + quad[i] - surface[i], 0.f);
      if (before > 0.f || after > 0.f) {
        const float tex_span = tex1[i] - tex0[i];
        tex0[i] += tex_span * before / quad[i];
        tex1[i] -= tex_span * after / quad[i];
        quad[i] -= before + after;
        offset[i] += before;
      }
    }
  }
  tex0 *= repeat;
  tex1 *= repeat;
  Vector2f quad_position = origin + offset;
  Math::SnapToPixelGrid(quad_position, quad);
  if (quad.x <= 0.f || quad.y <= 0.f) return;
  MeshUtilities::GenerateQuad(mesh, quad_position, quad, colour, tex0, tex1);
}

void RegisterDecoratorTileProperties(EffectSpecification& effect, const String& prefix) {
  effect.RegisterProperty(prefix + "-src", "").AddParser("string");
  effect.RegisterProperty(prefix + "-fit", "fill")
      .AddParser("keyword",
                 "fill, contain, cover, scale-none, scale-down, repeat, repeat-x, repeat-y");
  effect.RegisterProperty(prefix + "-align-x", "center")
      .AddParser("keyword", "left, center, right")
      .AddParser("length_percent");
  effect.RegisterProperty(prefix + "-align-y", "center")
      .AddParser("keyword", "top, center, bottom")
      .AddParser("length_percent");
  effect.RegisterProperty(prefix + "-orientation", "none")
      .AddParser("keyword", "none, flip-horizontal, flip-vertical, rotate-180");
  effect.RegisterShorthand(prefix,
                           prefix + "-src, " + prefix + "-orientation, " + prefix + "-fit, " +
                               prefix + "-align-x, " + prefix + "-align-y",
                           ShorthandType::FallThrough);
  effect.RegisterShorthand("decorator", prefix, ShorthandType::RecursiveRepeat);
}

bool ReadDecoratorTile(const String& prefix, const PropertyDictionary& properties,
                       const DecoratorInstancerInterface& instancer_interface, DecoratorTile& tile,
                       Texture& texture) {
  const Property* source = properties.GetProperty(prefix + "-src");
  if (source == nullptr || source->string.empty() || source->string == "auto") return false;
  const Property* fit = properties.GetProperty(prefix + "-fit");
  if (fit != nullptr && fit->unit == Unit::Keyword) tile.fit = DecoratorTile::Fit(fit->keyword);
  if (const Sprite* sprite = instancer_interface.GetSprite(source->string)) {
    if (tile.fit == DecoratorTile::Fit::Repeat || tile.fit == DecoratorTile::Fit::RepeatX ||
        tile.fit == DecoratorTile::Fit::RepeatY) {
      Log::Message(Log::LT_WARNING,
                   "Decorator 'fit' value is '%s', which is incompatible with sprites",
                   fit->string.c_str());
      return false;
    }
    tile.position = sprite->rectangle.position;
    tile.size = sprite->rectangle.size;
    tile.display_scale = sprite->sprite_sheet->display_scale;
    texture =
        sprite->sprite_sheet->texture_source.GetTexture(instancer_interface.GetRenderManager());
  } else {
    texture = instancer_interface.GetTexture(source->string);
  }
  if (!texture || texture.GetHandle() == 0) return false;
  const char* align_names[2] = {"-align-x", "-align-y"};
  for (int i = 0; i < 2; ++i) {
    const Property* align = properties.GetProperty(prefix + align_names[i]);
    if (align == nullptr) continue;
    if (align->unit == Unit::Keyword) {
      tile.align[i] = {true, float(align->keyword) * 50.f};
    } else if (align->unit == Unit::Percent) {
      tile.align[i] = {true, align->number};
    } else if (align->unit == Unit::Px) {
      tile.align[i] = {false, align->number};
    } else {
      Log::Message(Log::LT_WARNING,
                   "Decorator alignment value is '%s' which uses an unsupported unit (use px, %%, "
                   "or keyword)",
                   align->string.c_str());
    }
  }
  const Property* orientation = properties.GetProperty(prefix + "-orientation");
  if (orientation != nullptr && orientation->unit == Unit::Keyword)
    tile.orientation = DecoratorTile::Orientation(orientation->keyword);
  return true;
}

DecoratorInstancer* GetBuiltinDecoratorInstancer(const String& name) {
  static ImageDecoratorInstancer image;
  static ShaderDecoratorInstancer shader;
  if (name == "image") return &image;
  if (name == "shader") return &shader;
  return nullptr;
}

}  // namespace Rml
