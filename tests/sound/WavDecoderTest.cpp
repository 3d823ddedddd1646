// The WAV reader: every sample format it accepts decodes to the right values, and
// every broken file gives a WavError with its reason instead of a crash.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "WavFiles.h"
#include "sound/WavDecoder.h"

using sound::DecodeWav;
using sound::PcmSound;
using sound::WavError;
using soundtest::MakeWav;
using soundtest::WavFormat;

namespace {

const std::vector<double> kValues = {0.0, 0.5, -0.5, 0.25, -1.0, 0.75};

void ExpectSamples(const PcmSound& got, const std::vector<double>& want, double tolerance) {
    ASSERT_EQ(got.samples.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_NEAR(got.samples[i], want[i], tolerance) << "sample " << i;
    }
}

std::string DecodeError(const std::vector<std::uint8_t>& bytes) {
    try {
        DecodeWav(bytes);
    } catch (const WavError& e) {
        return e.what();
    }
    return "(decoded without error)";
}

struct FormatCase {
    const char* name;
    WavFormat format;
    double tolerance;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class SampleFormats : public testing::TestWithParam<FormatCase> {};

}  // namespace

TEST_P(SampleFormats, DecodeToTheWrittenValues) {
    const FormatCase& c = GetParam();
    const PcmSound sound = DecodeWav(MakeWav(c.format, kValues));
    EXPECT_EQ(sound.sampleRate, c.format.sampleRate);
    EXPECT_EQ(sound.channels, c.format.channels);
    EXPECT_EQ(sound.Frames(), static_cast<long>(kValues.size()) / c.format.channels);
    ExpectSamples(sound, kValues, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Wav, SampleFormats,
    testing::Values(FormatCase{"pcm8", {1, 1, 22050, 8, false, false}, 1.0 / 128},
                    FormatCase{"pcm16", {1, 1, 22050, 16, false, false}, 1e-6},
                    FormatCase{"pcm24", {1, 2, 44100, 24, false, false}, 1e-6},
                    FormatCase{"pcm32", {1, 1, 48000, 32, false, false}, 1e-6},
                    FormatCase{"float32", {3, 2, 22050, 32, false, false}, 0},
                    FormatCase{"float64", {3, 1, 11025, 64, false, false}, 0},
                    FormatCase{"extensible_pcm16", {1, 2, 44100, 16, true, false}, 1e-6},
                    FormatCase{"extensible_float32", {3, 1, 48000, 32, true, false}, 0},
                    FormatCase{"with_odd_list_chunk", {1, 1, 22050, 16, false, true}, 1e-6}),
    [](const testing::TestParamInfo<FormatCase>& p) { return std::string(p.param.name); });

TEST(WavDecoder, EightBitIsUnsignedAroundTheMiddle) {
    // Raw bytes 0x80 (silence), 0x00 (full negative), 0xC0 (half positive).
    std::vector<std::uint8_t> wav = MakeWav({1, 1, 22050, 8, false, false}, {0.0, 0.0, 0.0});
    const std::size_t data = wav.size() - 4;   // three bytes and a pad
    wav[data] = 0x80;
    wav[data + 1] = 0x00;
    wav[data + 2] = 0xC0;
    ExpectSamples(DecodeWav(wav), {0.0, -1.0, 0.5}, 0);
}

TEST(WavDecoder, FloatSamplesOutsideTheRangeAreClampedAndNanSilenced) {
    const PcmSound sound = DecodeWav(MakeWav({3, 1, 22050, 32, false, false}, {2.0, -3.0, std::nan("")}));
    ExpectSamples(sound, {1.0, -1.0, 0.0}, 0);
}

TEST(WavDecoder, BrokenFilesNameTheirReason) {
    const std::vector<std::uint8_t> good = MakeWav({}, kValues);
    EXPECT_EQ(DecodeError({}), "the file is empty");

    const std::string text = "This is a text file, not a sound.\r\n";
    EXPECT_EQ(DecodeError(std::vector<std::uint8_t>(text.begin(), text.end())), "not a RIFF/WAVE file");

    std::vector<std::uint8_t> avi = good;
    avi[8] = 'A', avi[9] = 'V', avi[10] = 'I', avi[11] = ' ';
    EXPECT_EQ(DecodeError(avi), "not a RIFF/WAVE file");

    // Cut inside the data: the header still claims all of it.
    std::vector<std::uint8_t> cut(good.begin(), good.end() - 5);
    EXPECT_EQ(DecodeError(cut), "truncated data: 7 of 12 bytes of sound");

    std::vector<std::uint8_t> headerOnly(good.begin(), good.begin() + 12);
    EXPECT_EQ(DecodeError(headerOnly), "truncated data: no format chunk");

    std::vector<std::uint8_t> noData(good.begin(), good.begin() + 36);
    EXPECT_EQ(DecodeError(noData), "truncated data: no data chunk");
}

TEST(WavDecoder, UnsupportedFormatsAreRefusedWithTheirDescription) {
    EXPECT_EQ(DecodeError(MakeWav({2, 1, 22050, 16, false, false}, kValues)),
              "unsupported sample format (format tag 2, 16 bits, 1 channels, 22050 Hz)");
    EXPECT_EQ(DecodeError(MakeWav({1, 1, 22050, 12, false, false}, {})),
              "unsupported sample format (format tag 1, 12 bits, 1 channels, 22050 Hz)");
    EXPECT_EQ(DecodeError(MakeWav({1, 1, 50, 16, false, false}, kValues)),
              "unsupported sample format (format tag 1, 16 bits, 1 channels, 50 Hz)");

    std::vector<std::uint8_t> noChannels = MakeWav({}, kValues);
    noChannels[22] = 0;   // channel count
    EXPECT_EQ(DecodeError(noChannels), "unsupported sample format (format tag 1, 16 bits, 0 channels, 22050 Hz)");

    std::vector<std::uint8_t> badAlign = MakeWav({}, kValues);
    badAlign[32] = 3;   // block align disagrees with 16-bit mono
    EXPECT_NE(DecodeError(badAlign).find("unsupported sample format"), std::string::npos);
}

TEST(WavDecoder, EmptyDataChunkIsNoSound) {
    EXPECT_EQ(DecodeError(MakeWav({}, {})), "no sound data: the data chunk is empty");
}

TEST(WavDecoder, TrailingHalfFrameIsIgnored) {
    std::vector<std::uint8_t> wav = MakeWav({1, 2, 22050, 16, false, false}, {0.5, -0.5, 0.25, -0.25});
    // Claim two bytes fewer: one whole frame and half of the next.
    const std::size_t sizeAt = wav.size() - 8 - 4;
    wav[sizeAt] = 6;
    const PcmSound sound = DecodeWav(wav);
    EXPECT_EQ(sound.Frames(), 1);
    ExpectSamples(sound, {0.5, -0.5}, 1e-6);
}

TEST(WavDecoder, EveryPrefixAndRandomDamageIsHandledWithoutCrashing) {
    const std::vector<std::uint8_t> good = MakeWav({1, 2, 22050, 24, true, true}, kValues);
    int decoded = 0;
    for (std::size_t n = 0; n < good.size(); ++n) {
        const std::vector<std::uint8_t> prefix(good.begin(), good.begin() + static_cast<long>(n));
        EXPECT_THROW(DecodeWav(prefix), WavError) << "prefix of " << n << " bytes";
    }
    std::mt19937 rng(1234);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> bad = good;
        for (int k = 0; k < 3; ++k) bad[rng() % bad.size()] = static_cast<std::uint8_t>(rng());
        try {
            const PcmSound sound = DecodeWav(bad);
            EXPECT_EQ(sound.samples.size(), static_cast<std::size_t>(sound.Frames() * sound.channels));
            for (float v : sound.samples) ASSERT_TRUE(v >= -1.0f && v <= 1.0f) << "got " << v;
            ++decoded;
        } catch (const WavError&) {
        }
    }
    EXPECT_GT(decoded, 0) << "expected some damage to hit only sample bytes";
}

TEST(WavFile, ReadingNamesTheReason) {
    soundtest::TempDir dir;
    EXPECT_THROW(
        {
            try {
                sound::LoadWavFile((dir.Path() / "missing.wav").string());
            } catch (const WavError& e) {
                EXPECT_STREQ(e.what(), "file not found");
                throw;
            }
        },
        WavError);
    EXPECT_THROW(
        {
            try {
                sound::LoadWavFile(dir.Path().string());
            } catch (const WavError& e) {
                EXPECT_STREQ(e.what(), "it is a folder, not a file");
                throw;
            }
        },
        WavError);
    const std::string good = dir.Write("good.wav", MakeWav({}, kValues));
    ExpectSamples(sound::LoadWavFile(good), kValues, 1e-6);
}

TEST(WavFile, TheGamesOwnSoundsAllDecode) {
    const char* assets = std::getenv("SWOOPY_ASSETS");
    if (!assets) GTEST_SKIP() << "SWOOPY_ASSETS is not set";
    for (const char* name : {"introsong.wav", "gamemusic.wav", "click.wav", "bonus.wav", "bonusclick.wav", "alarm.wav"}) {
        const PcmSound sound = sound::LoadWavFile(std::string(assets) + "/" + name);
        EXPECT_GT(sound.Frames(), 0) << name;
        EXPECT_GE(sound.sampleRate, 8000) << name;
    }
}
