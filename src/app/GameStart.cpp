#include "app/GameStart.h"

#include <exception>

#include "sound/SoundChannel.h"

namespace app {

std::unique_ptr<layout::TForm1> MakeGameForm(scene::Application& app, sound::SoundService& sounds) {
    std::unique_ptr<layout::TForm1> form;
    try {
        form = std::make_unique<layout::TForm1>(app, sounds);
        form->LoadAll();
    } catch (const sound::EMCIDeviceError& e) {
        form.reset();  // closes the channels already opened, before the box
        app.ShowStartupError("EMCIDeviceError", e.what());
        return nullptr;
    } catch (const std::exception& e) {
        form.reset();
        app.ShowStartupError("Exception", e.what());
        return nullptr;
    }
    app.Guard([&] {
        if (form->OnCreate) form->OnCreate(*form);
    });
    return form;
}

bool ShowGameForm(scene::Application& app, layout::TForm1& form, StartScreen screen, std::ostream& err) {
    app.SetMainForm(&form);
    try {
        form.Show();
    } catch (const std::exception& e) {
        app.ShowStartupError("Exception", e.what());
        return false;
    }
    // A desktop that will not go full screen still has the game in its window.
    if (screen == StartScreen::FullScreen) {
        try {
            form.SetMode(scene::WindowMode::FullScreen);
        } catch (const std::exception& e) {
            err << "swoopy: " << e.what() << "; playing in the window\n";
        }
    }
    form.DecodePicturesAhead();
    form.RenderGlyphsWhenIdle();
    return true;
}

}  // namespace app
