#include "ui/text_shader_decorator.h"

#include "rml/rml.h"

namespace {

constexpr const char* kPropertyNames[] = {"text", "color", "align-x", "align-y", "material"};

// What one element draws: a mesh per glyph atlas page, the material, and the font version the
// meshes were made for (-1: not made yet).
struct TextElementData {
  Rml::BoxArea paintArea;
  std::vector<std::pair<Rml::Geometry, Rml::Texture>> geometries;
  Rml::CompiledShader shader;
  int fontVersion = -1;
};

class TextShaderDecorator : public Rml::Decorator {
 public:
  TextShaderDecorator(std::string text, bool inheritColour, Rml::Colourb colour,
                      Rml::NumericValue alignX, Rml::NumericValue alignY, std::string material)
      : text(std::move(text)),
        inheritColour(inheritColour),
        colour(colour),
        align{alignX, alignY},
        materialPath(std::move(material)) {}

  Rml::DecoratorDataHandle GenerateElementData(Rml::Element* element,
                                               Rml::BoxArea paint_area) const override {
    auto* data = new TextElementData{paint_area, {}, {}, -1};
    if (!GenerateText(element, *data)) {
      // The text goes in as an argument: it is document data, never a format.
      Rml::Log::Message(Rml::Log::LT_WARNING,
                        "Could not construct text decorator with text %s on element %s",
                        text.c_str(), element->GetAddress(false, true).c_str());
      delete data;
      return 0;
    }
    return reinterpret_cast<Rml::DecoratorDataHandle>(data);
  }

  void ReleaseElementData(Rml::DecoratorDataHandle data) const override {
    delete reinterpret_cast<TextElementData*>(data);
  }

  void RenderElement(Rml::Element* element, Rml::DecoratorDataHandle handle) const override {
    if (handle == 0) return;
    auto* data = reinterpret_cast<TextElementData*>(handle);
    if (!GenerateText(element, *data)) return;
    const Rml::Vector2f offset = element->GetAbsoluteOffset(Rml::BoxArea::Border);
    for (const auto& [geometry, texture] : data->geometries)
      geometry.Render(offset, texture, data->shader);
  }

 private:
  // Lays the text out again when the face's glyphs changed since the data was made.
  bool GenerateText(Rml::Element* element, TextElementData& data) const {
    const Rml::FontFaceHandle face = element->GetFontFaceHandle();
    Rml::FontEngineInterface* fonts = Rml::GetFontEngineInterface();
    Rml::RenderManager* renderManager = element->GetRenderManager();
    if (face == 0 || fonts == nullptr || renderManager == nullptr) return false;
    const int version = fonts->GetVersion(face);
    if (version == data.fontVersion) return true;

    const Rml::ComputedValues& computed = element->GetComputedValues();
    Rml::TextShapingContext shaping;
    shaping.language = computed.language;
    shaping.text_direction = computed.direction == "rtl"   ? Rml::TextDirection::RightToLeft
                             : computed.direction == "ltr" ? Rml::TextDirection::LeftToRight
                                                           : Rml::TextDirection::Auto;
    shaping.letter_spacing = computed.letter_spacing;
    const float width = static_cast<float>(fonts->GetStringWidth(face, text, shaping));
    const Rml::FontMetrics& metrics = fonts->GetFontMetrics(face);

    const Rml::RenderBox box = element->GetRenderBox(data.paintArea);
    const Rml::Vector2f fill = box.GetFillSize();
    const float x = element->ResolveNumericValue(align[0], fill.x - width);
    const float y =
        element->ResolveNumericValue(align[1], fill.y - (metrics.ascent + metrics.descent));
    const Rml::Vector2f origin = box.GetFillOffset() + Rml::Vector2f(x, y + metrics.ascent);

    const Rml::Colourb base = inheritColour ? computed.color : colour;
    const Rml::Colourb premultiplied = base.ToPremultiplied(computed.opacity);
    Rml::TexturedMeshList meshes;
    // The colour carries the opacity already; the font engine would apply it a second time.
    fonts->GenerateString(*renderManager, face, 0, text, origin, premultiplied, 1.0f, shaping,
                          meshes);
    if (meshes.empty()) return false;

    std::vector<std::pair<Rml::Geometry, Rml::Texture>> geometries;
    for (Rml::TexturedMesh& mesh : meshes)
      geometries.emplace_back(renderManager->MakeGeometry(mesh.mesh), mesh.texture);
    data.geometries = std::move(geometries);
    data.shader = renderManager->CompileShader("shader", {{"value", Rml::Variant(materialPath)}});
    data.fontVersion = version;
    return true;
  }

  std::string text;
  bool inheritColour;
  Rml::Colourb colour;
  Rml::NumericValue align[2];
  std::string materialPath;
};

// A keyword gives 0, 50 or 100 %; anything else keeps its own number and unit.
Rml::NumericValue ReadAlign(const Rml::Property& property) {
  if (property.unit == Rml::Unit::Keyword)
    return {static_cast<float>(property.keyword) * 50.0f, Rml::Unit::Percent};
  return {property.number, property.unit};
}

}  // namespace

TextShaderDecoratorInstancer::TextShaderDecoratorInstancer() {
  RegisterProperty("text", "").AddParser("string");
  RegisterProperty("color", "inherit-color")
      .AddParser("keyword", "inherit-color")
      .AddParser("color");
  RegisterProperty("align-x", "center")
      .AddParser("keyword", "left, center, right")
      .AddParser("length_percent");
  RegisterProperty("align-y", "center")
      .AddParser("keyword", "top, center, bottom")
      .AddParser("length_percent");
  RegisterProperty("material", kDefaultMaterial).AddParser("string");
  RegisterShorthand("decorator", "text, color, align-x, align-y, material",
                    Rml::ShorthandType::FallThrough);
}

std::shared_ptr<Rml::Decorator> TextShaderDecoratorInstancer::InstanceDecorator(
    const Rml::String&, const Rml::PropertyDictionary& properties,
    const Rml::DecoratorInstancerInterface&) {
  const Rml::Property* values[5];
  for (int i = 0; i < 5; ++i) {
    values[i] = properties.GetProperty(kPropertyNames[i]);
    if (values[i] == nullptr) return nullptr;
  }
  std::string text = Rml::StringUtilities::DecodeRml(values[0]->string);
  std::string material = Rml::StringUtilities::DecodeRml(values[4]->string);
  if (text.empty() || material.empty()) return nullptr;
  const Rml::Property& colour = *values[1];
  const bool inherit = colour.unit == Rml::Unit::Keyword;
  const Rml::Colourb fixed =
      colour.unit == Rml::Unit::Colour ? colour.colour : Rml::Colourb(0, 0, 0, 255);
  return std::make_shared<TextShaderDecorator>(std::move(text), inherit, fixed,
                                               ReadAlign(*values[2]), ReadAlign(*values[3]),
                                               std::move(material));
}
