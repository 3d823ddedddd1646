// The game as the player runs it, except that sixteen black squares count as
// touched before Start: from the first check tick on every mover is in play,
// the heaviest field of movers the game has. Every ten seconds of play it prints
// how many movement ticks ran, so that a busy machine that drops ticks (and
// with them frames) shows. For measuring what play costs in a real X server
// (scripts/play_cpu.sh, scripts/play_trace.sh); not shipped.
// PLAY_PROBE_LIVES=N starts the game with N lives, so a pointer that roams the
// playfield plays on to the end of the clock; PLAY_PROBE_MONEY=N starts it with
// N coins, so the shop's offers show from the first offers tick;
// PLAY_PROBE_SECONDS=N gives the game's clock N seconds instead of the game's
// own, for long measurements of one game (scripts/wayland_memory.sh);
// PLAY_PROBE_FULLSCREEN=1 starts it full screen; PLAY_PROBE_BONUS_HOLD=FILE holds
// the bonus countdown still while FILE exists, so that a test looks at and clicks
// a round that cannot end meanwhile, however slowly it runs; SWOOPY_TRACE works
// as in the game.
// At its end it prints how often the bonus timer ticked (0: no bonus round).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "app/GameStart.h"
#include "game/Process.h"
#include "layout/TForm1.h"
#include "platform/sdl/SdlPlatform.h"
#include "scene/Application.h"
#include "scene/FrameTrace.h"
#include "sound/SoundService.h"

int main() {
    try {
        const std::unique_ptr<scene::Platform> platform = platform::CreateSdlPlatform();
        scene::Application app(*platform, game::RunningProgramPath());
        scene::TraceFramesAsAsked(app);
        // The game's own start-up preparation, here on this thread: only play is measured.
        const scene::DisplayScale scale = platform->PresentationScale();
        layout::TForm1::PrepareText([scale] { return scale; });
        layout::TForm1::DecodeShownPictures(scale);
        sound::SoundService sounds(*platform, [&app](std::function<void()> fn) { app.Post(std::move(fn)); });
        const std::unique_ptr<layout::TForm1> form = app::MakeGameForm(app, sounds);
        if (!form) return 1;
        form->State.hits = 16;
        if (const char* lives = std::getenv("PLAY_PROBE_LIVES")) form->State.lives = std::atoi(lives);
        if (const char* money = std::getenv("PLAY_PROBE_MONEY")) form->State.money = std::atoi(money);
        using Clock = std::chrono::steady_clock;
        struct TickCount {
            layout::TForm1* form;
            int ticks = 0;
            Clock::time_point since{};
        } count{form.get()};
        // One pointer captured, as the game's own handlers capture only the form:
        // a larger capture would put a heap allocation into every tick measured.
        form->Timer2.SetOnTimer([c = &count](scene::TTimer& timer) {
            c->form->Timer2Timer(timer);
            const Clock::time_point now = Clock::now();
            if (c->ticks++ == 0) c->since = now;
            const double seconds = std::chrono::duration<double>(now - c->since).count();
            if (seconds >= 10) {
                std::printf("movement ticks: %d in %.1f s\n", c->ticks - 1, seconds);
                std::fflush(stdout);
                c->ticks = 1;
                c->since = now;
            }
        });
        if (const char* seconds = std::getenv("PLAY_PROBE_SECONDS")) {
            // Start sets the game's own time; the first clock tick replaces it.
            form->Timer1.SetOnTimer(
                [f = form.get(), n = std::atoi(seconds), first = true](scene::TTimer& timer) mutable {
                    if (first) f->State.timeLeft = n;
                    first = false;
                    f->Timer1Timer(timer);
                });
        }
        int bonusTicks = 0;
        const char* const hold = std::getenv("PLAY_PROBE_BONUS_HOLD");
        form->Timer5.SetOnTimer([&](scene::TTimer& timer) {
            std::error_code error;
            if (hold && std::filesystem::exists(hold, error)) return;
            ++bonusTicks;
            form->Timer5Timer(timer);
        });
        const char* full = std::getenv("PLAY_PROBE_FULLSCREEN");
        const bool fullScreen = full && *full == '1';
        if (!app::ShowGameForm(app, *form, fullScreen ? app::StartScreen::FullScreen : app::StartScreen::Window,
                               std::cerr))
            return 1;
        app.Run(*form);
        std::printf("bonus ticks: %d\n", bonusTicks);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "play_probe: %s\n", e.what());
        return 1;
    }
    return 0;
}
