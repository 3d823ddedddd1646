// The rig of a benchmark on the real SDL platform, made once for all its runs.
// Without a display the benchmark is skipped with the reason.
#pragma once

#include <benchmark/benchmark.h>

#include <exception>
#include <memory>
#include <string>

#include "platform/sdl/SdlPlatform.h"

template <typename Rig>
Rig* RealWindowRig(benchmark::State& state) {
    static std::unique_ptr<Rig> rig;
    static std::string failure;
    if (!rig && failure.empty()) {
        try {
            rig = std::make_unique<Rig>(platform::CreateSdlPlatform());
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }
    if (!rig) state.SkipWithError(failure.c_str());
    return rig.get();
}
