// What putting a composed frame on the screen costs through the SDL backend:
// a movement frame (nine mover-sized rectangles changed, as at every movement
// tick) and a whole frame (after an expose), each at presentation scale 1 and 2
// (the argument), in a window of the layout's size times the scale. Needs an X
// display, e.g. Xvfb; without one the benchmarks are skipped with SDL's reason.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/SdlPlatform.h"
#include "scene/DisplayScale.h"

namespace {

constexpr int kWidth = 1109;
constexpr int kHeight = 607;

struct Screen {
    std::unique_ptr<scene::Platform> platform;
    std::unique_ptr<scene::PlatformWindow> window;  // destroyed before its platform
    double factor = 0;                              // the window's scale
    std::string failure;
};

// One window at a time, so no other covers it; nullptr when there is no display.
scene::PlatformWindow* OpenWindow(benchmark::State& state, scene::DisplayScale scale) {
    static Screen screen;
    if (screen.factor != scale.Factor() && screen.failure.empty()) {
        try {
            screen.window.reset();
            if (!screen.platform) screen.platform = platform::CreateSdlPlatform();
            scene::WindowOptions options;
            options.title = "present_bench";
            options.left = 0;
            options.top = 0;
            const scene::TRect client = scale.ToDevice(scene::TRect{0, 0, kWidth, kHeight});
            options.clientWidth = client.Width;
            options.clientHeight = client.Height;
            screen.window = screen.platform->CreateWindow(options);
            screen.window->Show();
            screen.factor = scale.Factor();
        } catch (const std::exception& e) {
            screen.failure = e.what();
        }
    }
    if (!screen.window) {
        state.SkipWithError(screen.failure.c_str());
        return nullptr;
    }
    // Whatever the server sent while the window appeared is not part of the cost.
    scene::InputEvent ignored;
    while (screen.platform->WaitEvent(ignored, 0)) {
    }
    return screen.window.get();
}

// A frame with content, so the server has real pixels to copy.
void PaintStripes(const scene::FrameBuffer& f) {
    for (int y = 0; y < f.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(f.pixels + y * f.stride);
        for (int x = 0; x < f.width; ++x) row[x] = ((x / 16 + y / 16) % 2 != 0) ? 0xC0C0C0u : 0x808080u;
    }
}

scene::DisplayScale ScaleOf(const benchmark::State& state) {
    return scene::DisplayScale::FromFactor(static_cast<double>(state.range(0)));
}

void BM_PresentMovementFrame(benchmark::State& state) {
    const scene::DisplayScale scale = ScaleOf(state);
    scene::PlatformWindow* window = OpenWindow(state, scale);
    if (window == nullptr) return;
    PaintStripes(window->Frame());
    std::vector<scene::TRect> changed;
    for (int i = 0; i < 9; ++i) changed.push_back(scale.Outward({40 + 95 * i, 30 + 50 * i, 65, 65}));
    for (auto _ : state) {
        window->Frame();
        window->Present(changed);
    }
}
BENCHMARK(BM_PresentMovementFrame)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_PresentFullFrame(benchmark::State& state) {
    const scene::DisplayScale scale = ScaleOf(state);
    scene::PlatformWindow* window = OpenWindow(state, scale);
    if (window == nullptr) return;
    PaintStripes(window->Frame());
    const std::vector<scene::TRect> whole{scale.ToDevice(scene::TRect{0, 0, kWidth, kHeight})};
    for (auto _ : state) {
        window->Frame();
        window->Present(whole);
    }
}
BENCHMARK(BM_PresentFullFrame)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
