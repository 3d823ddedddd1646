// The game's one window and its 52 elements, as named members in creation
// order (which is also the stacking order). The layout table in TForm1.cpp
// gives every element its properties; TForm1Ahead.cpp does the start's work
// ahead of the first frame; the handlers live in src/game/.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/GameState.h"
#include "layout/TMediaPlayer.h"
#include "scene/Form.h"
#include "scene/TButton.h"
#include "scene/TEdit.h"
#include "scene/TImage.h"
#include "scene/TLabel.h"
#include "scene/TMemo.h"
#include "scene/TShape.h"
#include "scene/TTimer.h"

namespace sound {
class SoundService;
}

namespace layout {

// The introduction's lines, read once at start.
inline constexpr char kIntroFile[] = "./intro.txt";

using scene::SceneElement;
using scene::TShiftState;

class TForm1 : public scene::Form {
public:
    TForm1(scene::Application& app, sound::SoundService& sounds);
    ~TForm1() override;

    SceneElement* FindElement(const std::string& name) const;

    // The sound files the channels open, as they name them.
    static std::vector<std::string> SoundFiles();
    // Every file the game opens in its working folder, by its bare name: the
    // introduction, the high scores and the sounds.
    static std::vector<std::string> GameFiles();
    // Work the first frame needs that can be done on other threads before the
    // window is made. The captions' faces loaded and the captions shaped, which
    // needs no display; then, once scale() gives the window's presentation scale
    // (it may wait for the display to open), the shown captions' glyphs rendered
    // at it. This fills the toolkit's text caches, so no other text may be
    // measured or drawn until it has returned.
    static void PrepareText(const std::function<scene::DisplayScale()>& scale);
    // The pictures the first frame shows, decoded and scaled to their boxes'
    // device pixels; a draw that needs one meanwhile waits for it.
    static void DecodeShownPictures(scene::DisplayScale scale);
    // The window the form shows itself in at scale, for making it ahead.
    static scene::WindowOptions WindowOptionsAt(scene::DisplayScale scale);
    // Renders the printable characters in every font of the layout at the shown
    // window's scale, off screen, a few at a time whenever the loop is idle: the
    // captions the game sets later (score, lives, time, money, the countdown)
    // then show without rendering glyphs in the frame that first shows them.
    // The steps hold nothing of the window, which may go first.
    void RenderGlyphsWhenIdle();

    sound::SoundService& Sounds;  // first, so the channels below can use it
    game::GameState State;
    // The tile field, column by column; empty until the create handler builds it.
    std::array<std::array<scene::TShape*, 8>, 14> tiles{};
    bool tilesBuilt = false;

    scene::TShape Zvierkant1{*this, "Zvierkant1"};
    scene::TShape zvierkant2{*this, "zvierkant2"};
    scene::TShape zvierkant3{*this, "zvierkant3"};
    scene::TShape zvierkant4{*this, "zvierkant4"};
    scene::TShape Rvierkant1{*this, "Rvierkant1"};
    scene::TShape rvierkant2{*this, "rvierkant2"};
    scene::TShape rvierkant3{*this, "rvierkant3"};
    scene::TShape rvierkant4{*this, "rvierkant4"};
    scene::TImage MenuRechts{*this, "MenuRechts"};
    scene::TLabel Label2{*this, "Label2"};
    scene::TLabel Label3{*this, "Label3"};
    scene::TLabel Label4{*this, "Label4"};
    scene::TLabel Label5{*this, "Label5"};
    scene::TLabel Label6{*this, "Label6"};
    scene::TLabel BONUSgehaald{*this, "BONUSgehaald"};
    scene::TLabel NOBONUS{*this, "NOBONUS"};
    scene::TShape zround1{*this, "zround1"};
    scene::TImage Livesbar{*this, "Livesbar"};
    scene::TImage Image5{*this, "Image5"};
    scene::TLabel FINALSCORE{*this, "FINALSCORE"};
    scene::TLabel Label1{*this, "Label1"};
    scene::TLabel Label7{*this, "Label7"};
    scene::TShape BONUSgray{*this, "BONUSgray"};
    scene::TImage BONUS1{*this, "BONUS1"};
    scene::TImage Bonus2{*this, "Bonus2"};
    scene::TImage Bonus3{*this, "Bonus3"};
    scene::TImage Bonus4{*this, "Bonus4"};
    scene::TImage Bonus5{*this, "Bonus5"};
    scene::TLabel Label8{*this, "Label8"};
    scene::TLabel Lives{*this, "Lives"};
    scene::TShape witeinde{*this, "witeinde"};
    scene::TLabel geenlevens{*this, "geenlevens"};
    scene::TLabel geentijd{*this, "geentijd"};
    scene::TLabel eindscore{*this, "eindscore"};
    scene::TImage Finale{*this, "Finale"};
    TMediaPlayer MediaPlayer1{*this, "MediaPlayer1", Sounds};
    TMediaPlayer MediaPlayer2{*this, "MediaPlayer2", Sounds};
    TMediaPlayer MediaPlayer3{*this, "MediaPlayer3", Sounds};
    TMediaPlayer MediaPlayer4{*this, "MediaPlayer4", Sounds};
    TMediaPlayer MediaPlayer5{*this, "MediaPlayer5", Sounds};
    scene::TMemo Memo1{*this, "Memo1"};
    scene::TButton Button1{*this, "Button1"};
    scene::TEdit Edit1{*this, "Edit1"};
    scene::TButton tryagain{*this, "tryagain"};
    scene::TButton closeall{*this, "closeall"};
    TMediaPlayer MediaPlayer6{*this, "MediaPlayer6", Sounds};
    scene::TMemo Scoreseind{*this, "Scoreseind"};
    scene::TTimer Timer1{*this, "Timer1"};
    scene::TTimer Timer2{*this, "Timer2"};
    scene::TTimer Timer3{*this, "Timer3"};
    scene::TTimer Timer4{*this, "Timer4"};
    scene::TTimer Timer5{*this, "Timer5"};

