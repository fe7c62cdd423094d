// The library's layout against a browser's: every document in tests/rml/layout/ is laid out at
// 800 x 600 and each element with an id must match the border box that headless Chromium gave
// it (NAME.boxes, written by tools/rml_layout_expected.py) within 1 px.

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

using BrowserLayoutTest = RmlTest;

TEST_F(BrowserLayoutTest, EveryDocumentMatchesTheBrowsersBoxesWithinOnePixel) {
  const std::filesystem::path folder = "tests/rml/layout";
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << "run from the source folder";
  int documents = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".rml") continue;
    SCOPED_TRACE(entry.path().string());
    std::ifstream expected(std::filesystem::path(entry.path()).replace_extension(".boxes"));
    ASSERT_TRUE(expected) << "no .boxes file: run tools/rml_layout_expected.py";
    Rml::ElementDocument* document = context->LoadDocument(entry.path().string());
    ASSERT_NE(document, nullptr);
    document->Show();
    context->Update();
    std::string line;
    while (std::getline(expected, line)) {
      std::istringstream fields(line);
      std::string id;
      float x, y, width, height;
      if (!(fields >> id >> x >> y >> width >> height)) continue;
      Rml::Element* element = document->GetElementById(id);
      ASSERT_NE(element, nullptr) << id;
      const Rml::Vector2f position = element->GetAbsoluteOffset(Rml::BoxArea::Border);
      const Rml::Vector2f size = element->GetBox().GetSize(Rml::BoxArea::Border);
      EXPECT_NEAR(position.x, x, 1.f) << id;
      EXPECT_NEAR(position.y, y, 1.f) << id;
      EXPECT_NEAR(size.x, width, 1.f) << id;
      EXPECT_NEAR(size.y, height, 1.f) << id;
    }
    document->Close();
    ++documents;
  }
  EXPECT_GE(documents, 5);
}

}  // namespace
}  // namespace rml_test
