// The game as the player runs it, except that sixteen black squares count as
// touched before Start: from the first check tick on every mover is in play,
// the heaviest field of movers the game has. For measuring what play costs in a
// real X server (scripts/play_cpu.sh); not shipped.
#include <cstdio>
#include <exception>
#include <memory>

#include "game/Process.h"
#include "layout/TForm1.h"
#include "platform/sdl/SdlPlatform.h"
#include "scene/Application.h"
#include "sound/SoundService.h"

int main() {
    try {
        const std::unique_ptr<scene::Platform> platform = platform::CreateSdlPlatform();
        scene::Application app(*platform, game::RunningProgramPath());
        sound::SoundService sounds(*platform, [&app](std::function<void()> fn) { app.Post(std::move(fn)); });
        auto form = std::make_unique<layout::TForm1>(app, sounds);
        form->LoadAll();
        app.Guard([&] { form->OnCreate(*form); });
        form->State.hits = 16;
        app.Run(*form);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "play_probe: %s\n", e.what());
        return 1;
    }
    return 0;
}
