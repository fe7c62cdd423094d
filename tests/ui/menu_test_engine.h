#pragma once
// The menus as the game builds them, without a window: a fresh engine with the RML system
// (drawing into a recording render interface), the event handler and the menu manager attached
// to them over the game's own documents. Every message posted at level 0 or 1 is logged in the
// order it was posted, before any system handles it; level-0 messages are marked "all:".

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "rml/rml.h"
#include "tests/rml/rml_test_support.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"
#include "ui/base_menu.h"
#include "ui/menu_manager.h"
#include "ui/rml_event_handler.h"
#include "ui/rml_system.h"

namespace menu_test {

// The HUD's material values are not what the menus are about; the logs leave them out.
inline bool IsShaderValue(const std::string& message) {
  return message.starts_with("shader_uniform_update ");
}

// Logs what reaches level 1 ("<message>") and what reaches every receiver ("all:<message>").
class PostLog : public MessageReciever {
 public:
  explicit PostLog(std::vector<std::string>* log) : log(log) { level = 1; }
  void HandleMessage(const std::string& message) override {
    if (std::exchange(delivering0, false) || IsShaderValue(message)) return;
    log->push_back(message);
  }
  std::vector<std::string>* log;
  bool delivering0 = false;
};

// Receives only level-0 deliveries (its level matches nothing else that is posted here).
class EveryoneLog : public MessageReciever {
 public:
  EveryoneLog(std::vector<std::string>* log, PostLog* systemsLog)
      : log(log), systemsLog(systemsLog) {
    level = 3;
  }
  void HandleMessage(const std::string& message) override {
    if (IsShaderValue(message)) return;
    log->push_back("all:" + message);
    // The level-1 log hears it next (it sits after this one): not twice.
    systemsLog->delivering0 = true;
  }
  std::vector<std::string>* log;
  PostLog* systemsLog;
};

class MenuEngine : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    // First among DECS's children, so the log keeps the order of posting.
    decs->children.insert(decs->children.begin(), {&everyone, &systemsLog});
    documents = systems->RegisterSystem<RMLSystem>();
    RMLSystemLinks documentLinks;
    documentLinks.windowSize = [] { return glm::ivec2(1280, 720); };
    documentLinks.openMenuDocument = [this] { return menus->OpenMenuDocument(); };
    documents->SetLinks(std::move(documentLinks));
    documents->AttachRenderInterface(&render);
    handler = systems->RegisterSystem<RMLEventHandler>();
    handler->SetLinks({.context = [this] { return documents->GetContext(); }});
    menus = systems->RegisterSystem<MenuManager>();
    MenuManagerLinks links;
    links.skipTriggered = [this] { return skip; };
    links.setVolume = [this](const std::string& channel, float volume) {
      volumes.push_back(channel + " " + std::to_string(volume));
    };
    links.backTriggered = [this] { return back; };
    links.settings.save = [this] {
      ++saves;
      return saveSucceeds;
    };
    links.settings.fullscreen = [this] { return fullscreenSetting; };
    links.settings.windowedResolution = [this] { return windowedSize; };
    links.settings.muteAudio = [this] { return muteSetting; };
    menus->SetLinks(std::move(links));
    menus->Attach(documents, handler);
  }

  void TearDown() override {
    decs->RemoveChild(&everyone);
    decs->RemoveChild(&systemsLog);
    documents->ShutdownLibrary();
    EngineFixture::TearDown();
  }

  std::string Post(const std::string& message, int level = 1) {
    return messaging->PostFormatted("%s", level, message.c_str());
  }
  // The log since the last call.
  std::vector<std::string> Posted() { return std::exchange(log, {}); }

  // Shows menu `id` with "menu_transition" and keeps it and its document for Element and Click;
  // the log starts empty afterwards.
  template <typename Menu>
  Menu* OpenMenu(int id) {
    auto* menu = dynamic_cast<Menu*>(menus->GetMenu(id).get());
    Post("menu_transition " + std::to_string(id));
    openDocument = menu != nullptr ? menu->Document() : nullptr;
    EXPECT_TRUE(Visible(openDocument)) << id;
    Posted();
    return menu;
  }
  Rml::Element* Element(const std::string& id) {
    Rml::Element* element = openDocument != nullptr ? openDocument->GetElementById(id) : nullptr;
    EXPECT_NE(element, nullptr) << id;
    return element;
  }
  void Click(const std::string& id) {
    if (Rml::Element* element = Element(id)) element->DispatchEvent("click", {});
  }
  // An update of the manager in which Escape (UI_BACK) was pressed.
  void PressBack() {
    back = true;
    menus->Update(0.0f);
    back = false;
  }

  Rml::ElementDocument* DocumentOf(int id) const {
    const auto menu = menus->GetMenu(id);
    return menu ? menu->Document() : nullptr;
  }
  bool Visible(Rml::ElementDocument* document) const {
    return document != nullptr && document->IsVisible();
  }

  // The main menu's diary reads and writes the save folder: a fresh one per test.
  testing_support::ScopedTempHome home;
  Rml::ElementDocument* openDocument = nullptr;
  rml_test::RecordingRenderInterface render;
  std::vector<std::string> log;
  PostLog systemsLog{&log};
  EveryoneLog everyone{&log, &systemsLog};
  std::shared_ptr<RMLSystem> documents;
  std::shared_ptr<RMLEventHandler> handler;
  std::shared_ptr<MenuManager> menus;
  bool skip = false;
  bool back = false;
  bool fullscreenSetting = true;
  bool muteSetting = false;
  glm::ivec2 windowedSize{1280, 720};
  int saves = 0;
  bool saveSucceeds = true;
  std::vector<std::string> volumes;
};

}  // namespace menu_test
