#include "audio/sound_system.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "audio/fmod/audio_layer.h"
#include "audio/fmod/fmod_errors.h"
#include "engine/decs.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "platform/settings_system.h"
#include "scripting/action_list_system.h"

namespace {

constexpr FMOD_MODE kLoopingMode = FMOD_LOOP_NORMAL | FMOD_2D;
constexpr FMOD_MODE kOneShotMode = FMOD_LOOP_OFF | FMOD_2D;
constexpr int kFadeCurve = 3;  // smoothstep

bool Sounding(FMOD_CHANNEL* channel) {
  FMOD_BOOL playing = 0;
  FMOD_Channel_IsPlaying(channel, &playing);
  return playing != 0;
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

// It keeps running while the pause menu is open.
SoundSystem::SoundSystem() { pausable = false; }

void SoundSystem::Init() {
  FMOD_System_Create(&system, FMOD_VERSION);
  const FMOD_RESULT opened = FMOD_System_Init(system, kSlotCount, FMOD_INIT_NORMAL, nullptr);
  FMOD_BOOL loopback = 0;
  if (opened != FMOD_OK) {
    std::printf("SoundSystem : %s; the game runs without sound\n", FMOD_ErrorString(opened));
  } else if (AudioLayer_IsLoopback(system, &loopback) == FMOD_OK && loopback != 0) {
    std::printf(
        "SoundSystem : no sound device is in use; sound goes to the silent loopback "
        "device\n");
  }
  FMOD_System_SetSoftwareChannels(system, kSlotCount);

  DECS& decs = DECS::Instance();
  messaging = decs.GetManager<MessagingManager>().get();
  const auto systems = decs.GetManager<SystemManager>();
  soundCount = 0;
  sounds.fill(SoundEntry{});
  slots.fill(ChannelSlot{});
  musicVolume = ambienceVolume = effectVolume = masterVolume = 1.0f;
  if (systems == nullptr) return;
  systems->SetSignature(TypeName<SoundSystem>(), {});
}

void SoundSystem::SetLinks(SoundSystemLinks value) {
  links = std::move(value);
  if (links.settings == nullptr) return;
  links.settings->LoadSettings();
  muted = links.settings->MuteAudio != 0;
}

std::vector<std::string> SoundSystem::MissingLinks() const {
  std::vector<std::string> missing;
  if (!links.windowFocused) missing.emplace_back("windowFocused");
  if (links.tweener == nullptr) missing.emplace_back("tweener");
  if (links.settings == nullptr) missing.emplace_back("settings");
  return missing;
}

void SoundSystem::Shutdown() {
  if (links.tweener != nullptr) {
    for (ChannelSlot& slot : slots) links.tweener->CancelTweensOn(&slot.fade);
  }
  for (SoundEntry& entry : sounds) {
    if (entry.alias == "NULL") continue;
    FMOD_Sound_Release(entry.sound);
    entry = SoundEntry{};
  }
  soundCount = 0;
  for (ChannelSlot& slot : slots) slot = ChannelSlot{};
  FMOD_System_Close(system);
  FMOD_System_Release(system);
  system = nullptr;
}

int SoundSystem::FindSound(std::string_view alias) const {
  for (int i = 0; i < soundCount; ++i) {
    if (sounds[static_cast<std::size_t>(i)].alias == alias) return i;
  }
  return -1;
}

int SoundSystem::LoadSound(const std::string& path, const std::string& alias, bool loop) {
  if (const int known = FindSound(alias); known >= 0) return known;
  if (soundCount >= kMaxSounds) {
    std::printf("SoundSystem : the sound table is full (%d sounds); '%s' (%s) not loaded\n",
                kMaxSounds, alias.c_str(), path.c_str());
    return -1;
  }
  FMOD_SOUND* sound = nullptr;
  const FMOD_RESULT result = FMOD_System_CreateSound(
      system, path.c_str(), loop ? kLoopingMode : kOneShotMode, nullptr, &sound);
  if (!loop) std::printf("%i %s\n", static_cast<int>(result), path.c_str());
  if (result != FMOD_OK) {
    std::printf("SoundSystem : cannot load sound '%s' from '%s': %s (error %i)\n", alias.c_str(),
                path.c_str(), FMOD_ErrorString(result), static_cast<int>(result));
  }
  sounds[static_cast<std::size_t>(soundCount)] = SoundEntry{alias, sound, loop};
  return soundCount++;
}

void SoundSystem::HandleMessage(const std::string& message) {
  if (IsMessage(message, "play_sfx")) {
    if (muted || !(effectVolume > 0.0f)) return;
    std::string alias, pitchText, volumeText, panText, limitText;
    float pitch = 0.0f, volume = 0.0f, pan = 0.0f;
    int limit = 0;
    if (ParseMessageArguments(message, alias, pitchText, volumeText, panText, limitText) &&
        ReadMessageFloat(pitchText, pitch) && ReadMessageFloat(volumeText, volume) &&
        ReadMessageFloat(panText, pan) && ReadMessageInt(limitText, limit)) {
      PlayEffect(alias, pitch, volume, pan, limit);
    }
  } else if (IsMessage(message, "play_emitted")) {
    std::string alias, pitchText, volumeText, panText;
    float pitch = 0.0f, volume = 0.0f, pan = 0.0f;
    if (ParseMessageArguments(message, alias, pitchText, volumeText, panText) &&
        ReadMessageFloat(pitchText, pitch) && ReadMessageFloat(volumeText, volume) &&
        ReadMessageFloat(panText, pan)) {
      PlayEmitted(alias, pitch, volume, pan);
    }
  } else if (IsMessage(message, "stop_emitted")) {
    std::string alias;
    if (ParseMessageArguments(message, alias)) FadeOutChannels(alias);
  } else if (IsMessage(message, "stop_all") || IsMessage(message, "scene_load")) {
    StopSlots(0, kSlotCount);
  } else if (IsMessage(message, "stop_all_sfx")) {
    StopSlots(kFirstEffectSlot, kSlotCount);
  } else if (IsMessage(message, "mixer") || IsMessage(message, "mix")) {
    HandleMixer(message);
  } else if (IsMessage(message, "mute")) {
    muted = true;
  } else if (IsMessage(message, "unmute")) {
    muted = false;
  }
}

// Each non-empty field sets its volume; a field that is not a number leaves every volume as it
// was.
void SoundSystem::HandleMixer(const std::string& message) {
  std::string fields[4];
  if (!ParseMessageArguments(message, fields[0], fields[1], fields[2], fields[3])) return;
  float* const targets[4] = {&musicVolume, &ambienceVolume, &effectVolume, &masterVolume};
  float values[4] = {};
  for (int i = 0; i < 4; ++i) {
    if (!fields[i].empty() && !ReadMessageFloat(fields[i], values[i])) return;
  }
  for (int i = 0; i < 4; ++i) {
    if (!fields[i].empty()) *targets[i] = values[i];
  }
}

float SoundSystem::AudibleVolume(const ChannelSlot& slot) const {
  return muted || !windowFocused ? 0.0f : slot.volume * slot.fade * playerVolume;
}

void SoundSystem::SetPlayerVolume(float volume) {
  if (std::isfinite(volume)) playerVolume = std::clamp(volume, 0.0f, 1.0f);
}

void SoundSystem::StartInSlot(ChannelSlot& slot, const std::string& alias,
                              const SoundEntry& entry) {
  if (links.tweener != nullptr) links.tweener->CancelTweensOn(&slot.fade);
  slot.alias = alias;
  slot.fade = 1.0f;
  FMOD_System_PlaySound(system, entry.sound, nullptr, 0, &slot.channel);
}

void SoundSystem::PlayEffect(const std::string& alias, float pitch, float volume, float pan,
                             int limit) {
  const int index = FindSound(alias);
  if (index < 0) return;
  const SoundEntry& entry = sounds[static_cast<std::size_t>(index)];

  ChannelSlot* target = nullptr;
  if (limit > 0) {
    int count = 0;
    for (int i = kFirstEffectSlot; i < kSlotCount && target == nullptr; ++i) {
      ChannelSlot& slot = slots[static_cast<std::size_t>(i)];
      if (slot.alias != alias || ++count < limit) continue;
      if (limit == 1) return;
      // The replaced sound plays out untracked, unless it loops: then nothing could stop it.
      if (entry.loop) FMOD_Channel_Stop(slot.channel);
      target = &slot;
    }
  }
  for (int i = kFirstEffectSlot; i < kSlotCount && target == nullptr; ++i) {
    if (!Sounding(slots[static_cast<std::size_t>(i)].channel)) {
      target = &slots[static_cast<std::size_t>(i)];
    }
  }
  if (target == nullptr) return;

  StartInSlot(*target, alias, entry);
  target->volume = volume * effectVolume * masterVolume;
  FMOD_Channel_SetVolume(target->channel, AudibleVolume(*target));
  FMOD_Channel_SetPitch(target->channel, pitch);
  FMOD_Channel_SetPan(target->channel, pan);
}

void SoundSystem::PlayEmitted(const std::string& alias, float pitch, float volume, float pan) {
  const int index = FindSound(alias);
  if (index < 0) return;
  const float* category = Contains(alias, "AMB")   ? &ambienceVolume
                          : Contains(alias, "BGM") ? &musicVolume
                                                   : nullptr;

  ChannelSlot* target = nullptr;
  for (int i = 0; i < kFirstEffectSlot && target == nullptr; ++i) {
    if (slots[static_cast<std::size_t>(i)].alias == alias) {
      target = &slots[static_cast<std::size_t>(i)];
    }
  }
  if (target == nullptr) {
    for (int i = 0; i < kFirstEffectSlot && target == nullptr; ++i) {
      if (!Sounding(slots[static_cast<std::size_t>(i)].channel)) {
        target = &slots[static_cast<std::size_t>(i)];
      }
    }
    if (target == nullptr) return;
    StartInSlot(*target, alias, sounds[static_cast<std::size_t>(index)]);
  }
  // Sounds of neither category keep the slot's stored volume.
  if (category != nullptr) target->volume = volume * *category * masterVolume;
  FMOD_Channel_SetVolume(target->channel, AudibleVolume(*target));
  FMOD_Channel_SetPitch(target->channel, pitch);
  FMOD_Channel_SetPan(target->channel, pan);
}

void SoundSystem::FadeOutChannels(const std::string& alias) {
  for (ChannelSlot& slot : slots) {
    if (slot.alias != alias) continue;
    if (links.tweener == nullptr) {
      slot.fade = 0.0f;
      continue;
    }
    links.tweener->CancelTweensOn(&slot.fade);
    links.tweener->TweenFloat(
        &slot.fade, slot.fade, 0.0f, kFadeOutSeconds, kFadeCurve,
        [this] { StopSilencedChannels(); }, /*runsWhilePaused=*/false);
  }
  if (links.tweener == nullptr) StopSilencedChannels();
}

void SoundSystem::StopSilencedChannels() {
  for (ChannelSlot& slot : slots) {
    if (slot.fade != 0.0f) continue;
    FMOD_Channel_Stop(slot.channel);
    slot.alias = "NULL";
  }
}

void SoundSystem::StopSlots(int first, int last) {
  for (int i = first; i < last; ++i) {
    ChannelSlot& slot = slots[static_cast<std::size_t>(i)];
    FMOD_Channel_Stop(slot.channel);
    slot.alias = "NULL";
  }
}

void SoundSystem::Update(float) {
  windowFocused = links.windowFocused ? links.windowFocused() : true;
  if (muted) {
    masterVolume = 0.0f;
  } else {
    // An empty or malformed reply counts as no transition.
    const std::string reply =
        messaging != nullptr ? messaging->PostFormatted("get_scene_timer", 1) : std::string();
    float timer = 0.0f;
    if (!ReadMessageFloat(reply, timer)) timer = 0.0f;
    masterVolume = std::clamp(1.0f - timer, 0.0f, 1.0f);
  }
  if (!windowFocused) masterVolume = 0.0f;
  for (const ChannelSlot& slot : slots) {
    if (slot.alias != "NULL") FMOD_Channel_SetVolume(slot.channel, AudibleVolume(slot));
  }
  FMOD_System_Update(system);
}
