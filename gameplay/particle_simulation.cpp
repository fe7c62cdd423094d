#include "gameplay/particle_simulation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <glm/gtc/constants.hpp>

namespace {

glm::vec3 Lerp(const glm::vec3& a, const glm::vec3& b, float t) { return a + (b - a) * t; }
glm::vec4 Lerp(const glm::vec4& a, const glm::vec4& b, float t) { return a + (b - a) * t; }

template <typename Value>
Value Evaluate(const PropertyCurve<Value>& curve, float t) {
  const auto& keys = curve.keyframes;
  if (keys.empty()) return curve.defaultValue;
  if (!(t > keys.front().time)) return keys.front().value;
  if (!(t < keys.back().time)) return keys.back().value;
  for (std::size_t i = 1; i < keys.size(); ++i) {
    if (t <= keys[i].time) {
      const float span = keys[i].time - keys[i - 1].time;
      const float along = span > 0.0f ? (t - keys[i - 1].time) / span : 1.0f;
      return keys[i - 1].value + (keys[i].value - keys[i - 1].value) * along;
    }
  }
  return keys.back().value;
}

// Each axis a becomes a (1 - v (1 - u)), v the variation percentage in w.
glm::vec3 VariedAcceleration(const glm::vec4& range, float u) {
  const float variation = range.w / 100.0f;
  return glm::vec3(range) * (1.0f - variation * (1.0f - u));
}

float SmoothStep(float t) { return t * t * (3.0f - 2.0f * t); }

// floor() of a value within +-2^31, without a library call.
std::int64_t FloorToInt(float value) {
  const auto truncated = static_cast<std::int64_t>(value);
  return static_cast<float>(truncated) > value ? truncated - 1 : truncated;
}

using Lanes = float __attribute__((vector_size(16)));
using IntLanes = std::int32_t __attribute__((vector_size(16)));

// sin of four angles at once, to within 4e-6: each is reduced to [-pi/2, pi/2] and a polynomial
// is taken there. Angles of 1e6 or more (or not finite) go to the library.
Lanes Sines(Lanes x) {
  for (int lane = 0; lane < 4; ++lane) {
    if (!(std::abs(x[lane]) < 1.0e6f)) {
      return Lanes{std::sin(x[0]), std::sin(x[1]), std::sin(x[2]), std::sin(x[3])};
    }
  }
  constexpr float kTurns = 0.159154943f;  // 1 / (2 pi)
  // 2 pi in two parts, so that x - k 2 pi keeps its precision for large k.
  constexpr float kTwoPiHigh = 6.28125f;
  constexpr float kTwoPiLow = 0.0019353072f;
  constexpr float kHalfPi = 1.57079637f;
  constexpr float kPi = 3.14159274f;
  const Lanes scaled = x * kTurns + 0.5f;
  Lanes turns = __builtin_convertvector(__builtin_convertvector(scaled, IntLanes), Lanes);
  // Truncation rounds negative values up: one turn less where it did (the mask is -1 there).
  turns += __builtin_convertvector(turns > scaled, Lanes);
  Lanes r = (x - turns * kTwoPiHigh) - turns * kTwoPiLow;  // in [-pi, pi]
  r = r > kHalfPi ? kPi - r : r;
  r = r < -kHalfPi ? -kPi - r : r;
  const Lanes r2 = r * r;
  return r * (1.0f + r2 * (-1.6666667e-1f +
                           r2 * (8.3333333e-3f + r2 * (-1.9841270e-4f + r2 * 2.7557319e-6f))));
}

using KeyLanes = std::uint32_t __attribute__((vector_size(16)));

// Robert Jenkins' six shift-add-xor steps, on one key or on four side by side (SIMD where the
// target has it).
template <typename Keys>
Keys JenkinsMix(Keys a) {
  a = (a + 0x7ed55d16u) + (a << 12);
  a = (a ^ 0xc761c23cu) ^ (a >> 19);
  a = (a + 0x165667b1u) + (a << 5);
  a = (a + 0xd3a2646cu) ^ (a << 9);
  a = (a + 0xfd7046c5u) + (a << 3);
  a = (a ^ 0xb55a4f09u) ^ (a >> 16);
  return a;
}

}  // namespace

std::uint32_t JenkinsHash(std::uint32_t key) { return JenkinsMix(key); }

