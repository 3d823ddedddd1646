// The program's one pseudo-random generator: a 32-bit linear congruential
// generator, reseeded from the high-resolution clock where the rules say so.
#pragma once

#include <cstdint>
#include <functional>

namespace game {

extern std::uint32_t RandSeed;

// A uniform integer in [0, n).
std::int32_t Random(std::int32_t n);
// Seeds from the low 32 bits of the performance counter.
void Reseed();
// The counter Reseed reads now: the clock's, or the one set in its place.
std::function<std::uint64_t()> PerformanceCounter();
// Tests replace the counter to make reseeding repeatable; an empty function restores the clock.
void SetPerformanceCounter(std::function<std::uint64_t()> counter);

}  // namespace game