    // Program start, start screen, restart and exit.
    void FormCreate(scene::Form& Sender);
    void Edit1Change(SceneElement& Sender);
    void Button1Click(SceneElement& Sender);
    void tryagainClick(SceneElement& Sender);
    void closeallClick(SceneElement& Sender);
    void Relaunch();

    // Movers and touches.
    void Timer2Timer(scene::TTimer& Sender);
    void Zvierkant1MouseMove(SceneElement& Sender, TShiftState Shift, int X, int Y);
    void zvierkant2MouseMove(SceneElement& Sender, TShiftState Shift, int X, int Y);
    void zvierkant3MouseMove(SceneElement& Sender, TShiftState Shift, int X, int Y);
    void zvierkant4MouseMove(SceneElement& Sender, TShiftState Shift, int X, int Y);
    void Rvierkant1MouseMove(SceneElement& Sender, TShiftState Shift, int X, int Y);
    void rvierkant2MouseMove(SceneElement& Sender, TShiftState Shift, int X, int Y);
    void rvierkant3MouseMove(SceneElement& Sender, TShiftState Shift, int X, int Y);
    void rvierkant4MouseMove(SceneElement& Sender, TShiftState Shift, int X, int Y);
    void zround1MouseMove(SceneElement& Sender, TShiftState Shift, int X, int Y);

    // The check tick: the end of the game first, then the mover stages.
    void Timer3Timer(scene::TTimer& Sender);
    // The end tests: lives before time, so both at once end the game by lives.
    void CheckEndOfGame();
    // Stops the game, enters the score into the high-score file and shows the end screen with reason.
    void EndSequence(scene::TLabel& reason);

    // The clock, the status line and the shop offers.
    void Timer1Timer(scene::TTimer& Sender);
    void Timer4Timer(scene::TTimer& Sender);

    // Shop purchases and the sound switch.
    void Label2Click(SceneElement& Sender);
    void Label3Click(SceneElement& Sender);
    void Label5Click(SceneElement& Sender);
    void Label6Click(SceneElement& Sender);

    // The bonus round.
    void Label4Click(SceneElement& Sender);
    void Timer5Timer(scene::TTimer& Sender);
    void BONUS1Click(SceneElement& Sender);
    void Bonus2Click(SceneElement& Sender);
    void Bonus3Click(SceneElement& Sender);
    void Bonus4Click(SceneElement& Sender);
    void Bonus5Click(SceneElement& Sender);

    // The music loop.
    void MediaPlayer1Notify(sound::SoundChannel& Sender);
    void MediaPlayer2Notify(sound::SoundChannel& Sender);
    void MediaPlayer4Notify(sound::SoundChannel& Sender);

    // Pause: P, the Pause key or the window losing the focus puts a running game
    // aside under a cover; P, Pause or a click brings it back after a count.
    // It works on the loop (timers frozen, input held back, sounds held), so the
    // handlers above see the same events with or without a pause.
    enum class PausePhase { Running, Paused, Counting };
    PausePhase Pausing() const { return pausePhase_; }
    // The cover over the playfield; null until the first pause.
    scene::TLabel* PauseCover() const { return pauseCover_.get(); }

    // What the end sequence does with the high-score file: a replay shows the
    // table as it stands, and a check does not even read it.
    enum class ScoreFileUse { ReadWrite, ShowOnly, None };
    ScoreFileUse ScoresUse = ScoreFileUse::ReadWrite;
    // Called once the end screen shows, the game's record complete.
    std::function<void()> OnEndScreen;

    // Where "Try again!" starts the new copy; tests replace it.
    std::function<void(const std::string& programPath, const std::vector<std::string>& args)> StartProgram;

private:
    void ApplyLayout();
    void WireHandlers();
    void WireTouches();
    void ReadIntro();
    void BuildTiles();
    void ShowScoreAndLives();
    void ShowMoney();
    void ShowMoverStage();
    // Lays out and draws the clock's next time and score captions ahead, when the loop is idle.
    void ReadyClockCounts();
    // The status line's time and score.
    static std::string TimeCaption(int seconds);
    static std::string ScoreCaption(int score);

    // The clock's counts whose captions are readied ahead, low to high; none at first.
    struct ReadyCounts {
        int low = 1, high = 0;
        bool Holds(int n) const { return low <= n && n <= high; }
    };
    ReadyCounts timeReady, scoreReady;

    bool PauseGate(const scene::InputEvent& ev);
    bool GameRunning() const;
    void PauseGame();
    void StartResumeCount();
    void ResumeCountTimer(scene::TTimer& Sender);
    void ShowPauseCover(const std::string& text);
    PausePhase pausePhase_ = PausePhase::Running;
    int resumeCount_ = 0;
    std::unique_ptr<scene::TLabel> pauseCover_;
    std::unique_ptr<scene::TTimer> resumeTimer_;
};

// The tile field.
void ColourTilesAtStart(TForm1& form);
void EvolveTiles(TForm1& form);

}  // namespace layout
