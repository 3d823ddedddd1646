// A channel's states and commands, its one-shot notification request, and the
// service rules it relies on, on a scripted audio output.
#include <gtest/gtest.h>

#include <algorithm>

#include "SoundRig.h"

using sound::EMCIDeviceError;
using sound::NotifyValue;
using sound::SoundChannel;
using soundtest::ConstantWav;
using soundtest::SoundRig;

namespace {

constexpr long kSong = 22050;  // one second at the output's rate
constexpr long kClick = 2205;
using Log = std::vector<std::pair<std::string, NotifyValue>>;

std::string ErrorOf(const std::function<void()>& command) {
    try {
        command();
    } catch (const EMCIDeviceError& e) {
        return e.what();
    }
    return "(no error)";
}

bool AllEqual(const std::vector<float>& v, float value) {
    return std::all_of(v.begin(), v.end(), [value](float x) { return x == value; });
}

class ChannelTest : public testing::Test {
protected:
    void SetUp() override {
        log.Attach(*song);
        log.Attach(*click);
    }
    // Plays the song to its end, notifications included.
    void PlayToEnd(SoundChannel& c) {
        c.Play();
        rig.RunFrames(c.Length() + SoundRig::kBlock);
        ASSERT_EQ(c.Position(), c.Length());
    }

    SoundRig rig;
    soundtest::NoticeLog log;
    std::unique_ptr<SoundChannel> song = rig.Channel("song", ConstantWav(kSong, 0.25));
    std::unique_ptr<SoundChannel> click = rig.Channel("click", ConstantWav(kClick, 0.5));
};

}  // namespace

// --- The states of a channel and what Play and Stop do in each.

