#pragma once
// Wind emitters as the wind compute shader reads them.
//
// The emitter buffer (std430, 32-bit words): a header of four words, the first holding the
// emitter count as a float, then 24 words per emitter:
//   0 type (int)  4-5 direction (cos, sin)  8 strength  12 radius  16 resolution (int)
//   20-22 position x, y, z; every other word 0.
// The record of an emitter is built from its components once per update, after its strength
// has taken its random step (StepWindStrength).

#include <cstdint>
#include <glm/glm.hpp>
#include <random>
#include <span>
#include <vector>

class Physics;
class Transform;
class WindEmitter;

struct WindEmitterRecord {
  int type = 0;
  glm::vec2 direction{1.0f, 0.0f};
  float strength = 0.0f;
  float radius = 0.0f;
  int resolution = 0;
  glm::vec3 position{0.0f};
};

inline constexpr std::size_t kWindHeaderWords = 4;
inline constexpr std::size_t kWindEmitterWords = 24;

// Moves the emitter's strength by a uniform step in [-delta / 2, +delta / 2] and clamps it to
// `_strengthVariationRange` (min, max). A delta that is not finite or not positive makes no
// step; the clamp applies all the same, so the default range (0, 0) gives a strength of 0.
void StepWindStrength(WindEmitter& emitter, std::mt19937& random);

// Where the emitter blows from, where to and how hard, from its transform and, for a Moving
// emitter, the body carrying it (null: no body).
WindEmitterRecord MakeWindEmitterRecord(const WindEmitter& emitter, const Transform& transform,
                                        const Physics* body);

// Replaces `words` with the header and one block per record.
void PackWindEmitters(std::span<const WindEmitterRecord> records,
                      std::vector<std::uint32_t>& words);