namespace {

// Hashes in [0, 1): the top 24 bits over 2^24, exact in a float (never rounded up to 1).
Lanes UnitValues(KeyLanes hashes) {
  return __builtin_convertvector(__builtin_convertvector(hashes >> 8, IntLanes), Lanes) *
         (1.0f / 16777216.0f);
}

// The lattice cell holding the point and the smoothstep weights of its place in the cell; false
// for a point that is not finite. Coordinates are clamped to +-2e9, so the cell fits in int.
bool LatticePoint(const glm::vec3& point, glm::ivec3& cell, glm::vec3& weights) {
  if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) return false;
  const glm::vec3 clamped = glm::clamp(point, glm::vec3(-2.0e9f), glm::vec3(2.0e9f));
  cell =
      glm::ivec3(static_cast<int>(FloorToInt(clamped.x)), static_cast<int>(FloorToInt(clamped.y)),
                 static_cast<int>(FloorToInt(clamped.z)));
  const glm::vec3 f = clamped - glm::vec3(cell);
  weights = glm::vec3(SmoothStep(f.x), SmoothStep(f.y), SmoothStep(f.z));
  return true;
}

// The cell's eight corner values. The corner keys (x 31 + y) 31 + z, in 32-bit unsigned
// arithmetic, differ from the lowest corner's by 961 dx + 31 dy + dz; lanes hold dz + 2 dy, one
// vector per dx.
void CornerValues(const glm::ivec3& cell, Lanes& atLowX, Lanes& atHighX) {
  const std::uint32_t base =
      (static_cast<std::uint32_t>(cell.x) * 31u + static_cast<std::uint32_t>(cell.y)) * 31u +
      static_cast<std::uint32_t>(cell.z);
  const KeyLanes low = base + KeyLanes{0u, 1u, 31u, 32u};
  atLowX = UnitValues(JenkinsMix(low));
  atHighX = UnitValues(JenkinsMix(low + 961u));
}

// The corner values blended along x, then y, then z.
float BlendCorners(const Lanes& atLowX, const Lanes& atHighX, const glm::vec3& weights) {
  const Lanes alongX = atLowX + (atHighX - atLowX) * weights.x;
  const float z0 = alongX[0] + (alongX[2] - alongX[0]) * weights.y;
  const float z1 = alongX[1] + (alongX[3] - alongX[1]) * weights.y;
  return z0 + (z1 - z0) * weights.z;
}

// ValueNoise through a particle's cell cache.
float CachedValueNoise(const glm::vec3& point, NoiseCellCache& cache) {
  glm::ivec3 cell;
  glm::vec3 weights;
  if (!LatticePoint(point, cell, weights)) return 0.0f;
  Lanes atLowX;
  Lanes atHighX;
  if (cache.filled && cache.cell == cell) {
    std::memcpy(&atLowX, cache.corners, sizeof atLowX);
    std::memcpy(&atHighX, cache.corners + 4, sizeof atHighX);
  } else {
    CornerValues(cell, atLowX, atHighX);
    std::memcpy(cache.corners, &atLowX, sizeof atLowX);
    std::memcpy(cache.corners + 4, &atHighX, sizeof atHighX);
    cache.cell = cell;
    cache.filled = true;
  }
  return BlendCorners(atLowX, atHighX, weights);
}

}  // namespace

float ValueNoise(const glm::vec3& point) {
  glm::ivec3 cell;
  glm::vec3 weights;
  if (!LatticePoint(point, cell, weights)) return 0.0f;
  Lanes atLowX;
  Lanes atHighX;
  CornerValues(cell, atLowX, atHighX);
  return BlendCorners(atLowX, atHighX, weights);
}

namespace {

// The first octave goes through the particle's cell cache.
glm::vec3 NoiseForce(const NoiseModifiers& noise, const glm::vec3& position, float age,
                     NoiseCellCache& firstOctave) {
  glm::vec3 force(0.0f);
  const float scroll = age * noise.scrollSpeed;
  float frequency = 1.0f;
  float amplitude = 1.0f;
  float sum = 0.0f;
  for (int octave = 0; octave < noise.octaves; ++octave) {
    const glm::vec3 at = (position + scroll) * noise.scale * frequency;
    const float value = octave == 0 ? CachedValueNoise(at, firstOctave) : ValueNoise(at);
    force += amplitude * value * noise.strength;
    sum += amplitude;
    frequency *= noise.lacunarity;
    amplitude *= noise.persistence;
  }
  return sum > 0.0f ? force / sum : force;
}

}  // namespace

