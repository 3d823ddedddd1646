// Sound files read ahead while the program starts: a channel opens what was read
// ahead exactly as it would have read the file then, reads a file changed since
// again, and meets a bad file's reason as it would without reading ahead.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "WavFiles.h"
#include "platform/headless/HeadlessPlatform.h"
#include "scene/Application.h"
#include "sound/SoundChannel.h"
#include "sound/SoundFile.h"
#include "sound/SoundPrefetch.h"
#include "sound/SoundService.h"

using soundtest::ConstantWav;
using soundtest::MakeWav;
using soundtest::TempDir;

namespace {

struct Opened {
    long length = -1;
    std::string error;
};

// Opens path on a channel of a service given prefetch (or none), as the window does at load.
Opened OpenWith(sound::SoundPrefetch* prefetch, const std::string& path, scene::AudioFormat format) {
    platform::HeadlessPlatform platform;
    platform.SetAudioFormat(format);
    scene::Application app(platform, "/tmp/swoopy");
    sound::SoundService service(
        platform, [&app](std::function<void()> fn) { app.Post(std::move(fn)); }, prefetch);
    sound::SoundChannel channel(service, "MediaPlayer1");
    channel.FileName = path;
    Opened opened;
    try {
        channel.Open();
        opened.length = channel.Length();
    } catch (const sound::EMCIDeviceError& e) {
        opened.error = e.what();
    }
    return opened;
}

}  // namespace

TEST(SoundPrefetch, ChannelsOpenWhatWasReadAheadAsIfTheyReadItThen) {
    TempDir dir;
    std::vector<double> stereo;
    for (int f = 0; f < 441; ++f) stereo.insert(stereo.end(), {0.5, -0.25});
    const std::string same = dir.Write("same.wav", ConstantWav(1000, 0.5));
    const std::string changed = dir.Write("changed.wav", ConstantWav(1000, 0.5));
    const std::vector<std::uint8_t> good = ConstantWav(1000, 0.5);
    const std::string cut = dir.Write("cut.wav", std::vector<std::uint8_t>(good.begin(), good.begin() + 30));
    const std::string twoChannels = dir.Write("stereo.wav", MakeWav({1, 2, 44100, 16}, stereo));

    sound::SoundPrefetch prefetch({same, changed, cut, twoChannels}, 1);
    // Rewritten while, or after, it is read ahead: the channel gets the new sound.
    dir.Write("changed.wav", ConstantWav(2000, -0.25));

    struct Case {
        std::string path;
        scene::AudioFormat format;
    };
    // The files were read ahead for one channel: a stereo output reads the stereo file again.
    const Case cases[] = {{same, {22050, 1}},
                          {changed, {22050, 1}},
                          {cut, {22050, 1}},
                          {twoChannels, {22050, 2}},
                          {dir.Write("unread.wav", ConstantWav(300, 0.1)), {22050, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Opened ahead = OpenWith(&prefetch, c.path, c.format);
        const Opened then = OpenWith(nullptr, c.path, c.format);
        EXPECT_EQ(ahead.length, then.length);
        EXPECT_EQ(ahead.error, then.error);
    }
    EXPECT_EQ(OpenWith(nullptr, changed, {22050, 1}).length, 2000);
    EXPECT_EQ(OpenWith(nullptr, twoChannels, {22050, 1}).length, 221) << "44 100 Hz brought to 22 050 Hz";
    EXPECT_NE(OpenWith(nullptr, cut, {22050, 1}).error, "");
}

TEST(SoundPrefetch, ReadAheadSamplesAreTheFilesOwnAndHandedOutOnce) {
    TempDir dir;
    const std::string path = dir.Write("tone.wav", MakeWav({1, 2, 22050, 16}, {0.5, -0.5, 0.25, 0.75}));
    sound::SoundPrefetch folded({path}, 1), kept({path}, 2), tooFew({path}, 1);
    const auto mono = folded.Take(path, 1);
    ASSERT_TRUE(mono.has_value());
    EXPECT_EQ(mono->fileChannels, 2);
    EXPECT_EQ(mono->samples, (sound::Samples{0, 16384})) << "folded to one channel as it was read";
    EXPECT_EQ(sound::ConvertSound(*mono, {22050, 1}), sound::LoadSound(path, {22050, 1}));
    const auto both = kept.Take(path, 2);
    ASSERT_TRUE(both.has_value());
    EXPECT_EQ(sound::ConvertSound(*both, {22050, 2}), sound::LoadSound(path, {22050, 2}));
    EXPECT_FALSE(folded.Take(path, 1).has_value()) << "taken once";
    EXPECT_FALSE(folded.Take(dir.Write("other.wav", ConstantWav(10, 0.0)), 1).has_value()) << "never asked for";
    EXPECT_FALSE(tooFew.Take(path, 2).has_value()) << "folded to fewer channels than the output has";
}

// The first file, which the start screen plays, is read before the others
// begin: they would share the machine with it. It lingers when open, so that
// another file begun beside it would open meanwhile.
TEST(SoundPrefetch, TheFirstFileIsReadBeforeTheOthersBegin) {
    TempDir dir;
    const std::string intro = dir.Write("intro.wav", ConstantWav(1000, 0.5));
    const std::string later = dir.Write("later.wav", ConstantWav(1000, 0.5));
    std::mutex m;
    std::condition_variable opened;
    std::vector<std::string> steps;
    sound::SetDecodeHook([&](const std::string& path) {
        std::unique_lock<std::mutex> lock(m);
        steps.push_back(path == intro ? "intro open" : "later open");
        opened.notify_all();
        if (path != intro) return;
        opened.wait_for(lock, std::chrono::seconds(3), [&] { return steps.size() > 1; });
        steps.push_back("intro read");
    });
    {
        sound::SoundPrefetch prefetch({intro, later}, 1);
        EXPECT_TRUE(prefetch.Take(later, 1).has_value());
    }
    sound::SetDecodeHook(nullptr);
    EXPECT_EQ(steps, (std::vector<std::string>{"intro open", "intro read", "later open"}));
}
