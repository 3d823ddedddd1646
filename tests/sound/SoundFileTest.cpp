// Reading a player's WAV file into the output's format: every kind of WAV file
// decodes to the written sound, the rate converter neither loses the tone nor
// adds images or aliases, and every damaged, cut-off or foreign file is refused
// with its reason instead of crashing, hanging or playing half a sound.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iterator>
#include <numbers>
#include <random>
#include <thread>

#include "WavFiles.h"
#include "sound/SoundFile.h"

using sound::LoadSound;
using sound::SoundFileError;
using soundtest::MakeWav;
using soundtest::TempDir;
using soundtest::WavFormat;

namespace {

// Frame f of a test sound: a 441 Hz tone on the left, a quieter 882 Hz one on the right.
double Tone(long f, int channel, int rate) {
    const double t = static_cast<double>(f) / rate;
    return channel == 0 ? 0.5 * std::sin(2 * std::numbers::pi * 441 * t)
                        : -0.25 * std::sin(2 * std::numbers::pi * 882 * t);
}

std::vector<double> ToneSamples(long frames, int channels, int rate) {
    std::vector<double> s;
    for (long f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) s.push_back(Tone(f, c, rate));
    }
    return s;
}

std::vector<double> Sine(long frames, double hz, int rate) {
    std::vector<double> s;
    for (long f = 0; f < frames; ++f) s.push_back(0.5 * std::sin(2 * std::numbers::pi * hz * f / rate));
    return s;
}

// Written by libsndfile itself, for the encodings our own writer does not know.
std::string WriteEncoded(const TempDir& dir, const std::string& name, int format, int rate, int channels,
                         const std::vector<double>& samples) {
    const std::string path = (dir.Path() / name).string();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << name << ": " << sf_strerror(nullptr);
    if (file == nullptr) return path;
    sf_writef_double(file, samples.data(), static_cast<sf_count_t>(samples.size()) / channels);
    sf_close(file);
    return path;
}

std::string ErrorOf(const std::string& path, scene::AudioFormat format = {22050, 1}) {
    try {
        LoadSound(path, format);
    } catch (const SoundFileError& e) {
        return e.what();
    }
    return "(decoded without error)";
}

// Samples as shares of full scale.
std::vector<float> Floats(const sound::Samples& s) {
    std::vector<float> v;
    for (const sound::Sample x : s) v.push_back(static_cast<float>(x) * sound::kSampleScale);
    return v;
}

// Amplitude of the hz component of a mono signal (Goertzel over whole samples).
double Amplitude(const std::vector<float>& s, double hz, int rate) {
    const double w = 2 * std::numbers::pi * hz / rate;
    double re = 0;
    double im = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        re += s[i] * std::cos(w * static_cast<double>(i));
        im += s[i] * std::sin(w * static_cast<double>(i));
    }
    return 2 * std::hypot(re, im) / static_cast<double>(s.size());
}

// The middle of a converted sound, clear of the converter's run-in at both ends.
std::vector<float> Middle(const std::vector<float>& s, std::size_t length) {
    const std::size_t start = (s.size() - length) / 2;
    return std::vector<float>(s.begin() + static_cast<long>(start), s.begin() + static_cast<long>(start + length));
}

struct Kind {
    const char* name;
    int sndfileFormat;  // 0: our own writer, with `own`
    WavFormat own;
    int channels;
    // Of the RMS difference. Kinds deeper than 16 bits are kept at 16, rounded to
    // the nearest step (0.9e-5 off on average; cut off, they would be 1.8e-5 off).
    double tolerance;
};

void PrintTo(const Kind& k, std::ostream* os) { *os << k.name; }

class EveryKindOfWav : public testing::TestWithParam<Kind> {};

}  // namespace