glm::vec3 EvaluateCurve(const PropertyCurve<glm::vec3>& curve, float t) {
  return Evaluate(curve, t);
}
glm::vec4 EvaluateCurve(const PropertyCurve<glm::vec4>& curve, float t) {
  return Evaluate(curve, t);
}

namespace {

glm::vec3 FoliagePoint(const glm::vec3& bounds, ParticleRandom& random,
                       const FoliageSource& source) {
  const Tilemap& map = *source.map;
  if (map._foliageData.empty()) return kFarParticlePoint;
  const FoliageData& layer = map._foliageData.front();
  const int densityWidth = layer.densityWidth;
  const int densityHeight = layer.densityHeight;
  if (layer.densityTexture == -1 || densityWidth <= 0 || densityHeight <= 0 ||
      layer.densityValues.size() <
          static_cast<std::size_t>(densityWidth) * static_cast<std::size_t>(densityHeight) ||
      map.layer1.size() < static_cast<std::size_t>(map.width) * map.height) {
    return kFarParticlePoint;
  }
  // The map's extent, centred on 0, scaled as the tile look-up scales it.
  const float width = static_cast<float>(map.width) * source.mapMatrix[0][0];
  const float depth = static_cast<float>(map.height) * source.mapMatrix[1][1];
  const float heightScale = glm::length(glm::vec3(source.mapMatrix[1]));
  const glm::vec2 centre(source.cameraPosition.x + 20.0f, source.cameraPosition.z - 20.0f);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const float x = (random.Next() - 0.5f) * width;
    const float z = (random.Next() - 0.5f) * depth;
    const glm::vec3 candidate(x, bounds.x, z);
    const int tile = map.WorldToTileIndex(candidate, source.mapMatrix);
    if (tile < 0) continue;
    const char code = map.layer1[static_cast<std::size_t>(tile)];
    if (code == '0' || code == 'E') continue;
    // The density pixel under the candidate, the map's extent stretched over the density map.
    const int column =
        std::clamp(static_cast<int>((x / width + 0.5f) * densityWidth), 0, densityWidth - 1);
    const int row =
        std::clamp(static_cast<int>((z / depth + 0.5f) * densityHeight), 0, densityHeight - 1);
    const float value = static_cast<float>(
        layer.densityValues[static_cast<std::size_t>(row) * densityWidth + column]);
    const float density = std::sqrt(std::clamp(value / 255.0f, 0.0f, 1.0f));
    if (bounds.y > density || density < random.Next()) continue;
    const glm::vec3 point(x + 8.0f, bounds.x + map.GetHeight(tile) * heightScale, z - 8.0f);
    if (std::abs(point.x - centre.x) <= 35.0f && std::abs(point.z - centre.y) <= 35.0f) {
      return point;
    }
  }
  return kFarParticlePoint;
}

}  // namespace

glm::vec3 ShapePoint(const ParticleEmitter& emitter, ParticleRandom& random,
                     const FoliageSource* foliage) {
  const glm::vec3& bounds = emitter._emissionBounds;
  switch (emitter._emissionShape) {
    case EmissionShape::Point:
      return glm::vec3(0.0f);
    case EmissionShape::Sphere: {
      const float angle = glm::two_pi<float>() * random.Next();
      const float polar = std::acos(2.0f * random.Next() - 1.0f);
      const float radius = bounds.x * std::cbrt(random.Next());
      return {std::cos(angle) * std::sin(polar) * radius,
              std::sin(angle) * std::sin(polar) * radius, std::cos(polar) * radius};
    }
    case EmissionShape::Box: {
      const glm::vec3 half = bounds + emitter._offset;
      glm::vec3 point(0.0f);
      point.z = (2.0f * random.Next() - 1.0f) * half.z;
      point.y = (2.0f * random.Next() - 1.0f) * half.y;
      point.x = (2.0f * random.Next() - 1.0f) * half.x;
      return point;
    }
    case EmissionShape::Cone: {
      const float radius = bounds.x;
      const float height = bounds.y;
      const float angle = glm::two_pi<float>() * random.Next();
      const float spread = std::sqrt(random.Next());
      const float y = height * random.Next();
      // A cone without height has no body: its particles start at its tip.
      if (!(height > 0.0f)) return glm::vec3(0.0f);
      const float taper = (height - y) / height * radius;
      return {spread * radius * std::cos(angle) * taper, y,
              spread * radius * std::sin(angle) * taper};
    }
    case EmissionShape::FoliageMap:
      if (foliage == nullptr || foliage->map == nullptr) return glm::vec3(0.0f);
      return FoliagePoint(bounds, random, *foliage);
  }
  return glm::vec3(0.0f);
}

