// The HUD's operations against the game's own "main_hud.rml": classes, display and texts after
// each call, the shader values it sends, the results board, and a reload while the HUD holds
// the document.

#include "ui/game_hud.h"

#include <gmock/gmock.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/rml/rml_test_support.h"
#include "tests/support/engine_fixture.h"
#include "tests/ui/menu_test_support.h"

namespace {

using testing::Contains;

class GameHUDTest : public rml_test::RmlTest {
 protected:
  void SetUp() override {
    RmlTest::SetUp();
    DECS::CreateInstance(std::make_unique<testing_support::FakeClock>());
    CreateManagers();
    DECS::Instance().AddChild(&messages);
    host = std::make_unique<menu_test::TestHost>(context);
    hud.SetDocumentHost(host->Host());
    hud.SetLinks({.sendRingRange = [this] { return sendRing; }, .hints = {}});
    hud.LoadDocument(context, nullptr);
    document = hud.Document();
    ASSERT_NE(document, nullptr);
    hud.Show();
    context->Update();
  }
  void TearDown() override {
    DECS::Instance().RemoveChild(&messages);
    DECS::Instance().Shutdown();
    RmlTest::TearDown();
  }

  Rml::Element* Element(const std::string& id) {
    Rml::Element* element = hud.Document()->GetElementById(id);
    EXPECT_NE(element, nullptr) << id;
    return element;
  }
  // The computed display of an element after a context update.
  std::string Display(const std::string& id) {
    context->Update();
    switch (Element(id)->GetComputedValues().display) {
      case Rml::Style::Display::None:
        return "none";
      case Rml::Style::Display::Flex:
        return "flex";
      case Rml::Style::Display::Block:
        return "block";
      default:
        return "other";
    }
  }
  std::string Classes(const std::string& id) {
    return Element(id)->GetAttribute<std::string>("class", "");
  }
  std::string Decorator(const std::string& id) {
    context->Update();
    return Element(id)->GetComputedValues().decorator;
  }

