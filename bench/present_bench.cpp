// What putting a composed frame on the screen costs through the SDL backend:
// a movement frame (nine mover-sized rectangles changed, as at every movement
// tick) and a whole frame (after an expose). Needs an X display, e.g. Xvfb;
// without one both benchmarks are skipped with SDL's reason.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/SdlPlatform.h"

namespace {

constexpr int kWidth = 1109;
constexpr int kHeight = 607;

struct Screen {
    std::unique_ptr<scene::Platform> platform;
    std::unique_ptr<scene::PlatformWindow> window;   // destroyed before its platform
};

// One window for every benchmark; nullptr when there is no display.
Screen* OpenScreen(benchmark::State& state) {
    static Screen screen;
    static std::string failure;
    if (!screen.window && failure.empty()) {
        try {
            screen.platform = platform::CreateSdlPlatform();
            scene::WindowOptions options;
            options.title = "present_bench";
            options.left = 0;
            options.top = 0;
            options.clientWidth = kWidth;
            options.clientHeight = kHeight;
            screen.window = screen.platform->CreateWindow(options);
            screen.window->Show();
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }
    if (!screen.window) {
        state.SkipWithError(failure.c_str());
        return nullptr;
    }
    // Whatever the server sent while the window appeared is not part of the cost.
    scene::InputEvent ignored;
    while (screen.platform->WaitEvent(ignored, 0)) {
    }
    return &screen;
}

// A frame with content, so the server has real pixels to copy.
void PaintStripes(const scene::FrameBuffer& f) {
    for (int y = 0; y < f.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(f.pixels + y * f.stride);
        for (int x = 0; x < f.width; ++x) row[x] = ((x / 16 + y / 16) % 2 != 0) ? 0xC0C0C0u : 0x808080u;
    }
}

void BM_PresentMovementFrame(benchmark::State& state) {
    Screen* screen = OpenScreen(state);
    if (screen == nullptr) return;
    PaintStripes(screen->window->Frame());
    std::vector<scene::TRect> changed;
    for (int i = 0; i < 9; ++i) changed.push_back({40 + 95 * i, 30 + 50 * i, 65, 65});
    for (auto _ : state) {
        screen->window->Frame();
        screen->window->Present(changed);
    }
}
BENCHMARK(BM_PresentMovementFrame)->Unit(benchmark::kMicrosecond);

void BM_PresentFullFrame(benchmark::State& state) {
    Screen* screen = OpenScreen(state);
    if (screen == nullptr) return;
    PaintStripes(screen->window->Frame());
    const std::vector<scene::TRect> whole{{0, 0, kWidth, kHeight}};
    for (auto _ : state) {
        screen->window->Frame();
        screen->window->Present(whole);
    }
}
BENCHMARK(BM_PresentFullFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
