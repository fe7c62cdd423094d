#include "gameplay/particle_simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

ParticleEmitter Emitter(float rate, unsigned int maxParticles = 100, float lifetime = 10.0f) {
  ParticleEmitter emitter;
  emitter._emissionRate = rate;
  emitter._maxParticles = maxParticles;
  emitter._lifetimeRange = {lifetime, lifetime};
  return emitter;
}

TEST(ParticleSimulation, EmissionCountsFollowTheRateAndThePool) {
  const struct {
    const char* label;
    float rate;
    unsigned int maxParticles;
    float lifetime;
    int updates;  // at 60 per second
    int expectedLive;
  } cases[] = {
      {"2.5 per second for 4 s", 2.5f, 100, 100.0f, 240, 10},
      {"60 per second for 1 s", 60.0f, 100, 100.0f, 60, 60},
      {"pool of 8 caps the count", 600.0f, 8, 100.0f, 60, 8},
      {"short lives free their records", 60.0f, 100, 0.25f, 120, 15},
      {"no rate", 0.0f, 100, 100.0f, 60, 0},
  };
  for (const auto& c : cases) {
    ParticleEmitter emitter = Emitter(c.rate, c.maxParticles, c.lifetime);
    ParticleRandom random(7);
    for (int i = 0; i < c.updates; ++i) {
      if (!emitter.particles.empty()) UpdateParticles(emitter, glm::vec3(0.0f), 1.0f / 60.0f);
      EmitParticles(emitter, {}, random, 1.0f / 60.0f);
    }
    EXPECT_NEAR(CountLiveParticles(emitter), c.expectedLive, 1) << c.label;
    EXPECT_LE(emitter.particles.size(), c.maxParticles) << c.label;
  }

  // 2.5 per second at 60 updates: some updates emit one, most none.
  ParticleEmitter uneven = Emitter(2.5f);
  ParticleRandom random(1);
  int updatesThatEmitted = 0;
  for (int i = 0; i < 60; ++i)
    updatesThatEmitted += EmitParticles(uneven, {}, random, 1.0f / 60.0f);
  EXPECT_EQ(updatesThatEmitted, 2);
}

TEST(ParticleSimulation, DeadRecordsAreReusedLowestFirst) {
  ParticleEmitter emitter = Emitter(3.0f, 3, 1.0f);
  ParticleRandom random(3);
  EmitParticles(emitter, {}, random, 1.0f);
  ASSERT_EQ(emitter.particles.size(), 3u);
  emitter.particles[2].lifetime = 5.0f;
  UpdateParticles(emitter, glm::vec3(0.0f), 1.0f);  // records 0 and 1 die
  EXPECT_EQ(emitter.firstFreeIndex, 0);
  EXPECT_EQ(EmitParticles(emitter, {}, random, 1.0f), 2) << "the third is refused: pool full";
  EXPECT_EQ(emitter.particles.size(), 3u);
  EXPECT_EQ(emitter.firstFreeIndex, -1);

  // Clearing the pool forgets the free record, so the next birth does not write past the end.
  UpdateParticles(emitter, glm::vec3(0.0f), 1.0f);
  ASSERT_EQ(emitter.firstFreeIndex, 0);
  emitter.Stop(true);
  EXPECT_EQ(emitter.firstFreeIndex, -1);
  emitter._active = true;
  EXPECT_EQ(EmitParticles(emitter, {}, random, 1.0f), 3);
}

TEST(ParticleSimulation, ForcesMoveWorldAndLocalParticles) {
  for (const ParticleSpace space : {ParticleSpace::World, ParticleSpace::Local}) {
    ParticleEmitter emitter = Emitter(1.0f);
    emitter._particleSpace = space;
    emitter._startVelocityRange = emitter._endVelocityRange = {1.0f, 0.0f, 0.0f};
    emitter._accelerationRange = {0.0f, -2.0f, 0.0f, 0.0f};
    ParticleRandom random(5);
    EmitParticles(emitter, {.emitterTranslation = {10.0f, 0.0f, 0.0f}}, random, 1.0f);
    // The emitter moves 5 along z; a world-space particle stays behind.
    for (int i = 0; i < 10; ++i) UpdateParticles(emitter, {10.0f, 0.0f, 5.0f}, 0.1f);
    const Particle& p = emitter.particles[0];
    EXPECT_NEAR(p.velocity.y, -2.0f, 1e-4f);
    EXPECT_NEAR(p.position.x, 1.0f, 1e-4f);
    EXPECT_NEAR(p.position.y, -1.1f, 1e-4f);  // semi-implicit: sum of 0.2 i * 0.1
    EXPECT_NEAR(p.position.z, space == ParticleSpace::World ? -5.0f : 0.0f, 1e-4f);
  }

  // Noise and turbulence push particles but never make them non-finite.
  ParticleEmitter noisy = Emitter(10.0f);
  noisy._noiseModifiers.strength = glm::vec3(3.0f);
  noisy._noiseModifiers.octaves = 3;
  noisy._turbulenceModifiers.intensity = 2.0f;
  ParticleRandom random(9);
  EmitParticles(noisy, {.emitterTranslation = {-1.0e6f, -3.0f, 2.0e9f}}, random, 1.0f);
  for (int i = 0; i < 30; ++i) UpdateParticles(noisy, {-1.0e6f, -3.0f, 2.0e9f}, 1.0f / 30.0f);
  for (const Particle& p : noisy.particles) {
    EXPECT_TRUE(std::isfinite(p.velocity.x + p.velocity.y + p.velocity.z));
    EXPECT_NE(p.velocity, glm::vec3(0.0f));
  }
  for (const glm::vec3 at : {glm::vec3(-7.5f, 3.25f, -1.0e9f), glm::vec3(0.0f), glm::vec3(1e30f)}) {
    const float value = ValueNoise(at);
    EXPECT_GE(value, 0.0f);
    EXPECT_LT(value, 1.0f);
  }
}

