// Program start, the start screen, and the two ways out of the end screen.
#include <cstddef>
#include <string>
#include <vector>

#include "game/Process.h"
#include "game/TextFile.h"
#include "layout/TForm1.h"
#include "scene/Application.h"

namespace layout {

namespace {
constexpr int kIntroLines = 30;
// Of a line the panel shows at most some 25 000 characters (its rows' width in
// pixels, a character being at least one wide); more than that is kept, but a
// file of gigabyte lines no longer fills the memory.
constexpr std::size_t kIntroLineBytes = std::size_t{1} << 20;
}  // namespace

void TForm1::FormCreate(scene::Form& /*Sender*/) {
    DoubleBuffered = true;

    State.money = 0;
    State.hits = 0;
    State.soundSwitch = 1;
    State.timeLeft = 60;
    State.bonusCountdown = 300;
    State.score = 0;
    State.lives = 3;
    State.musicLoop = 1;

    MediaPlayer1.Play();
    MediaPlayer1.SetNotify(true);

    SceneElement* const hiddenAtStart[] = {&Label2,     &Label3,     &Label4,     &Label5,     &Rvierkant1, &rvierkant2,
                                           &rvierkant3, &rvierkant4, &Zvierkant1, &zvierkant2, &zvierkant3, &zround1};
    for (SceneElement* e : hiddenAtStart) e->SetVisible(false);

    Timer1.SetEnabled(false);
    Timer2.SetEnabled(false);
    Timer3.SetEnabled(false);
    Timer4.SetEnabled(false);

    ReadIntro();
    BuildTiles();
    ColourTilesAtStart(*this);
    SendToBack(Finale);
}

// Lines read before a failure stay in the panel; the error ends the create handler.
void TForm1::ReadIntro() {
    game::TextReader intro(kIntroFile);
    std::string lines[kIntroLines];
    for (int i = 0; i < kIntroLines && !intro.Eof(); ++i) {
        lines[i] = intro.ReadLine(kIntroLineBytes);
        Memo1.AddLine(lines[i]);
    }
    intro.Close();
}

void TForm1::Edit1Change(SceneElement& /*Sender*/) { Button1.SetEnabled(true); }

void TForm1::Button1Click(SceneElement& /*Sender*/) {
    State.musicLoop = 0;
    MediaPlayer1.Stop();
    MediaPlayer1.SetNotify(true);
    MediaPlayer2.Play();

    Button1.SetVisible(false);
    Memo1.SetVisible(false);
    Edit1.SetVisible(false);

    Lives.SetCaption("Lives: " + std::to_string(State.lives));
    Label6.SetCaption(Edit1.Text());

    Timer1.SetEnabled(true);
    Timer2.SetEnabled(true);
    Timer3.SetEnabled(true);
    Timer4.SetEnabled(true);
}

void TForm1::tryagainClick(SceneElement& /*Sender*/) { Relaunch(); }

void TForm1::Relaunch() {
    const std::string path = App().ProgramPath();
    // The new copy keeps the screen the player chose; the scale it takes from
    // SWOOPY_SCALE, which it inherits.
    std::vector<std::string> args;
    if (Mode() == scene::WindowMode::FullScreen) args.push_back("--fullscreen");
    if (StartProgram)
        StartProgram(path, args);
    else
        game::StartDetached(path, args);  // its result is not used: this copy ends either way
    App().Terminate();
}

void TForm1::closeallClick(SceneElement& /*Sender*/) { Close(); }

}  // namespace layout
