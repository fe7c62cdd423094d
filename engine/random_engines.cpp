#include "engine/random_engines.h"

RandomEngines::RandomEngines() {
  std::random_device device;
  const std::uint32_t standardValue = device();
  Seed(standardValue, device());
}

void RandomEngines::Seed(std::uint32_t standardValue, std::uint32_t gameplayValue) {
  standardSeed = standardValue;
  gameplaySeed = gameplayValue;
  standard.seed(standardValue);
  gameplay.seed(gameplayValue);
}
