#pragma once
// RMLDocument: a user-interface document (menu or HUD page) shown for the entity. The document
// is owned by the user-interface system; copies of the component share it.

#include <string>

#include "components/base_component.h"
#include "engine/type_name.h"

namespace Rml {
class ElementDocument;
}

class RMLDocument : public BaseComponent {
 public:
  // Resolves `_path` and asks the user-interface system for the document. Does nothing yet:
  // the loading arrives with the user-interface system.
  void Load();

  Rml::ElementDocument* document = nullptr;
  std::string _path;
  bool _isMenuDocument = false;
};
DECLARE_TYPE_NAME(class, RMLDocument);
