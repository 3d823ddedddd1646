// The music loops as the game runs them: the window's own notification handlers,
// the create handler's and Start's sound steps, on the headless platform's clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/GameHarness.h"
#include "sound/SoundChannel.h"

namespace {

using gametest::GameHarness;
using gametest::PlayFolder;
using sound::NotifyValue;
using Notices = std::vector<NotifyValue>;

constexpr long kIntroFrames = 2205;  // 100 ms at the headless output's rate
constexpr long kGameFrames = 4410;   // 200 ms
constexpr long kBonusFrames = 1103;  // 50 ms

// The play folder with pieces of different lengths.
class MusicFolder : public PlayFolder {
public:
    MusicFolder() : PlayFolder(std::string("hi\r\n"), kIntroFrames) {
        WriteWav("gamemusic.wav", kGameFrames);
        WriteWav("bonus.wav", kBonusFrames);
    }
    void WriteWav(const std::string& name, long frames) {
        const std::vector<std::uint8_t> wav = soundtest::ConstantWav(frames, 0.03);
        Write(name, std::string(wav.begin(), wav.end()));
    }
};

// Records every notification a channel receives, then lets the window's own
// handler take it as before.
Notices& Watch(layout::TMediaPlayer& player, Notices& log) {
    sound::SoundChannel& channel = player.Channel();
    channel.OnNotify = [&log, handler = channel.OnNotify](sound::SoundChannel& sender) {
        log.push_back(sender.GetNotifyValue());
        if (handler) handler(sender);
    };
    return log;
}

// Types a name and presses Start, as the player does.
void PressStart(GameHarness& game) {
    game.platform.Click(760, 140);
    game.platform.Type("x");
    game.platform.Click(785, 176);
    game.app.RunFor(0);
}

TEST(MusicLoop, TheIntroSongStartsAgainFromItsBeginningAfterEachEnd) {
    MusicFolder folder;
    GameHarness game;
    auto& f = game.Start();
    sound::SoundChannel& intro = f.MediaPlayer1.Channel();
    Notices notices;
    std::vector<long> restartedAt;
    intro.OnNotify = [&, handler = intro.OnNotify](sound::SoundChannel& sender) {
        notices.push_back(sender.GetNotifyValue());
        EXPECT_EQ(sender.Position(), sender.Length()) << "a Successful end leaves the song at its end";
        handler(sender);
        restartedAt.push_back(sender.Position());
    };
    game.app.RunFor(350);  // three ends of a 100 ms song
    EXPECT_EQ(notices, (Notices{NotifyValue::Successful, NotifyValue::Successful, NotifyValue::Successful}));
    EXPECT_EQ(restartedAt, (std::vector<long>{0, 0, 0}));
    EXPECT_TRUE(intro.Playing());
}

// Each looping channel's handler plays its piece again after a Successful end
// exactly while its own switch is 1; the other switch means nothing to it.
TEST(MusicLoop, EachHandlerFollowsItsOwnSwitch) {
    struct Case {
        const char* player;
        std::uint8_t musicLoop, bonusMusicLoop;
        bool loops;
    };
    const Case cases[] = {
        {"MediaPlayer1", 1, 0, true},  {"MediaPlayer1", 0, 1, false}, {"MediaPlayer2", 1, 0, true},
        {"MediaPlayer2", 0, 1, false}, {"MediaPlayer4", 0, 1, true},  {"MediaPlayer4", 1, 0, false},
    };
    for (const Case& c : cases) {
        MusicFolder folder;
        GameHarness game;
        auto& f = game.Start();
        auto& player = dynamic_cast<layout::TMediaPlayer&>(*f.FindElement(c.player));
        Notices notices;
        Watch(player, notices);
        f.State.musicLoop = c.musicLoop;
        f.State.bonusMusicLoop = c.bonusMusicLoop;
        if (!player.Channel().Playing()) player.Play();
        game.app.RunFor(250);  // past the end of every piece
        const std::string what = std::string(c.player) + " with musicLoop " + std::to_string(c.musicLoop) +
                                 " and bonusMusicLoop " + std::to_string(c.bonusMusicLoop);
        ASSERT_FALSE(notices.empty()) << what << ": no end was reported";
        EXPECT_EQ(notices.front(), NotifyValue::Successful) << what;
        EXPECT_EQ(player.Channel().Playing(), c.loops) << what;
    }
}

// A request cut short (Superseded, Aborted) starts nothing again, even with the
// channel's switch on; the end of play that follows does. Should a handler answer
// every notice with a Play, each Play would supersede the one before: the switch
// goes off after ten notices, so such a fault shows as a long log, not a hang.
TEST(MusicLoop, OnlyASuccessfulEndPlaysThePieceAgain) {
    for (const char* name : {"MediaPlayer1", "MediaPlayer2", "MediaPlayer4"}) {
        MusicFolder folder;
        GameHarness game;
        auto& f = game.Start();
        auto& player = dynamic_cast<layout::TMediaPlayer&>(*f.FindElement(name));
        const bool bonus = player.Name() == "MediaPlayer4";
        std::uint8_t& loopSwitch = bonus ? f.State.bonusMusicLoop : f.State.musicLoop;
        f.State.musicLoop = bonus ? 0 : 1;
        f.State.bonusMusicLoop = bonus ? 1 : 0;
        sound::SoundChannel& channel = player.Channel();
        Notices notices;
        channel.OnNotify = [&, handler = channel.OnNotify](sound::SoundChannel& sender) {
            notices.push_back(sender.GetNotifyValue());
            if (notices.size() > 10) loopSwitch = 0;
            handler(sender);
        };
        player.Play();
        game.app.RunFor(0);
        notices.clear();

        player.Play();  // the first request ends Superseded; the piece goes on
        player.Stop();  // the second ends Aborted; the Stop itself asks nothing
        game.app.RunFor(0);
        EXPECT_EQ(notices, (Notices{NotifyValue::Superseded, NotifyValue::Aborted})) << name;
        EXPECT_FALSE(channel.Playing()) << name << ": expected it stopped, got it playing again";

        player.Play();  // on to its end, where it starts again
        game.app.RunFor(250);
        ASSERT_GE(notices.size(), 3u) << name << ": no end was reported";
        EXPECT_EQ(notices[2], NotifyValue::Successful) << name;
        EXPECT_TRUE(channel.Playing()) << name << ": expected it started again after its end";
    }
}

// Start stops the intro song with Notify armed by whoever played it last (the
// create handler in the song's first round, the loop handler later), so the Stop
// reports Successful, which the loop handler ignores with musicLoop at 0. Start
// arms Notify again for the intro song's next command.
TEST(MusicLoop, StartStopsTheIntroSongAndLeavesItsNotifyArmed) {
    struct Case {
        double beforeStartMs;
        Notices expected;
    };
    const Case cases[] = {
        {0, {NotifyValue::Aborted, NotifyValue::Successful}},
        {150, {NotifyValue::Successful, NotifyValue::Aborted, NotifyValue::Successful}},
    };
    for (const Case& c : cases) {
        MusicFolder folder;
        GameHarness game;
        auto& f = game.Start();
        Notices notices;
        Watch(f.MediaPlayer1, notices);
        game.app.RunFor(c.beforeStartMs);
        PressStart(game);
        ASSERT_FALSE(f.Memo1.Visible()) << "Start was not pressed";
        const long stoppedAt = f.MediaPlayer1.Channel().Position();
        game.app.RunFor(50);
        const std::string when = "Start after " + std::to_string(c.beforeStartMs) + " ms";
        EXPECT_EQ(notices, c.expected) << when;
        EXPECT_FALSE(f.MediaPlayer1.Channel().Playing()) << when;
        EXPECT_EQ(f.MediaPlayer1.Channel().Position(), stoppedAt) << when;
        EXPECT_TRUE(f.MediaPlayer2.Channel().Playing()) << when << ": the game music plays";

        notices.clear();
        f.MediaPlayer1.Stop();  // as the sound switch does
        game.app.RunFor(0);
        EXPECT_EQ(notices, Notices{NotifyValue::Successful}) << when << ": Start armed Notify for the next Stop";
    }
}

TEST(MusicLoop, AStopWhileTheIntroLoopsIsFollowedByAPlayFromWhereItStopped) {
    MusicFolder folder;
    GameHarness game;
    auto& f = game.Start();
    game.app.RunFor(150);  // into the second round: the loop handler armed Notify again
    const long before = f.MediaPlayer1.Channel().Position();
    ASSERT_GT(before, 0);
    f.MediaPlayer1.Stop();
    game.app.RunFor(0);
    EXPECT_TRUE(f.MediaPlayer1.Channel().Playing()) << "the loop handler played it on";
    EXPECT_EQ(f.MediaPlayer1.Channel().Position(), before) << "from where it stopped, not from the start";
}

}  // namespace
