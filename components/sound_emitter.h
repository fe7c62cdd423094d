#pragma once
// SoundEmitter: a positioned sound whose volume and pan follow the listener's distance.

#include <string>

#include "components/base_component.h"
#include "engine/type_name.h"

class SoundEmitter : public BaseComponent {
 public:
  std::string _soundAlias;
  float _innerRadius = 1.0f;
  float _outerRadius = 10.0f;
  float _innerVol = 1.0f;
  float _outerVol = 0.5f;
  float _decayFactor = 1.0f;
  float _panningMultiplier = 1.0f;
  bool _looping = false;
  // Seconds since the sound was last started (sound emitter system state).
  float intervalTimer = 0.0f;
  float _interval = 0.0f;
};
DECLARE_TYPE_NAME(class, SoundEmitter);
