// Drawing through the render interface: backgrounds and borders with premultiplied colours and
// opacity, images through the texture cache and the system interface's path joining, clipping
// by scissor, and z-index order.

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

class JoiningSystemInterface : public RecordingSystemInterface {
 public:
  void JoinPath(Rml::String& translated, const Rml::String& document,
                const Rml::String& path) override {
    translated = "joined:" + document + "|" + path;
  }
};

using RenderTest = RmlTest;

TEST_F(RenderTest, BackgroundAndBordersArePremultipliedWithOpacity) {
  Show(
      "<rml><head><style>div { display: block; width: 10px; height: 10px; background-color: "
      "rgba(255, 0, 0, 0.5);"
      " border: 2px solid #00ff00; opacity: 0.5; }</style></head><body><div/></body></rml>");
  render.draws.clear();
  context->Render();
  ASSERT_EQ(render.draws.size(), 1u);
  const Rml::Mesh& mesh = render.meshes.at(render.draws[0].geometry);
  ASSERT_EQ(mesh.vertices.size(), 20u);  // background and four borders
  EXPECT_EQ(mesh.vertices[0].colour, Rml::Colourb(64, 0, 0, 64));
  EXPECT_EQ(mesh.vertices[4].colour, Rml::Colourb(0, 127, 0, 127));
  EXPECT_EQ(mesh.vertices[2].position, Rml::Vector2f(14, 14));
  EXPECT_EQ(render.draws[0].texture, 0u);
}

TEST_F(RenderTest, FileTexturesAreCachedByJoinedPath) {
  JoiningSystemInterface joining;
  Rml::SetSystemInterface(&joining);
  Rml::ElementDocument* document = Show(
      "<rml><body><img id='a' src='icon.png'/><img id='b' src='icon.png' width='16'/></body></rml>",
      "menus/m.rml");
  EXPECT_EQ(render.loaded_textures, (std::vector<Rml::String>{"joined:menus/m.rml|icon.png"}));
  EXPECT_EQ(BorderBox(document, "a").size, Rml::Vector2f(64, 32));
  EXPECT_EQ(BorderBox(document, "b").size, Rml::Vector2f(16, 8));
  // Switching the image back and forth never loads it again, and nothing is released until
  // shutdown.
  Rml::Element* image = document->GetElementById("a");
  for (const char* source : {"other.png", "icon.png", "other.png"}) {
    image->SetAttribute("src", source);
    context->Update();
  }
  EXPECT_EQ(render.loaded_textures.size(), 2u);
  EXPECT_EQ(render.released_textures, 0);
  render.draws.clear();
  context->Render();
  ASSERT_EQ(render.draws.size(), 2u);
  EXPECT_NE(render.draws[0].texture, 0u);
  Rml::SetSystemInterface(&system);
}

TEST_F(RenderTest, OverflowHiddenClipsChildrenByScissor) {
  Show(
      "<rml><head><style>div { display: block; background-color: red; } #c { position: absolute; "
      "left: 10px;"
      " top: 20px; width: 50px; height: 40px; overflow: hidden; border: 1px solid; } #c div { "
      "height: 100px; }"
      "</style></head><body><div id='c'><div/></div></body></rml>");
  context->Render();
  ASSERT_FALSE(render.scissors.empty());
  EXPECT_EQ(render.scissors[0].position, Rml::Vector2i(11, 21));
  EXPECT_EQ(render.scissors[0].size, Rml::Vector2i(50, 40));
  EXPECT_FALSE(render.scissor_enabled);
}

TEST_F(RenderTest, ChildrenRemovedWhileTheDocumentIsHiddenAreNotDrawnWhenItShowsAgain) {
  // A hidden document is not laid out, so its drawing order is not rebuilt by the update that
  // frees removed children; showing it and drawing before the next update must not reach them.
  Rml::ElementDocument* document = Show(
      "<rml><head><style>div, span { display: block; width: 5px; height: 5px; background-color: "
      "red; }"
      "</style></head><body><div id='word'><span/><span/><span/></div></body></rml>");
  document->Hide();
  document->GetElementById("word")->SetInnerRML("");
  context->Update();
  document->Show();
  render.draws.clear();
  context->Render();
  EXPECT_EQ(render.draws.size(), 1u) << "only the emptied word is drawn";
  context->Update();
  render.draws.clear();
  context->Render();
  EXPECT_EQ(render.draws.size(), 1u);
}

TEST_F(RenderTest, PositionedElementsDrawByZIndexAndHiddenDocumentsDrawNothing) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>div { display: block; width: 5px; height: 5px; background-color: red; }"
      "#high { position: relative; z-index: 2; } #low { position: relative; z-index: 1; } #under { "
      "position: absolute; z-index: -1; }"
      "</style></head><body><div id='high'/><div id='low'/><div id='flow'/><div "
      "id='under'/></body></rml>");
  render.draws.clear();
  context->Render();
  std::vector<float> order;
  for (const auto& draw : render.draws) order.push_back(draw.translation.y);
  // under (absolute at its static place, 15), flow (10), low (5), high (0)
  EXPECT_EQ(order, (std::vector<float>{15, 10, 5, 0}));
  document->Hide();
  render.draws.clear();
  context->Render();
  EXPECT_TRUE(render.draws.empty());
}

