#include "app/GameRecord.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <set>

#include "files/WholeFile.h"

namespace app {

namespace fs = std::filesystem;

std::string GameVersion() { return SWOOPY_VERSION; }

std::string CannotReplay(const replay::Record& record) {
    // The rules, the toolkit's dispatch and the timers all bear on a replay:
    // only the version that recorded a game is known to play it the same way.
    if (record.gameVersion == GameVersion()) return {};
    return "recorded by swoopy " + record.gameVersion + ", which swoopy " + GameVersion() + " cannot replay faithfully";
}

std::string RecordFileName(std::int64_t startedUnix, std::int32_t score) {
    const std::time_t t = static_cast<std::time_t>(startedUnix);
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    return std::string(stamp) + "_" + std::to_string(score) + "-points" + kRecordExtension;
}

std::vector<std::string> RecordsToRemove(std::vector<RecordListing> listing, const game::ScoreTable& table,
                                         std::size_t others) {
    std::sort(listing.begin(), listing.end(),
              [](const RecordListing& a, const RecordListing& b) { return a.file > b.file; });
    std::set<std::string> kept;
    for (const game::ScoreEntry& place : table) {
        const auto it = std::find_if(listing.begin(), listing.end(), [&](const RecordListing& r) {
            return r.score == place.score && game::kNameIndent + r.name == place.name && !kept.contains(r.file);
        });
        if (it != listing.end()) kept.insert(it->file);
    }
    std::vector<std::string> removed;
    std::size_t othersKept = 0;
    for (const RecordListing& r : listing) {
        if (kept.contains(r.file)) continue;
        if (othersKept < others)
            ++othersKept;
        else
            removed.push_back(r.file);
    }
    return removed;
}

std::vector<RecordListing> ListRecords(const std::string& folder) {
    std::vector<RecordListing> listing;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string file = entry.path().filename().string();
        if (!file.ends_with(kRecordExtension) || !entry.is_regular_file(ec)) continue;
        try {
            const replay::Record header = replay::DecodeHeader(files::ReadWholeFile(entry.path().string(), 4096));
            listing.push_back({file, header.score, header.name});
        } catch (const std::exception&) {
            // Not a record this game reads: not ours to list, nor to remove.
        }
    }
    return listing;
}

std::optional<std::string> FirstPlaceRecord(const game::ScoreTable& table, const std::string& folder) {
    std::vector<RecordListing> listing = ListRecords(folder);
    std::sort(listing.begin(), listing.end(),
              [](const RecordListing& a, const RecordListing& b) { return a.file > b.file; });
    for (const RecordListing& r : listing)
        if (r.score == table[0].score && game::kNameIndent + r.name == table[0].name) return folder + "/" + r.file;
    return std::nullopt;
}

replay::Playback::ChannelNamed ChannelsOf(layout::TForm1& form) {
    return [&form](const std::string& name) -> sound::SoundChannel* {
        auto* player = dynamic_cast<layout::TMediaPlayer*>(form.FindElement(name));
        return player ? &player->Channel() : nullptr;
    };
}

GameRecording::GameRecording(scene::Application& app, sound::SoundService& sounds)
    : recorder_(app, sounds, GameVersion()) {}

void GameRecording::Attach(layout::TForm1& form) {
    form.OnEndScreen = [this, &form] {
        try {
            Save(form);
        } catch (const std::exception& e) {
            std::cerr << "swoopy: the game's record was not kept: " << e.what() << "\n";
            return;
        }
        try {
            Prune();
        } catch (const std::exception& e) {
            std::cerr << "swoopy: older records were not removed: " << e.what() << "\n";
        }
    };
}

void GameRecording::Save(layout::TForm1& form) {
    replay::Record record = recorder_.Kept();
    record.name = form.Label6.Caption();
    record.score = form.State.score;
    record.tileField = form.tilesBuilt;
    fs::create_directories(kRecordFolder);
    const std::string name = RecordFileName(record.startedUnix, record.score);
    const std::string stem =
        std::string(kRecordFolder) + "/" + name.substr(0, name.size() - std::strlen(kRecordExtension));
    // Two games ended within the same second keep a record each.
    std::string path = stem + kRecordExtension;
    for (int n = 2; fs::exists(path); ++n) path = stem + "-" + std::to_string(n) + kRecordExtension;
    files::WriteWholeFile(path, replay::Encode(record));
    written_ = path;
}

// The table was written back a moment ago; its places say which records stay.
void GameRecording::Prune() {
    const game::ScoreTable table = game::ReadScoreTable(game::kScoresFile);
    for (const std::string& file : RecordsToRemove(ListRecords(kRecordFolder), table))
        fs::remove(fs::path(kRecordFolder) / file);
}

}  // namespace app
