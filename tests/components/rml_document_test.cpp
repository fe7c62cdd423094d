// The document component's load step: the path it resolves and where it gets the document.

#include "components/rml_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/document_loader.h"
#include "tests/support/engine_fixture.h"

namespace {

class FakeLoader : public DocumentLoader {
 public:
  Rml::ElementDocument* LoadDocument(const std::string& path) override {
    asked.push_back(path);
    return path.find("missing") != std::string::npos
               ? nullptr
               : reinterpret_cast<Rml::ElementDocument*>(&asked);
  }
  std::vector<std::string> asked;
};

using RMLDocumentTest = testing_support::EngineFixture;

TEST_F(RMLDocumentTest, PathsAreResolvedUnderTheDocumentFolderUnlessRooted) {
  const struct {
    const char* path;
    const char* resolved;
  } cases[] = {
      {"main_menu.rml", "./GAME/Assets/RML/main_menu.rml"},
      {"./GAME/x.rml", "./GAME/x.rml"},
      {"/abs/x.rml", "/abs/x.rml"},
      {"../x.rml", "./GAME/Assets/RML/../x.rml"},
      {"/", "/"},
      {".", "./GAME/Assets/RML/."},
  };
  for (const auto& c : cases) EXPECT_EQ(RMLDocument::ResolvePath(c.path), c.resolved) << c.path;
}

TEST_F(RMLDocumentTest, LoadAsksTheDocumentLoaderAndKeepsNullWithoutOne) {
  RMLDocument component;
  component._path = "hud.rml";
  component.Load();  // no loader yet
  EXPECT_EQ(component.document, nullptr);

  FakeLoader loader;
  decs->SetDocumentLoader(&loader);
  component.Load();
  EXPECT_NE(component.document, nullptr);
  RMLDocument missing;
  missing._path = "missing.rml";
  missing.Load();
  EXPECT_EQ(missing.document, nullptr);
  RMLDocument empty;
  empty.Load();
  EXPECT_EQ(loader.asked, (std::vector<std::string>{"./GAME/Assets/RML/hud.rml",
                                                    "./GAME/Assets/RML/missing.rml"}));
  decs->SetDocumentLoader(nullptr);
}

}  // namespace