// Documents draw by their body's z-index, in load order where it is equal: a document that lies
// lower (a HUD under the menus) stays under one loaded before it, also once it is loaded again,
// and the pointer reaches the document on top.
TEST_F(RenderTest, DocumentsDrawByTheirBodysZIndexAlsoAfterAReload) {
  // Each document draws one square, at a height of its own; only the squares take the pointer.
  const auto square = [](int top, const char* body) {
    return "<rml><head><style>body { pointer-events: none; " + std::string(body) +
           " } div { position: absolute; left: 0px; top: " + std::to_string(top) +
           "px; width: 50px; height: 50px; background-color: red; pointer-events: auto; "
           "}</style></head>"
           "<body><div id='square'/></body></rml>";
  };
  const auto drawnTops = [this] {
    render.draws.clear();
    context->Render();
    std::vector<float> tops;
    for (const auto& draw : render.draws) tops.push_back(draw.translation.y);
    return tops;
  };
  Rml::ElementDocument* menu = Show(square(10, ""), "menu.rml");
  Show(square(100, "z-index: 2;"), "top.rml");
  Rml::ElementDocument* hud = Show(square(30, "z-index: -1;"), "hud.rml");
  EXPECT_EQ(drawnTops(), (std::vector<float>{30, 10, 100}));

  // Both loaded again, the HUD last.
  menu->Close();
  menu = Show(square(10, ""), "menu.rml");
  hud->Close();
  hud = Show(square(30, "z-index: -1;"), "hud.rml");
  EXPECT_EQ(drawnTops(), (std::vector<float>{30, 10, 100}));

  // Where the squares of the menu and the HUD overlap, the menu's takes the pointer.
  EXPECT_EQ(context->GetElementAtPoint({5, 45}), menu->GetElementById("square"));
  EXPECT_EQ(context->GetElementAtPoint({5, 75}), hud->GetElementById("square"));
}

TEST_F(RenderTest, AColourChangeRebuildsOnlyThatElementsGeometry) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>div { display: block; height: 10px; background-color: blue; } .lit { "
      "background-color: red; }"
      "</style></head><body><div id='a'>one</div><div id='b'>two</div><div id='c'/></body></rml>");
  const auto compiled = render.next_geometry;
  document->GetElementById("c")->SetClass("lit", true);
  context->Update();
  EXPECT_EQ(render.next_geometry, compiled + 1);
  render.draws.clear();
  context->Render();
  ASSERT_FALSE(render.draws.empty());
  EXPECT_EQ(render.meshes.at(render.draws.back().geometry).vertices[0].colour,
            Rml::Colourb(255, 0, 0));
  EXPECT_EQ(render.draws.back().translation, Rml::Vector2f(0, 20));
}

TEST_F(RenderTest, SteadyFramesCompileNothing) {
  Show(
      "<rml><head><style>p { display: block; background-color: blue; "
      "}</style></head><body><p>Text</p><p>More</p></body></rml>");
  const auto compiled = render.next_geometry;
  for (int frame = 0; frame < 3; ++frame) {
    context->Update();
    context->Render();
  }
  EXPECT_EQ(render.next_geometry, compiled);
}

// A walking sprite swaps its image decorator every frame: each swap makes the same quad again
// (another texture), which must share the compiled geometry instead of releasing it and
// compiling it anew. Two equal boxes share one compiled geometry as well.
TEST_F(RenderTest, GeometryMadeAgainUnchangedIsNeitherReleasedNorCompiled) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>div { position: absolute; width: 40px; height: 80px; decorator: "
      "image(a.png); }"
      "#b { left: 50px; }</style></head><body><div id='a'/><div id='b'/></body></rml>");
  context->Render();
  ASSERT_EQ(render.draws.size(), 2u);
  EXPECT_EQ(render.draws[0].geometry, render.draws[1].geometry) << "equal quads share one geometry";
  const auto compiled = render.next_geometry;
  const std::size_t live = render.meshes.size();
  for (int frame = 1; frame <= 6; ++frame) {
    const Rml::String image = frame % 2 == 0 ? "image(a.png)" : "image(b.png)";
    document->GetElementById("a")->SetProperty("decorator", image);
    document->GetElementById("b")->SetProperty("decorator", image);
    context->Update();
    render.draws.clear();
    context->Render();
    ASSERT_EQ(render.draws.size(), 2u);
    EXPECT_EQ(render.next_geometry, compiled) << "frame " << frame;
    EXPECT_EQ(render.meshes.size(), live) << "frame " << frame;
    EXPECT_EQ(render.meshes.count(render.draws[0].geometry), 1u) << "frame " << frame;
  }
}

// Geometry that is made no more goes back to the render interface by the end of the update that
// replaced it, and what the context still holds goes when it is removed.
TEST_F(RenderTest, GeometryNoLongerDrawnIsReleasedAtTheEndOfTheUpdate) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>div { display: block; width: 40px; height: 20px; background-color: red; }"
      "</style></head><body><div id='box'/></body></rml>");
  context->Render();
  ASSERT_EQ(render.draws.size(), 1u);
  const auto old_geometry = render.draws[0].geometry;
  document->GetElementById("box")->SetProperty("width", "60px");
  context->Update();
  EXPECT_EQ(render.meshes.count(old_geometry), 0u);
  EXPECT_EQ(render.meshes.size(), 1u);

  Rml::RemoveContext("test");
  context = nullptr;
  EXPECT_TRUE(render.meshes.empty());
}

}  // namespace
}  // namespace rml_test
