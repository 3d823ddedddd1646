// Every game recorded: the recorder installed before the window is made, the
// record written into the play folder's replays/ when the end screen shows, and
// the folder kept to the records the high-score table names plus the latest
// others. Also what a record needs to be played back: the game's channels by
// name, and whether this game replays a record's version faithfully.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/HighScores.h"
#include "layout/TForm1.h"
#include "replay/Playback.h"
#include "replay/Recorder.h"

namespace app {

inline constexpr char kRecordFolder[] = "replays";
inline constexpr char kRecordExtension[] = ".swoopyrec";
// Records the table does not name that are kept, the latest first.
inline constexpr std::size_t kOtherRecordsKept = 20;

std::string GameVersion();
// Empty when this game replays a record of that version exactly; else why not.
std::string CannotReplay(const replay::Record& record);

// Date, time and score, so that a player finds a game in a listing:
// 2026-12-09_15-04-05_1234-points.swoopyrec, local time.
std::string RecordFileName(std::int64_t startedUnix, std::int32_t score);

// What a record in the folder says of itself.
struct RecordListing {
    std::string file;  // name in the folder; names sort by date and time
    std::int32_t score = 0;
    std::string name;  // as the end screen shows it
};
// The files to remove: each place of the table keeps its latest record, and of
// the rest the latest `others` are kept.
std::vector<std::string> RecordsToRemove(std::vector<RecordListing> listing, const game::ScoreTable& table,
                                         std::size_t others = kOtherRecordsKept);
// The records in folder that read as records, by file name.
std::vector<RecordListing> ListRecords(const std::string& folder);
// The latest record of the table's first place in folder, or nothing.
std::optional<std::string> FirstPlaceRecord(const game::ScoreTable& table, const std::string& folder);

// The game's sound channels by name, for a playback.
replay::Playback::ChannelNamed ChannelsOf(layout::TForm1& form);

class GameRecording {
public:
    // Before the window is made: the create handler's seeds belong to the record.
    GameRecording(scene::Application& app, sound::SoundService& sounds);
    // Writes the record when the form's end screen shows; a failure is said on stderr.
    void Attach(layout::TForm1& form);
    // The path written, empty until then.
    const std::string& Written() const { return written_; }
    const replay::Recorder& Recorder() const { return recorder_; }

private:
    void Save(layout::TForm1& form);
    void Prune();
    replay::Recorder recorder_;
    std::string written_;
};

}  // namespace app
