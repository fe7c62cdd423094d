#pragma once
// A menu document host over a test context, standing in for the RML system: documents found by
// their path or loaded hidden, menu documents kept in a set, show and hide done directly.

#include <set>

#include "rml/rml.h"
#include "ui/base_menu.h"

namespace menu_test {

struct TestHost {
  explicit TestHost(Rml::Context* context) : context(context) {}

  MenuDocumentHost Host() {
    MenuDocumentHost host;
    host.getOrLoadDocument = [this](const std::string& path) -> Rml::ElementDocument* {
      ++loads;
      for (int i = 0; i < context->GetNumDocuments(); ++i) {
        if (context->GetDocument(i)->GetSourceURL() == path) return context->GetDocument(i);
      }
      return context->LoadDocument(path);
    };
    host.addMenuDocument = [this](Rml::ElementDocument* document) { menus.insert(document); };
    host.removeMenuDocument = [this](Rml::ElementDocument* document) { menus.erase(document); };
    host.showDocument = [](Rml::ElementDocument* document) {
      if (!document->IsVisible()) document->Show(Rml::ModalFlag::None, Rml::FocusFlag::Auto);
    };
    host.hideDocument = [](Rml::ElementDocument* document) {
      if (document->IsVisible()) document->Hide();
    };
    return host;
  }

  Rml::Context* context;
  std::set<Rml::ElementDocument*> menus;
  int loads = 0;
};

}  // namespace menu_test
