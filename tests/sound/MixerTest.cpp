// The mixer as the audio output drives it: sums, clipping, positions, and the
// outcomes it reports for each command.
#include <gtest/gtest.h>

#include <utility>

#include "sound/Mixer.h"

using sound::Mixer;
using sound::NotifyRequest;
using sound::NotifyValue;

namespace {

using Notice = std::pair<Mixer::VoiceId, NotifyValue>;

// A share of full scale as a sample; the tests use shares that 16 bits hold exactly.
sound::Sample S(float v) { return static_cast<sound::Sample>(v * 32768.0f); }

class MixerTest : public testing::Test {
protected:
    Mixer mixer{1, [this](Mixer::VoiceId id, NotifyValue v) { notices.emplace_back(id, v); }};
    std::vector<Notice> notices;

    std::vector<float> Render(int frames) {
        std::vector<float> out(static_cast<std::size_t>(frames) * mixer.Channels(), 99.0f);
        mixer.Render(out.data(), frames);
        return out;
    }
    Mixer::VoiceId Constant(long frames, float value) {
        return mixer.Add(sound::Samples(static_cast<std::size_t>(frames), S(value)));
    }
};

// i / 128 at frame i.
sound::Samples Ramp(int n) {
    sound::Samples v;
    for (int i = 0; i < n; ++i) v.push_back(static_cast<sound::Sample>(i * 256));
    return v;
}

}  // namespace

TEST_F(MixerTest, SilenceWhenNothingPlays) {
    Constant(100, 0.5f);
    EXPECT_EQ(Render(4), std::vector<float>(4, 0.0f));
}

TEST_F(MixerTest, TwoPlayingVoicesAreSummed) {
    const auto a = mixer.Add(Ramp(10));
    const auto b = Constant(10, 0.25f);
    mixer.Play(a, NotifyRequest::None);
    mixer.Play(b, NotifyRequest::None);
    const std::vector<float> out = Render(4);
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(out[i], i / 128.0f + 0.25f) << "frame " << i;
}

TEST_F(MixerTest, TheSumIsClippedToPlusMinusOne) {
    const auto a = mixer.Add({S(0.75f), S(-0.75f), S(0.5f)});
    const auto b = mixer.Add({S(0.75f), S(-0.75f), S(0.25f)});
    mixer.Play(a, NotifyRequest::None);
    mixer.Play(b, NotifyRequest::None);
    EXPECT_EQ(Render(3), (std::vector<float>{1.0f, -1.0f, 0.75f}));
}

TEST_F(MixerTest, StereoVoicesMixFrameByFrame) {
    Mixer stereo(2);
    const auto v = stereo.Add({S(0.125f), S(0.25f), S(0.375f), S(0.5f)});
    EXPECT_EQ(stereo.Length(v), 2);
    stereo.Play(v, NotifyRequest::None);
    std::vector<float> out(6, 9.0f);
    stereo.Render(out.data(), 3);
    EXPECT_EQ(out, (std::vector<float>{0.125f, 0.25f, 0.375f, 0.5f, 0.0f, 0.0f}));
}

TEST_F(MixerTest, PlaybackEndsAtTheLengthAndReportsOnce) {
    const auto v = Constant(10, 0.5f);
    mixer.Play(v, NotifyRequest::Requested);
    Render(6);
    EXPECT_EQ(mixer.Position(v), 6);
    EXPECT_TRUE(notices.empty());
    const std::vector<float> out = Render(6);
    EXPECT_EQ(out, (std::vector<float>{0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.0f})) << "silence after the end";
    EXPECT_EQ(mixer.Position(v), mixer.Length(v));
    EXPECT_FALSE(mixer.Playing(v));
    EXPECT_EQ(notices, (std::vector<Notice>{{v, NotifyValue::Successful}}));
    Render(10);
    EXPECT_EQ(notices.size(), 1u);
}

TEST_F(MixerTest, EndWithoutRequestStaysSilent) {
    const auto v = Constant(3, 0.5f);
    mixer.Play(v, NotifyRequest::None);
    Render(8);
    EXPECT_EQ(mixer.Position(v), 3);
    EXPECT_TRUE(notices.empty());
}

TEST_F(MixerTest, StopKeepsThePositionAndPlayResumesThere) {
    const auto v = mixer.Add(Ramp(10));
    mixer.Play(v, NotifyRequest::None);
    Render(4);
    mixer.Stop(v, NotifyRequest::None);
    EXPECT_EQ(mixer.Position(v), 4);
    EXPECT_EQ(Render(2), (std::vector<float>{0.0f, 0.0f}));
    mixer.Play(v, NotifyRequest::None);
    const std::vector<float> out = Render(2);
    EXPECT_FLOAT_EQ(out[0], 4 / 128.0f);
    EXPECT_FLOAT_EQ(out[1], 5 / 128.0f);
}

