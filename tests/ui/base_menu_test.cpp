// The base menu over real documents: one load per menu, the path rule, reloads keeping
// visibility, shared documents, failed loads, and finding a document the RML system reloaded.

#include "ui/base_menu.h"

#include <memory>
#include <string>

#include "tests/rml/rml_test_support.h"
#include "tests/ui/menu_test_support.h"
#include "ui/rml_event_handler.h"

namespace {

class CountingMenu : public BaseMenu {
 public:
  using BaseMenu::BaseMenu;
  void RegisterEventHandlers() override { ++registrations; }
  const std::shared_ptr<RMLEventHandler>& Handler() const { return eventHandler; }
  int registrations = 0;
  int changes = 0;

 protected:
  void DocumentChanged() override { ++changes; }
};

class BaseMenuTest : public rml_test::RmlTest {
 protected:
  void SetUp() override {
    RmlTest::SetUp();
    host = std::make_unique<menu_test::TestHost>(context);
  }
  std::unique_ptr<menu_test::TestHost> host;
};

TEST(BaseMenuPathTest, OnlyBareNamesGoUnderTheDocumentFolder) {
  EXPECT_EQ(BaseMenu::DocumentPath("pause_menu.rml"), "./GAME/Assets/RML/pause_menu.rml");
  EXPECT_EQ(BaseMenu::DocumentPath("./GAME/other.rml"), "./GAME/other.rml");
  EXPECT_EQ(BaseMenu::DocumentPath("/tmp/menu.rml"), "/tmp/menu.rml");
  EXPECT_EQ(BaseMenu::DocumentPath("menus/a.rml"), "./GAME/Assets/RML/menus/a.rml");
}

TEST_F(BaseMenuTest, LoadsOnceHiddenAndASecondCallOnlyReplacesTheHandler) {
  CountingMenu menu("main_hud.rml");
  auto first = std::make_shared<RMLEventHandler>();
  auto second = std::make_shared<RMLEventHandler>();
  menu.SetDocumentHost(host->Host());
  menu.LoadDocument(nullptr, first);  // no context: nothing, not even the handler
  EXPECT_EQ(menu.Handler(), nullptr);

  menu.LoadDocument(context, first);
  ASSERT_NE(menu.Document(), nullptr);
  EXPECT_FALSE(menu.Document()->IsVisible());
  EXPECT_TRUE(host->menus.contains(menu.Document()));
  menu.LoadDocument(context, second);
  EXPECT_EQ(menu.Handler(), second);
  EXPECT_EQ(host->loads, 1);
  EXPECT_EQ(menu.registrations, 1);

  menu.Show();
  EXPECT_TRUE(menu.Document()->IsVisible());
  menu.Hide();
  EXPECT_FALSE(menu.Document()->IsVisible());

  // A second menu of the same file shares the document.
  CountingMenu twin("./GAME/Assets/RML/main_hud.rml");
  twin.SetDocumentHost(host->Host());
  twin.LoadDocument(context, nullptr);
  EXPECT_EQ(twin.Document(), menu.Document());
}

TEST_F(BaseMenuTest, MissingDocumentOrHostLeavesEverythingUndone) {
  CountingMenu missing("missing.rml");
  missing.SetDocumentHost(host->Host());
  missing.LoadDocument(context, nullptr);
  EXPECT_EQ(missing.Document(), nullptr);
  EXPECT_EQ(missing.registrations, 0);
  missing.Show();
  missing.Hide();
  missing.ReloadDocument(context);
  EXPECT_EQ(missing.Document(), nullptr);

  CountingMenu hostless("main_hud.rml");
  hostless.LoadDocument(context, nullptr);
  EXPECT_EQ(hostless.Document(), nullptr);
  hostless.ReloadDocument(context);  // loads through the context itself
  ASSERT_NE(hostless.Document(), nullptr);
  EXPECT_EQ(hostless.registrations, 1);
  hostless.Show();  // no host: nothing
  EXPECT_FALSE(hostless.Document()->IsVisible());
}

TEST_F(BaseMenuTest, ReloadKeepsVisibilityAndWiresTheFreshDocument) {
  for (const bool visible : {false, true}) {
    SCOPED_TRACE(visible ? "visible" : "hidden");
    CountingMenu menu("main_hud.rml");
    menu.SetDocumentHost(host->Host());
    menu.LoadDocument(context, nullptr);
    if (visible) menu.Show();
    Rml::ElementDocument* old = menu.Document();
    menu.ReloadDocument(context);
    ASSERT_NE(menu.Document(), nullptr);
    EXPECT_NE(menu.Document(), old);
    EXPECT_EQ(menu.Document()->IsVisible(), visible);
    EXPECT_EQ(menu.registrations, 2);
    EXPECT_FALSE(host->menus.contains(old));
    EXPECT_TRUE(host->menus.contains(menu.Document()));
    EXPECT_EQ(context->GetNumDocuments(), 1);
    menu.Document()->Close();
    context->Update();
  }
}

TEST_F(BaseMenuTest, FindDocumentTakesWhatTheSystemReloaded) {
  CountingMenu menu("main_hud.rml");
  menu.SetDocumentHost(host->Host());
  menu.LoadDocument(context, nullptr);
  const std::string path = BaseMenu::DocumentPath("main_hud.rml");

  menu.Document()->Close();
  context->Update();
  Rml::ElementDocument* fresh = context->LoadDocument(path);
  menu.FindDocument(context);
  EXPECT_EQ(menu.Document(), fresh);
  EXPECT_EQ(menu.registrations, 2);
  EXPECT_TRUE(host->menus.contains(fresh));

  fresh->Close();
  context->Update();
  const int changes = menu.changes;
  menu.FindDocument(context);
  EXPECT_EQ(menu.Document(), nullptr);
  EXPECT_EQ(menu.changes, changes + 1);  // told, so it can let go of the old one
  EXPECT_EQ(menu.registrations, 2);
}

}  // namespace
