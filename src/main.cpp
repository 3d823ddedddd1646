// Program entry: make the window from its layout, run the event loop, end.
#include <cstdio>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/PlayFolder.h"
#include "game/Process.h"
#include "layout/TForm1.h"
#include "platform/sdl/SdlPlatform.h"
#include "scene/AheadThread.h"
#include "scene/Application.h"
#include "scene/FrameTrace.h"
#include "sound/SoundChannel.h"
#include "sound/SoundPrefetch.h"
#include "sound/SoundService.h"

namespace {

// Work done ahead on a thread of its own is only a head start: whatever fails
// there is done again, and reported, where it is needed.
std::jthread Ahead(const char* name, std::function<void()> work) {
    return std::jthread([name, work = std::move(work)] {
        scene::BeginThreadAhead(name);
        try {
            work();
        } catch (...) {
        }
    });
}

int Play() {
    const std::string programPath = game::RunningProgramPath();
    std::string folderError;
    try {
        app::EnterPlayFolder(programPath);
    } catch (const std::exception& e) {
        folderError = e.what();   // shown once there is a display to show it on
    }

    // What needs no display starts at once on other threads, while this one opens
    // it: the sounds read, the captions' faces loaded and the captions shaped.
    std::optional<sound::SoundPrefetch> prefetch;
    if (folderError.empty()) prefetch.emplace(layout::TForm1::SoundFiles(), scene::AudioFormat{}.channels);
    std::jthread text;
    // Declared after the thread, so that on a return before the display is open
    // it is given up first: the thread then stops waiting for it and is joined.
    std::promise<scene::DisplayScale> scaleKnown;
    text = Ahead("swoopy text", [scale = scaleKnown.get_future().share()] {
        layout::TForm1::PrepareText([&scale] { return scale.get(); });
    });

    std::unique_ptr<scene::Platform> platform;
    try {
        platform = platform::CreateSdlPlatform();
    } catch (const std::exception& e) {
        // No display: there is nowhere to show even an error box.
        std::fprintf(stderr, "swoopy: %s\n", e.what());
        return 1;
    }
    // While the audio output opens and the window is made, the shown captions are
    // drawn and the shown pictures decoded for the window's scale.
    const scene::DisplayScale scale = platform->PresentationScale();
    scaleKnown.set_value(scale);
    std::jthread pictures = Ahead("swoopy pictures", [scale] { layout::TForm1::DecodeShownPictures(scale); });
    // Meanwhile this thread makes the window, hidden, and touches its frame.
    if (folderError.empty()) platform->MakeWindowAhead(layout::TForm1::WindowOptionsAt(scale));

    scene::Application app(*platform, programPath);
    // For measuring: a line per presented frame.
    scene::TraceFramesAsAsked(app);
    sound::SoundService sounds(*platform, [&app](std::function<void()> fn) { app.Post(std::move(fn)); },
                               prefetch ? &*prefetch : nullptr);
    // Text is the preparing thread's until it is done.
    text.join();
    if (!folderError.empty()) {
        app.ShowStartupError("EInOutError", folderError);
        return 1;
    }

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
    app.SetMainForm(form.get());
    try {
        form->Show();
        // Pictures first shown later (the bonus round's) are decoded once the start
        // screen is up, and the glyphs of later captions rendered when the loop is idle.
        form->DecodePicturesAhead();
        form->RenderGlyphsWhenIdle();
    } catch (const std::exception& e) {
        app.ShowStartupError("Exception", e.what());
        return 1;
    }
    app.Run(*form);
    form.reset();
    return 0;
}

}  // namespace

// Nothing that fails before the loop runs ends in an abort: what the game could
// not show in a box (the display itself failing, say) goes to standard error.
int main() {
    try {
        return Play();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "swoopy: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "swoopy: an unknown error\n");
    }
    return 1;
}