TEST_F(MixerTest, HeldVoicesKeepTheirPlaceAndNeitherSoundNorEndUntilTheyGoOn) {
    const auto v = mixer.Add(Ramp(10));
    mixer.Play(v, NotifyRequest::Requested);
    Render(7);
    mixer.SetHeld(true);
    EXPECT_TRUE(mixer.Held());
    EXPECT_EQ(Render(50), std::vector<float>(50, 0.0f));
    EXPECT_EQ(mixer.Position(v), 7);
    EXPECT_TRUE(mixer.Playing(v));
    EXPECT_TRUE(notices.empty()) << "a held sound does not end";
    mixer.SetHeld(false);
    const std::vector<float> out = Render(4);
    EXPECT_FLOAT_EQ(out[0], 7 / 128.0f);
    EXPECT_FLOAT_EQ(out[2], 9 / 128.0f);
    EXPECT_EQ(out[3], 0.0f);
    EXPECT_EQ(notices, (std::vector<Notice>{{v, NotifyValue::Successful}}));
}

TEST_F(MixerTest, PlayOnAPlayingVoiceGoesOnAndEndsTheEarlierRequest) {
    const auto v = mixer.Add(Ramp(10));
    mixer.Play(v, NotifyRequest::Requested);
    Render(3);
    mixer.Play(v, NotifyRequest::Requested);
    EXPECT_EQ(mixer.Position(v), 3) << "no restart";
    mixer.Play(v, NotifyRequest::None);
    EXPECT_FLOAT_EQ(Render(1)[0], 3 / 128.0f);
    mixer.Play(v, NotifyRequest::Requested);
    Render(20);
    EXPECT_EQ(notices, (std::vector<Notice>{
                           {v, NotifyValue::Superseded}, {v, NotifyValue::Aborted}, {v, NotifyValue::Successful}}));
}

TEST_F(MixerTest, StopAbortsAPendingPlayThenReportsItsOwnSuccess) {
    const auto v = Constant(10, 0.1f);
    mixer.Play(v, NotifyRequest::Requested);
    Render(2);
    mixer.Stop(v, NotifyRequest::Requested);
    EXPECT_EQ(notices, (std::vector<Notice>{{v, NotifyValue::Aborted}, {v, NotifyValue::Successful}}));
    mixer.Stop(v, NotifyRequest::Requested);
    EXPECT_EQ(notices.size(), 3u) << "a requested Stop reports even when nothing plays";
    EXPECT_EQ(notices.back(), (Notice{v, NotifyValue::Successful}));
    mixer.Stop(v, NotifyRequest::None);
    EXPECT_EQ(notices.size(), 3u);
}

TEST_F(MixerTest, PlayAtTheEndCompletesAtOnce) {
    const auto v = Constant(2, 0.1f);
    mixer.Play(v, NotifyRequest::None);
    Render(4);
    mixer.Play(v, NotifyRequest::Requested);
    EXPECT_FALSE(mixer.Playing(v));
    EXPECT_EQ(notices, (std::vector<Notice>{{v, NotifyValue::Successful}}));
}

TEST_F(MixerTest, SeekStopsAndGoesToTheFrame) {
    const auto v = mixer.Add(Ramp(10));
    mixer.Play(v, NotifyRequest::Requested);
    Render(5);
    mixer.Seek(v, 0);
    EXPECT_FALSE(mixer.Playing(v));
    EXPECT_EQ(mixer.Position(v), 0);
    EXPECT_EQ(notices, (std::vector<Notice>{{v, NotifyValue::Aborted}}));
    mixer.Seek(v, 50);
    EXPECT_EQ(mixer.Position(v), 10) << "clamped to the length";
}

TEST_F(MixerTest, RemovedAndUnknownVoicesAreRefusedQuietly) {
    const auto v = Constant(10, 0.5f);
    mixer.Play(v, NotifyRequest::Requested);
    mixer.Remove(v);
    EXPECT_EQ(Render(4), std::vector<float>(4, 0.0f));
    EXPECT_FALSE(mixer.Play(v, NotifyRequest::Requested));
    EXPECT_FALSE(mixer.Stop(v, NotifyRequest::Requested));
    EXPECT_EQ(mixer.Length(v), 0);
    EXPECT_TRUE(notices.empty()) << "removal drops the pending request without a notice";
    EXPECT_NE(Constant(1, 0.0f), v) << "ids are not reused";
}

TEST_F(MixerTest, ChannelCountIsFixedOnceSoundsAreHeld) {
    Mixer fresh;
    fresh.SetChannels(2);
    EXPECT_EQ(fresh.Channels(), 2);
    fresh.Add({0, 0});
    EXPECT_THROW(fresh.SetChannels(1), std::logic_error);
    EXPECT_THROW(fresh.SetChannels(0), std::invalid_argument);
}