// Value noise as defined: the eight lattice corners hashed one by one (key (x 31 + y) 31 + z,
// hash over 2^32) and blended with smoothstep weights along x, then y, then z.
double ReferenceNoise(double x, double y, double z) {
  const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const auto corner = [&](int dx, int dy, int dz) {
    const auto ix = static_cast<std::uint32_t>(static_cast<std::int64_t>(fx) + dx);
    const auto iy = static_cast<std::uint32_t>(static_cast<std::int64_t>(fy) + dy);
    const auto iz = static_cast<std::uint32_t>(static_cast<std::int64_t>(fz) + dz);
    return JenkinsHash((ix * 31u + iy) * 31u + iz) / 4294967296.0;
  };
  const auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
  const double sx = smooth(x - fx), sy = smooth(y - fy), sz = smooth(z - fz);
  const auto lerp = [](double a, double b, double t) { return a + (b - a) * t; };
  double alongY[2];
  for (int dz = 0; dz < 2; ++dz) {
    alongY[dz] = lerp(lerp(corner(0, 0, dz), corner(1, 0, dz), sx),
                      lerp(corner(0, 1, dz), corner(1, 1, dz), sx), sy);
  }
  return lerp(alongY[0], alongY[1], sz);
}

TEST(ParticleSimulation, NoiseAndTurbulenceMatchTheirDefinitions) {
  for (const glm::vec3 at : {glm::vec3(0.25f, 0.5f, 0.75f), glm::vec3(-7.5f, 3.25f, -1.0f),
                             glm::vec3(123.9f, -45.01f, 6.5f), glm::vec3(-0.001f, 0.0f, 99.99f),
                             glm::vec3(70000.3f, -70000.7f, 3.0f)}) {
    EXPECT_NEAR(ValueNoise(at), ReferenceNoise(at.x, at.y, at.z), 1e-6) << at.x << " " << at.y;
  }

  // Noise alone, over updates that keep a particle in its lattice cell and updates that carry it
  // across cells: each update adds the octaves' weighted noise at its place, times dt.
  ParticleEmitter noisy = Emitter(1.0f);
  noisy._startVelocityRange = noisy._endVelocityRange = {3.0f, -0.4f, 12.0f};
  noisy._noiseModifiers = {.scale = {0.5f, 1.0f, 2.0f},
                           .strength = {1.0f, -2.0f, 3.0f},
                           .scrollSpeed = 0.3f,
                           .octaves = 2,
                           .persistence = 0.5f,
                           .lacunarity = 2.0f};
  ParticleRandom noiseRandom(5);
  EmitParticles(noisy, {}, noiseRandom, 1.0f);
  ASSERT_EQ(noisy.particles.size(), 1u);
  for (int step = 0; step < 40; ++step) {
    const Particle before = noisy.particles[0];
    const float dt = 0.02f;
    UpdateParticles(noisy, glm::vec3(0.0f), dt);
    const NoiseModifiers& n = noisy._noiseModifiers;
    const float age = before.age + dt;
    const glm::vec3 at = (before.position + age * n.scrollSpeed) * n.scale;
    const glm::vec3 force =
        (1.0f * ValueNoise(at) * n.strength + 0.5f * ValueNoise(at * 2.0f) * n.strength) / 1.5f;
    const glm::vec3 gained = noisy.particles[0].velocity - before.velocity;
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(gained[axis], force[axis] * dt, 1e-5f) << "step " << step << " axis " << axis;
    }
  }

  // Turbulence alone: velocity gains sin((position + age scroll + offset) frequency) intensity dt.
  ParticleEmitter emitter = Emitter(3.0f);
  emitter._emissionShape = EmissionShape::Box;
  emitter._emissionBounds = glm::vec3(400.0f);
  emitter._turbulenceModifiers = {.intensity = 2.0f,
                                  .frequency = {1.5f, -0.75f, 3.0f},
                                  .offset = {0.5f, -20.0f, 1000.0f},
                                  .scrollSpeed = 0.5f};
  ParticleRandom random(4);
  EmitParticles(emitter, {}, random, 1.0f);
  ASSERT_EQ(emitter.particles.size(), 3u);
  const std::vector<Particle> born = emitter.particles;
  UpdateParticles(emitter, glm::vec3(0.0f), 0.25f);
  const TurbulenceModifers& turbulence = emitter._turbulenceModifiers;
  for (std::size_t i = 0; i < born.size(); ++i) {
    // The angle in float, as the update forms it; its sine to within a few millionths.
    const glm::vec3 angle =
        (born[i].position + 0.25f * 0.5f + turbulence.offset) * turbulence.frequency;
    for (int axis = 0; axis < 3; ++axis) {
      const double expected = std::sin(static_cast<double>(angle[axis])) * 2.0 * 0.25;
      EXPECT_NEAR(emitter.particles[i].velocity[axis], expected, 2e-5) << i << " axis " << axis;
    }
  }
}