TEST_P(EveryKindOfWav, DecodesToTheWrittenSound) {
    const Kind& k = GetParam();
    constexpr int kRate = 22050;
    constexpr long kFrames = 2205;
    TempDir dir;
    const std::vector<double> written = ToneSamples(kFrames, k.channels, kRate);
    WavFormat own = k.own;
    own.channels = k.channels;
    own.sampleRate = kRate;
    const std::string path = k.sndfileFormat ? WriteEncoded(dir, "s.wav", k.sndfileFormat, kRate, k.channels, written)
                                             : dir.Write("s.wav", MakeWav(own, written));
    const std::vector<float> got = Floats(LoadSound(path, {kRate, k.channels}));
    // ADPCM fills up its last block.
    ASSERT_GE(got.size(), written.size());
    ASSERT_LE(got.size(), written.size() + 4096u * k.channels);
    double sum = 0;
    for (std::size_t i = 0; i < written.size(); ++i) sum += (got[i] - written[i]) * (got[i] - written[i]);
    EXPECT_LE(std::sqrt(sum / static_cast<double>(written.size())), k.tolerance)
        << "RMS difference from the written sound";
}

INSTANTIATE_TEST_SUITE_P(Wav, EveryKindOfWav,
                         testing::Values(Kind{"pcm8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, {}, 1, 0.006},
                                         Kind{"pcm16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, {}, 2, 3e-5},
                                         Kind{"pcm24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, {}, 2, 1.2e-5},
                                         Kind{"pcm32", SF_FORMAT_WAV | SF_FORMAT_PCM_32, {}, 1, 1.2e-5},
                                         Kind{"float", SF_FORMAT_WAV | SF_FORMAT_FLOAT, {}, 2, 1.2e-5},
                                         Kind{"double", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, {}, 1, 1.2e-5},
                                         Kind{"alaw", SF_FORMAT_WAV | SF_FORMAT_ALAW, {}, 1, 0.006},
                                         Kind{"ulaw", SF_FORMAT_WAV | SF_FORMAT_ULAW, {}, 2, 0.006},
                                         Kind{"ima_adpcm", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, {}, 1, 0.02},
                                         Kind{"ms_adpcm", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, {}, 2, 0.005},
                                         Kind{"extensible_pcm16", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, {}, 2, 3e-5},
                                         Kind{"extensible_float", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, {}, 1, 1.2e-5},
                                         // Headers written byte by byte, not by the library that reads them.
                                         Kind{"own_pcm8", 0, {1, 1, 0, 8, false, false}, 1, 0.006},
                                         Kind{"own_pcm24_odd_list_chunk", 0, {1, 1, 0, 24, false, true}, 2, 1.2e-5},
                                         Kind{"own_extensible_pcm16", 0, {1, 1, 0, 16, true, false}, 2, 3e-5},
                                         Kind{"own_extensible_float", 0, {3, 1, 0, 32, true, false}, 1, 1.2e-5}),
                         [](const testing::TestParamInfo<Kind>& p) { return std::string(p.param.name); });

TEST(SoundFile, FloatSamplesOutsideTheRangeAreClampedAndNanSilenced) {
    TempDir dir;
    const WavFormat floats[] = {
        {3, 1, 22050, 32, false, false}, {3, 1, 22050, 64, false, false}, {3, 1, 22050, 32, true, false}};
    for (const WavFormat& format : floats) {
        SCOPED_TRACE(testing::Message() << format.bits << " bits, extensible " << format.extensible);
        const std::string path = dir.Write("f.wav", MakeWav(format, {2.0, -3.0, std::nan(""), 0.5}));
        EXPECT_EQ(LoadSound(path, {22050, 1}), (sound::Samples{32767, -32768, 0, 16384}));
    }
}

TEST(SoundFile, ChannelsAreSpreadOrFolded) {
    TempDir dir;
    const std::string mono = dir.Write("m.wav", MakeWav({3, 1, 22050, 32, false, false}, {0.5, -0.25}));
    const std::string stereo = dir.Write("s.wav", MakeWav({3, 2, 22050, 32, false, false}, {0.5, 0.25, -1.0, 0.0}));
    EXPECT_EQ(LoadSound(mono, {22050, 2}), (sound::Samples{16384, 16384, -8192, -8192}));
    EXPECT_EQ(LoadSound(stereo, {22050, 1}), (sound::Samples{12288, -16384}));
    EXPECT_EQ(LoadSound(stereo, {22050, 4}), (sound::Samples{16384, 8192, 16384, 8192, -32768, 0, -32768, 0}));
}

TEST(SoundFile, ConvertedLengthsFollowTheRateRatio) {
    TempDir dir;
    const std::string second = dir.Write("a.wav", soundtest::ConstantWav(22050, 0.25));
    EXPECT_EQ(LoadSound(second, {44100, 2}).size(), 2u * 44100);
    const std::string fast = dir.Write("b.wav", soundtest::ConstantWav(48000, 0.25, 48000));
    const std::vector<float> slow = Floats(LoadSound(fast, {22050, 1}));
    ASSERT_EQ(slow.size(), 22050u);
    for (float v : Middle(slow, 20000)) ASSERT_NEAR(v, 0.25f, 1e-3);
    const std::string one = dir.Write("c.wav", soundtest::ConstantWav(1, 0.25, 48000));
    EXPECT_EQ(LoadSound(one, {22050, 1}).size(), 1u) << "a sound never shrinks to nothing";
}

TEST(SoundFile, RateConversionKeepsTheToneWithoutImagesOrAliases) {
    TempDir dir;
    // Up: a 6 kHz tone at 22 050 Hz leaves an image at 16 050 Hz when interpolated
    // linearly (a tenth of the tone); the sinc converter must keep it 60 dB down.
    const std::vector<float> up =
        Floats(LoadSound(dir.Write("up.wav", MakeWav({}, Sine(22050, 6000, 22050))), {48000, 1}));
    const std::vector<float> upMiddle = Middle(up, 40000);
    EXPECT_NEAR(Amplitude(upMiddle, 6000, 48000), 0.5, 0.01);
    EXPECT_LT(Amplitude(upMiddle, 16050, 48000), 0.0005);
    // Down: a 15 kHz tone cannot exist at 22 050 Hz; dropped samples would fold it
    // to 7 050 Hz at full strength. A 5 kHz tone in the same file must pass.
    std::vector<double> both = Sine(44100, 15000, 44100);
    const std::vector<double> low = Sine(44100, 5000, 44100);
    for (std::size_t i = 0; i < both.size(); ++i) both[i] += low[i];
    const std::vector<float> down =
        Floats(LoadSound(dir.Write("down.wav", MakeWav({3, 1, 44100, 32, false, false}, both)), {22050, 1}));
    const std::vector<float> downMiddle = Middle(down, 20000);
    EXPECT_NEAR(Amplitude(downMiddle, 5000, 22050), 0.5, 0.01);
    EXPECT_LT(Amplitude(downMiddle, 7050, 22050), 0.0005);
}

TEST(SoundFile, DamagedCutOffAndForeignFilesAreRefusedWithTheirReason) {
    TempDir dir;
    const std::vector<std::uint8_t> good = soundtest::ConstantWav(100, 0.5);  // 44-byte header, 200 bytes of sound
    auto patched = [&](std::size_t at, std::vector<std::uint8_t> bytes) {
        std::vector<std::uint8_t> b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
        return b;
    };
    auto cut = [&](std::size_t n) {
        return std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(n));
    };
    // Two hundred small chunks between the format and the sound, the sound cut short.
    std::vector<std::uint8_t> manyChunks(good.begin(), good.begin() + 36);
    for (int i = 0; i < 200; ++i) manyChunks.insert(manyChunks.end(), {'j', 'u', 'n', 'k', 2, 0, 0, 0, 'a', 'b'});
    manyChunks.insert(manyChunks.end(), good.begin() + 36, good.end() - 50);
    std::vector<std::uint8_t> oddNoPad = MakeWav({1, 1, 22050, 8, false, false}, {0.5, 0.25, 0.0});
    oddNoPad.pop_back();
    const std::string text = "This is a text file, not a sound.\r\n";
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"empty", {}, "the file is empty"},
        {"text", std::vector<std::uint8_t>(text.begin(), text.end()), "not a WAV file"},
        {"riff_header_only", cut(12), "Error in WAV file. No 'data' chunk marker."},
        {"cut_in_the_format", cut(30), "Error in WAV file. No 'data' chunk marker."},
        {"no_data_chunk", cut(36), "Error in WAV file. No 'data' chunk marker."},
        {"cut_after_the_data_header", cut(44), "truncated: the file holds 44 of the 244 bytes its chunks declare"},
        {"cut_in_the_data", cut(194), "truncated: the file holds 194 of the 244 bytes its chunks declare"},
        {"cut_after_many_chunks", manyChunks, "truncated: the file holds 2194 of the 2244 bytes its chunks declare"},
        {"huge_data_size", patched(40, {0xFF, 0xFF, 0xFF, 0xFF}),
         "truncated: the file holds 244 of the 4294967340 bytes its chunks declare"},
        // The chunks are all there: a RIFF size beyond the file, or an odd-sized
        // last chunk without its pad byte, loses nothing.
        {"huge_riff_size", patched(4, {0xFF, 0xFF, 0xFF, 0xFF}), "(decoded without error)"},
        {"odd_without_pad_byte", oddNoPad, "(decoded without error)"},
        {"zero_length_data", MakeWav({}, {}), "no sound data: the data chunk is empty"},
        {"mp3_inside", patched(20, {0x55, 0x00}), "Error in WAV/W64/RF64 file. Malformed 'fmt ' chunk."},
        {"unknown_format_tag", patched(20, {0x34, 0x12}), "Error in WAV/W64/RF64 file. Malformed 'fmt ' chunk."},
        {"no_channels", patched(22, {0}), "Channel count is zero."},
        {"nine_channels", MakeWav({1, 9, 22050, 16, false, false}, std::vector<double>(9, 0.0)),
         "unsupported sample format (9 channels, 22050 Hz)"},
        {"fifty_hertz", MakeWav({1, 1, 50, 16, false, false}, {0.0}), "unsupported sample format (1 channels, 50 Hz)"},
        {"over_ten_minutes", MakeWav({1, 1, 1000, 8, false, false}, std::vector<double>(601000, 0.0)),
         "longer than 10 minutes"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(dir.Write(c.name, c.bytes)), c.reason) << c.name;

    const std::string aiff = WriteEncoded(dir, "aiff.wav", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 22050, 1, {0.5, 0.25});
    EXPECT_EQ(ErrorOf(aiff), "not a WAV file");
    EXPECT_EQ(ErrorOf((dir.Path() / "missing.wav").string()), "file not found");
    EXPECT_EQ(ErrorOf((dir.Path() / "no-folder" / "x.wav").string()), "file not found");
    EXPECT_EQ(ErrorOf(dir.Path().string()), "it is a folder, not a file");
    const std::string pipe = (dir.Path() / "pipe.wav").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ErrorOf(pipe), "not a regular file") << "a pipe must not hold up the start";
}

