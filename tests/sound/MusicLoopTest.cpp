// The music loop as the game builds it from channel notifications: a handler that
// plays the piece again after a Successful outcome while its loop switch is 1,
// then arms Notify, and the game's sequences of Play, Stop and SetNotify around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "SoundRig.h"

using sound::NotifyValue;
using sound::SoundChannel;
using soundtest::ConstantWav;
using soundtest::SoundRig;

namespace {

constexpr long kIntro = 22050;   // 1 s
constexpr long kGame = 11025;    // 0.5 s
constexpr long kBonus = 5512;    // 0.25 s
constexpr long kClick = 2205;
using Log = std::vector<std::pair<std::string, NotifyValue>>;

// The game's loop handler, as written for each looping channel.
void MusicLoopNotify(SoundChannel& sender, std::uint8_t loopSwitch) {
    if (sender.GetNotifyValue() == NotifyValue::Successful && loopSwitch == 1) {
        sender.Play();
        sender.SetNotify(true);
    }
}

long CountOf(const std::vector<float>& v, float value) {
    return static_cast<long>(std::count(v.begin(), v.end(), value));
}

class MusicLoopTest : public testing::Test {
protected:
    void SetUp() override {
        Loop(*intro, musicLoop);
        Loop(*game, musicLoop);
        Loop(*bonus, bonusMusicLoop);
    }
    void Loop(SoundChannel& c, const std::uint8_t& loopSwitch) {
        c.OnNotify = [this, &loopSwitch](SoundChannel& sender) {
            log.emplace_back(sender.Name(), sender.GetNotifyValue());
            MusicLoopNotify(sender, loopSwitch);
        };
    }
    long Successes(const std::string& name) const {
        return std::count(log.begin(), log.end(), std::pair<std::string, NotifyValue>{name, NotifyValue::Successful});
    }
    // The create handler's sound steps.
    void FormCreate() {
        musicLoop = 1;
        intro->Play();
        intro->SetNotify(true);
    }
    // Start's sound steps.
    void Start() {
        musicLoop = 0;
        intro->Stop();
        intro->SetNotify(true);
        game->Play();
    }
    void BonusRoundStart() {
        musicLoop = 0;
        game->Stop();
        game->SetNotify(true);
        bonusMusicLoop = 1;
        bonus->Play();
        bonus->SetNotify(true);
    }
    void BonusRoundEnd() {
        bonusMusicLoop = 0;
        bonus->Stop();
        bonus->SetNotify(true);
        musicLoop = 1;
        game->Play();
        game->SetNotify(true);
    }

    SoundRig rig;
    std::uint8_t musicLoop = 1;
    std::uint8_t bonusMusicLoop = 0;
    Log log;
    std::unique_ptr<SoundChannel> intro = rig.Channel("intro", ConstantWav(kIntro, 0.25));
    std::unique_ptr<SoundChannel> game = rig.Channel("game", ConstantWav(kGame, 0.125));
    std::unique_ptr<SoundChannel> bonus = rig.Channel("bonus", ConstantWav(kBonus, 0.0625));
    std::unique_ptr<SoundChannel> click = rig.Channel("click", ConstantWav(kClick, 0.5));
};

}  // namespace

TEST_F(MusicLoopTest, TheIntroRepeatsFromItsStartWhileTheSwitchIsOne) {
    std::vector<long> restartedAt;
    intro->OnNotify = [&](SoundChannel& sender) {
        log.emplace_back(sender.Name(), sender.GetNotifyValue());
        EXPECT_EQ(sender.Position(), sender.Length()) << "a Successful end leaves the piece at its end";
        MusicLoopNotify(sender, musicLoop);
        restartedAt.push_back(sender.Position());
    };
    FormCreate();
    const std::vector<float> out = rig.RunFrames(kIntro * 7 / 2);
    EXPECT_EQ(Successes("intro"), 3);
    EXPECT_EQ(restartedAt, (std::vector<long>{0, 0, 0}));
    EXPECT_TRUE(intro->Playing());
    // Between two rounds there is at most one block of silence.
    EXPECT_GE(CountOf(out, 0.25f), static_cast<long>(out.size()) - 3 * SoundRig::kBlock);
}

TEST_F(MusicLoopTest, WithTheSwitchAtZeroAPiecePlaysOnceAndFallsSilent) {
    musicLoop = 0;
    game->Play();
    const std::vector<float> out = rig.RunFrames(2 * kGame);
    EXPECT_EQ(log, (Log{{"game", NotifyValue::Successful}}));
    EXPECT_FALSE(game->Playing());
    EXPECT_EQ(game->Position(), game->Length());
    EXPECT_EQ(CountOf(out, 0.125f), kGame);
}

