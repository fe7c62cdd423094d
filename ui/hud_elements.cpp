#include "ui/hud_elements.h"

#include "rml/rml.h"

void DocumentHudElements::SetProperty(const std::string& id, const std::string& name,
                                      const std::string& value) {
  if (Rml::Element* element = document != nullptr ? document->GetElementById(id) : nullptr) {
    element->SetProperty(name, value);
  }
}

void DocumentHudElements::SetInnerRml(const std::string& id, const std::string& rml) {
  if (Rml::Element* element = document != nullptr ? document->GetElementById(id) : nullptr) {
    element->SetInnerRML(rml);
  }
}

void DocumentHudElements::SetClass(const std::string& id, const std::string& name, bool active) {
  if (Rml::Element* element = document != nullptr ? document->GetElementById(id) : nullptr) {
    element->SetClass(name, active);
  }
}

std::string TextShaderDecoratorValue(const std::string& text, const std::string& materialPath) {
  return "text-shader(" + text + " #ffdb8f center center \"" + materialPath + "\")";
}
