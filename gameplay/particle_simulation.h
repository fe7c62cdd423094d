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
#include "components/tilemap.h"
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

// Where a FoliageMap emitter lands when it finds no spot, or when the map has no foliage
// density to read.
inline constexpr glm::vec3 kFarParticlePoint{1000000.0f, 1000000.0f, 1000000.0f};

// What a FoliageMap emitter reads of the level. Without a tile map it emits at the origin.
struct FoliageSource {
  const Tilemap* map = nullptr;
  glm::mat4 mapMatrix{1.0f};       // the tile map entity's model matrix
  glm::vec3 cameraPosition{0.0f};  // the scene camera's position
};

// What emission needs of the entity around the emitter.
struct EmissionContext {
  glm::vec3 emitterTranslation{0.0f};  // world position of the emitter entity
  float parentSpeed = 0.0f;            // speed of the entity's Physics body
  bool hasParentPhysics = false;
  glm::vec2 animationFrame{0.0f};  // the entity's current sheet cell, for frozen frames
  int animationTexture = -1;
  const FoliageSource* foliage = nullptr;  // read by FoliageMap emitters only
};

// Robert Jenkins' 32-bit integer hash (six shift-add-xor steps), in unsigned arithmetic.
std::uint32_t JenkinsHash(std::uint32_t key);
// Value noise in [0, 1): hashed lattice corners blended with smoothstep weights.
float ValueNoise(const glm::vec3& point);

// The curve's value at t: its default without keys, clamped to the first and last key, else
// linear between the two keys around t.
glm::vec3 EvaluateCurve(const PropertyCurve<glm::vec3>& curve, float t);
glm::vec4 EvaluateCurve(const PropertyCurve<glm::vec4>& curve, float t);

// A birth point of the emitter's shape (before `_offset`). FoliageMap, bounds B: up to 100
// candidates spread over the map's extent at height B.x; a candidate is kept over a tile of
// the map that is neither '0' nor 'E' on layer 1, where the first foliage layer's density d
// (square root of the density map's value / 255) is at least B.y and at least a fresh random
// draw; it is born at (x + 8, B.x + the tile's height times the map's y scale, z - 8) when that
// lies within 35 units in x and z of (camera x + 20, camera z - 20). Otherwise, or without
// density data (no foliage layer, no density values, or a density texture of -1), the far
// point.
glm::vec3 ShapePoint(const ParticleEmitter& emitter, ParticleRandom& random,
                     const FoliageSource* foliage = nullptr);

// Emits the particles due in `dt` seconds; returns how many were born.
int EmitParticles(ParticleEmitter& emitter, const EmissionContext& context, ParticleRandom& random,
                  float dt);

// Ages, moves, turns, scales and colours every live particle; `emitterTranslation` is the
// emitter's current world position (world-space particles are kept relative to it).
void UpdateParticles(ParticleEmitter& emitter, const glm::vec3& emitterTranslation, float dt);

// The number of live particles.
int CountLiveParticles(const ParticleEmitter& emitter);
