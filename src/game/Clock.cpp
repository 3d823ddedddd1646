// The one-second clock, the status line under the playfield with the lives
// counter above it, and the shop offers that the coins allow.
#include <algorithm>
#include <string>

#include "layout/TForm1.h"
#include "scene/Application.h"

namespace layout {

namespace {

// The red squares come in on this clock second; the count stops one further on.
constexpr int kRedsAtSecond = 8;
constexpr int kRedDelayStop = 9;

// An offer shows only while the coins are strictly more than its price.
struct Offer {
    scene::TLabel TForm1::*label;
    int price;
};
constexpr Offer kOffers[] = {
    {&TForm1::Label2, 30},   // "Time 30 $"
    {&TForm1::Label3, 20},   // "No-red 20 $"
    {&TForm1::Label4, 50},   // "Bonus 50$"
    {&TForm1::Label5, 80},   // "+1 life 80 $"
};

std::string TimeCaption(int seconds) { return "Time:  " + std::to_string(seconds) + " s"; }
std::string ScoreCaption(int score) { return "Score: " + std::to_string(score); }

}  // namespace

void TForm1::Timer1Timer(scene::TTimer& /*Sender*/) {
    Label7.SetCaption(TimeCaption(State.timeLeft));
    State.timeLeft -= 1;
    State.score += 1;
    if (State.redDelay < kRedDelayStop) State.redDelay += 1;
    if (State.redDelay == kRedsAtSecond)
        for (scene::TShape* red : {&Rvierkant1, &rvierkant2, &rvierkant3, &rvierkant4}) red->SetVisible(true);
    ReadyClockCounts();
}

// Each second shows a new time and a new score. A caption drawn a second after
// the last text costs a millisecond or more, the text library's code and data
// gone from the caches by then, so the next few of each are laid out and drawn
// into the text cache in one go while the loop is idle: one cold start in eight
// seconds rather than two a second. A catch or a bought minute leaves the run;
// the next second readies a new one.
void TForm1::ReadyClockCounts() {
    constexpr int kAhead = 8;
    const int time = State.timeLeft;   // the next second shows it; below zero the game is over
    const int score = State.score;     // shown at the next beat, then one more a second
    if (time < 0) return;
    const bool readyTime = !timeReady.Holds(time);
    const bool readyScore = !scoreReady.Holds(score + 1);
    if (readyTime) timeReady = {std::max(0, time - kAhead + 1), time};
    if (readyScore) scoreReady = {score, score + kAhead - 1};
    const scene::Form* owner = this;   // the form drops the steps when it goes
    for (int i = 0; i < kAhead; ++i) {
        if (readyTime && time - i >= 0)
            App().PostWhenIdle([this, n = time - i] { Label7.PrepareCaption(TimeCaption(n)); }, owner);
        if (readyScore)
            App().PostWhenIdle([this, n = score + i] { FINALSCORE.PrepareCaption(ScoreCaption(n)); }, owner);
    }
}

void TForm1::ShowScoreAndLives() {
    FINALSCORE.SetCaption(ScoreCaption(State.score));
    Lives.SetCaption("Lives: " + std::to_string(State.lives));
}

void TForm1::ShowMoney() { Label1.SetCaption("Money: " + std::to_string(State.money) + " $"); }

void TForm1::Timer4Timer(scene::TTimer& /*Sender*/) {
    for (const Offer& offer : kOffers) (this->*offer.label).SetVisible(State.money > offer.price);
}

}  // namespace layout
