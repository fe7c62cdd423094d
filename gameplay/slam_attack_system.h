#pragma once
// SlamAttackSystem: the shock waves of slam attacks. Up to nine waves live at once; "StartWave"
// starts one in the first free slot, every update ages the live ones (a wave retires after 15
// seconds) and publishes all nine records as the shader values "waveData[0]" ... "waveData[8]".
// The system has no entities and draws nothing: the shaders that read `WaveData` shape the wave.

#include <array>
#include <string>

#include "engine/base_system.h"
#include "engine/global_uniforms.h"
#include "engine/type_name.h"

class DECS;

class SlamAttackSystem : public BaseSystem {
 public:
  static constexpr int kMaxWaves = 9;
  // Seconds a wave lives.
  static constexpr float kWaveLifetime = 15.0f;

  struct Wave {
    WaveData data;
    bool active = false;
  };

  // "StartWave originX originY dist height width speed": six numbers; a message with another
  // number of arguments or a word that is no number is ignored, as is a tenth live wave.
  void HandleMessage(const std::string& message) override;
  // Registers the empty signature.
  void Init() override;
  // Ages the live waves by `dt` seconds and writes all nine records to the global shader values.
  void Update(float dt) override;

  // The uniform name of slot `index`: "waveData[<index>]".
  static std::string UniformName(int index);

  std::array<Wave, kMaxWaves> waves{};
  DECS* engine = nullptr;
};
DECLARE_TYPE_NAME(class, SlamAttackSystem);
