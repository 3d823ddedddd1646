// Program entry: read the command line, prepare the environment, start the game
// with what needs no display on other threads, run the event loop, end.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "app/CommandLine.h"
#include "app/GameRecord.h"
#include "app/GameStart.h"
#include "app/PlayFolder.h"
#include "app/VerifyRecord.h"
#include "files/WholeFile.h"
#include "game/HighScores.h"
#include "game/Process.h"
#include "layout/TForm1.h"
#include "platform/sdl/SdlPlatform.h"
#include "scene/AheadThread.h"
#include "scene/Application.h"
#include "scene/FrameTrace.h"
#include "sound/SoundPrefetch.h"
#include "sound/SoundService.h"

namespace {

// Work done ahead on a thread of its own is only a head start: whatever fails
// there is done again, and reported, where it is needed.
std::jthread Ahead(const char* name, std::function<void()> work) {
    return std::jthread([name, work = std::move(work)] {
        scene::BeginThreadAhead(name);
        try {
            work();
        } catch (...) {
        }
    });
}

// What needs no display starts at once, while the main thread opens it: the
// sounds read, and the captions' faces loaded and shaped once the scale is known.
struct TextAndSoundsAhead {
    explicit TextAndSoundsAhead(bool filesThere) {
        if (filesThere) prefetch.emplace(layout::TForm1::SoundFiles(), scene::AudioFormat{}.channels);
        text = Ahead("swoopy text", [scale = scaleKnown.get_future().share()] {
            layout::TForm1::PrepareText([&scale] { return scale.get(); });
        });
    }

    std::optional<sound::SoundPrefetch> prefetch;
    std::jthread text;
    // Declared after the thread, so that on a return before the display is open
    // it is given up first: the thread then stops waiting for it and is joined.
    std::promise<scene::DisplayScale> scaleKnown;
};

// The play folder's failure is shown once there is a display to show it on.
std::string EnterPlayFolder(const std::string& programPath) {
    try {
        app::EnterPlayFolder(programPath);
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

// The record --replay asks for, read before any window opens; nothing when it
// cannot be played back, said on stderr.
std::optional<replay::Record> RecordToWatch(const app::CommandLine& command, const std::string& startFolder) {
    std::string path;
    try {
        if (!command.records.empty()) {
            path = (std::filesystem::path(startFolder) / command.records[0]).string();
        } else if (std::optional<std::string> first =
                       app::FirstPlaceRecord(game::ReadScoreTable(game::kScoresFile), app::kRecordFolder)) {
            path = *first;
        } else {
            std::fprintf(stderr, "swoopy: the high-score table's first place has no record in %s/\n",
                         app::kRecordFolder);
            return std::nullopt;
        }
        replay::Record record = replay::Decode(files::ReadWholeFile(path, replay::kMaxRecordBytes));
        if (const std::string why = app::CannotReplay(record); !why.empty()) throw std::runtime_error(why);
        return record;
    } catch (const files::FileError& e) {
        std::fprintf(stderr, "swoopy: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "swoopy: %s: %s\n", path.empty() ? game::kScoresFile : path.c_str(), e.what());
    }
    return std::nullopt;
}

int Verify(const app::CommandLine& command) {
    const std::string startFolder = std::filesystem::current_path().string();
    // The sound files the game opens are in its play folder.
    if (const std::string folderError = EnterPlayFolder(game::RunningProgramPath()); !folderError.empty()) {
        std::fprintf(stderr, "swoopy: %s\n", folderError.c_str());
        return 1;
    }
    return app::VerifyFiles(command.records, startFolder, std::cout, std::cerr);
}

int Play(const app::CommandLine& command) {
    const std::string programPath = game::RunningProgramPath();
    const std::string startFolder = std::filesystem::current_path().string();
    const std::string folderError = EnterPlayFolder(programPath);
    const bool watching = command.action == app::CommandAction::Replay;
    std::optional<replay::Record> watched;
    if (watching && folderError.empty() && !(watched = RecordToWatch(command, startFolder))) return 1;
    TextAndSoundsAhead ahead(folderError.empty());

    std::unique_ptr<scene::Platform> platform;
    try {
        platform = platform::CreateSdlPlatform();
    } catch (const std::exception& e) {
        // No display: there is nowhere to show even an error box.
        std::fprintf(stderr, "swoopy: %s\n", e.what());
        return 1;
    }
    // While the audio output opens and the window is made, the shown captions are
    // drawn and the shown pictures decoded for the window's scale.
    const scene::DisplayScale scale = platform->PresentationScale();
    ahead.scaleKnown.set_value(scale);
    std::jthread pictures = Ahead("swoopy pictures", [scale] { layout::TForm1::DecodeShownPictures(scale); });
    // Meanwhile this thread makes the window, hidden, and touches its frame.
    if (folderError.empty()) platform->MakeWindowAhead(layout::TForm1::WindowOptionsAt(scale));

    scene::Application app(*platform, programPath);
    scene::TraceFramesAsAsked(app);  // for measuring: a line per presented frame
    sound::SoundService sounds(
        *platform, [&app](std::function<void()> fn) { app.Post(std::move(fn)); },
        ahead.prefetch ? &*ahead.prefetch : nullptr);
    ahead.text.join();  // text is the preparing thread's until it is done
    if (!folderError.empty()) {
        app.ShowStartupError("EInOutError", folderError);
        return 1;
    }
    std::unique_ptr<layout::TForm1> form;
    // Either this game is recorded or a recorded one is played back; both take
    // over the random generator before the create handler draws.
    std::optional<app::GameRecording> recording;
    std::optional<replay::Playback> playback;
    if (watching)
        playback.emplace(app, sounds, *watched,
                         [&form](const std::string& name) { return form ? app::ChannelsOf(*form)(name) : nullptr; });
    else
        recording.emplace(app, sounds);
    form = app::MakeGameForm(app, sounds);
    if (!form) return 1;
    if (recording) recording->Attach(*form);
    if (playback) {
        form->ScoresUse = layout::TForm1::ScoreFileUse::ShowOnly;
        app.SetReplaySource(&*playback);
    }
    if (!app::ShowGameForm(app, *form, command.screen, std::cerr)) return 1;
    app.Run(*form);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const app::CommandLine command = app::ParseCommandLine(argc, argv);
    if (const std::optional<int> answered = app::AnswerCommandLine(command, std::cout, std::cerr)) return *answered;
    // Checking records needs no display: the headless platform plays them.
    if (command.action == app::CommandAction::Verify) {
        try {
            return Verify(command);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "swoopy: %s\n", e.what());
            return 1;
        }
    }
    // Every change of the environment is made here, before the first thread starts.
    platform::PrepareSdlEnvironment();
    // Nothing that fails before the loop runs ends in an abort: what the game could
    // not show in a box (the display itself failing, say) goes to standard error.
    try {
        return Play(command);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "swoopy: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "swoopy: an unknown error\n");
    }
    return 1;
}
