// The event handler over real documents: which callable an event reaches (once, at its target,
// only in visible documents), the message words, re-registration during a call, and a handler
// that goes before its documents.

#include "ui/rml_event_handler.h"

#include <gmock/gmock.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/rml/rml_test_support.h"
#include "tests/support/engine_fixture.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

constexpr const char* kMenu =
    "<rml><body>"
    "<div id='outer-button' style='height: 100px;'>"
    "<div id='inner-button' style='height: 40px;'>in</div>"
    "<div style='height: 40px;'>no id</div>"
    "</div>"
    "<div id='resume-button' style='height: 40px;'>resume</div>"
    "</body></rml>";

class RMLEventHandlerTest : public rml_test::RmlTest {
 protected:
  void SetUp() override {
    RmlTest::SetUp();
    DECS& decs = DECS::CreateInstance(std::make_unique<testing_support::FakeClock>());
    CreateManagers();
    handler = decs.GetManager<SystemManager>()->RegisterSystem<RMLEventHandler>().get();
    handler->SetLinks({.context = [this] { return context; }});
    decs.AddChild(&messages);
    document = Show(kMenu);
    ASSERT_NE(document, nullptr);
  }
  void TearDown() override {
    if (DECS::HasInstance()) {
      DECS::Instance().RemoveChild(&messages);
      DECS::Instance().Shutdown();
    }
    RmlTest::TearDown();
  }

  void Send(const std::string& message) {
    DECS::Instance().GetManager<MessagingManager>()->PostFormatted("%s", 0, message.c_str());
  }
  void Dispatch(Rml::ElementDocument* in, const std::string& id, const std::string& type) {
    Rml::Element* element = in->GetElementById(id);
    ASSERT_NE(element, nullptr) << id;
    element->DispatchEvent(type, {});
  }
  // A callable that logs "<name>".
  RMLEventHandler::Callable Logs(const std::string& name) {
    return [this, name](Rml::Event&) { calls.push_back(name); };
  }

  RMLEventHandler* handler = nullptr;
  Rml::ElementDocument* document = nullptr;
  std::vector<std::string> calls;
  std::vector<std::string> log;
  testing_support::RecordingReceiver messages{"game", 1, &log};
};

TEST_F(RMLEventHandlerTest, EachEventCallsTheCallableOfItsTargetOnce) {
  for (const char* id : {"outer-button", "inner-button"}) {
    handler->RegisterHandler(id, "click", Logs(id));
    RMLEventHandler::AddRmlEventListener(handler, document, id, "click");
    RMLEventHandler::AddRmlEventListener(handler, document, id, "click");  // one attachment
  }
  handler->RegisterHandler("inner-button", "mouseover", Logs("inner over"));  // never attached
  handler->RegisterHandler("resume-button", "click", Logs("resume"));
  RMLEventHandler::AddRmlEventListener(nullptr, document, "resume-button", "click");
  RMLEventHandler::AddRmlEventListener(handler, nullptr, "resume-button", "click");
  RMLEventHandler::AddRmlEventListener(handler, document, "absent", "click");

  const struct {
    const char* target;
    const char* type;
    std::vector<std::string> calls;
  } cases[] = {
      {"inner-button", "click", {"inner-button"}},  // not again at the listened parent
      {"outer-button", "click", {"outer-button"}},
      {"inner-button", "mouseover", {}},
      {"resume-button", "click", {}},  // a null handler attached nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.target) + " " + c.type);
    calls.clear();
    Dispatch(document, c.target, c.type);
    EXPECT_EQ(calls, c.calls);
  }

  // A click on the child without an id starts there and finds no callable.
  calls.clear();
  context->ProcessMouseMove(5, 60, 0);
  context->ProcessMouseButtonDown(0, 0);
  context->ProcessMouseButtonUp(0, 0);
  EXPECT_THAT(calls, IsEmpty());
}

TEST_F(RMLEventHandlerTest, RegisterHandlerWordPostsItsMessageWhileTheDocumentIsVisible) {
  Send("rml_register_handler resume-button click unpause_from_within_rml");
  log.clear();
  Dispatch(document, "resume-button", "click");
  EXPECT_THAT(log, ElementsAre("game:unpause_from_within_rml"));

  log.clear();
  document->Hide();
  context->Update();
  Dispatch(document, "resume-button", "click");
  EXPECT_THAT(log, IsEmpty());

  for (const char* wrong :
       {"rml_register_handler inner-button click", "rml_register_handler inner-button click a b",
        "rml_register_handler"}) {
    Send(wrong);
    EXPECT_FALSE(handler->HasHandler("inner-button", "click")) << wrong;
  }
}

TEST_F(RMLEventHandlerTest, AttachHandlersReachesDocumentsLoadedLater) {
  Send("rml_attach_handlers");  // empty registry: nothing to do
  handler->RegisterHandler("pause-button", "click", Logs("first"));
  handler->RegisterHandler("pause-button", "click", Logs("second"));  // replaces the first
  handler->RegisterHandler("nowhere", "click", Logs("nowhere"));
  Rml::ElementDocument* later =
      Show("<rml><body><div id='pause-button'>pause</div></body></rml>", "[later]");
  Dispatch(later, "pause-button", "click");
  EXPECT_THAT(calls, IsEmpty());

  Send("rml_attach_handlers");
  Send("rml_attach_handlers");
  Dispatch(later, "pause-button", "click");
  EXPECT_THAT(calls, ElementsAre("second"));

  // Shutdown forgets the callables; the attachments stay harmless.
  calls.clear();
  handler->Shutdown();
  Dispatch(later, "pause-button", "click");
  EXPECT_THAT(calls, IsEmpty());
}

TEST_F(RMLEventHandlerTest, CallableThatReplacesItselfFinishesItsCall) {
  int replaced = 0;
  std::string seen;
  handler->RegisterHandler("resume-button", "click", [&, marker = std::string("old")](Rml::Event&) {
    handler->RegisterHandler("resume-button", "click", [&](Rml::Event&) { ++replaced; });
    seen = marker;  // the capture is still alive after the replacement
  });
  RMLEventHandler::AddRmlEventListener(handler, document, "resume-button", "click");
  Dispatch(document, "resume-button", "click");
  EXPECT_EQ(seen, "old");
  Dispatch(document, "resume-button", "click");
  EXPECT_EQ(replaced, 1);
}

TEST_F(RMLEventHandlerTest, HandlerGoneBeforeItsDocumentsLeavesNoListenerBehind) {
  {
    RMLEventHandler shortLived;
    shortLived.RegisterHandler("inner-button", "click", Logs("short"));
    RMLEventHandler::AddRmlEventListener(&shortLived, document, "inner-button", "click");
    RMLEventHandler::AddRmlEventListener(&shortLived, document, "inner-button", "mouseup");
    RMLEventHandler::AddRmlEventListener(&shortLived, document, "outer-button", "click");
  }
  Dispatch(document, "inner-button", "click");
  Dispatch(document, "inner-button", "mouseup");
  EXPECT_THAT(calls, IsEmpty());

  // Elements destroyed first detach themselves; the handler's own end then has nothing to do.
  {
    RMLEventHandler other;
    RMLEventHandler::AddRmlEventListener(&other, document, "inner-button", "click");
    document->Close();
    context->Update();
  }
}

}  // namespace
