// What the player's own folder costs an installed game at start: made and filled
// on the first start, looked over on every later one.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/PlayFolder.h"

namespace {

namespace fs = std::filesystem;

const fs::path kScratch = fs::temp_directory_path() / ("swoopy-folder-bench-" + std::to_string(::getpid()));
const std::string kPlayer = (kScratch / "share/swoopy").string();

void BM_FirstStart(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(kScratch);
        state.ResumeTiming();
        benchmark::DoNotOptimize(app::SeedFolder(kPlayer, SWOOPY_ASSETS_DIR));
    }
    fs::remove_all(kScratch);
}
BENCHMARK(BM_FirstStart)->Unit(benchmark::kMillisecond);

void BM_LaterStart(benchmark::State& state) {
    app::SeedFolder(kPlayer, SWOOPY_ASSETS_DIR);
    for (auto _ : state) benchmark::DoNotOptimize(app::SeedFolder(kPlayer, SWOOPY_ASSETS_DIR));
    fs::remove_all(kScratch);
}
BENCHMARK(BM_LaterStart)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
