#include "app/VerifyRecord.h"

#include <exception>
#include <filesystem>
#include <memory>

#include "app/GameRecord.h"
#include "files/WholeFile.h"
#include "platform/headless/HeadlessPlatform.h"
#include "scene/Cp1252.h"

namespace app {

namespace {

// The game the record was made in, played again; what differs from the claim.
std::string ReplayDifference(const replay::Record& record) {
    platform::HeadlessPlatform platform;
    scene::Application app(platform, "swoopy");
    std::string error;
    // A box would wait for a player: the first error ends the check instead.
    app.SetErrorTap([&error](const std::string& message) {
        if (error.empty()) error = message.empty() ? "an error without a message" : message;
        return true;
    });
    sound::SoundService sounds(platform, [&app](std::function<void()> fn) { app.Post(std::move(fn)); });
    std::unique_ptr<layout::TForm1> form;
    replay::Playback playback(app, sounds, record,
                              [&form](const std::string& name) { return form ? ChannelsOf(*form)(name) : nullptr; });
    form = std::make_unique<layout::TForm1>(app, sounds);
    form->LoadAll();
    form->ScoresUse = layout::TForm1::ScoreFileUse::None;
    form->StartProgram = [](const std::string&, const std::vector<std::string>&) {};
    app.Guard([&] {
        if (form->OnCreate) form->OnCreate(*form);
    });
    app.SetMainForm(form.get());
    form->Show();
    // The tile field's draws come from the introduction being read: without it
    // here the game cannot go the recorded way, and the player needs to know why.
    if (form->tilesBuilt != record.tileField)
        return record.tileField ? std::string("cannot read ") + layout::kIntroFile + " here: " + error
                                : "the record's game had no introduction file, which changes its draws";
    while (!playback.Done() && playback.Difference().empty() && error.empty()) playback.RunNext();
    if (!error.empty()) return "the game raised an error: " + error;
    if (!playback.Difference().empty()) return playback.Difference();
    if (!form->eindscore.Visible()) return "the game does not reach its end screen";
    if (form->State.score != record.score)
        return "the game ends with " + std::to_string(form->State.score) + " points, not the " +
               std::to_string(record.score) + " the record claims";
    if (form->Label6.Caption() != record.name) return "the game's player is not the one the record names";
    if (playback.SeedsLeft() != 0) return "the game drew fewer seeds than the record holds";
    return {};
}

}  // namespace

Verdict VerifyRecord(const std::string& bytes) {
    Verdict verdict;
    try {
        const replay::Record record = replay::Decode(bytes);
        verdict.score = record.score;
        verdict.name = record.name;
        verdict.reason = CannotReplay(record);
        if (verdict.reason.empty()) verdict.reason = ReplayDifference(record);
    } catch (const std::exception& e) {
        verdict.reason = e.what();
    }
    verdict.holds = verdict.reason.empty();
    return verdict;
}

int VerifyFiles(const std::vector<std::string>& paths, const std::string& folder, std::ostream& out,
                std::ostream& err) {
    int status = 0;
    for (const std::string& path : paths) {
        std::string bytes;
        try {
            bytes = files::ReadWholeFile((std::filesystem::path(folder) / path).string(), replay::kMaxRecordBytes);
        } catch (const files::FileError& e) {
            err << "swoopy: " << path << ": " << e.Reason() << "\n";
            status = 1;
            continue;
        }
        const Verdict verdict = VerifyRecord(bytes);
        if (verdict.holds) {
            out << path << ": " << verdict.score << " points, " << scene::Cp1252ToUtf8(verdict.name) << "\n";
        } else {
            err << "swoopy: " << path << ": " << verdict.reason << "\n";
            status = 1;
        }
    }
    return status;
}

}  // namespace app