TEST(ParticleSimulation, ScaleAndColourFollowTheLife) {
  ParticleEmitter emitter = Emitter(1.0f, 100, 2.0f);
  emitter._startColorRange = {1.0f, 0.0f, 0.0f, 1.0f};
  emitter._endColorRange = {0.0f, 0.0f, 1.0f, 0.0f};
  emitter._constantColorA = true;
  emitter._startScaleRange = glm::vec3(1.0f);
  emitter._endScaleRange = {3.0f, 5.0f, 7.0f};
  ParticleRandom random(2);
  EmitParticles(emitter, {}, random, 1.0f);
  UpdateParticles(emitter, glm::vec3(0.0f), 0.5f);  // a quarter of the life
  const Particle& p = emitter.particles[0];
  EXPECT_NEAR(p.color.r, 0.75f, 1e-5f);
  EXPECT_NEAR(p.color.b, 0.25f, 1e-5f);
  EXPECT_EQ(p.color.a, 1.0f) << "constant alpha";
  EXPECT_EQ(p.scale, glm::vec3(1.5f)) << "uniform scale follows x";

  emitter._scaleMode = ScaleMode::NonUniform;
  emitter._colorCurve.enabled = true;
  emitter._colorCurve.keyframes = {
      {0.0f, glm::vec4(0.0f)}, {0.4f, glm::vec4(1.0f)}, {1.0f, glm::vec4(0.5f)}};
  UpdateParticles(emitter, glm::vec3(0.0f), 0.5f);  // half the life
  EXPECT_EQ(emitter.particles[0].scale, glm::vec3(2.0f, 3.0f, 4.0f));
  EXPECT_NEAR(emitter.particles[0].color.g, 1.0f - 0.5f * (0.1f / 0.6f), 1e-5f);

  PropertyCurve<glm::vec3> curve;
  curve.defaultValue = glm::vec3(4.0f);
  EXPECT_EQ(EvaluateCurve(curve, 0.5f), glm::vec3(4.0f)) << "no keys";
  curve.keyframes = {{0.2f, glm::vec3(1.0f)}, {0.8f, glm::vec3(2.0f)}};
  EXPECT_EQ(EvaluateCurve(curve, 0.0f), glm::vec3(1.0f));
  EXPECT_EQ(EvaluateCurve(curve, 1.0f), glm::vec3(2.0f));
  EXPECT_EQ(EvaluateCurve(curve, 0.5f), glm::vec3(1.5f));
}

TEST(ParticleSimulation, ShapesKeepTheirBounds) {
  ParticleRandom random(11);
  ParticleEmitter box;
  box._emissionShape = EmissionShape::Box;
  box._emissionBounds = {1.0f, 2.0f, 3.0f};
  box._offset = {1.0f, 0.0f, 0.0f};
  ParticleEmitter sphere;
  sphere._emissionShape = EmissionShape::Sphere;
  sphere._emissionBounds = {2.0f, 0.0f, 0.0f};
  ParticleEmitter cone;
  cone._emissionShape = EmissionShape::Cone;
  cone._emissionBounds = {1.0f, 3.0f, 0.0f};
  ParticleEmitter flatCone = cone;
  flatCone._emissionBounds = {1.0f, 0.0f, 0.0f};
  for (int i = 0; i < 200; ++i) {
    const glm::vec3 b = ShapePoint(box, random);
    EXPECT_LE(std::fabs(b.x), 2.0f);  // bounds + offset on each side
    EXPECT_LE(std::fabs(b.y), 2.0f);
    EXPECT_LE(std::fabs(b.z), 3.0f);
    EXPECT_LE(glm::length(ShapePoint(sphere, random)), 2.0001f);
    const glm::vec3 c = ShapePoint(cone, random);
    EXPECT_GE(c.y, 0.0f);
    EXPECT_LE(c.y, 3.0f);
    EXPECT_EQ(ShapePoint(flatCone, random), glm::vec3(0.0f));
  }
}

