#pragma once
// The game's two random engines. Gameplay draws from them; input recordings store their seeds
// so that a replay draws the same numbers. They belong to the engine (DECS::randomEngines), so a
// new engine starts with engines of its own; start-up seeds both with the same value.

#include <cstdint>
#include <random>

struct RandomEngines {
  // Seeded from std::random_device until someone reseeds them.
  RandomEngines();

  std::mt19937 standard;
  std::mt19937 gameplay;
  std::uint32_t standardSeed = 0;
  std::uint32_t gameplaySeed = 0;

  // Reseeds both engines and remembers the seeds.
  void Seed(std::uint32_t standardValue, std::uint32_t gameplayValue);
};