TEST_F(MusicLoopTest, StartStopsTheIntroWhereItIsAndPlaysTheGameMusicOnce) {
    FormCreate();
    rig.RunFrames(kIntro + kIntro / 2);   // into the second round
    ASSERT_EQ(Successes("intro"), 1);
    Start();
    const long stoppedAt = intro->Position();
    const std::vector<float> out = rig.RunFrames(3 * kGame);
    EXPECT_EQ(log, (Log{{"intro", NotifyValue::Successful},
                        {"intro", NotifyValue::Aborted},
                        {"intro", NotifyValue::Successful},   // Start's Stop found Notify armed
                        {"game", NotifyValue::Successful}}));
    EXPECT_FALSE(intro->Playing()) << "the Stop's Successful does not loop with the switch at 0";
    EXPECT_EQ(intro->Position(), stoppedAt);
    EXPECT_FALSE(game->Playing());
    EXPECT_EQ(CountOf(out, 0.125f), kGame) << "the game music sounds once, alone";
    EXPECT_EQ(CountOf(out, 0.0f), static_cast<long>(out.size()) - kGame);

    // The sound switch later plays the intro again: it resumes where Start stopped it.
    intro->Play();
    EXPECT_EQ(intro->Position(), stoppedAt);
    rig.RunFrames(SoundRig::kBlock);
    EXPECT_EQ(intro->Position(), stoppedAt + SoundRig::kBlock);
}

TEST_F(MusicLoopTest, AStopFindingNotifyArmedTruePlaysALoopingPieceOnAtOnce) {
    FormCreate();
    rig.RunFrames(kIntro + 2048);   // one round ended, so the handler armed Notify again
    const long before = intro->Position();
    intro->Stop();                  // the sound switch's stopping click
    rig.RunPosted();
    EXPECT_TRUE(intro->Playing()) << "the loop handler played it on";
    EXPECT_EQ(intro->Position(), before) << "from where it stopped, not from the start";
    EXPECT_EQ(log.back(), (std::pair<std::string, NotifyValue>{"intro", NotifyValue::Successful}));
}

TEST_F(MusicLoopTest, AStopWithTheSwitchAtZeroStaysStopped) {
    FormCreate();
    rig.RunFrames(kIntro + 2048);
    musicLoop = 0;
    intro->Stop();
    rig.RunFrames(kIntro);
    EXPECT_FALSE(intro->Playing());
}

TEST_F(MusicLoopTest, OutcomesOtherThanSuccessfulDoNotRestart) {
    FormCreate();
    rig.RunFrames(4096);
    intro->Play();   // the first Play's request ends Superseded
    rig.RunPosted();
    intro->Stop();   // unarmed: the second Play's request ends Aborted, the Stop asks nothing
    rig.RunFrames(kIntro);
    EXPECT_EQ(log, (Log{{"intro", NotifyValue::Superseded}, {"intro", NotifyValue::Aborted}}));
    EXPECT_FALSE(intro->Playing()) << "the handler ignored both";
}

TEST_F(MusicLoopTest, ASecondTouchDoesNotRestartTheClickButALaterOneDoes) {
    click->Play();
    rig.RunFrames(512);
    click->Play();
    EXPECT_EQ(click->Position(), 512);
    std::vector<float> out = rig.RunFrames(kClick);
    EXPECT_EQ(CountOf(out, 0.5f), kClick - 512) << "the rest of the click, once";
    EXPECT_EQ(click->Position(), click->Length());
    click->Play();
    EXPECT_EQ(click->Position(), 0);
    out = rig.RunFrames(kClick + SoundRig::kBlock);
    EXPECT_EQ(CountOf(out, 0.5f), kClick) << "the whole click again";
}

TEST_F(MusicLoopTest, ABonusRoundLoopsItsMusicAndThenTheGameMusicLoopsOnFromItsStop) {
    FormCreate();
    Start();
    rig.RunFrames(kGame / 2);
    BonusRoundStart();
    const long gameStoppedAt = game->Position();
    EXPECT_GT(gameStoppedAt, 0);
    rig.RunFrames(3 * kBonus);
    EXPECT_GE(Successes("bonus"), 2) << "the bonus music loops";
    EXPECT_TRUE(bonus->Playing());
    EXPECT_EQ(game->Position(), gameStoppedAt);

    // Buying the round again: the bonus music goes on without a restart.
    const long bonusAt = bonus->Position();
    BonusRoundStart();
    EXPECT_EQ(bonus->Position(), bonusAt);
    rig.RunPosted();
    EXPECT_FALSE(game->Playing()) << "the game music's Successful is ignored with musicLoop at 0";

    BonusRoundEnd();
    EXPECT_EQ(game->Position(), gameStoppedAt) << "the game music resumes where the round stopped it";
    const long bonusStoppedAt = bonus->Position();
    for (int tick = 0; tick < 3; ++tick) {   // the aftermath repeats the end steps
        rig.RunFrames(SoundRig::kBlock);
        BonusRoundEnd();
    }
    rig.RunFrames(2 * kGame);
    EXPECT_FALSE(bonus->Playing());
    EXPECT_EQ(bonus->Position(), bonusStoppedAt);
    EXPECT_TRUE(game->Playing());
    EXPECT_GE(Successes("game"), 2) << "the game music now loops";
}

TEST_F(MusicLoopTest, AtTheEndOfAGameAfterABonusRoundBothMusicsSoundTogether) {
    musicLoop = 1;
    game->Play();
    game->SetNotify(true);
    rig.RunFrames(kGame + 1024);   // looping, Notify armed by the handler
    intro->Play();
    game->Stop();                  // reports Successful: the handler plays it on
    click->Stop();
    const std::vector<float> out = rig.RunFrames(4096);
    EXPECT_TRUE(game->Playing());
    EXPECT_TRUE(intro->Playing());
    EXPECT_FLOAT_EQ(out.back(), 0.375f) << "intro and game music mixed";
}
