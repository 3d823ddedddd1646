#include "platform/sdl/SdlAudio.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include <SDL.h>

namespace platform {

namespace {

constexpr int kRate = 22050;
constexpr int kChannels = 1;
constexpr int kBlockFrames = 512;  // about 23 ms: short enough for a click to sound at once
// Nobody hears a silent output, so it takes samples in blocks of about 186 ms:
// sound positions and end-of-play notices then move in steps of that size, and
// the thread wakes 5 times a second rather than 43 (a wake-up is most of what a
// block costs).
constexpr int kSilentBlockFrames = 4096;

// Every render goes through here: the buffer starts silent, and the audio
// thread has nobody to report a failure to, so a failed render is heard as silence.
void RenderBlock(const scene::AudioRender& render, float* out, int frames, int channels) {
    std::memset(out, 0, sizeof(float) * static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels));
    try {
        render(out, frames);
    } catch (...) {
        std::memset(out, 0, sizeof(float) * static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels));
    }
}

class SdlAudioOut final : public scene::AudioOut {
public:
    explicit SdlAudioOut(const scene::AudioRender& render) : render_(render) {}
    ~SdlAudioOut() override {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    SdlAudioOut(const SdlAudioOut&) = delete;
    SdlAudioOut& operator=(const SdlAudioOut&) = delete;

    // The audio subsystem is up; opens and starts the default device.
    bool Start() {
        SDL_AudioSpec want{};
        want.freq = kRate;
        want.format = AUDIO_F32SYS;
        want.channels = kChannels;
        want.samples = kBlockFrames;
        want.callback = &SdlAudioOut::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have,
                                      SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
        if (device_ == 0) return false;
        format_ = {have.freq, have.channels};
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    scene::AudioFormat Format() const override { return format_; }

private:
    static void SDLCALL Callback(void* self, Uint8* stream, int len) {
        auto* out = static_cast<SdlAudioOut*>(self);
        const int channels = out->format_.channels;
        const int frames = len / static_cast<int>(sizeof(float)) / channels;
        RenderBlock(out->render_, reinterpret_cast<float*>(stream), frames, channels);
    }

    scene::AudioRender render_;
    SDL_AudioDeviceID device_ = 0;
    scene::AudioFormat format_{kRate, kChannels};
};

// The output when there is no sound to be heard: a thread that asks for a block
// of samples every block's duration and drops them. Unlike SDL's dummy driver,
// whose thread sleeps a whole block uninterrupted, it ends at once.
class ClockAudioOut final : public scene::AudioOut {
public:
    explicit ClockAudioOut(const scene::AudioRender& render)
        : render_(render), thread_([this](std::stop_token stop) { Run(stop); }) {}
    ~ClockAudioOut() override {
        thread_.request_stop();
        thread_.join();
    }
    ClockAudioOut(const ClockAudioOut&) = delete;
    ClockAudioOut& operator=(const ClockAudioOut&) = delete;

    scene::AudioFormat Format() const override { return {kRate, kChannels}; }

private:
    void Run(std::stop_token stop) {
        pthread_setname_np(pthread_self(), "swoopy sound");  // told apart in profiles
        using Clock = std::chrono::steady_clock;
        const auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(kSilentBlockFrames) / kRate));
        std::vector<float> block(kSilentBlockFrames * kChannels);
        auto due = Clock::now() + period;
        std::unique_lock lock(mutex_);
        while (!stop.stop_requested()) {
            RenderBlock(render_, block.data(), kSilentBlockFrames, kChannels);
            wake_.wait_until(lock, stop, due, [] { return false; });
            due += period;
        }
    }

    scene::AudioRender render_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread thread_;
};

// With neither a sound card nor a sound server, SDL's ALSA driver initialises
// and then floods stderr while failing to open a device: go silent at once.
// A driver chosen by the user (SDL_AUDIODRIVER) is always tried.
bool SoundDeviceLikely() {
    if (SDL_GetHint(SDL_HINT_AUDIODRIVER) != nullptr || std::getenv("PULSE_SERVER") != nullptr) return true;
    std::error_code ignored;
    if (std::filesystem::exists("/dev/snd", ignored)) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr) return false;
    const std::filesystem::path dir(runtime);
    return std::filesystem::exists(dir / "pulse" / "native", ignored) ||
           std::filesystem::exists(dir / "pipewire-0", ignored);
}

// SDL's own choice of driver (and SDL_AUDIODRIVER's); null when none opens a
// device, or when the one that does is SDL's silent stand-in.
std::unique_ptr<SdlAudioOut> OpenDevice(const scene::AudioRender& render) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver == nullptr || std::strcmp(driver, "dummy") == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    auto out = std::make_unique<SdlAudioOut>(render);
    if (!out->Start()) return nullptr;  // its destructor quits the subsystem again
    return out;
}

}  // namespace

std::unique_ptr<scene::AudioOut> OpenSdlAudio(const scene::AudioRender& render) {
    if (SoundDeviceLikely()) {
        if (auto out = OpenDevice(render)) return out;
    }
    return std::make_unique<ClockAudioOut>(render);
}

}  // namespace platform
