#pragma once
// The "shaded-image" decorator: an image laid over the element exactly as the library's image
// decorator lays it (fit, alignment, orientation), drawn with a game material instead of the
// plain textured quad. The first value is the image, the second the material file:
//
//   decorator: shaded-image("GAME/Assets/RML/images/logo.png" "GAME/Assets/Materials/UIOpal.json");
//
// Properties (prefix "image"): -src, -material (default "./GAME/Assets/Materials/UIMaterial.json"),
// -fit, -align-x, -align-y, -orientation; the shorthand takes them in the order src, material,
// orientation, fit, align-x, align-y, each value going to the first that accepts it. An image
// that does not load, or a sprite given a repeat fit, makes no decorator; an alignment in an
// unsupported unit is reported and left centred.

#include <string>

#include "rml/decorator.h"

class ImageShaderDecoratorInstancer : public Rml::DecoratorInstancer {
 public:
  static constexpr const char* kDefaultMaterial = "./GAME/Assets/Materials/UIMaterial.json";

  ImageShaderDecoratorInstancer();
  std::shared_ptr<Rml::Decorator> InstanceDecorator(
      const Rml::String& name, const Rml::PropertyDictionary& properties,
      const Rml::DecoratorInstancerInterface& instancer_interface) override;
};

// Registers the shaded-image properties under a prefix, as described above.
void RegisterShadedImageProperties(Rml::EffectSpecification& effect, const std::string& prefix);
