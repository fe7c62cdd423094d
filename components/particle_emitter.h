#pragma once
// ParticleEmitter: what an entity's particles look like and how they are born, move, scale and
// change colour, plus the live particles themselves, which the particle system simulates.

#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "components/base_component.h"
#include "engine/type_name.h"

enum class EmissionShape : int {
  Point = 0,
  Sphere = 1,
  Box = 2,
  Cone = 3,
  FoliageMap = 4,
};
DECLARE_TYPE_NAME(enum, EmissionShape);

enum class RenderMode : int {
  Mode3D = 0,
  Mode2D = 1,
};
DECLARE_TYPE_NAME(enum, RenderMode);

enum class ParticleSpace : int {
  Local = 0,
  World = 1,
};
DECLARE_TYPE_NAME(enum, ParticleSpace);

enum class RotationMode : int {
  Static = 0,
  Uniform = 1,
  NonUniform = 2,
};
DECLARE_TYPE_NAME(enum, RotationMode);

enum class ScaleMode : int {
  VelocityBased = 0,
  Dynamic = 1,
  Uniform = 2,
  NonUniform = 3,
};
DECLARE_TYPE_NAME(enum, ScaleMode);

// One point of a curve: the value at a time of life in [0, 1].
template <typename Value>
struct Keyframe {
  float time = 0.0f;
  Value value{0.0f};
};

// A keyframed property; used instead of the start-to-end values when enabled.
template <typename Value>
struct PropertyCurve {
  std::vector<Keyframe<Value>> keyframes;
  bool enabled = false;
  Value defaultValue{0.0f};
};

struct ScaleModifiers {
  float velocityInfluence = 0.0f;
  float distanceInfluence = 0.0f;
  float oscillationFrequency = 0.0f;
  float oscillationAmplitude = 0.0f;
  bool enableOscillation = false;
};

struct NoiseModifiers {
  glm::vec3 scale{1.0f};
  glm::vec3 strength{0.0f};
  float scrollSpeed = 0.0f;
  int octaves = 1;
  float persistence = 0.5f;
  float lacunarity = 2.0f;
};

struct TurbulenceModifers {
  float intensity = 0.0f;
  glm::vec3 frequency{1.0f};
  glm::vec3 offset{0.0f};
  float scrollSpeed = 0.0f;
};

// One live (or dead, reusable) particle of an emitter.
struct Particle {
  glm::vec3 position{0.0f};  // local to the emitter
  glm::vec3 velocity{0.0f};
  glm::vec3 acceleration{0.0f};
  glm::vec3 rotation{0.0f};  // degrees
  glm::vec3 angularVelocity{0.0f};
  glm::vec3 angularAcceleration{0.0f};
  glm::vec3 scale{1.0f};
  float oscillationPhase = 0.0f;  // radians
  glm::vec4 startColor{1.0f};
  glm::vec4 endColor{1.0f};
  glm::vec4 color{1.0f};
  float lifetime = 0.0f;          // seconds
  float age = 0.0f;               // seconds
  glm::vec3 worldPosition{0.0f};  // world-space particles only
  bool worldSpace = false;
  glm::vec2 animationFrame{0.0f};  // cell offset captured at birth
  int animationTexture = -1;
  bool alive = false;
};

// The noise lattice cell a particle last sampled and that cell's eight corner values: a particle
// that stays in its cell reuses them instead of hashing the corners again. The values depend on
// the cell alone, so an entry is right for its cell whichever particle filled it.
struct NoiseCellCache {
  glm::ivec3 cell{0};
  bool filled = false;
  float corners[8] = {};
};

class ParticleEmitter : public BaseComponent {
 public:
  // Largest pool an entity or prefab file may ask for in `_maxParticles`; a larger value is
  // reported (file, entity) and capped here.
  static constexpr unsigned int kMaxPoolSize = 100000;

  // Starts emitting; in burst mode the burst starts over.
  void Play();
  // Starts a burst; a duration above 0 replaces `_burstDuration`.
  void PlayBurst(float duration);
  // Stops emitting; live particles run to the end of their life unless `discardParticles`.
  void Stop(bool discardParticles);

  bool _emitByParentVelocity = false;
  float _velocityEmissionThreshold = 0.0f;
  float _emissionRate = 0.0f;  // particles per second
  float _prewarmTime = 0.0f;
  unsigned int _maxParticles = 100;      // at most kMaxPoolSize from a file
  glm::vec2 _lifetimeRange{1.0f, 1.0f};  // seconds
  std::string _meshPath;
  std::string _materialPath;
  bool _useAnimationComponentTexture = false;
  bool _freezeAnimationFrame = false;
  std::string _texturePath;
  EmissionShape _emissionShape = EmissionShape::Point;
  glm::vec3 _emissionBounds{0.0f};
  glm::vec3 _offset{0.0f};
  glm::vec3 _startVelocityRange{0.0f};
  glm::vec3 _endVelocityRange{0.0f};
  glm::vec4 _accelerationRange{0.0f};  // xyz, w = variation in percent
  RotationMode _rotationMode = RotationMode::Uniform;
  glm::vec3 _initialRotation{0.0f};  // degrees
  glm::vec3 _rotationRange{0.0f};    // degrees
  glm::vec3 _startAngularVelocityRange{0.0f};
  glm::vec3 _endAngularVelocityRange{0.0f};
  glm::vec4 _angularAccelerationRange{0.0f};
  ScaleMode _scaleMode = ScaleMode::Uniform;
  glm::vec3 _startScaleRange{1.0f};
  glm::vec3 _endScaleRange{1.0f};
  ScaleModifiers _scaleModifiers;
  NoiseModifiers _noiseModifiers;
  TurbulenceModifers _turbulenceModifiers;
  bool _randomColors = false;
  bool _constantColorR = false;
  bool _constantColorG = false;
  bool _constantColorB = false;
  bool _constantColorA = false;
  glm::vec4 _startColorRange{1.0f};
  glm::vec4 _startColorRange2{1.0f};
  glm::vec4 _endColorRange{1.0f};
  glm::vec4 _endColorRange2{1.0f};
  std::string _mathEquation;
  RenderMode _renderMode = RenderMode::Mode3D;
  bool _transparent = true;
  PropertyCurve<glm::vec3> _scaleCurve;
  PropertyCurve<glm::vec4> _colorCurve;
  ParticleSpace _particleSpace = ParticleSpace::World;
  bool _active = true;
  bool _burstMode = false;
  float _burstDuration = 1.0f;  // seconds
  bool _destroyOnCompletion = false;
  bool _clearParticlesOnComplete = false;

  // Particle system state.
  std::vector<Particle> particles;
  int meshHandle = -1;
  int materialHandle = -1;
  int textureHandle = -1;
  float burstTimer = 0.0f;         // seconds into the current burst
  float emissionRemainder = 0.0f;  // fraction of a particle carried to the next update
  int firstFreeIndex = -1;         // first dead record to reuse, -1 when none
  // One entry per particle record while the emitter has noise (its first octave).
  std::vector<NoiseCellCache> noiseCells;
  float currentEmissionRate = 0.0f;
};
DECLARE_TYPE_NAME(class, ParticleEmitter);
