#pragma once
// The particle simulation of one emitter, free of the engine: emission from the emitter's
// shape, the per-particle update (noise, turbulence, acceleration, rotation, scale and colour
// over life) and the draw requests of the live particles. ParticleSystem drives these once per
// emitter; tests and benchmarks call them directly.
//
//   ParticleRandom random(seed);
//   EmitParticles(emitter, {.emitterTranslation = position}, random, dt);
//   UpdateParticles(emitter, position, dt);

#include <cstdint>
#include <random>

#include "components/particle_emitter.h"
#include "render/draw_queue.h"

// Uniform floats in [0, 1) from a 32-bit Mersenne Twister.
class ParticleRandom {
 public:
  explicit ParticleRandom(std::uint32_t seed) : engine(seed) {}
  float Next() { return distribution(engine); }

 private:
  std::mt19937 engine;
  std::uniform_real_distribution<float> distribution{0.0f, 1.0f};
};

// Where a FoliageMap emitter lands when it finds no spot (or has no map).
inline constexpr glm::vec3 kFarParticlePoint{1000000.0f, 1000000.0f, 1000000.0f};

// What emission needs of the entity around the emitter.
struct EmissionContext {
  glm::vec3 emitterTranslation{0.0f};  // world position of the emitter entity
  float parentSpeed = 0.0f;            // speed of the entity's Physics body
  bool hasParentPhysics = false;
  glm::vec2 animationFrame{0.0f};      // the entity's current sheet cell, for frozen frames
  int animationTexture = -1;
};

// Robert Jenkins' 32-bit integer hash (six shift-add-xor steps), in unsigned arithmetic.
std::uint32_t JenkinsHash(std::uint32_t key);
// Value noise in [0, 1): hashed lattice corners blended with smoothstep weights.
float ValueNoise(const glm::vec3& point);

// The curve's value at t: its default without keys, clamped to the first and last key, else
// linear between the two keys around t.
glm::vec3 EvaluateCurve(const PropertyCurve<glm::vec3>& curve, float t);
glm::vec4 EvaluateCurve(const PropertyCurve<glm::vec4>& curve, float t);

// A birth point of the emitter's shape (before `_offset`). FoliageMap has no map to read here
// and gives the far point.
glm::vec3 ShapePoint(const ParticleEmitter& emitter, ParticleRandom& random);

// Emits the particles due in `dt` seconds; returns how many were born.
int EmitParticles(ParticleEmitter& emitter, const EmissionContext& context,
                  ParticleRandom& random, float dt);

// Ages, moves, turns, scales and colours every live particle; `emitterTranslation` is the
// emitter's current world position (world-space particles are kept relative to it).
void UpdateParticles(ParticleEmitter& emitter, const glm::vec3& emitterTranslation, float dt);

// The number of live particles.
int CountLiveParticles(const ParticleEmitter& emitter);
