#include "ui/base_menu.h"

#include <utility>

#include "rml/rml.h"
#include "ui/rml_event_handler.h"

BaseMenu::BaseMenu(std::string fileName) : documentFileName(std::move(fileName)) {}

std::string BaseMenu::DocumentPath(const std::string& fileName) {
  if (fileName.starts_with("./") || fileName.starts_with("/")) return fileName;
  return kDocumentFolder + fileName;
}

bool BaseMenu::HasHost() const { return static_cast<bool>(host.getOrLoadDocument); }

void BaseMenu::SetDocument(Rml::ElementDocument* value) {
  document = value;
  DocumentChanged();
}

void BaseMenu::LoadDocument(Rml::Context* context, std::shared_ptr<RMLEventHandler> handler) {
  if (context == nullptr) return;
  eventHandler = std::move(handler);
  if (document != nullptr || !HasHost()) return;
  SetDocument(host.getOrLoadDocument(DocumentPath(documentFileName)));
  if (document == nullptr) return;
  if (host.addMenuDocument) host.addMenuDocument(document);
  RegisterEventHandlers();
}

void BaseMenu::Show() {
  if (document != nullptr && host.showDocument) host.showDocument(document);
}

void BaseMenu::Hide() {
  if (document != nullptr && host.hideDocument) host.hideDocument(document);
}

void BaseMenu::ReloadDocument(Rml::Context* context) {
  if (context == nullptr) return;
  const bool wasVisible = document != nullptr && document->IsVisible();
  if (document != nullptr) {
    if (host.removeMenuDocument) host.removeMenuDocument(document);
    // Leaves the context at once, so the load below reads the file again.
    Rml::ElementDocument* old = document;
    SetDocument(nullptr);
    old->Close();
  }
  const std::string path = DocumentPath(documentFileName);
  if (HasHost()) {
    SetDocument(host.getOrLoadDocument(path));
    if (document == nullptr) return;
    if (host.addMenuDocument) host.addMenuDocument(document);
    RegisterEventHandlers();
    if (wasVisible && host.showDocument) host.showDocument(document);
    return;
  }
  SetDocument(context->LoadDocument(path));
  if (document == nullptr) return;
  RegisterEventHandlers();
  if (wasVisible) document->Show(Rml::ModalFlag::None, Rml::FocusFlag::Auto);
}

void BaseMenu::FindDocument(Rml::Context* context) {
  const std::string path = DocumentPath(documentFileName);
  Rml::ElementDocument* found = nullptr;
  for (int i = 0; context != nullptr && i < context->GetNumDocuments() && found == nullptr; ++i) {
    Rml::ElementDocument* candidate = context->GetDocument(i);
    if (candidate != nullptr && candidate->GetSourceURL() == path) found = candidate;
  }
  // Set even when it is the same address: a reloaded document may sit where the old one was.
  SetDocument(found);
  if (document == nullptr) return;
  // A document the RML system reloaded on its own is not yet one of its menu documents.
  if (host.addMenuDocument) host.addMenuDocument(document);
  RegisterEventHandlers();
}
