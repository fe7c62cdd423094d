#include "audio/sound_system.h"

#include "engine/decs.h"
#include "engine/message_text.h"
#include "engine/system_manager.h"
#include "platform/settings_system.h"

void SoundSystem::Init() {
  auto settings = DECS::Instance().GetManager<SystemManager>()->GetSystem<SettingsSystem>();
  if (settings == nullptr) return;
  settings->LoadSettings();
  muted = settings->MuteAudio != 0;
}

void SoundSystem::HandleMessage(const std::string& message) {
  if (IsMessage(message, "mute")) {
    muted = true;
  } else if (IsMessage(message, "unmute")) {
    muted = false;
  }
}
