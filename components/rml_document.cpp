#include "components/rml_document.h"

#include "engine/decs.h"
#include "engine/document_loader.h"

std::string RMLDocument::ResolvePath(const std::string& path) {
  if (path.starts_with("./") || path.starts_with("/")) return path;
  return "./GAME/Assets/RML/" + path;
}

void RMLDocument::Load() {
  if (_path.empty()) return;
  DocumentLoader* loader = DECS::CurrentDocumentLoader();
  document = loader != nullptr ? loader->LoadDocument(ResolvePath(_path)) : nullptr;
}
