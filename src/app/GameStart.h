// The game's window from its layout to the start screen, one step each: shared
// by the program and the tools that run the game as the player does.
#pragma once

#include <memory>
#include <ostream>

#include "app/CommandLine.h"
#include "layout/TForm1.h"
#include "scene/Application.h"
#include "sound/SoundService.h"

namespace app {

// Makes the window and its elements, opens the sound channels and runs the
// create handler. A file that cannot be opened is shown in the start-up error
// box (the channels already opened are closed first) and gives no form.
std::unique_ptr<layout::TForm1> MakeGameForm(scene::Application& app, sound::SoundService& sounds);

// Shows the form as the main window, full screen when asked, and queues what
// waits for the start screen: the later pictures and the later captions' glyphs.
// A failure to show it is shown in the start-up error box and returns false; a
// desktop that refuses full screen leaves the window, said on `err`.
bool ShowGameForm(scene::Application& app, layout::TForm1& form, StartScreen screen, std::ostream& err);

}  // namespace app
