#include "gameplay/wind_emitter_packing.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "components/physics.h"
#include "components/transform.h"
#include "components/wind_emitter.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

std::uint32_t FloatWord(float value) { return std::bit_cast<std::uint32_t>(value); }
std::uint32_t IntWord(int value) { return std::bit_cast<std::uint32_t>(value); }

}  // namespace

void StepWindStrength(WindEmitter& emitter, std::mt19937& random) {
  float step = 0.0f;
  const float delta = emitter._strenghVariationDelta;
  if (std::isfinite(delta) && delta > 0.0f) {
    std::uniform_real_distribution<float> draw(-delta * 0.5f, delta * 0.5f);
    step = draw(random);
  }
  // max then min, so a range given the wrong way round settles on its first value.
  emitter._strength =
      std::min(emitter._strengthVariationRange.y,
               std::max(emitter._strengthVariationRange.x, emitter._strength + step));
}

WindEmitterRecord MakeWindEmitterRecord(const WindEmitter& emitter, const Transform& transform,
                                        const Physics* body) {
  float angle = emitter._directionAngle * kDegreesToRadians;
  glm::vec3 position = transform._position;
  float factor = 1.0f;
  switch (emitter._type) {
    case WindEmitterType::Directional:
      position.x += emitter._offset.x;
      position.z += emitter._offset.y;
      angle += transform._rotation.y * kDegreesToRadians;
      break;
    case WindEmitterType::Vortex:
      break;
    case WindEmitterType::Moving:
      if (body != nullptr) {
        const glm::vec3& velocity = body->_velocity;
        angle += std::atan2(velocity.z, velocity.x);
        const float speed = std::sqrt(velocity.x * velocity.x + velocity.z * velocity.z);
        // The offset turns with the heading, so it stays behind (or before) the body.
        const float offsetAngle = std::atan2(emitter._offset.y, emitter._offset.x) + angle;
        const float offsetLength = glm::length(emitter._offset);
        position.x += std::cos(offsetAngle) * offsetLength;
        position.z += std::sin(offsetAngle) * offsetLength;
        factor = speed < emitter._movingVelocityThreshold ? 0.0f : speed;
      }
      break;
  }
  WindEmitterRecord record;
  record.type = static_cast<int>(emitter._type);
  record.direction = {std::cos(angle), std::sin(angle)};
  record.strength = factor * emitter._strength;
  record.radius = emitter._radius;
  record.resolution = emitter._resolution;
  record.position = position;
  return record;
}

void PackWindEmitters(std::span<const WindEmitterRecord> records,
                      std::vector<std::uint32_t>& words) {
  words.assign(kWindHeaderWords + records.size() * kWindEmitterWords, 0u);
  words[0] = FloatWord(static_cast<float>(records.size()));
  std::size_t base = kWindHeaderWords;
  for (const WindEmitterRecord& record : records) {
    words[base + 0] = IntWord(record.type);
    words[base + 4] = FloatWord(record.direction.x);
    words[base + 5] = FloatWord(record.direction.y);
    words[base + 8] = FloatWord(record.strength);
    words[base + 12] = FloatWord(record.radius);
    words[base + 16] = IntWord(record.resolution);
    words[base + 20] = FloatWord(record.position.x);
    words[base + 21] = FloatWord(record.position.y);
    words[base + 22] = FloatWord(record.position.z);
    base += kWindEmitterWords;
  }
}
