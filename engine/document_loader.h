#pragma once
// Where the RMLDocument load step gets its document: the user-interface system, which the
// program hands to DECS after registration. The components library thereby needs no
// user-interface headers.

#include <string>

namespace Rml {
class ElementDocument;
}

class DocumentLoader {
 public:
  virtual ~DocumentLoader() = default;

  // The document at the resolved path, loading it when it is not open; null when it cannot be
  // loaded (the loader reports why).
  virtual Rml::ElementDocument* LoadDocument(const std::string& path) = 0;
};
