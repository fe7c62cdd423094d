// The game's entry point.

#include <cstdint>

#include "app/startup.h"

// Ask hybrid-graphics drivers for the discrete GPU.
extern "C" {
__attribute__((visibility("default"))) std::uint32_t NvOptimusEnablement = 1;
__attribute__((visibility("default"))) std::int32_t AmdPowerXpressRequestHighPerformance = 1;
}

int main() { return RunGame(); }
