#include "ui/image_shader_decorator.h"

#include "rml/rml.h"

namespace {

// What one element draws: the tile's quad and the material compiled for it.
struct ShadedImageData {
  Rml::Geometry geometry;
  Rml::CompiledShader shader;
};

class ImageShaderDecorator : public Rml::Decorator {
 public:
  ImageShaderDecorator(const Rml::DecoratorTile& tile, Rml::Texture texture, std::string material)
      : tile(tile), materialPath(std::move(material)) {
    this->tile.texture_index = AddTexture(texture);
  }
  bool HasTexture() const { return tile.texture_index >= 0; }

  Rml::DecoratorDataHandle GenerateElementData(Rml::Element* element,
                                               Rml::BoxArea paint_area) const override {
    Rml::RenderManager* renderManager = element->GetRenderManager();
    const Rml::Texture texture = GetTexture(tile.texture_index);
    if (renderManager == nullptr || !texture) return 0;
    const Rml::RenderBox box = element->GetRenderBox(paint_area);
    // The image's natural size is its tile size in density-independent pixels, times the
    // sprite sheet's display scale.
    Rml::DecoratorTile scaled = tile;
    scaled.display_scale *= Rml::ElementUtilities::GetDensityIndependentPixelRatio(element);
    Rml::Mesh mesh;
    scaled.GenerateGeometry(
        mesh, texture.GetDimensions(), box.GetFillOffset(), box.GetFillSize(),
        element->GetComputedValues().image_color.ToPremultiplied(element->GetOpacity()));
    if (mesh.empty()) return 0;
    auto* data = new ShadedImageData{
        renderManager->MakeGeometry(mesh),
        renderManager->CompileShader("shader", {{"value", Rml::Variant(materialPath)}})};
    if (!data->geometry) {
      delete data;
      return 0;
    }
    return reinterpret_cast<Rml::DecoratorDataHandle>(data);
  }

  void ReleaseElementData(Rml::DecoratorDataHandle data) const override {
    delete reinterpret_cast<ShadedImageData*>(data);
  }

  void RenderElement(Rml::Element* element, Rml::DecoratorDataHandle data) const override {
    if (data == 0) return;
    const auto* shaded = reinterpret_cast<const ShadedImageData*>(data);
    shaded->geometry.Render(element->GetAbsoluteOffset(Rml::BoxArea::Border),
                            GetTexture(tile.texture_index), shaded->shader);
  }

 private:
  Rml::DecoratorTile tile;
  std::string materialPath;
};

}  // namespace

void RegisterShadedImageProperties(Rml::EffectSpecification& effect, const std::string& prefix) {
  effect.RegisterProperty(prefix + "-src", "").AddParser("string");
  effect.RegisterProperty(prefix + "-material", ImageShaderDecoratorInstancer::kDefaultMaterial)
      .AddParser("string");
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
                           prefix + "-src, " + prefix + "-material, " + prefix + "-orientation, " +
                               prefix + "-fit, " + prefix + "-align-x, " + prefix + "-align-y",
                           Rml::ShorthandType::FallThrough);
  effect.RegisterShorthand("decorator", prefix, Rml::ShorthandType::RecursiveRepeat);
}

ImageShaderDecoratorInstancer::ImageShaderDecoratorInstancer() {
  RegisterShadedImageProperties(*this, "image");
}

std::shared_ptr<Rml::Decorator> ImageShaderDecoratorInstancer::InstanceDecorator(
    const Rml::String&, const Rml::PropertyDictionary& properties,
    const Rml::DecoratorInstancerInterface& instancer_interface) {
  Rml::DecoratorTile tile;
  Rml::Texture texture;
  if (!Rml::ReadDecoratorTile("image", properties, instancer_interface, tile, texture))
    return nullptr;
  const Rml::Property* material = properties.GetProperty("image-material");
  auto decorator = std::make_shared<ImageShaderDecorator>(
      tile, texture, material != nullptr ? material->string : kDefaultMaterial);
  return decorator->HasTexture() ? decorator : nullptr;
}
