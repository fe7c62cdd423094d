#pragma once
// SoundEmitter: a positioned sound whose volume and pan follow the listener's distance.

#include <string>

#include "components/base_component.h"
#include "engine/type_name.h"

// Volume over distance: `innerVolume` up to `innerRadius`, `outerVolume` from `outerRadius` on,
// and between them innerVolume + (outerVolume - innerVolume) * f^exponent, f running 0..1
// across the band. When the outer radius is not above the inner one, the outer volume holds
// from the outer radius on.
struct PowerCurve {
  float innerRadius = 1.0f;
  float outerRadius = 10.0f;
  float innerVolume = 1.0f;
  float outerVolume = 0.5f;
  float exponent = 1.0f;

  float Evaluate(float distance) const;
};

class SoundEmitter : public BaseComponent {
 public:
  PowerCurve Curve() const {
    return {_innerRadius, _outerRadius, _innerVol, _outerVol, _decayFactor};
  }

  // For an emitter that does not loop: adds dt to the interval timer and, once `_interval`
  // is reached, restarts the timer and returns true. A looping emitter returns false and keeps
  // its timer.
  bool TickInterval(float dt);

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
