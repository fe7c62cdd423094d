// The running game's event handler reaches the RML system's documents: a handler registered by
// message attaches to a shown document's element, and a click there posts its message.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/decs.h"
#include "rml/rml.h"
#include "tests/app/running_game.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"
#include "ui/rml_system.h"

namespace {

TEST(EventHandlerWindow, RegisteredMessageReachesAShownDocument) {
  testing_support::ScopedTempHome home;
  testing_support::RunningGame game;
  const auto documents = DECS::Instance().GetSystem<RMLSystem>();
  ASSERT_NE(documents, nullptr);
  Rml::ElementDocument* panel = documents->GetOrLoadDocument("sample_panel.rml");
  ASSERT_NE(panel, nullptr);
  panel->Show();
  std::vector<std::string> log;
  testing_support::RecordingReceiver receiver{"game", 1, &log};
  DECS::Instance().AddChild(&receiver);

  DECS::Instance().GetManager<MessagingManager>()->PostFormatted(
      "rml_register_handler play-button click wired_click", 1);
  panel->GetElementById("play-button")->DispatchEvent("click", {});
  DECS::Instance().RemoveChild(&receiver);
  EXPECT_NE(std::find(log.begin(), log.end(), "game:wired_click"), log.end());
}

}  // namespace
