// The whole game window on the headless platform, in a play folder of its own
// holding intro.txt, scores.txt and six short WAV files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "game/Random.h"
#include "layout/TForm1.h"
#include "platform/headless/HeadlessPlatform.h"
#include "scene/Application.h"
#include "sound/SoundService.h"
#include "sound/WavFiles.h"

namespace gametest {

namespace fs = std::filesystem;

inline const char* const kWavFiles[] = {"introsong.wav", "gamemusic.wav",  "click.wav",
                                        "bonus.wav",     "bonusclick.wav", "alarm.wav"};

// What Random(n) draws with the generator set to seed.
inline int DrawFrom(std::uint32_t seed, int n) {
    game::RandSeed = seed;
    return game::Random(n);
}
// The seed that follows seed in the generator.
inline std::uint32_t NextSeed(std::uint32_t seed) { return seed * 134775813u + 1u; }
// Whether the draw of n from seed differs from the draws of n - 1 and n + 1,
// so that a range one off shows in what is drawn.
inline bool Tells(std::uint32_t seed, int n) {
    const int drawn = DrawFrom(seed, n);
    return drawn != DrawFrom(seed, n - 1) && drawn != DrawFrom(seed, n + 1);
}
// The first seed from `from` on that pred accepts.
template <typename Pred>
std::uint32_t FindSeed(Pred pred, std::uint32_t from = 1) {
    std::uint32_t seed = from;
    while (!pred(seed)) ++seed;
    return seed;
}

// A temporary working folder; the process works in it while the object lives.
class PlayFolder {
public:
    // intro: the text of intro.txt, or nullopt for none.
    explicit PlayFolder(std::optional<std::string> intro = std::string("Line one\r\nLine two\r\n"),
                        int wavFrames = 2205) {
        static int counter = 0;
        dir_ =
            fs::temp_directory_path() / ("swoopy-play-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        fs::create_directories(dir_);
        if (intro) Write("intro.txt", *intro);
        Write("scores.txt", "100      Anna\r\n");
        const std::vector<std::uint8_t> wav = soundtest::ConstantWav(wavFrames, 0.03);
        for (const char* name : kWavFiles) Write(name, std::string(wav.begin(), wav.end()));
        previous_ = fs::current_path();
        fs::current_path(dir_);
    }
    ~PlayFolder() {
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    PlayFolder(const PlayFolder&) = delete;
    PlayFolder& operator=(const PlayFolder&) = delete;

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void Remove(const std::string& name) { fs::remove(dir_ / name); }
    const fs::path& Path() const { return dir_; }

private:
    fs::path dir_;
    fs::path previous_;
};

// The game as the program runs it: window made and loaded, create handler run,
// window shown, loop running on the virtual clock.
class GameHarness {
public:
    platform::HeadlessPlatform platform;
    scene::Application app{platform, "/opt/games/swoopy"};
    sound::SoundService sounds{platform, [this](std::function<void()> fn) { app.Post(std::move(fn)); }};
    std::unique_ptr<layout::TForm1> form;
    std::vector<std::string> started;  // command lines "Try again!" started

    // Every error box is answered with OK as soon as the loop is idle. The
    // window presents at scale; pointer positions are then device pixels.
    explicit GameHarness(scene::DisplayScale scale = {}) {
        platform.SetPresentationScale(scale);
        platform.WhenIdle = [this] {
            if (platform.TopDialogId() != 0 && !answered_) {
                answered_ = true;
                platform.Key(scene::kReturn, 0, platform::kTopDialog);
            } else if (platform.TopDialogId() == 0) {
                answered_ = false;
            }
        };
    }
    ~GameHarness() { platform.WhenIdle = nullptr; }

    // Makes the window and runs its load steps; throws what they throw.
    layout::TForm1& Make() {
        form = std::make_unique<layout::TForm1>(app, sounds);
        form->StartProgram = [this](const std::string& path, const std::vector<std::string>& args) {
            std::string line = path;
            for (const std::string& a : args) line += " " + a;
            started.push_back(line);
        };
        form->LoadAll();
        return *form;
    }
    // Make, create handler, show, and a first pass of the loop.
    layout::TForm1& Start() {
        Make();
        app.Guard([this] {
            if (form->OnCreate) form->OnCreate(*form);
        });
        app.SetMainForm(form.get());
        form->Show();
        app.RunFor(1);
        return *form;
    }
    int MainWindow() const { return platform.MainWindowId(); }
    scene::Rgb Pixel(int x, int y) const { return platform.Pixel(platform.MainWindowId(), x, y); }

private:
    bool answered_ = false;
};

}  // namespace gametest
