// Scrolling: the mouse wheel scrolls the overflow auto/scroll element under the cursor, content
// moves for drawing and hit testing, the scissor region clips it to the padding box, and the
// content size and offset can be queried and set.

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

class ScrollTest : public RmlTest {
 protected:
  // A 100 x 100 list (with 10 px padding) of five 50 px rows inside a 300 px high page.
  Rml::ElementDocument* ShowList(const char* overflow) {
    return Show(
        Rml::String(
            "<rml><head><style>div { display: block; } #page { height: 300px; overflow: auto; }"
            " #list { width: 100px; height: 100px; padding: 10px; overflow: ") +
        overflow +
        "; } .row { height: 50px; }</style></head><body><div id='page'><div id='list'>"
        "<div class='row' id='r0'/><div class='row' id='r1'/><div class='row' id='r2'/>"
        "<div class='row' id='r3'/><div class='row' id='r4'/></div>"
        "<div id='tall' style='height: 600px'/></div></body></rml>");
  }
  float Wheel(Rml::ElementDocument* document, float steps) {
    context->ProcessMouseMove(20, 15, 0);
    context->ProcessMouseWheel(steps, 0);
    return document->GetElementById("list")->GetScrollTop();
  }
};

TEST_F(ScrollTest, WheelScrollsTheListWithinItsContent) {
  Rml::ElementDocument* document = ShowList("auto");
  Rml::Element* list = document->GetElementById("list");
  EXPECT_EQ(list->GetScrollHeight(), 270.f);  // 10 + 5 x 50 + 10
  EXPECT_EQ(list->GetClientHeight(), 120.f);
  EXPECT_EQ(Wheel(document, 1.f), Rml::Context::kWheelScrollStep);
  EXPECT_EQ(BorderBox(document, "r0").position.y, 10.f - 40.f);
  // Rows moved under the cursor: (20, 15) is still over the first row's lower part.
  EXPECT_EQ(context->GetHoverElement(), document->GetElementById("r0"));
  context->ProcessMouseMove(20, 65, 0);
  EXPECT_EQ(context->GetHoverElement(), document->GetElementById("r1"));
  EXPECT_EQ(Wheel(document, 10.f), 150.f);  // clamped at the end
  EXPECT_EQ(Wheel(document, -0.5f), 130.f);
  EXPECT_EQ(Wheel(document, -100.f), 0.f);
  EXPECT_EQ(document->GetElementById("page")->GetScrollTop(), 0.f);
}

TEST_F(ScrollTest, ScrollingPassesToTheNextScrollerAtTheEndAndOnlyForAutoOrScroll) {
  struct Case {
    const char* overflow;
    float list_top, page_top;  // after scrolling down 5 steps, then 3 more
  };
  const Case cases[] = {
      {"auto", 150, 120}, {"scroll", 150, 120}, {"hidden", 0, 320}, {"visible", 0, 320}};
  for (const Case& test : cases) {
    Rml::ElementDocument* document = ShowList(test.overflow);
    Wheel(document, 5.f);
    Wheel(document, 3.f);
    EXPECT_EQ(document->GetElementById("list")->GetScrollTop(), test.list_top) << test.overflow;
    EXPECT_EQ(document->GetElementById("page")->GetScrollTop(), test.page_top) << test.overflow;
    document->Close();
    context->Update();
  }
}

TEST_F(ScrollTest, ListenersCanKeepTheWheelAndTheApiScrollsAndClamps) {
  struct Stopper : Rml::EventListener {
    void ProcessEvent(Rml::Event& event) override { event.StopPropagation(); }
  } stopper;
  Rml::ElementDocument* document = ShowList("auto");
  Rml::Element* list = document->GetElementById("list");
  list->AddEventListener("mousewheel", &stopper);
  EXPECT_EQ(Wheel(document, 1.f), 0.f);
  list->RemoveEventListener("mousewheel", &stopper);

  list->SetScrollTop(75.f);
  EXPECT_EQ(BorderBox(document, "r2").position.y, 10.f + 100.f - 75.f);
  list->SetScrollTop(1e9f);
  EXPECT_EQ(list->GetScrollTop(), 150.f);
  list->SetScrollTop(std::nanf(""));
  EXPECT_EQ(list->GetScrollTop(), 150.f);
  context->ProcessMouseWheel(std::nanf(""), 0);
  EXPECT_EQ(list->GetScrollTop(), 150.f);
  list->SetScrollLeft(10.f);  // nothing is wider than the list
  EXPECT_EQ(list->GetScrollLeft(), 0.f);
  // The scroll survives a new layout.
  list->SetProperty("padding", "12px");
  context->Update();
  EXPECT_EQ(BorderBox(document, "r0").position.y, 12.f - 150.f);
  // Content that shrinks pulls the scroll back to its new end.
  document->GetElementById("r4")->SetProperty("display", "none");
  context->Update();
  EXPECT_EQ(list->GetScrollTop(), 100.f);  // 12 + 4 x 50 + 12 - 124
  EXPECT_EQ(BorderBox(document, "r0").position.y, 12.f - 100.f);
}

TEST_F(ScrollTest, ContentIsClippedToThePaddingBox) {
  Rml::ElementDocument* document = ShowList("auto");
  Wheel(document, 1.f);
  context->Update();
  render.scissors.clear();
  context->Render();
  ASSERT_GE(render.scissors.size(), 2u);
  // The page clips to its own box, then the list to its padding box within it.
  EXPECT_EQ(render.scissors[1].position, Rml::Vector2i(0, 0));
  EXPECT_EQ(render.scissors[1].size, Rml::Vector2i(120, 120));
  EXPECT_FALSE(render.scissor_enabled);
  // A row scrolled out of the list is not hit where it would have been drawn.
  context->ProcessMouseMove(20, 125, 0);
  EXPECT_EQ(BorderBox(document, "r3").position.y, 120.f);
  EXPECT_EQ(context->GetHoverElement(), document->GetElementById("tall"));
}

}  // namespace
}  // namespace rml_test