  std::unique_ptr<menu_test::TestHost> host;
  std::vector<std::string> log;
  testing_support::RecordingReceiver messages{"game", 1, &log};
  Rml::ElementDocument* document = nullptr;
  float sendRing = 0.0f;
  GameHUD hud;
};

TEST_F(GameHUDTest, ShowPutsThePlayState) {
  EXPECT_TRUE(document->IsVisible());
  const std::pair<const char*, const char*> displays[] = {
      {"power-meter-system", "block"}, {"health-hud-container", "block"},
      {"results-container", "none"},   {"boss-info-container", "none"},
      {"left-keycap", "none"},         {"right-keycap", "none"},
      {"left-mash-keycap", "none"},    {"right-mash-keycap", "none"},
      {"hint-dialog-1", "none"},
  };
  for (const auto& [id, display] : displays) EXPECT_EQ(Display(id), display) << id;
  EXPECT_EQ(Element("digit-0")->GetInnerRML(), "0");
}

TEST_F(GameHUDTest, ScoreDigitsMaterialsAndGrade) {
  log.clear();
  hud.UpdateScore(1205);
  EXPECT_EQ(hud.Digits().Digits().size(), 4u);
  EXPECT_EQ(Classes("digit-0"), "score-digit first-digit sundrel");
  EXPECT_EQ(
      Decorator("digit-1"),
      "text-shader(2 #ffdb8f center center \"./GAME/Assets/Materials/UILightningMaterial.json\")");
  EXPECT_EQ(Decorator("grade-value"),
            "text-shader(" + hud.GetGradeResult().gradeText +
                " #ffdb8f center center \"./GAME/Assets/Materials/UIGradeMaterial.json\")");
  EXPECT_THAT(log, Contains(testing::StartsWith(
                       "game:shader_uniform_update UIGradeMaterial.json gradeLevel float ")));

  // The clan recolours the meter, the score text and the digit materials at once; the spans
  // keep their class until the score changes.
  Rml::Element* firstDigit = Element("digit-0");
  hud.SetClan(Clan::Floreth);
  EXPECT_TRUE(Element("meter-front-clan")->IsClassSet("floreth"));
  EXPECT_FALSE(Element("meter-clan-logo")->IsClassSet("sundrel"));
  EXPECT_TRUE(Element("score-value")->IsClassSet("floreth"));
  // Only the digits draw the score: the score's own element draws no second copy over them.
  EXPECT_EQ(Decorator("score-value"), "");
  EXPECT_EQ(Element("digit-0"), firstDigit);
  EXPECT_EQ(Classes("digit-0"), "score-digit first-digit sundrel");
  EXPECT_EQ(
      Decorator("digit-0"),
      "text-shader(1 #ffdb8f center center \"./GAME/Assets/Materials/UIOpalShaderMaterial.json\")");

  // Neutral: the meter reads as Sundrel, new spans as Floreth.
  hud.SetClan(Clan::Neutral);
  hud.UpdateScore(9);
  EXPECT_TRUE(Element("meter-front-clan")->IsClassSet("sundrel"));
  EXPECT_EQ(Classes("digit-0"), "score-digit first-digit floreth");
  EXPECT_EQ(hud.Document()->GetElementById("digit-1"), nullptr);
}

TEST_F(GameHUDTest, HealthClassesAtTheirEdges) {
  const struct {
    int health;
    int maximum;
    const char* healthClass;
    float fraction;
  } cases[] = {
      {25, 100, "health-critical", 0.25f}, {26, 100, "health-low", 0.26f},
      {50, 100, "health-low", 0.5f},       {99, 100, "health-good", 0.99f},
      {100, 100, "health-full", 1.0f},     {150, 100, "health-full", 1.0f},
      {-4, 100, "health-critical", 0.0f},  {1, 2, "health-low", 0.5f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.health << "/" << c.maximum);
    hud.SetPlayerMaxHealth(c.maximum);
    log.clear();
    hud.SetPlayerHealth(c.health);
    EXPECT_FLOAT_EQ(hud.HealthFraction(), c.fraction);
    EXPECT_EQ(Element("player-health-value")->GetInnerRML(), std::to_string(c.health));
    EXPECT_EQ(Classes("player-health-value"), c.healthClass);
    char expected[160];
    std::snprintf(expected, sizeof expected,
                  "game:shader_uniform_update UIPlayerHealthMetreShaderMaterial.json "
                  "healthPercentage float %f",
                  static_cast<double>(c.fraction));
    EXPECT_THAT(log, Contains(std::string(expected)));
  }
  hud.SetPlayerMaxHealth(0);  // ignored: 1 of 2 stays half
  EXPECT_FLOAT_EQ(hud.HealthFraction(), 0.5f);
}

TEST_F(GameHUDTest, BossNamesHealthAndPanel) {
  const struct {
    const char* name;
    int id;
    const char* bossClass;
  } names[] = {
      {"BLISS FLORETH", 1, "final-boss"},
      {"BLISS_FLORETH", 1, "final-boss"},
      {"FINAL BOSS", 1, "final-boss"},
      {"BIBERTY_FLORETH", 2, "biberty-floreth"},
      {"VOLOK", 3, "volok"},
      {"VOLOLOK", 4, "vololok"},
      {"Volok", 0, "default"},
      {"", 0, "default"},
  };
  for (const auto& n : names) {
    SCOPED_TRACE(n.name);
    log.clear();
    hud.UpdateBossName(n.name);
    EXPECT_EQ(hud.BossId(), n.id);
    EXPECT_EQ(Classes("boss-name"), n.bossClass);
    EXPECT_EQ(Classes("boss-health-value"), n.bossClass);
    EXPECT_THAT(log, Contains("game:shader_uniform_update UIBossHealthMaterial.json bossName int " +
                              std::to_string(n.id)));
  }

  hud.UpdateBossName("VOLOK");
  log.clear();
  hud.UpdateBossHealth(500, -1);  // keeps the maximum of 1000
  EXPECT_EQ(Element("boss-health-value")->GetInnerRML(), "500");
  EXPECT_EQ(Classes("boss-health-value"), "volok");
  EXPECT_THAT(log, Contains("game:shader_uniform_update UIBossHealthMaterial.json "
                            "healthPercentageBoss float 0.500000"));
  log.clear();
  hud.UpdateBossHealth(5000, 2000);
  EXPECT_THAT(log, Contains("game:shader_uniform_update UIBossHealthMaterial.json "
                            "healthPercentageBoss float 1.000000"));

  hud.ShowBossInfo();
  EXPECT_EQ(Display("boss-info-container"), "flex");
  EXPECT_FLOAT_EQ(Element("boss-info-container")->GetComputedValues().opacity, 1.0f);
  hud.HideBossInfo();
  EXPECT_EQ(Display("boss-info-container"), "none");
  EXPECT_FALSE(hud.BossActive());
}

TEST_F(GameHUDTest, KeycapsFollowSendRingAndMashKeycapsSwap) {
  hud.SetLeftKeycapVisible(true);
  hud.SetRightKeycapVisible(true);
  EXPECT_EQ(Display("left-keycap"), "flex");
  const struct {
    float range;
    bool left;
    bool right;
  } ranges[] = {{1.0f, true, false}, {-0.5f, false, true}, {0.0f, false, false}};
  for (const auto& r : ranges) {
    sendRing = r.range;
    hud.Update(0.01f);
    EXPECT_EQ(Element("left-keycap")->IsClassSet("active"), r.left) << r.range;
    EXPECT_EQ(Element("right-keycap")->IsClassSet("active"), r.right) << r.range;
  }

  hud.SetPlayerLocked(true);
  EXPECT_EQ(Display("left-mash-keycap"), "flex");
  EXPECT_TRUE(Element("left-mash-keycap")->IsClassSet("mash-animate-small"));
  EXPECT_TRUE(Element("right-mash-keycap")->IsClassSet("mash-animate-large"));
  hud.Update(0.47f);
  EXPECT_FALSE(hud.MashPhase());
  hud.Update(0.01f);  // 0.48 s: swap
  EXPECT_TRUE(hud.MashPhase());
  EXPECT_TRUE(Element("left-mash-keycap")->IsClassSet("mash-animate-large"));
  EXPECT_FALSE(Element("left-mash-keycap")->IsClassSet("mash-animate-small"));
  EXPECT_TRUE(Element("right-mash-keycap")->IsClassSet("mash-animate-small"));
  hud.Update(0.48f);
  EXPECT_FALSE(hud.MashPhase());

  hud.SetPlayerLocked(false);
  EXPECT_EQ(Display("right-mash-keycap"), "none");
  for (const char* id : {"left-mash-keycap", "right-mash-keycap"}) {
    EXPECT_FALSE(Element(id)->IsClassSet("mash-animate-large")) << id;
    EXPECT_FALSE(Element(id)->IsClassSet("mash-animate-small")) << id;
  }
}

TEST_F(GameHUDTest, ResultsReplaceTheGameplayAndPlayThroughAndHideAgain) {
  hud.ShowBossInfo();
  hud.ShowHint("hello", 5.0f);
  hud.SetLeftKeycapVisible(true);
  hud.Update(0.0f);
  hud.SetClan(Clan::Floreth);
  // A lost or won run locks the player before the board shows.
  hud.SetPlayerLocked(true);
  hud.ShowResults(false, "S", 3000, 61.0f);
  const char* const underTheBoard[] = {
      "power-meter-system", "health-hud-container", "boss-info-container", "left-keycap",
      "left-mash-keycap",   "right-mash-keycap",    "hint-dialog-1"};
  for (const char* id : underTheBoard) EXPECT_EQ(Display(id), "none") << id;
  for (const char* id : {"result-board", "results-grade"}) EXPECT_EQ(Display(id), "none") << id;
  EXPECT_EQ(Display("results-container"), "flex");
  EXPECT_EQ(hud.Results().run.clan, Clan::Floreth);

  for (int frame = 0; frame < 200; ++frame) hud.Update(1.0f / 60.0f);  // no input needed
  // The play's parts stay hidden while the board shows, the keycaps too.
  for (const char* id : underTheBoard) EXPECT_EQ(Display(id), "none") << id;
  EXPECT_EQ(hud.Results().stage, 5);
  EXPECT_EQ(Display("result-board"), "block");
  EXPECT_EQ(Display("results-time"), "flex");
  EXPECT_FLOAT_EQ(Element("results-time")->GetComputedValues().opacity, 1.0f);
  EXPECT_EQ(Element("results-grade-value")->GetInnerRML(), "S");
  EXPECT_TRUE(Element("results-grade")->IsClassSet("grade-s"));
  EXPECT_EQ(Element("results-time-value")->GetInnerRML(), "01 min 01 sec");

  hud.HideResults();
  EXPECT_EQ(Display("results-container"), "none");
  EXPECT_EQ(Display("power-meter-system"), "block");
  EXPECT_FALSE(hud.Results().shown);
}

TEST_F(GameHUDTest, ReloadsNeverReachTheClosedDocument) {
  hud.UpdateScore(42);
  hud.SetPlayerHealth(30);
  hud.ShowHint("before", 5.0f);
  hud.Update(0.05f);  // digits mid-pop, a hint shown

  // The HUD reloads its own document: the fresh one is visible like the old and shows the state.
  hud.ReloadDocument(context);
  Rml::ElementDocument* reloaded = hud.Document();
  ASSERT_NE(reloaded, nullptr);
  EXPECT_TRUE(reloaded->IsVisible());
  hud.Update(0.05f);  // no element of the closed document is reached (the sanitizer build)
  EXPECT_EQ(Element("digit-1")->GetInnerRML(), "2");
  EXPECT_EQ(Element("player-health-value")->GetInnerRML(), "30");

  // The RML system reloads it behind the HUD's back; on "menu_init" the HUD looks again.
  reloaded->Close();
  context->Update();
  Rml::ElementDocument* fresh = context->LoadDocument(BaseMenu::DocumentPath("main_hud.rml"));
  ASSERT_NE(fresh, nullptr);
  hud.FindDocument(context);
  ASSERT_EQ(hud.Document(), fresh);
  hud.Update(0.05f);
  EXPECT_EQ(Element("digit-0")->GetInnerRML(), "4");
  hud.ShowHint("after", 5.0f);
  hud.Update(0.0f);
  EXPECT_EQ(Element("hint-text-1")->GetInnerRML(), "after");

  fresh->Close();
  context->Update();
  hud.FindDocument(context);  // none left: the HUD has no document
  EXPECT_EQ(hud.Document(), nullptr);
  hud.UpdateScore(7);
  hud.ShowHint("nowhere", 1.0f);
  hud.Update(0.1f);
  EXPECT_EQ(hud.Score(), 7);
}

}  // namespace
