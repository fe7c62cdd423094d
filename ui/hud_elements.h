#pragma once
// HudElements: the changes the HUD makes to its document, by element id. The HUD writes through
// this interface so its timelines can be checked against a recording in tests; the document
// implementation looks every element up by id at each call, so it never holds an element that
// a reload has freed, and a missing element makes that one change do nothing.

#include <string>

namespace Rml {
class ElementDocument;
}  // namespace Rml

class HudElements {
 public:
  virtual ~HudElements() = default;
  virtual void SetProperty(const std::string& id, const std::string& name,
                           const std::string& value) = 0;
  virtual void SetInnerRml(const std::string& id, const std::string& rml) = 0;
  virtual void SetClass(const std::string& id, const std::string& name, bool active) = 0;
};

// The elements of one document; a null document changes nothing.
class DocumentHudElements final : public HudElements {
 public:
  explicit DocumentHudElements(Rml::ElementDocument* document) : document(document) {}
  void SetProperty(const std::string& id, const std::string& name,
                   const std::string& value) override;
  void SetInnerRml(const std::string& id, const std::string& rml) override;
  void SetClass(const std::string& id, const std::string& name, bool active) override;

 private:
  Rml::ElementDocument* document;
};

// "text-shader(<text> #ffdb8f center center \"<material>\")": the decorator that draws text
// through a game material.
std::string TextShaderDecoratorValue(const std::string& text, const std::string& materialPath);
