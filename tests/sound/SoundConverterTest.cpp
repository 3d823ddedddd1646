// Bringing decoded sounds to the output's format: channel mapping and rate.
#include <gtest/gtest.h>

#include "sound/SoundConverter.h"

using sound::ConvertSound;
using sound::PcmSound;

namespace {

PcmSound Sound(int rate, int channels, std::vector<float> samples) {
    PcmSound s;
    s.sampleRate = rate;
    s.channels = channels;
    s.samples = std::move(samples);
    return s;
}

}  // namespace

TEST(SoundConverter, SameFormatKeepsEverySample) {
    const std::vector<float> in = {0.1f, -0.2f, 0.3f};
    EXPECT_EQ(ConvertSound(Sound(22050, 1, in), {22050, 1}), in);
}

TEST(SoundConverter, ChannelsAreSpreadOrFolded) {
    EXPECT_EQ(ConvertSound(Sound(22050, 1, {0.5f, -0.25f}), {22050, 2}),
              (std::vector<float>{0.5f, 0.5f, -0.25f, -0.25f}));
    EXPECT_EQ(ConvertSound(Sound(22050, 2, {0.5f, 0.25f, -1.0f, 0.0f}), {22050, 1}),
              (std::vector<float>{0.375f, -0.5f}));
    // Stereo into four outputs: left, right, left, right.
    EXPECT_EQ(ConvertSound(Sound(22050, 2, {0.5f, 0.25f}), {22050, 4}),
              (std::vector<float>{0.5f, 0.25f, 0.5f, 0.25f}));
}

TEST(SoundConverter, UpsamplingInterpolatesLinearly) {
    // Doubling the rate puts a midpoint between neighbours; the last frame holds.
    const std::vector<float> out = ConvertSound(Sound(11025, 1, {0.0f, 1.0f, 0.0f}), {22050, 1});
    const std::vector<float> want = {0.0f, 0.5f, 1.0f, 0.5f, 0.0f, 0.0f};
    ASSERT_EQ(out.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_FLOAT_EQ(out[i], want[i]) << "frame " << i;
}

TEST(SoundConverter, DownsamplingScalesTheLengthAndKeepsStereoApart) {
    std::vector<float> in;
    for (int f = 0; f < 441; ++f) {
        in.push_back(static_cast<float>(f) / 441.0f);
        in.push_back(-0.5f);
    }
    const std::vector<float> out = ConvertSound(Sound(44100, 2, in), {22050, 2});
    ASSERT_EQ(out.size(), 2u * 221) << "441 frames at half the rate round to 221";
    for (std::size_t f = 0; f < 220; ++f) {
        EXPECT_NEAR(out[2 * f], static_cast<float>(2 * f) / 441.0f, 1e-6) << "left, frame " << f;
        EXPECT_FLOAT_EQ(out[2 * f + 1], -0.5f) << "right, frame " << f;
    }
}

TEST(SoundConverter, AnOddRateRatioGivesTheRoundedLength) {
    const std::vector<float> out = ConvertSound(Sound(48000, 1, std::vector<float>(48000, 0.25f)), {22050, 1});
    EXPECT_EQ(out.size(), 22050u);
    for (float v : out) ASSERT_FLOAT_EQ(v, 0.25f);
    EXPECT_EQ(ConvertSound(Sound(48000, 1, {0.25f}), {22050, 1}).size(), 1u) << "a sound never shrinks to nothing";
}
