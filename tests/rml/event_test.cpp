// Event dispatch: capture, target and bubble order, listener de-duplication, stopping, and the
// safety of removing elements and closing documents from inside listeners.

#include <functional>
#include <list>

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

class RecordingListener : public Rml::EventListener {
 public:
  RecordingListener(std::vector<std::string>& log, std::string name)
      : log_(log), name_(std::move(name)) {}
  void ProcessEvent(Rml::Event& event) override {
    const char* phase = event.GetPhase() == Rml::EventPhase::Capture  ? "capture"
                        : event.GetPhase() == Rml::EventPhase::Target ? "target"
                                                                      : "bubble";
    log_.push_back(name_ + " " + event.GetType() + " " + phase);
    if (action) action(event);
  }
  void OnDetach(Rml::Element*) override { ++detached; }
  std::function<void(Rml::Event&)> action;
  int detached = 0;

 private:
  std::vector<std::string>& log_;
  std::string name_;
};

constexpr const char* kDocument =
    "<rml><head><style>div { display: block; height: 100px; } </style></head>"
    "<body id='body'><div id='outer'><div id='inner'/></div><div id='other'/></body></rml>";

// Listeners live in the fixture, so they outlive the documents they are attached to.
class EventTest : public RmlTest {
 protected:
  RecordingListener& Listener(const char* name) { return listeners.emplace_back(log, name); }
  std::vector<std::string> log;
  std::list<RecordingListener> listeners;
};

TEST_F(EventTest, ClickRunsCaptureTargetAndBubbleInOrder) {
  Rml::ElementDocument* document = Show(kDocument);
  RecordingListener &body = Listener("body"), &outer = Listener("outer"),
                    &inner = Listener("inner");
  document->AddEventListener("click", &body, true);
  document->AddEventListener("click", &body, true);  // the same listener twice is called once
  document->GetElementById("outer")->AddEventListener("click", &outer);
  document->GetElementById("inner")->AddEventListener("click", &inner);
  document->GetElementById("inner")->AddEventListener("click", &inner, true);
  context->ProcessMouseMove(5, 5, 0);
  context->ProcessMouseButtonDown(0, 0);
  context->ProcessMouseButtonUp(0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"body click capture", "inner click target",
                                           "inner click target", "outer click bubble"}));
}

TEST_F(EventTest, MouseEventsFollowTheCursor) {
  Rml::ElementDocument* document = Show(kDocument);
  RecordingListener& outer = Listener("outer");
  for (const char* type :
       {"mouseover", "mouseout", "mousedown", "mouseup", "click", "mousewheel", "focus", "blur"})
    document->GetElementById("outer")->AddEventListener(type, &outer);
  context->ProcessMouseMove(5, 5, 0);     // over inner, bubbling to outer
  context->ProcessMouseButtonDown(0, 0);  // focus goes to inner, whose focus does not bubble
  context->ProcessMouseMove(5, 150, 0);   // out of inner, onto other
  context->ProcessMouseButtonUp(0, 0);    // released elsewhere: no click
  context->ProcessMouseMove(5, 50, 0);
  context->ProcessMouseWheel(-2.f, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"outer mouseover bubble", "outer mousedown bubble",
                                           "outer mouseout bubble", "outer mouseover bubble",
                                           "outer mousewheel bubble"}));
}

TEST_F(EventTest, APressAndAReleaseOnDifferentElementsClickNothing) {
  Rml::ElementDocument* document = Show(kDocument);
  // Listening on the document in both phases hears a click on any element.
  RecordingListener& everywhere = Listener("document");
  document->AddEventListener("click", &everywhere, true);
  document->AddEventListener("click", &everywhere);
  context->ProcessMouseMove(5, 5, 0);  // inner
  context->ProcessMouseButtonDown(0, 0);
  context->ProcessMouseMove(5, 150, 0);  // other
  context->ProcessMouseButtonUp(0, 0);
  EXPECT_EQ(log, std::vector<std::string>{});
  // Pressed and released on the same element again, it clicks.
  context->ProcessMouseButtonDown(0, 0);
  context->ProcessMouseButtonUp(0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"document click capture", "document click bubble"}));
}

