// The one-second clock, the status line under the playfield with the lives
// counter above it, and the shop offers that the coins allow.
#include <string>

#include "layout/TForm1.h"

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
    {&TForm1::Label2, 30},  // "Time 30 $"
    {&TForm1::Label3, 20},  // "No-red 20 $"
    {&TForm1::Label4, 50},  // "Bonus 50$"
    {&TForm1::Label5, 80},  // "+1 life 80 $"
};

}  // namespace

std::string TForm1::TimeCaption(int seconds) { return "Time:  " + std::to_string(seconds) + " s"; }
std::string TForm1::ScoreCaption(int score) { return "Score: " + std::to_string(score); }

void TForm1::Timer1Timer(scene::TTimer& /*Sender*/) {
    Label7.SetCaption(TimeCaption(State.timeLeft));
    State.timeLeft -= 1;
    State.score += 1;
    if (State.redDelay < kRedDelayStop) State.redDelay += 1;
    if (State.redDelay == kRedsAtSecond)
        for (scene::TShape* red : {&Rvierkant1, &rvierkant2, &rvierkant3, &rvierkant4}) red->SetVisible(true);
    ReadyClockCounts();
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
