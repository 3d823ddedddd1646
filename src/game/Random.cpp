#include "game/Random.h"

#include <time.h>

namespace game {

std::uint32_t RandSeed = 0;

namespace {

std::uint64_t ClockCounter() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(ts.tv_nsec);
}

std::function<std::uint64_t()>& Counter() {
    static std::function<std::uint64_t()> counter = ClockCounter;
    return counter;
}

}  // namespace

std::int32_t Random(std::int32_t n) {
    RandSeed = RandSeed * 134775813u + 1u;
    const std::uint64_t product = static_cast<std::uint64_t>(static_cast<std::uint32_t>(n)) * RandSeed;
    return static_cast<std::int32_t>(product >> 32);
}

void Reseed() { RandSeed = static_cast<std::uint32_t>(Counter()()); }

std::function<std::uint64_t()> PerformanceCounter() { return Counter(); }

void SetPerformanceCounter(std::function<std::uint64_t()> counter) {
    Counter() = counter ? std::move(counter) : std::function<std::uint64_t()>(ClockCounter);
}

}  // namespace game
