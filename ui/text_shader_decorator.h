#pragma once
// The "text-shader" decorator: a line of text in the element's font, placed in the element's
// box and drawn with a game material:
//
//   decorator: text-shader(UNDREL left center "GAME/Assets/Materials/ObsidianMaterial.json");
//
// Properties, in shorthand order: text, color ("inherit-color": the element's colour),
// align-x, align-y (keyword, px or %), material (default
// "./GAME/Assets/Materials/UIMaterial.json"); each value goes to the first property that
// accepts it. Text with RML entities is drawn decoded. No text or no material: no decorator.
// An element without a font face draws nothing and is reported once per generation.

#include <string>

#include "rml/decorator.h"

class TextShaderDecoratorInstancer : public Rml::DecoratorInstancer {
 public:
  static constexpr const char* kDefaultMaterial = "./GAME/Assets/Materials/UIMaterial.json";

  TextShaderDecoratorInstancer();
  std::shared_ptr<Rml::Decorator> InstanceDecorator(
      const Rml::String& name, const Rml::PropertyDictionary& properties,
      const Rml::DecoratorInstancerInterface& instancer_interface) override;
};
