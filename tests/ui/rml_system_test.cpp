// The document system in a fresh engine with a recording render interface: finding and loading
// documents, the show and hide words, input reaching the context, the pause menu, reloads and
// shutting the library down.

#include "ui/rml_system.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "rml/rml.h"
#include "tests/rml/rml_test_support.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

class ClickCounter : public Rml::EventListener {
 public:
  void ProcessEvent(Rml::Event& event) override {
    ++count;
    wheel = event.GetParameter<float>("wheel_delta_y", wheel);
  }
  int count = 0;
  float wheel = 99.0f;
};

constexpr const char* kPanel =
    "<rml><head><style>body { width: 100%; height: 100%; } #button { display: block; width: 100px; "
    "height: 40px; }</style></head><body><div id='button'>Go</div></body></rml>";

class RMLSystemTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    decs->AddChild(&recorder);
    documents = systems->RegisterSystem<RMLSystem>();
    RMLSystemLinks links;
    links.windowSize = [] { return glm::ivec2(640, 480); };
    links.pointerPosition = [this] { return pointer; };
    links.wheelDelta = [this] { return wheel; };
    links.interactTriggered = [this] { return interactTriggered; };
    links.interactReleased = [this] { return interactReleased; };
    links.backTriggered = [this] { return back; };
    links.windowFocused = [this] { return focused; };
    links.setCursorNormal = [this](bool normal) { cursorNormal = normal; };
    links.currentSceneName = [this] { return scene; };
    documents->SetLinks(std::move(links));
    documents->AttachRenderInterface(&render);
    for (const char* name : {"pause_menu.rml", "panel_a.rml", "panel_b.rml"}) {
      std::ofstream(folder.path / name) << kPanel;
    }
  }

  void TearDown() override {
    documents->ShutdownLibrary();
    decs->RemoveChild(&recorder);
    EngineFixture::TearDown();
  }

  std::string PathOf(const char* name) const { return (folder.path / name).string(); }

  Rml::ElementDocument* Open(const char* name) {
    Rml::ElementDocument* document = documents->GetOrLoadDocument(PathOf(name));
    EXPECT_NE(document, nullptr) << name;
    return document;
  }

  void Step() { documents->Update(0.016f); }

  rml_test::RecordingRenderInterface render;
  testing_support::TempFolder folder;
  std::vector<std::string> posted;
  testing_support::RecordingReceiver recorder{"seen", 1, &posted};
  std::shared_ptr<RMLSystem> documents;
  glm::vec2 pointer{-100.0f, -100.0f};
  float wheel = 0.0f;
  bool interactTriggered = false;
  bool interactReleased = false;
  bool back = false;
  bool focused = true;
  bool cursorNormal = false;
  std::string scene = "level_1";
};

TEST_F(RMLSystemTest, DocumentsAreLoadedHiddenOnceAndFoundAgainByPath) {
  ASSERT_NE(documents->GetContext(), nullptr);
  Rml::ElementDocument* panel = Open("panel_a.rml");
  EXPECT_FALSE(panel->IsVisible());
  EXPECT_EQ(documents->GetOrLoadDocument(PathOf("panel_a.rml")), panel);
  EXPECT_EQ(documents->GetContext()->GetNumDocuments(), 1);
  EXPECT_EQ(documents->GetOrLoadDocument(PathOf("missing.rml")), nullptr);

  EXPECT_EQ(documents->ResolveDocumentPath("pause_menu.rml"), "./GAME/Assets/RML/pause_menu.rml");
  EXPECT_EQ(documents->ResolveDocumentPath("./GAME/x.rml"), "./GAME/x.rml");
  EXPECT_EQ(documents->ResolveDocumentPath("/abs/x.rml"), "/abs/x.rml");
  EXPECT_EQ(documents->ResolveDocumentPath("../x.rml"), "./GAME/Assets/RML/../x.rml");

  // The sample document of the data tree, by bare name and with the folder in front.
  Rml::ElementDocument* sample = documents->GetOrLoadDocument("sample_panel.rml");
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(documents->GetOrLoadDocument("./GAME/Assets/RML/sample_panel.rml"), sample);
}

TEST_F(RMLSystemTest, ShowAndHideWordsActOnTheFirstDocumentContainingTheText) {
  Rml::ElementDocument* a = Open("panel_a.rml");
  Rml::ElementDocument* b = Open("panel_b.rml");
  Rml::ElementDocument* pause = Open("pause_menu.rml");

  documents->HandleMessage("rml_show_document panel_");
  EXPECT_TRUE(a->IsVisible());
  EXPECT_FALSE(b->IsVisible());
  documents->HandleMessage("rml_show_document panel_b.rml");
  documents->HandleMessage("rml_hide_document panel_");
  EXPECT_FALSE(a->IsVisible());
  EXPECT_TRUE(b->IsVisible());
  documents->HandleMessage("rml_show_document panel_a.rml extra");  // two arguments: ignored
  EXPECT_FALSE(a->IsVisible());

  documents->HandleMessage("show_results");
  documents->HandleMessage("rml_show_document pause_menu.rml");
  EXPECT_FALSE(pause->IsVisible()) << "no pause menu over the results";
  documents->HandleMessage("rml_show_document pause");
  EXPECT_TRUE(pause->IsVisible()) << "only the exact name is refused";
  documents->HandleMessage("rml_hide_all_documents");
  documents->HandleMessage("done_loading_scene");
  documents->HandleMessage("rml_show_document pause_menu.rml");
  EXPECT_TRUE(pause->IsVisible());
  EXPECT_FALSE(b->IsVisible());

  documents->AddMenuDocument(a);
  documents->AddMenuDocument(nullptr);
  a->Show();
  documents->HandleMessage("rml_hide_menu_documents");
  EXPECT_FALSE(a->IsVisible());
  EXPECT_TRUE(pause->IsVisible());
  EXPECT_EQ(documents->MenuDocuments().size(), 1u);
  documents->HandleMessage("rmltd");  // no debugger: nothing
  EXPECT_FALSE(documents->debuggerVisible);
}

