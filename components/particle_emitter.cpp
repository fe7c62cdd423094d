#include "components/particle_emitter.h"

void ParticleEmitter::Play() {
  _active = true;
  if (_burstMode) burstTimer = 0.0f;
}

void ParticleEmitter::PlayBurst(float duration) {
  _burstMode = true;
  _active = true;
  burstTimer = 0.0f;
  if (duration > 0.0f) _burstDuration = duration;
}

void ParticleEmitter::Stop(bool discardParticles) {
  _active = false;
  if (discardParticles) {
    particles.clear();
    firstFreeIndex = -1;
  }
}
