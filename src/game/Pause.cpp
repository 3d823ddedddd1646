// Pause: a running game put aside under a cover and brought back after a short
// count. It acts on the loop, not in the rules' handlers: the game's timers
// freeze, its sounds hold and input stops at the gate, so the game goes on
// afterwards exactly as if there had been no pause.
#include <memory>
#include <string>

#include "layout/TForm1.h"
#include "scene/Application.h"
#include "sound/SoundService.h"

namespace layout {

namespace {

using scene::EventKind;
using scene::InputEvent;

// The playfield, left of the status line, lives and shop; the cover hides all
// of it so a pause cannot be used to study where the squares are.
constexpr scene::TRect kPlayfield{0, 0, 888, 512};
// 3, 2, 1 over a second and a half: time to put the pointer where it is wanted.
constexpr int kCountFrom = 3;
constexpr unsigned kCountStepMs = 500;
// Windows-1252, as every caption: 0x97 is the em dash.
constexpr char kPausedText[] = "Paused \x97 press P or click to go on";

bool IsPauseKey(const InputEvent& ev, bool typing) {
    if (ev.kind != EventKind::KeyDown || ev.repeat) return false;
    if (ev.key == scene::kPause) return true;
    return ev.key == 'p' && (ev.mods & (scene::kmCtrl | scene::kmAlt)) == 0 && !typing;
}

// The window's own keys (full screen) go on working; they reach no handler.
bool IsWindowKey(const InputEvent& ev) {
    return ev.kind == EventKind::KeyDown &&
           (ev.key == scene::kF11 || (ev.key == scene::kReturn && ev.mods == scene::kmAlt));
}

// What the player does, as against what the window system reports.
bool IsPlayerInput(const InputEvent& ev) {
    switch (ev.kind) {
        case EventKind::MouseMove:
        case EventKind::MouseDown:
        case EventKind::MouseUp:
        case EventKind::KeyUp:
        case EventKind::TextInput:
        case EventKind::PointerLeft: return true;
        case EventKind::KeyDown: return !IsWindowKey(ev);
        default: return false;
    }
}

}  // namespace

bool TForm1::GameRunning() const {
    for (const scene::TTimer* t : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5})
        if (t->Enabled()) return true;
    return false;
}

bool TForm1::PauseGate(const InputEvent& ev) {
    const bool typing = FocusedControl() && FocusedControl()->TakesCharacters();
    switch (pausePhase_) {
        case PausePhase::Running:
            if (!GameRunning()) return false;
            // The window still drops its pointer capture when the focus goes.
            if (ev.kind == EventKind::FocusLost) PauseGame();
            if (!IsPauseKey(ev, typing)) return false;
            PauseGame();
            return true;
        case PausePhase::Paused:
            if (IsPauseKey(ev, typing) || ev.kind == EventKind::MouseDown) StartResumeCount();
            return IsPlayerInput(ev);
        case PausePhase::Counting:
            if (ev.kind == EventKind::FocusLost) PauseGame();
            return IsPlayerInput(ev);
    }
    return false;
}

void TForm1::PauseGame() {
    pausePhase_ = PausePhase::Paused;
    if (resumeTimer_) resumeTimer_->SetEnabled(false);
    App().FreezeTimers();
    Sounds.HoldAll();
    ShowPauseCover(kPausedText);
}

void TForm1::StartResumeCount() {
    pausePhase_ = PausePhase::Counting;
    resumeCount_ = kCountFrom;
    ShowPauseCover(std::to_string(resumeCount_));
    if (!resumeTimer_) {
        resumeTimer_ = std::make_unique<scene::TTimer>(*this, "ResumeCount");
        resumeTimer_->SetEnabled(false);
        resumeTimer_->SetFreezing(scene::WhenFrozen::Runs);
        resumeTimer_->SetInterval(kCountStepMs);
        resumeTimer_->SetOnTimer([this](scene::TTimer& Sender) { ResumeCountTimer(Sender); });
    }
    // Off and on: the count's first step is a whole step away from now.
    resumeTimer_->SetEnabled(false);
    resumeTimer_->SetEnabled(true);
}

void TForm1::ResumeCountTimer(scene::TTimer& Sender) {
    if (--resumeCount_ > 0) {
        ShowPauseCover(std::to_string(resumeCount_));
        return;
    }
    Sender.SetEnabled(false);
    pauseCover_->SetVisible(false);
    pausePhase_ = PausePhase::Running;
    Sounds.GoOnAll();
    App().ThawTimers();
}

void TForm1::ShowPauseCover(const std::string& text) {
    if (!pauseCover_) {
        pauseCover_ = std::make_unique<scene::TLabel>(*this, "PauseCover");
        scene::TLabel& cover = *pauseCover_;
        cover.SetVisible(false);
        cover.SetAutoSize(false);
        cover.SetBounds(kPlayfield.Left, kPlayfield.Top, kPlayfield.Width, kPlayfield.Height);
        cover.SetTransparent(false);
        cover.SetColor(scene::clBlack);
        cover.SetFont(scene::TFont{"Trebuchet MS", -32, scene::fsBold, scene::clWhite, scene::ANSI_CHARSET});
        cover.SetAlignment(scene::TAlignment::taCenter);
        cover.SetLayout(scene::TTextLayout::tlCenter);
        cover.SetWordWrap(true);
    }
    pauseCover_->SetCaption(text);
    // Squares and tiles made since the last pause lie above it otherwise.
    BringToFront(*pauseCover_);
    pauseCover_->SetVisible(true);
}

}  // namespace layout