TEST_F(ChannelTest, ClosedRefusesPlayAndStop) {
    SoundChannel closed(rig.Service(), "closed");
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_EQ(ErrorOf([&] { closed.Play(); }), "No MCI device open");
    EXPECT_EQ(ErrorOf([&] { closed.Stop(); }), "No MCI device open");
    song->Close();
    EXPECT_FALSE(song->IsOpen());
    EXPECT_EQ(ErrorOf([&] { song->Play(); }), "No MCI device open");
    EXPECT_EQ(ErrorOf([&] { song->Stop(); }), "No MCI device open");
    rig.RunPosted();
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(ChannelTest, AtTheStartStopChangesNothingAndPlayStartsFromTheBeginning) {
    EXPECT_EQ(song->Position(), 0);
    EXPECT_EQ(song->Length(), kSong);
    song->Stop();
    EXPECT_EQ(song->Position(), 0);
    EXPECT_FALSE(song->Playing());
    EXPECT_TRUE(AllEqual(rig.RunFrames(512), 0.0f)) << "a stopped channel is silent";

    song->Play();
    EXPECT_TRUE(song->Playing());
    EXPECT_TRUE(AllEqual(rig.RunFrames(512), 0.25f));
    EXPECT_EQ(song->Position(), 512);
}

TEST_F(ChannelTest, PlayingGoesOnThroughPlayAndStopsInMidPiece) {
    song->Play();
    rig.RunFrames(1024);
    song->Play();
    EXPECT_EQ(song->Position(), 1024) << "Play on a playing channel does not restart it";
    rig.RunFrames(256);
    EXPECT_EQ(song->Position(), 1280);
    song->Stop();
    EXPECT_FALSE(song->Playing());
    EXPECT_TRUE(AllEqual(rig.RunFrames(512), 0.0f)) << "Stop silences at once";
    EXPECT_EQ(song->Position(), 1280) << "Stop keeps the position";
}

TEST_F(ChannelTest, StoppedInMidPieceResumesFromTheStopPosition) {
    song->Play();
    rig.RunFrames(768);
    song->Stop();
    song->Stop();
    EXPECT_EQ(song->Position(), 768) << "a second Stop changes nothing";
    song->Play();
    EXPECT_EQ(song->Position(), 768);
    rig.RunFrames(256);
    EXPECT_EQ(song->Position(), 1024);
}

TEST_F(ChannelTest, AtTheEndStopChangesNothingAndPlayRewinds) {
    PlayToEnd(*song);
    EXPECT_FALSE(song->Playing());
    song->Stop();
    EXPECT_EQ(song->Position(), song->Length());
    song->Play();
    EXPECT_EQ(song->Position(), 0) << "Play at the end goes back to the start first";
    EXPECT_TRUE(AllEqual(rig.RunFrames(256), 0.25f));
    EXPECT_EQ(song->Position(), 256);
}

TEST_F(ChannelTest, WithoutAutoRewindPlayAtTheEndCompletesAtOnce) {
    song->AutoRewind = false;
    PlayToEnd(*song);
    log.entries.clear();
    song->Play();
    EXPECT_FALSE(song->Playing());
    rig.RunPosted();
    EXPECT_EQ(log.entries, (Log{{"song", NotifyValue::Successful}}));
    EXPECT_EQ(song->Position(), song->Length());
}

// --- The rules of the service.

TEST_F(ChannelTest, PlayOnAPlayingChannelSupersedesOrAbortsTheEarlierRequest) {
    song->Play();
    rig.RunFrames(256);
    song->Play();  // requests: the first Play's request is superseded
    song->SetNotify(false);
    song->Play();  // requests nothing: the second Play's request is aborted
    song->Play();  // requests again; this one reports the end
    rig.RunFrames(kSong);
    EXPECT_EQ(
        log.entries,
        (Log{{"song", NotifyValue::Superseded}, {"song", NotifyValue::Aborted}, {"song", NotifyValue::Successful}}));
}

TEST_F(ChannelTest, StopAbortsAPendingPlayAndReportsItsOwnSuccess) {
    song->Play();
    rig.RunFrames(256);
    song->SetNotify(true);
    song->Stop();
    rig.RunPosted();
    EXPECT_EQ(log.entries, (Log{{"song", NotifyValue::Aborted}, {"song", NotifyValue::Successful}}));

    // Also when nothing was playing at all.
    log.entries.clear();
    click->SetNotify(true);
    click->Stop();
    rig.RunPosted();
    EXPECT_EQ(log.entries, (Log{{"click", NotifyValue::Successful}}));
}

TEST_F(ChannelTest, PlaybackReachingTheEndReportsSuccessfulAtTheLength) {
    song->Play();
    const long beforeEnd = kSong / SoundRig::kBlock * SoundRig::kBlock;
    rig.RunFrames(beforeEnd);
    EXPECT_TRUE(log.entries.empty()) << "nothing before the end, position " << song->Position();
    rig.RunFrames(SoundRig::kBlock);
    EXPECT_EQ(log.entries, (Log{{"song", NotifyValue::Successful}}));
    EXPECT_EQ(song->Position(), song->Length());
    EXPECT_FALSE(song->Playing());
}

TEST_F(ChannelTest, OpenChannelsPlayTogetherEachWithItsOwnPosition) {
    song->Play();
    rig.RunFrames(512);
    click->Play();
    const std::vector<float> out = rig.RunFrames(kClick + 256);
    EXPECT_FLOAT_EQ(out[0], 0.75f) << "both sound at once";
    EXPECT_FLOAT_EQ(out.back(), 0.25f) << "the click has ended, the song goes on";
    EXPECT_EQ(click->Position(), kClick);
    EXPECT_EQ(song->Position(), 512 + static_cast<long>(out.size()));
}

// --- The one-shot request: armed by SetNotify, used by the next Open, Play or Stop.

TEST_F(ChannelTest, PlayRequestsUnlessArmedWithFalse) {
    song->SetNotify(false);
    PlayToEnd(*song);
    EXPECT_TRUE(log.entries.empty()) << "the armed false was used by the Play";
    EXPECT_FALSE(song->Notify());
    PlayToEnd(*song);
    EXPECT_EQ(log.entries, (Log{{"song", NotifyValue::Successful}})) << "unarmed, Play requests";
}

TEST_F(ChannelTest, StopRequestsOnlyWhenArmedWithTrue) {
    song->Stop();
    song->SetNotify(false);
    song->Stop();
    rig.RunPosted();
    EXPECT_TRUE(log.entries.empty());
    song->SetNotify(true);
    song->Stop();
    song->Stop();
    rig.RunPosted();
    EXPECT_EQ(log.entries, (Log{{"song", NotifyValue::Successful}})) << "the request serves one Stop only";
    EXPECT_TRUE(song->Notify()) << "the value stays, only the arming is used up";
}

TEST_F(ChannelTest, RewindPositionAndLengthLeaveTheRequestArmed) {
    song->SetNotify(true);
    song->Rewind();
    EXPECT_EQ(song->Position(), 0);
    EXPECT_EQ(song->Length(), kSong);
    song->Stop();
    rig.RunPosted();
    EXPECT_EQ(log.entries, (Log{{"song", NotifyValue::Successful}}));
}

TEST_F(ChannelTest, PlaysOwnRewindLeavesTheRequestForThePlay) {
    PlayToEnd(*song);
    log.entries.clear();
    song->SetNotify(false);
    song->Play();  // rewinds, then plays without a request
    EXPECT_EQ(song->Position(), 0);
    rig.RunFrames(kSong + SoundRig::kBlock);
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(ChannelTest, ArmingAgainOnlyChangesTheValue) {
    song->SetNotify(true);
    song->SetNotify(false);
    PlayToEnd(*song);
    EXPECT_TRUE(log.entries.empty()) << "the later value counts";
    song->SetNotify(true);
    song->SetNotify(true);
    song->Stop();
    song->Stop();
    rig.RunPosted();
    EXPECT_EQ(log.entries, (Log{{"song", NotifyValue::Successful}})) << "two armings are still one request";
}

TEST_F(ChannelTest, OpenUsesTheArmedRequest) {
    auto late = rig.Channel("late", ConstantWav(kClick, 0.5), SoundRig::Opening::Closed);
    log.Attach(*late);
    late->SetNotify(true);
    late->Open();
    EXPECT_TRUE(log.entries.empty()) << "not delivered inside Open";
    rig.RunPosted();
    EXPECT_EQ(log.entries, (Log{{"late", NotifyValue::Successful}}));
    late->Stop();
    rig.RunPosted();
    EXPECT_EQ(log.entries.size(), 1u) << "Open used the request up";

    auto other = rig.Channel("other", ConstantWav(kClick, 0.5), SoundRig::Opening::Closed);
    log.Attach(*other);
    other->SetNotify(false);
    other->Open();
    PlayToEnd(*other);
    EXPECT_EQ(log.entries.back(), (std::pair<std::string, NotifyValue>{"other", NotifyValue::Successful}))
        << "the false went to Open, so Play requested";
}

// --- Delivery: on the loop, in order, never inside a command.

TEST_F(ChannelTest, NotificationsArriveOnlyWhenTheLoopRunsAndInOrder) {
    song->Play();
    song->Play();
    song->SetNotify(true);
    song->Stop();
    click->SetNotify(true);
    click->Stop();
    EXPECT_TRUE(log.entries.empty()) << "nothing is delivered inside Play or Stop";
    EXPECT_EQ(rig.PostedCount(), 4);
    rig.RunPosted();
    EXPECT_EQ(log.entries, (Log{{"song", NotifyValue::Superseded},
                                {"song", NotifyValue::Aborted},
                                {"song", NotifyValue::Successful},
                                {"click", NotifyValue::Successful}}));
}

TEST_F(ChannelTest, AHandlerIsNeverEnteredFromItsOwnCommands) {
    int depth = 0, deepest = 0, calls = 0;
    song->OnNotify = [&](SoundChannel& sender) {
        ++depth;
        deepest = std::max(deepest, depth);
        if (++calls < 5) {
            sender.SetNotify(true);
            sender.Stop();  // its Successful comes later, from the loop
        }
        --depth;
    };
    song->SetNotify(true);
    song->Stop();
    rig.RunPosted();
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(deepest, 1);
}

TEST_F(ChannelTest, OutcomesOfSeveralChannelsComeInTheOrderTheyArose) {
    song->Play();
    click->Play();
    rig.RunFrames(kClick + SoundRig::kBlock);
    song->SetNotify(true);
    song->Stop();
    rig.RunPosted();
    EXPECT_EQ(
        log.entries,
        (Log{{"click", NotifyValue::Successful}, {"song", NotifyValue::Aborted}, {"song", NotifyValue::Successful}}));
}

TEST_F(ChannelTest, ClosingSilencesAndDropsEverythingUndelivered) {
    song->Play();
    song->Play();  // a Superseded is now waiting in the loop
    click->Play();
    song.reset();
    click->Close();
    const std::vector<float> out = rig.RunFrames(kSong + SoundRig::kBlock);
    EXPECT_TRUE(AllEqual(out, 0.0f));
    EXPECT_TRUE(log.entries.empty());
}

// --- Opening.

TEST_F(ChannelTest, OpenFailuresNameTheFileAndReasonAndLeaveTheChannelClosed) {
    const std::vector<std::uint8_t> good = ConstantWav(100, 0.5);
    struct Case {
        std::string file;
        std::vector<std::uint8_t> bytes;
        std::string reason;
    };
    const std::string text = "Hello, I am not a sound.\r\n";
    const std::vector<Case> cases = {
        {"empty.wav", {}, "the file is empty"},
        {"text.wav", std::vector<std::uint8_t>(text.begin(), text.end()), "not a WAV file"},
        {"cut.wav", std::vector<std::uint8_t>(good.begin(), good.end() - 50),
         "truncated: the file holds 194 of the 244 bytes its chunks declare"},
    };
    for (const Case& c : cases) {
        SoundChannel channel(rig.Service(), c.file);
        channel.FileName = rig.Dir().Write(c.file, c.bytes);
        EXPECT_EQ(ErrorOf([&] { channel.Open(); }), "Cannot open sound file \"" + channel.FileName + "\": " + c.reason);
        EXPECT_FALSE(channel.IsOpen()) << c.file;
        EXPECT_EQ(ErrorOf([&] { channel.Play(); }), "No MCI device open") << c.file;
    }
    SoundChannel missing(rig.Service(), "missing");
    missing.FileName = (rig.Dir().Path() / "missing.wav").string();
    EXPECT_EQ(ErrorOf([&] { missing.Open(); }), "Cannot open sound file \"" + missing.FileName + "\": file not found");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(ErrorOf([&] { missing.Stop(); }), "No MCI device open");
}

TEST_F(ChannelTest, AFailureWithoutTextIsAnUnknownErrorCode) {
    EXPECT_EQ(sound::DeviceErrorText(""), "Unknown error code");
    EXPECT_EQ(sound::DeviceErrorText("Cannot open sound file \"x.wav\": file not found"),
              "Cannot open sound file \"x.wav\": file not found");
}

TEST_F(ChannelTest, OpeningAgainClosesFirstAndStartsAtTheBeginning) {
    song->Play();
    rig.RunFrames(512);
    song->Open();
    EXPECT_TRUE(song->IsOpen());
    EXPECT_EQ(song->Position(), 0);
    EXPECT_FALSE(song->Playing());
    rig.RunFrames(kSong + SoundRig::kBlock);
    EXPECT_TRUE(log.entries.empty()) << "the old Play's request went with the old file";
}

TEST(SoundChannelFormat, SoundsAreConvertedToTheOutputsFormat) {
    SoundRig rig({44100, 2});
    auto song = rig.Channel("song", ConstantWav(kSong, 0.25));
    EXPECT_EQ(song->Length(), 2 * kSong) << "lengths count frames of the output";
    song->Play();
    const std::vector<float> out = rig.RunFrames(512);
    ASSERT_EQ(out.size(), 1024u);
    // Past the rate converter's run-in the level is the file's, the same on both sides.
    for (std::size_t i = 128; i < out.size(); ++i) ASSERT_NEAR(out[i], 0.25f, 1e-3) << "sample " << i;
    for (std::size_t i = 0; i < out.size(); i += 2) ASSERT_EQ(out[i], out[i + 1]) << "frame " << i / 2;
    EXPECT_EQ(rig.Platform().AudioOutputsOpened(), 1) << "one output for the service";
}

TEST(SoundChannelFiles, NamesWithABackslashAreFoundInTheWorkingFolder) {
    EXPECT_EQ(sound::NativePath(".\\introsong.wav"), "./introsong.wav");
    SoundRig rig;
    rig.Dir().Write("click.wav", ConstantWav(kClick, 0.5));
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(rig.Dir().Path());
    SoundChannel click(rig.Service(), "click");
    click.FileName = ".\\click.wav";
    EXPECT_EQ(ErrorOf([&] { click.Open(); }), "(no error)");
    SoundChannel other(rig.Service(), "other");
    other.FileName = ".\\bonus.wav";
    EXPECT_EQ(ErrorOf([&] { other.Open(); }), "Cannot open sound file \".\\bonus.wav\": file not found");
    std::filesystem::current_path(previous);
    EXPECT_TRUE(click.IsOpen());
}

TEST_F(ChannelTest, SeekAndStatusNeedAnOpenChannelToo) {
    song->Close();
    EXPECT_EQ(ErrorOf([&] { song->Rewind(); }), "No MCI device open");
    EXPECT_EQ(ErrorOf([&] { song->Position(); }), "No MCI device open");
    EXPECT_EQ(ErrorOf([&] { song->Length(); }), "No MCI device open");
    song->Close();  // closing twice is harmless
    EXPECT_FALSE(song->IsOpen());
}
