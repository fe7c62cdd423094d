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
  // Resolves `_path` and asks the user-interface system (DECS's document loader) for the
  // document; without one, or when it cannot load the document, `document` stays null.
  void Load();
  // A path beginning with "./" or "/" as it is; any other under "./GAME/Assets/RML/".
  static std::string ResolvePath(const std::string& path);

  Rml::ElementDocument* document = nullptr;
  std::string _path;
  bool _isMenuDocument = false;
};
DECLARE_TYPE_NAME(class, RMLDocument);