// A file that fails to open must not close, on its way out, a descriptor that
// another thread has opened meanwhile under the same number.
TEST(SoundFile, RefusedFilesCloseNothingOfAnotherThread) {
    TempDir dir;
    const std::vector<std::uint8_t> good = soundtest::ConstantWav(100, 0.5);
    const std::string refused[] = {
        dir.Write("riff_only.wav", std::vector<std::uint8_t>(good.begin(), good.begin() + 12)),
        dir.Write("no_data.wav", std::vector<std::uint8_t>(good.begin(), good.begin() + 36))};
    const std::string text(3000, 't');
    const std::string other = dir.Write("other.txt", text);
    std::atomic<bool> done{false}, failed{false};
    std::string failure;  // written by the reader before it sets failed
    std::thread reader([&] {
        while (!done && !failed) {
            const int fd = ::open(other.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            std::string got(text.size() + 1, '\0');
            std::size_t total = 0;
            ssize_t n = 0;
            while ((n = ::read(fd, got.data() + total, got.size() - total)) > 0) total += static_cast<std::size_t>(n);
            const std::string readError = n < 0 ? std::strerror(errno) : "";
            const bool closed = ::close(fd) == 0;
            if (!closed || total != text.size() || got.compare(0, total, text) != 0) {
                failure = "read " + std::to_string(total) + " bytes " + readError + (closed ? "" : ", close failed");
                failed = true;
            }
        }
    });
    for (int i = 0; i < 4000 && !failed; ++i) EXPECT_THROW(LoadSound(refused[i % 2], {22050, 1}), SoundFileError);
    done = true;
    reader.join();
    EXPECT_EQ(failure, "") << "expected the other thread's file to read whole";
}

// libsndfile keeps the reason for a failed open in one global: files read on
// two threads at once must each still be refused with their own reason.
TEST(SoundFile, FilesReadOnTwoThreadsAtOnceAreRefusedWithTheirOwnReasons) {
    TempDir dir;
    const std::vector<std::uint8_t> good = soundtest::ConstantWav(100, 0.5);
    std::vector<std::uint8_t> noChannels = good, noData(good.begin(), good.begin() + 36);
    noChannels[22] = 0;
    const std::string files[] = {dir.Write("no_channels.wav", noChannels), dir.Write("no_data.wav", noData)};
    const std::string reasons[] = {ErrorOf(files[0]), ErrorOf(files[1])};
    ASSERT_NE(reasons[0], reasons[1]);
    std::atomic<int> wrong{0};
    auto read = [&](int which) {
        for (int i = 0; i < 10000; ++i)
            if (ErrorOf(files[which]) != reasons[which]) ++wrong;
    };
    std::thread other(read, 1);
    read(0);
    other.join();
    EXPECT_EQ(wrong, 0) << "expected every file refused with its own reason";
}

// Only opening a file takes turns: a file being read holds up no other.
TEST(SoundFile, AFileBeingReadHoldsUpNoOtherFile) {
    TempDir dir;
    const std::string slow = dir.Write("slow.wav", soundtest::ConstantWav(1000, 0.5));
    const std::string quick = dir.Write("quick.wav", soundtest::ConstantWav(1000, 0.25));
    std::promise<void> slowOpen, quickRead;
    std::future<void> quickDone = quickRead.get_future();
    bool readBeside = false;
    sound::SetDecodeHook([&](const std::string& path) {
        if (path != slow) return;
        slowOpen.set_value();
        readBeside = quickDone.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    });
    std::thread reader([&] { sound::DecodeSoundFile(slow, 1); });
    slowOpen.get_future().wait();
    sound::DecodeSoundFile(quick, 1);
    quickRead.set_value();
    reader.join();
    sound::SetDecodeHook(nullptr);
    EXPECT_TRUE(readBeside) << "expected another file read while the first one was";
}

TEST(SoundFile, EveryPrefixAndRandomDamageIsHandledWithoutCrashing) {
    TempDir dir;
    const std::vector<double> tone = ToneSamples(1200, 2, 22050);
    const std::vector<std::uint8_t> own =
        MakeWav({1, 2, 22050, 24, true, true}, std::vector<double>(tone.begin(), tone.begin() + 12));
    const std::string adpcmPath = WriteEncoded(dir, "adpcm.wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 22050, 2, tone);
    std::ifstream in(adpcmPath, std::ios::binary);
    const std::vector<std::uint8_t> adpcm((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int decoded = 0;
    for (std::size_t n = 0; n < own.size(); ++n) {
        EXPECT_THROW(
            LoadSound(dir.Write("p.wav", std::vector<std::uint8_t>(own.begin(), own.begin() + static_cast<long>(n))),
                      {22050, 2}),
            SoundFileError)
            << "prefix of " << n << " bytes";
    }
    std::mt19937 rng(1234);
    for (int round = 0; round < 1000; ++round) {
        std::vector<std::uint8_t> bad = round % 2 ? own : adpcm;
        for (int k = 0; k < 3; ++k)
            bad[rng() % std::min<std::size_t>(bad.size(), 120)] = static_cast<std::uint8_t>(rng());
        try {
            EXPECT_EQ(LoadSound(dir.Write("d.wav", bad), {22050, 2}).size() % 2, 0u) << "whole frames";
            ++decoded;
        } catch (const SoundFileError& e) {
            EXPECT_STRNE(e.what(), "");
        }
    }
    EXPECT_GT(decoded, 0) << "expected some damage to leave a playable sound";
}

TEST(SoundFile, TheGamesOwnSoundsAllDecode) {
    const char* assets = std::getenv("SWOOPY_ASSETS");
    if (!assets) GTEST_SKIP() << "SWOOPY_ASSETS is not set";
    for (const char* name :
         {"introsong.wav", "gamemusic.wav", "click.wav", "bonus.wav", "bonusclick.wav", "alarm.wav"}) {
        EXPECT_GT(LoadSound(std::string(assets) + "/" + name, {22050, 1}).size(), 1000u) << name;
    }
}