int EmitParticles(ParticleEmitter& emitter, const EmissionContext& context, ParticleRandom& random,
                  float dt) {
  float factor = 1.0f;
  if (emitter._emitByParentVelocity && context.hasParentPhysics) {
    factor = context.parentSpeed < emitter._velocityEmissionThreshold ? 0.0f : context.parentSpeed;
  }
  const float due = factor * emitter._emissionRate * dt + emitter.emissionRemainder;
  if (!std::isfinite(due) || due < 1.0f) {
    emitter.emissionRemainder = std::isfinite(due) && due > 0.0f ? due : 0.0f;
    return 0;
  }
  // At most a pool's worth is due in one update; the rest would be dropped by the pool anyway.
  const float capped = std::min(due, static_cast<float>(emitter._maxParticles) + 1.0f);
  const int count = static_cast<int>(capped);
  emitter.emissionRemainder = capped - static_cast<float>(count);

  std::vector<Particle>& pool = emitter.particles;
  int born = 0;
  for (int i = 0; i < count; ++i) {
    const bool hasFree = emitter.firstFreeIndex >= 0 &&
                         static_cast<std::size_t>(emitter.firstFreeIndex) < pool.size();
    if (!hasFree && pool.size() >= emitter._maxParticles) break;

    Particle particle;
    particle.lifetime = glm::mix(emitter._lifetimeRange.x, emitter._lifetimeRange.y, random.Next());
    particle.position = emitter._offset + ShapePoint(emitter, random, context.foliage);
    particle.velocity = Lerp(emitter._startVelocityRange, emitter._endVelocityRange, random.Next());
    particle.acceleration = VariedAcceleration(emitter._accelerationRange, random.Next());
    particle.rotation.z =
        emitter._initialRotation.z + (2.0f * random.Next() - 1.0f) * emitter._rotationRange.z;
    particle.rotation.y =
        emitter._initialRotation.y + (2.0f * random.Next() - 1.0f) * emitter._rotationRange.y;
    particle.rotation.x =
        emitter._initialRotation.x + (2.0f * random.Next() - 1.0f) * emitter._rotationRange.x;
    if (emitter._rotationMode != RotationMode::Static) {
      particle.angularVelocity =
          Lerp(emitter._startAngularVelocityRange, emitter._endAngularVelocityRange, random.Next());
    }
    if (emitter._rotationMode == RotationMode::NonUniform) {
      particle.angularAcceleration =
          VariedAcceleration(emitter._angularAccelerationRange, random.Next());
    }
    if (emitter._randomColors) {
      particle.startColor = Lerp(emitter._startColorRange, emitter._startColorRange2,
                                 std::clamp(random.Next(), 0.0f, 1.0f));
      particle.endColor = Lerp(emitter._endColorRange, emitter._endColorRange2, random.Next());
    } else {
      particle.startColor = emitter._startColorRange;
      particle.endColor = emitter._endColorRange;
    }
    if (emitter._constantColorR) particle.endColor.r = particle.startColor.r;
    if (emitter._constantColorG) particle.endColor.g = particle.startColor.g;
    if (emitter._constantColorB) particle.endColor.b = particle.startColor.b;
    if (emitter._constantColorA) particle.endColor.a = particle.startColor.a;
    particle.color = particle.startColor;
    particle.scale = emitter._startScaleRange;
    if (emitter._freezeAnimationFrame) {
      particle.animationFrame = context.animationFrame;
      particle.animationTexture = context.animationTexture;
    }
    if (emitter._particleSpace == ParticleSpace::World) {
      particle.worldPosition = context.emitterTranslation + particle.position;
      particle.worldSpace = true;
    }
    particle.alive = true;

    if (hasFree) {
      const auto slot = static_cast<std::size_t>(emitter.firstFreeIndex);
      pool[slot] = particle;
      emitter.firstFreeIndex = -1;
      for (std::size_t next = slot + 1; next < pool.size(); ++next) {
        if (!pool[next].alive) {
          emitter.firstFreeIndex = static_cast<int>(next);
          break;
        }
      }
    } else {
      pool.push_back(particle);
    }
    ++born;
  }
  return born;
}