// A 4 x 4 map, one unit per tile, centred on the origin: columns 0-1 span x -2..0, rows 0-1
// span z -2..0. Layer 1 is empty ('0') or an edge ('E') except on the tiles listed as floor;
// the density map is 2 x 2 (one pixel per quarter of the map), full where asked.
Tilemap FoliageMapOf(const std::vector<int>& floorTiles, const std::vector<int>& fullPixels) {
  Tilemap map;
  map.width = 4;
  map.height = 4;
  map.layer1.assign(16, '0');
  for (int i = 0; i < 16; i += 3) map.layer1[static_cast<std::size_t>(i)] = 'E';
  for (int tile : floorTiles) map.layer1[static_cast<std::size_t>(tile)] = '1';
  map.heights.assign(16, 0.0f);
  map.heights[5] = 0.5f;
  FoliageData layer;
  layer.densityTexture = 1;
  layer.densityWidth = 2;
  layer.densityHeight = 2;
  layer.densityValues.assign(4, 0);
  for (int pixel : fullPixels) layer.densityValues[static_cast<std::size_t>(pixel)] = 255;
  map._foliageData.push_back(layer);
  return map;
}

TEST(ParticleSimulation, FoliageMapScattersOverDenseFloorNearTheCamera) {
  ParticleEmitter emitter;
  emitter._emissionShape = EmissionShape::FoliageMap;
  emitter._emissionBounds = {0.25f, 0.0f, 0.0f};  // born 0.25 above the tile, any density
  ParticleRandom random(8);
  // The camera sits so that the accepted square centres on the map's middle.
  FoliageSource source{.cameraPosition = {-20.0f, 5.0f, 20.0f}};
  EXPECT_EQ(ShapePoint(emitter, random, &source), glm::vec3(0.0f)) << "no tile map";

  // Only tile 5 (column 1, row 1: x -1..0, z -1..0, height 0.5) is floor under full density;
  // points come out shifted by (+8, -8).
  Tilemap map = FoliageMapOf({5}, {0, 1, 2, 3});
  source.map = &map;
  for (int i = 0; i < 20; ++i) {
    const glm::vec3 point = ShapePoint(emitter, random, &source);
    if (point == kFarParticlePoint) continue;  // 100 misses in a row may happen
    EXPECT_GE(point.x, 7.0f);
    EXPECT_LE(point.x, 8.0f);
    EXPECT_GE(point.z, -9.0f);
    EXPECT_LE(point.z, -8.0f);
    EXPECT_FLOAT_EQ(point.y, 0.75f);
  }

  // Floor everywhere, density only in the quarter x > 0, z > 0 (pixel column 1, row 1).
  map = FoliageMapOf({1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14}, {3});
  for (int i = 0; i < 50; ++i) {
    const glm::vec3 point = ShapePoint(emitter, random, &source);
    ASSERT_NE(point, kFarParticlePoint);
    EXPECT_GE(point.x, 8.0f);
    EXPECT_LE(point.z, -8.0f + 2.0f);
    EXPECT_GE(point.z, -8.0f);
  }

  // A density threshold above the map's density, a camera far away, no foliage layer and a
  // density map without a texture all give the far point.
  ParticleEmitter picky = emitter;
  picky._emissionBounds.y = 1.5f;
  EXPECT_EQ(ShapePoint(picky, random, &source), kFarParticlePoint) << "threshold";
  FoliageSource far = source;
  far.cameraPosition = {500.0f, 0.0f, 500.0f};
  EXPECT_EQ(ShapePoint(emitter, random, &far), kFarParticlePoint) << "camera";
  Tilemap bare = map;
  bare._foliageData.clear();
  source.map = &bare;
  EXPECT_EQ(ShapePoint(emitter, random, &source), kFarParticlePoint) << "no foliage";
  bare = map;
  bare._foliageData[0].densityTexture = -1;
  EXPECT_EQ(ShapePoint(emitter, random, &source), kFarParticlePoint) << "no density texture";
}

}  // namespace
