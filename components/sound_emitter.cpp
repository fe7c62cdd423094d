#include "components/sound_emitter.h"

#include <cmath>

float PowerCurve::Evaluate(float distance) const {
  if (distance >= outerRadius) return outerVolume;
  if (distance <= innerRadius) return innerVolume;
  const float band = (distance - innerRadius) / (outerRadius - innerRadius);
  return innerVolume + (outerVolume - innerVolume) * std::pow(band, exponent);
}

bool SoundEmitter::TickInterval(float dt) {
  if (_looping) return false;
  intervalTimer += dt;
  if (_interval > intervalTimer) return false;
  intervalTimer = 0.0f;
  return true;
}
