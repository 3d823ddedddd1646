// What the start's threads ahead spend before the first frame: the start
// screen's pictures decoded at the size they are drawn, and the game's own six
// sounds read from their files.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "layout/Pictures.h"
#include "layout/TForm1.h"
#include "scene/Picture.h"
#include "sound/SoundFile.h"

namespace {

struct Shown {
    const char* name;
    int width, height;  // drawn at scale 1
};
constexpr Shown kStartScreen[] = {{"MenuRechts", 233, 513}, {"Livesbar", 305, 73}, {"Image5", 1121, 105}};

// Each picture new, as at the start: decoded and scaled to its box at the scale.
void BM_DecodeStartPictures(benchmark::State& state) {
    const int factor = static_cast<int>(state.range(0));
    for (auto _ : state) {
        for (const Shown& s : kStartScreen) {
            const layout::EmbeddedJpeg jpeg = layout::PictureData(s.name);
            scene::Picture picture(jpeg.data, jpeg.size);
            picture.DecodeAhead(s.width * factor, s.height * factor);
            benchmark::DoNotOptimize(picture.ReadyAt(s.width * factor, s.height * factor));
        }
    }
}
BENCHMARK(BM_DecodeStartPictures)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The window's own sound files, read as the start reads them ahead.
void BM_DecodeGameSounds(benchmark::State& state) {
    const std::vector<std::string> files = layout::TForm1::SoundFiles();
    for (auto _ : state) {
        for (const std::string& f : files) {
            const sound::DecodedSound sound =
                sound::DecodeSoundFile(std::string(SWOOPY_ASSETS_DIR) + "/" + f, scene::AudioFormat{}.channels);
            benchmark::DoNotOptimize(sound.samples.data());
        }
    }
}
BENCHMARK(BM_DecodeGameSounds)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