TEST_F(RMLSystemTest, InteractClicksTheElementUnderThePointerOnlyWhileADocumentShows) {
  Rml::ElementDocument* panel = Open("panel_a.rml");
  ClickCounter clicks;
  ClickCounter wheels;
  panel->GetElementById("button")->AddEventListener("click", &clicks);
  panel->GetElementById("button")->AddEventListener("mousescroll", &wheels);
  pointer = {20.7f, 10.2f};

  interactTriggered = true;  // every document hidden: not forwarded
  Step();
  interactTriggered = false;
  interactReleased = true;
  Step();
  EXPECT_EQ(clicks.count, 0);

  panel->Show();
  interactReleased = false;
  interactTriggered = true;
  Step();
  interactTriggered = false;
  interactReleased = true;
  Step();
  EXPECT_EQ(clicks.count, 1);

  const struct {
    float delta;
    float forwarded;
  } wheelCases[] = {{2.5f, -2.0f}, {-1.0f, 1.0f}, {0.7f, 0.0f}};
  for (const auto& c : wheelCases) {
    wheel = c.delta;
    const int before = wheels.count;
    Step();
    EXPECT_EQ(wheels.count, before + 1) << c.delta;
    EXPECT_EQ(wheels.wheel, c.forwarded) << c.delta;
  }
  wheel = 0.0f;
  const int before = wheels.count;
  Step();
  EXPECT_EQ(wheels.count, before) << "no movement, no event";
  panel->GetElementById("button")->RemoveEventListener("click", &clicks);
  panel->GetElementById("button")->RemoveEventListener("mousescroll", &wheels);
}

TEST_F(RMLSystemTest, BackTogglesThePauseMenuInALevelAndFocusLossOnlyOpensIt) {
  Rml::ElementDocument* pause = Open("pause_menu.rml");
  back = true;
  Step();
  EXPECT_TRUE(decs->paused);
  EXPECT_TRUE(cursorNormal);
  EXPECT_TRUE(pause->IsVisible()) << "the posted show message reached the system itself";
  Step();
  EXPECT_FALSE(decs->paused);
  EXPECT_FALSE(cursorNormal);
  EXPECT_FALSE(pause->IsVisible());
  back = false;

  focused = false;
  Step();
  Step();
  EXPECT_TRUE(decs->paused) << "focus loss opens, never closes";
  focused = true;
  Step();
  EXPECT_TRUE(decs->paused);
  documents->HandleMessage("unpause_from_within_rml");
  EXPECT_FALSE(decs->paused);
  EXPECT_FALSE(pause->IsVisible());
  EXPECT_EQ(posted,
            (std::vector<std::string>{
                "seen:rml_show_document pause_menu.rml", "seen:rml_hide_document pause_menu.rml",
                "seen:rml_show_document pause_menu.rml", "seen:rml_hide_document pause_menu.rml"}));
  documents->HandleMessage("unpause_from_within_rml");  // not paused: nothing
  EXPECT_EQ(posted.size(), 4u);
}

TEST_F(RMLSystemTest, PauseMenuStaysShutWhereItMayNotOpen) {
  back = true;
  for (const char* exempt : {"main_menu_scene", "splash_scene"}) {
    scene = exempt;
    Step();
    EXPECT_FALSE(decs->paused) << exempt;
  }
  scene = "level_1";
  documents->HandleMessage("show_results");
  Step();
  EXPECT_FALSE(decs->paused) << "the results board refuses the pause menu, so the world runs on";
  documents->HandleMessage("done_loading_scene");
  documents->SetPauseMenuEnabled(false);
  focused = false;
  Step();
  EXPECT_FALSE(decs->paused);
  EXPECT_TRUE(posted.empty());
}

TEST_F(RMLSystemTest, ReloadKeepsVisibilityAndAnnouncesIt) {
  Rml::ElementDocument* panel = Open("panel_a.rml");
  panel->Show();
  documents->AddMenuDocument(panel);
  documents->HandleMessage("rml_reload_document " + PathOf("panel_a.rml"));
  Step();
  Rml::ElementDocument* fresh = documents->GetOrLoadDocument(PathOf("panel_a.rml"));
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(fresh->IsVisible());
  EXPECT_TRUE(documents->MenuDocuments().empty());

  documents->ReloadDocument(PathOf("panel_b.rml"));
  Rml::ElementDocument* loaded = documents->GetOrLoadDocument(PathOf("panel_b.rml"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_FALSE(loaded->IsVisible());
  EXPECT_EQ(posted, (std::vector<std::string>{"seen:menu_init", "seen:menu_init"}));
}

TEST_F(RMLSystemTest, AfterShutdownNothingLoadsAndNothingDraws) {
  Open("panel_a.rml")->Show();
  Step();
  documents->Render();
  EXPECT_FALSE(render.draws.empty());
  documents->ShutdownLibrary();
  EXPECT_EQ(documents->GetContext(), nullptr);
  EXPECT_EQ(documents->GetOrLoadDocument(PathOf("panel_a.rml")), nullptr);
  render.draws.clear();
  Step();
  documents->Render();
  documents->HandleMessage("rml_show_document panel");
  EXPECT_TRUE(render.draws.empty());
}

}  // namespace
