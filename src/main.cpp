// Program entry: make the window from its layout, run the event loop, end.
#include <cstdio>
#include <exception>
#include <memory>

#include "app/PlayFolder.h"
#include "game/Process.h"
#include "layout/TForm1.h"
#include "platform/sdl/SdlPlatform.h"
#include "scene/Application.h"
#include "scene/FrameTrace.h"
#include "sound/SoundChannel.h"
#include "sound/SoundService.h"

int main() {
    std::unique_ptr<scene::Platform> platform;
    try {
        platform = platform::CreateSdlPlatform();
    } catch (const std::exception& e) {
        // No display: there is nowhere to show even an error box.
        std::fprintf(stderr, "swoopy: %s\n", e.what());
        return 1;
    }
    scene::Application app(*platform, game::RunningProgramPath());
    // For measuring: a line per presented frame.
    scene::TraceFramesAsAsked(app);
    try {
        app::EnterPlayFolder(app.ProgramPath());
    } catch (const std::exception& e) {
        app.ShowStartupError("EInOutError", e.what());
        return 1;
    }
    sound::SoundService sounds(*platform, [&app](std::function<void()> fn) { app.Post(std::move(fn)); });

    std::unique_ptr<layout::TForm1> form;
    try {
        form = std::make_unique<layout::TForm1>(app, sounds);
        form->LoadAll();
    } catch (const sound::EMCIDeviceError& e) {
        form.reset();  // closes the channels already opened
        app.ShowStartupError("EMCIDeviceError", e.what());
        return 1;
    } catch (const std::exception& e) {
        form.reset();
        app.ShowStartupError("Exception", e.what());
        return 1;
    }
    app.Guard([&] {
        if (form->OnCreate) form->OnCreate(*form);
    });
    app.Run(*form);
    form.reset();
    return 0;
}
