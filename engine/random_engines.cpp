#include "engine/random_engines.h"

void RandomEngines::Seed(std::uint32_t standardValue, std::uint32_t gameplayValue) {
  standardSeed = standardValue;
  gameplaySeed = gameplayValue;
  standard.seed(standardValue);
  gameplay.seed(gameplayValue);
}

RandomEngines& GetRandomEngines() {
  static RandomEngines engines = [] {
    RandomEngines seeded;
    std::random_device device;
    seeded.Seed(device(), device());
    return seeded;
  }();
  return engines;
}