void UpdateParticles(ParticleEmitter& emitter, const glm::vec3& emitterTranslation, float dt) {
  const NoiseModifiers& noise = emitter._noiseModifiers;
  const TurbulenceModifers& turbulence = emitter._turbulenceModifiers;
  const ScaleModifiers& scaling = emitter._scaleModifiers;
  std::vector<Particle>& pool = emitter.particles;
  for (std::size_t index = 0; index < pool.size(); ++index) {
    Particle& p = pool[index];
    if (!p.alive) continue;
    p.age += dt;
    if (p.age >= p.lifetime) {
      p.alive = false;
      if (emitter.firstFreeIndex == -1 || emitter.firstFreeIndex > static_cast<int>(index)) {
        emitter.firstFreeIndex = static_cast<int>(index);
      }
      continue;
    }

    glm::vec3 noiseForce(0.0f);
    if (noise.octaves > 0 && noise.strength != glm::vec3(0.0f)) {
      // Grows with the pool only.
      if (emitter.noiseCells.size() < pool.size()) emitter.noiseCells.resize(pool.size());
      noiseForce = NoiseForce(noise, p.position, p.age, emitter.noiseCells[index]);
    }
    glm::vec3 wind(0.0f);
    if (turbulence.intensity != 0.0f) {
      const float scroll = p.age * turbulence.scrollSpeed;
      const glm::vec3 at = (p.position + scroll + turbulence.offset) * turbulence.frequency;
      const Lanes sines = Sines(Lanes{at.x, at.y, at.z, 0.0f});
      wind = glm::vec3(sines[0], sines[1], sines[2]) * turbulence.intensity;
    }
    p.velocity += (wind + noiseForce) * dt;
    p.velocity += p.acceleration * dt;

    if (p.worldSpace) {
      p.worldPosition += p.velocity * dt;
      p.position = p.worldPosition - emitterTranslation;
    } else {
      p.position += p.velocity * dt;
    }

    if (emitter._rotationMode != RotationMode::Static) {
      p.angularVelocity += p.angularAcceleration * dt;
      p.rotation += p.angularVelocity * dt;
      for (int axis = 0; axis < 3; ++axis) {
        // Only an angle that left [0, 360) needs the (costly) modulo; it gives x back otherwise.
        float& angle = p.rotation[axis];
        if (!(angle >= 0.0f && angle < 360.0f)) angle = glm::mod(angle, 360.0f);
      }
    }

    const float t = p.lifetime > 0.0f ? p.age / p.lifetime : 1.0f;
    const glm::vec3 base = emitter._scaleCurve.enabled
                               ? EvaluateCurve(emitter._scaleCurve, t)
                               : Lerp(emitter._startScaleRange, emitter._endScaleRange, t);
    switch (emitter._scaleMode) {
      case ScaleMode::VelocityBased:
        p.scale = base * (1.0f + glm::length(p.velocity) * scaling.velocityInfluence);
        break;
      case ScaleMode::Dynamic:
        p.scale = base;
        if (scaling.velocityInfluence > 0.0f) {
          p.scale *= 1.0f + glm::length(p.velocity) * scaling.velocityInfluence;
        }
        if (scaling.distanceInfluence > 0.0f) {
          p.scale *= 1.0f + glm::length(p.position) * scaling.distanceInfluence;
        }
        if (scaling.enableOscillation) {
          p.oscillationPhase += dt * scaling.oscillationFrequency;
          if (p.oscillationPhase > glm::two_pi<float>()) p.oscillationPhase -= glm::two_pi<float>();
          p.scale += glm::vec3(std::sin(p.oscillationPhase) * scaling.oscillationAmplitude);
        }
        break;
      case ScaleMode::Uniform:
        p.scale = glm::vec3(glm::mix(emitter._startScaleRange.x, emitter._endScaleRange.x, t));
        break;
      case ScaleMode::NonUniform:
        p.scale = Lerp(emitter._startScaleRange, emitter._endScaleRange, t);
        break;
    }

    p.color = emitter._colorCurve.enabled
                  ? EvaluateCurve(emitter._colorCurve, t)
                  : Lerp(p.startColor, p.endColor, std::clamp(t, 0.0f, 1.0f));
  }
}

int CountLiveParticles(const ParticleEmitter& emitter) {
  return static_cast<int>(std::count_if(emitter.particles.begin(), emitter.particles.end(),
                                        [](const Particle& p) { return p.alive; }));
}
