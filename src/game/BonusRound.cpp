// The bonus round: a grey cover over the paused game, five shrinking pictures
// to click largest first, and its own music until the countdown runs out.
#include <array>
#include <cstdint>
#include <string>

#include "game/Random.h"
#include "layout/TForm1.h"

namespace layout {

namespace {

constexpr int kCountdownStep = 14;
constexpr int kRoundOver = 0;         // below it the round has ended
constexpr int kAftermathOver = -100;  // below it the message goes too
constexpr int kCountdownStart = 300;
constexpr int kWinPoints = 1000;
constexpr std::array<int, 5> kPictureSizes = {145, 113, 105, 89, 65};

// The loop switch goes to 0 before its piece stops, or the Stop's own
// notification would start the piece again.
void SwitchMusic(std::uint8_t& fromLoop, TMediaPlayer& from, std::uint8_t& toLoop, TMediaPlayer& to) {
    fromLoop = 0;
    from.Stop();
    from.SetNotify(true);
    toLoop = 1;
    to.Play();
    to.SetNotify(true);
}

std::array<scene::TImage*, 5> BonusPictures(TForm1& f) {
    return {&f.BONUS1, &f.Bonus2, &f.Bonus3, &f.Bonus4, &f.Bonus5};
}

enum class GameTimers { Paused, Running };

void SetGameTimers(TForm1& f, GameTimers state) {
    for (scene::TTimer* t : {&f.Timer1, &f.Timer2, &f.Timer3, &f.Timer4}) t->SetEnabled(state == GameTimers::Running);
}

// Back to the game, won or not; repeating it on later ticks changes nothing.
void EndBonusRound(TForm1& f) {
    SetGameTimers(f, GameTimers::Running);
    for (scene::TImage* picture : BonusPictures(f)) picture->SetVisible(false);
    f.BONUSgray.SetVisible(false);
    f.Label8.SetVisible(false);
    SwitchMusic(f.State.bonusMusicLoop, f.MediaPlayer4, f.State.musicLoop, f.MediaPlayer2);
}

// A picture counts only once the one before it is gone.
bool TakeBonusPicture(TForm1& f, scene::TImage& picture, const scene::TImage& before) {
    if (before.Visible()) return false;
    picture.SetVisible(false);
    f.MediaPlayer5.Play();
    return true;
}

}  // namespace

void TForm1::Label4Click(SceneElement& /*Sender*/) {
    MediaPlayer3.Play();
    Label8.SetVisible(true);
    State.money -= 50;

    const auto pictures = BonusPictures(*this);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        pictures[i]->SetHeight(kPictureSizes[i]);
        pictures[i]->SetWidth(kPictureSizes[i]);
    }
    SwitchMusic(State.musicLoop, MediaPlayer2, State.bonusMusicLoop, MediaPlayer4);
    for (scene::TImage* picture : pictures) {
        picture->SetLeft(game::Random(750));
        picture->SetTop(game::Random(350));
    }
    SetGameTimers(*this, GameTimers::Paused);
    Timer5.SetEnabled(true);
    for (scene::TImage* picture : pictures) picture->SetVisible(true);
    BONUSgray.SetVisible(true);
}

void TForm1::Timer5Timer(scene::TTimer& /*Sender*/) {
    State.bonusCountdown -= kCountdownStep;
    Label8.SetCaption(std::to_string(State.bonusCountdown));
    for (scene::TImage* picture : BonusPictures(*this)) {
        picture->SetHeight(picture->Height() - 1);
        picture->SetWidth(picture->Width() - 1);
    }
    if (State.bonusCountdown < kRoundOver) {
        EndBonusRound(*this);
        if (!BONUSgehaald.Visible()) NOBONUS.SetVisible(true);
    }
    if (State.bonusCountdown < kAftermathOver) {
        NOBONUS.SetVisible(false);
        BONUSgehaald.SetVisible(false);
        State.bonusCountdown = kCountdownStart;
        Timer5.SetEnabled(false);
    }
}

void TForm1::BONUS1Click(SceneElement& /*Sender*/) {
    BONUS1.SetVisible(false);
    MediaPlayer5.Play();
}
void TForm1::Bonus2Click(SceneElement& /*Sender*/) { TakeBonusPicture(*this, Bonus2, BONUS1); }
void TForm1::Bonus3Click(SceneElement& /*Sender*/) { TakeBonusPicture(*this, Bonus3, Bonus2); }
void TForm1::Bonus4Click(SceneElement& /*Sender*/) { TakeBonusPicture(*this, Bonus4, Bonus3); }

// The win ends the round at once; the countdown runs on to take the message away.
void TForm1::Bonus5Click(SceneElement& /*Sender*/) {
    if (!TakeBonusPicture(*this, Bonus5, Bonus4)) return;
    State.score += kWinPoints;
    BONUSgehaald.SetVisible(true);
    BONUSgray.SetVisible(false);
    EndBonusRound(*this);
}

}  // namespace layout
