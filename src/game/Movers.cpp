// The nine movers: a jittering step on every movement tick, back in at the far
// edge on a new lane and with a new size once they leave, what touching each one
// does, and which of them the count of black squares touched lets in.
#include <iterator>

#include "game/Random.h"
#include "layout/TForm1.h"

namespace layout {

using game::Random;
using game::Reseed;
using scene::TShape;

namespace {

enum class Heading { Right, Down, Up, Left };

struct MoverRule {
    TShape TForm1::*shape;
    Heading heading;
    int stepRange, stepMin;  // step = Random(stepRange) + stepMin, drawn anew every tick
    int leaveBeyond;         // it leaves once its coordinate is strictly past this
    int entry;               // and comes back in here
    int sizeRange;           // size = Random(sizeRange) + kSizeMin
};

// Horizontal movers draw a new Top as their lane, vertical ones a new Left.
constexpr int kLaneTopRange = 350;
constexpr int kLaneLeftRange = 750;
constexpr int kLaneMin = 100;
constexpr int kSizeMin = 25;
// A touched circle waits far above the window, so it stays away for long.
constexpr int kTouchedCircleTop = -5050;

using enum Heading;
constexpr MoverRule kMovers[] = {
    // clang-format off
    // shape               heading  step    leaves  entry   size
    {&TForm1::Zvierkant1,  Right,   8, 4,   900,    -80,   50},
    {&TForm1::zvierkant2,  Down,    5, 4,   600,    -80,   50},
    {&TForm1::zvierkant3,  Up,      5, 4,   -80,    700,   50},
    {&TForm1::zvierkant4,  Left,    4, 4,   -50,    900,   50},
    {&TForm1::Rvierkant1,  Left,    4, 4,   -50,    900,   50},
    {&TForm1::rvierkant2,  Right,   8, 4,   900,    -80,   50},
    {&TForm1::rvierkant3,  Down,    5, 4,   600,    -80,   50},
    {&TForm1::rvierkant4,  Up,      5, 4,   -80,    700,   50},
    {&TForm1::zround1,     Down,    5, 7,   600,  -1500,   10},
    // clang-format on
};
// Rows of the table above.
enum MoverIndex {
    kZvierkant1,
    kZvierkant2,
    kZvierkant3,
    kZvierkant4,
    kRvierkant1,
    kRvierkant2,
    kRvierkant3,
    kRvierkant4,
    kZround1,
};

bool Horizontal(Heading h) { return h == Right || h == Left; }
bool Forward(Heading h) { return h == Right || h == Down; }

// Puts the mover at `entry` along its way, on a random lane, with a new random size.
void PutBack(TForm1& form, const MoverRule& m, int entry) {
    TShape& shape = form.*m.shape;
    if (Horizontal(m.heading)) {
        shape.SetLeft(entry);
        shape.SetTop(Random(kLaneTopRange) + kLaneMin);
    } else {
        shape.SetTop(entry);
        shape.SetLeft(Random(kLaneLeftRange) + kLaneMin);
    }
    shape.SetHeight(Random(m.sizeRange) + kSizeMin);
    shape.SetWidth(shape.Height());
}

void Step(TForm1& form, const MoverRule& m) {
    TShape& shape = form.*m.shape;
    const int step = Random(m.stepRange) + m.stepMin;
    const int signedStep = Forward(m.heading) ? step : -step;
    int position = 0;
    if (Horizontal(m.heading)) {
        position = shape.Left() + signedStep;
        shape.SetLeft(position);
    } else {
        position = shape.Top() + signedStep;
        shape.SetTop(position);
    }
    const bool left = Forward(m.heading) ? position > m.leaveBeyond : position < m.leaveBeyond;
    if (left) {
        Reseed();
        PutBack(form, m, m.entry);
    }
}

void BlackSquareTouch(TForm1& form, MoverIndex mover, int points) {
    PutBack(form, kMovers[mover], kMovers[mover].entry);
    form.State.money += 1;
    form.State.hits += 1;
    form.State.score += points;
    form.MediaPlayer3.Play();
    EvolveTiles(form);
}

void RedSquareTouch(TForm1& form, MoverIndex mover) {
    form.State.lives -= 1;
    form.MediaPlayer6.Play();
    Reseed();
    PutBack(form, kMovers[mover], kMovers[mover].entry);
}

// The stages of play by hits, strictly between the bounds; any other count changes nothing.
constexpr TShape TForm1::*kStaged[] = {&TForm1::Rvierkant1, &TForm1::rvierkant2, &TForm1::rvierkant3,
                                       &TForm1::rvierkant4, &TForm1::Zvierkant1, &TForm1::zvierkant2,
                                       &TForm1::zvierkant3, &TForm1::zround1};
constexpr bool kIn = true, kOut = false;
struct MoverStage {
    int above, below;
    bool shown[std::size(kStaged)];
};
constexpr MoverStage kStages[] = {
    // clang-format off
    //          Rvierkant1  rvierkant2  rvierkant3  rvierkant4  Zvierkant1  zvierkant2  zvierkant3  zround1
    { 5, 10, {  kIn,        kOut,       kOut,       kOut,       kIn,        kOut,       kOut,       kOut}},
    {10, 15, {  kIn,        kIn,        kOut,       kOut,       kIn,        kIn,        kOut,       kOut}},
    {15, 20, {  kIn,        kIn,        kIn,        kIn,        kIn,        kIn,        kIn,        kIn }},
    // clang-format on
};

}  // namespace

void TForm1::Timer2Timer(scene::TTimer& /*Sender*/) {
    ShowScoreAndLives();
    for (const MoverRule& m : kMovers) Step(*this, m);
    ShowMoney();
}

void TForm1::Zvierkant1MouseMove(SceneElement&, TShiftState, int, int) { BlackSquareTouch(*this, kZvierkant1, 11); }
void TForm1::zvierkant2MouseMove(SceneElement&, TShiftState, int, int) { BlackSquareTouch(*this, kZvierkant2, 17); }
void TForm1::zvierkant3MouseMove(SceneElement&, TShiftState, int, int) { BlackSquareTouch(*this, kZvierkant3, 12); }
void TForm1::zvierkant4MouseMove(SceneElement&, TShiftState, int, int) { BlackSquareTouch(*this, kZvierkant4, 9); }
void TForm1::Rvierkant1MouseMove(SceneElement&, TShiftState, int, int) { RedSquareTouch(*this, kRvierkant1); }
void TForm1::rvierkant2MouseMove(SceneElement&, TShiftState, int, int) { RedSquareTouch(*this, kRvierkant2); }
void TForm1::rvierkant3MouseMove(SceneElement&, TShiftState, int, int) { RedSquareTouch(*this, kRvierkant3); }
void TForm1::rvierkant4MouseMove(SceneElement&, TShiftState, int, int) { RedSquareTouch(*this, kRvierkant4); }

void TForm1::zround1MouseMove(SceneElement&, TShiftState, int, int) {
    Reseed();
    PutBack(*this, kMovers[kZround1], kTouchedCircleTop);
    State.money += 5;
    State.score += 43;
    MediaPlayer3.Play();
}

void TForm1::ShowMoverStage() {
    for (const MoverStage& stage : kStages) {
        if (!(State.hits > stage.above && State.hits < stage.below)) continue;
        for (std::size_t i = 0; i < std::size(kStaged); ++i) (this->*kStaged[i]).SetVisible(stage.shown[i]);
    }
}

}  // namespace layout
