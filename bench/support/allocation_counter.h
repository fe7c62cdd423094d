#pragma once
// Counts heap allocations, for benchmarks that report allocations per frame. A benchmark that
// uses it lists support/allocation_counter.cpp among its sources: that file replaces the global
// operator new of the whole program.

#include <cstdint>

// Allocations made through operator new since the program started.
std::uint64_t AllocationCount();
