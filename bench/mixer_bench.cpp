// Mixing cost: all six channels sounding at once, rendered in 256-frame blocks as
// the audio output asks for them. Budget: 10 s of output in under 50 ms of CPU.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "sound/Mixer.h"
#include "sound/SoundChannel.h"
#include "sound/SoundService.h"

namespace {

constexpr int kBlock = 256;
constexpr double kSeconds = 10;

sound::Samples Tone(long frames, int channels, double hz, int rate) {
    sound::Samples v(static_cast<std::size_t>(frames) * channels);
    for (long f = 0; f < frames; ++f) {
        const auto s =
            static_cast<sound::Sample>(std::lround(0.3 * 32767 * std::sin(2 * 3.14159265358979 * hz * f / rate)));
        for (int c = 0; c < channels; ++c) v[f * channels + c] = s;
    }
    return v;
}

// Six voices longer than the render, so all six play for the whole 10 s.
void RenderTenSeconds(benchmark::State& state, int rate, int channels) {
    sound::Mixer mixer(channels, [](sound::Mixer::VoiceId, sound::NotifyValue) {});
    const long frames = static_cast<long>(kSeconds * rate);
    std::vector<sound::Mixer::VoiceId> voices;
    for (int i = 0; i < 6; ++i) voices.push_back(mixer.Add(Tone(frames + kBlock, channels, 220.0 * (i + 1), rate)));
    std::vector<float> out(static_cast<std::size_t>(kBlock) * channels);
    for (auto _ : state) {
        for (auto v : voices) {
            mixer.Seek(v, 0);
            mixer.Play(v, sound::NotifyRequest::Requested);
        }
        for (long done = 0; done < frames; done += kBlock) mixer.Render(out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["output_s"] = kSeconds;
}

void BM_MixSixChannels_22050Mono(benchmark::State& state) { RenderTenSeconds(state, 22050, 1); }
void BM_MixSixChannels_48000Stereo(benchmark::State& state) { RenderTenSeconds(state, 48000, 2); }

// A 16-bit mono WAV file of a tone, written for the service to open.
void WriteToneWav(const std::filesystem::path& path, long frames, double hz) {
    std::vector<char> b;
    auto put = [&b](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const std::uint32_t data = static_cast<std::uint32_t>(frames * 2);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put(36 + data, 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(16, 4), put(1, 2), put(1, 2), put(22050, 4), put(44100, 4), put(2, 2), put(16, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put(data, 4);
    for (long f = 0; f < frames; ++f) {
        const auto s = static_cast<std::int16_t>(9000 * std::sin(2 * 3.14159265358979 * hz * f / 22050));
        put(static_cast<std::uint16_t>(s), 2);
    }
    std::ofstream(path, std::ios::binary).write(b.data(), static_cast<std::streamsize>(b.size()));
}

// Six channels on files, as the game has them, mixed into the headless output
// (which also keeps every rendered block).
void BM_ServiceSixChannels_Headless(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "swoopy-mixer-bench";
    std::filesystem::create_directories(dir);
    for (int i = 0; i < 6; ++i) WriteToneWav(dir / ("c" + std::to_string(i) + ".wav"), 12 * 22050, 220.0 * (i + 1));
    for (auto _ : state) {
        state.PauseTiming();
        platform::HeadlessPlatform headless;
        sound::SoundService service(headless, [](std::function<void()>) {});
        std::vector<std::unique_ptr<sound::SoundChannel>> channels;
        for (int i = 0; i < 6; ++i) {
            channels.push_back(std::make_unique<sound::SoundChannel>(service));
            channels.back()->FileName = (dir / ("c" + std::to_string(i) + ".wav")).string();
            channels.back()->Open();
            channels.back()->Play();
        }
        state.ResumeTiming();
        headless.Advance(kSeconds * 1000);
        benchmark::DoNotOptimize(headless.RenderedAudio().data());
        state.PauseTiming();
        channels.clear();
        state.ResumeTiming();
    }
    std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_MixSixChannels_22050Mono)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixSixChannels_48000Stereo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServiceSixChannels_Headless)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
