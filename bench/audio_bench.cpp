// Cost of the audio work in a fixed update, on the loopback device (the variable
// KELVARIS_AUDIO_OUTPUT=loopback is set here, so nothing is played aloud):
//   BM_AudioUpdate32Voices   FMOD_System_Update with 32 looping voices: renders 1/60 s.
//   BM_EmitterUpdate64       SoundEmitterSystem::Update for 64 looping emitters, each asking
//                            the sound system to refresh its sound ("play_emitted").

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "audio/fmod/fmod.h"
#include "audio/sound_emitter_system.h"
#include "audio/sound_system.h"
#include "bench/support/quiet_stdout.h"
#include "components/component_registration.h"
#include "components/sound_emitter.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/system_manager.h"

namespace {

const std::string kRain = std::string(KELVARIS_SOURCE_DIR) + "/GAME/Assets/Audio/AMBrain.ogg";
const std::string kMusic = std::string(KELVARIS_SOURCE_DIR) + "/GAME/Assets/Audio/BGMmain.ogg";

void BM_AudioUpdate32Voices(benchmark::State& state) {
  setenv("KELVARIS_AUDIO_OUTPUT", "loopback", 1);
  FMOD_SYSTEM* system = nullptr;
  FMOD_System_Create(&system, FMOD_VERSION);
  FMOD_System_Init(system, 32, FMOD_INIT_NORMAL, nullptr);
  FMOD_SOUND* sound = nullptr;
  if (FMOD_System_CreateSound(system, kRain.c_str(), FMOD_LOOP_NORMAL | FMOD_2D, nullptr, &sound) !=
      FMOD_OK) {
    state.SkipWithError("cannot load the rain loop");
  }
  for (int i = 0; i < 32; ++i) {
    FMOD_CHANNEL* channel = nullptr;
    FMOD_System_PlaySound(system, sound, nullptr, 0, &channel);
    FMOD_Channel_SetPan(channel, -1.0f + 2.0f * static_cast<float>(i) / 31.0f);
    FMOD_Channel_SetPitch(channel, 0.5f + static_cast<float>(i) / 31.0f);
    FMOD_Channel_SetVolume(channel, 0.03f);
  }
  for (auto _ : state) FMOD_System_Update(system);
  FMOD_System_Release(system);
}
BENCHMARK(BM_AudioUpdate32Voices)->Unit(benchmark::kMicrosecond);

void BM_EmitterUpdate64(benchmark::State& state) {
  setenv("KELVARIS_AUDIO_OUTPUT", "loopback", 1);
  SoundEmitterSystem* emitters = nullptr;
  {
    const QuietStdout quiet;
    DECS& decs = DECS::CreateInstance();
    CreateManagers();
    RegisterAllComponents();
    auto& systems = *decs.GetManager<SystemManager>();
    auto& entities = *decs.GetManager<EntityManager>();
    auto& components = *decs.GetManager<ComponentManager>();
    const auto sound = systems.RegisterSystem<SoundSystem>();
    emitters = systems.RegisterSystem<SoundEmitterSystem>().get();
    const char* aliases[] = {"AMBrain", "BGMmain", "AMBwind", "hum"};
    for (int i = 0; i < 4; ++i) sound->LoadSound(i % 2 == 0 ? kRain : kMusic, aliases[i], true);

    auto add = [&](const std::string& name, glm::vec3 position) {
      const int entity = entities.CreateEntity(name);
      components.AddComponent(entity, Transform(position, {0, 0, 0}, {1, 1, 1}));
      entities.AddToSignature<Transform>(entity);
      systems.EntitySignatureChanged(entity, entities.signaturesById[entity]);
      return entity;
    };
    add("player", {0, 0, 0});
    for (int i = 0; i < 64; ++i) {
      const int entity = add("emitter", {static_cast<float>(i % 8) * 3.0f - 10.0f, 0.0f,
                                         static_cast<float>(i / 8) * 3.0f - 10.0f});
      SoundEmitter emitter;
      emitter._soundAlias = aliases[i % 4];
      emitter._looping = true;
      components.AddComponent(entity, emitter);
      entities.AddToSignature<SoundEmitter>(entity);
      systems.EntitySignatureChanged(entity, entities.signaturesById[entity]);
    }
  }
  for (auto _ : state) emitters->Update(1.0f / 60.0f);
  const QuietStdout quiet;
  DECS::Instance().Shutdown();
}
BENCHMARK(BM_EmitterUpdate64)->Unit(benchmark::kMicrosecond);

}  // namespace