TEST_F(EventTest, PointerEventsNoneLetsTheMouseThrough) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>div { display: block; height: 100px; } #cover { position: absolute; left: "
      "0; top: 0;"
      " width: 50px; height: 50px; pointer-events: none; }</style></head>"
      "<body><div id='under'/><div id='cover'/></body></rml>");
  context->ProcessMouseMove(10, 10, 0);
  EXPECT_EQ(context->GetHoverElement(), document->GetElementById("under"));
  document->GetElementById("cover")->SetProperty("pointer-events", "auto");
  context->Update();
  context->ProcessMouseMove(11, 10, 0);
  EXPECT_EQ(context->GetHoverElement(), document->GetElementById("cover"));
}

TEST_F(EventTest, StopPropagationEndsTheWalk) {
  Rml::ElementDocument* document = Show(kDocument);
  RecordingListener &body = Listener("body"), &inner = Listener("inner");
  inner.action = [](Rml::Event& event) { event.StopPropagation(); };
  document->AddEventListener("mousedown", &body);
  document->GetElementById("inner")->AddEventListener("mousedown", &inner);
  context->ProcessMouseMove(5, 5, 0);
  context->ProcessMouseButtonDown(0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"inner mousedown target"}));
}

TEST_F(EventTest, RemovingTheTargetDuringDispatchIsSafe) {
  Rml::ElementDocument* document = Show(kDocument);
  RecordingListener &inner = Listener("inner"), &outer = Listener("outer");
  Rml::Element* outer_element = document->GetElementById("outer");
  inner.action = [&](Rml::Event&) { document->RemoveChild(outer_element); };
  document->GetElementById("inner")->AddEventListener("mousedown", &inner);
  outer_element->AddEventListener("mousedown", &outer);
  context->ProcessMouseMove(5, 5, 0);
  context->ProcessMouseButtonDown(0, 0);
  // The removed subtree's listeners are not called again, and the pointers into it are gone.
  EXPECT_EQ(log, (std::vector<std::string>{"inner mousedown target"}));
  EXPECT_EQ(context->GetHoverElement(), nullptr);
  EXPECT_EQ(context->GetFocusElement(), nullptr);
  context->ProcessMouseButtonUp(0, 0);
  context->Update();  // frees the removed elements
  EXPECT_EQ(outer.detached, 1);
  EXPECT_EQ(document->GetElementById("inner"), nullptr);
  context->ProcessMouseMove(5, 5, 0);
  EXPECT_EQ(context->GetHoverElement(), document->GetElementById("other"));
}

TEST_F(EventTest, ClosingADocumentFromItsListenerRemovesItAtOnceAndFreesItLater) {
  Rml::ElementDocument* document = Show(kDocument);
  Rml::ElementDocument* second = Show(kDocument, "second.rml");
  second->Hide();
  RecordingListener &inner = Listener("inner"), &unload = Listener("doc");
  inner.action = [&](Rml::Event&) {
    document->Close();
    EXPECT_EQ(context->GetNumDocuments(), 1);
  };
  document->GetElementById("inner")->AddEventListener("click", &inner);
  document->AddEventListener("unload", &unload);
  context->ProcessMouseMove(5, 5, 0);
  context->ProcessMouseButtonDown(0, 0);
  context->ProcessMouseButtonUp(0, 0);
  EXPECT_EQ(context->GetDocument(0), second);
  context->Update();
  EXPECT_EQ(log, (std::vector<std::string>{"inner click target", "doc unload target"}));
  EXPECT_EQ(unload.detached, 1);
}

TEST_F(EventTest, ShowHideAndLoadEventsAndDocumentLookUp) {
  Rml::ElementDocument* document = context->LoadDocumentFromMemory(kDocument, "menus/main.rml");
  RecordingListener& listener = Listener("doc");
  document->AddEventListener("show", &listener);
  document->AddEventListener("hide", &listener);
  EXPECT_FALSE(document->IsVisible());
  document->Show();
  document->Show();
  EXPECT_TRUE(document->IsVisible());
  document->Hide();
  EXPECT_EQ(log, (std::vector<std::string>{"doc show target", "doc hide target"}));
  EXPECT_EQ(document->GetSourceURL(), "menus/main.rml");
  EXPECT_EQ(context->GetNumDocuments(), 1);
  EXPECT_EQ(context->GetDocument(0), document);
  EXPECT_EQ(context->GetDocument(1), nullptr);
  context->UnloadAllDocuments();
  EXPECT_EQ(context->GetNumDocuments(), 0);
  context->Update();
}

}  // namespace
}  // namespace rml_test
