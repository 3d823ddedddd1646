// A game's record: who played, every seed the random generator took, and in
// order everything that reached the game's handlers, each with its time since
// the record began. Written as compact bytes (docs/replay-format.md) and read
// back from any bytes at all: a damaged, cut or crafted file is refused with
// its reason, never read into something that costs without bound.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace replay {

inline constexpr int kFormatVersion = 1;
// A long game fills a few megabytes at most; anything larger is not a record.
inline constexpr std::size_t kMaxRecordBytes = std::size_t{8} << 20;
// The timers and sound channels one game has: an index takes four bits.
inline constexpr std::size_t kMaxNames = 15;

class RecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class EntryKind : std::uint8_t {
    Tick,  // index: the timer
    Move,
    Down,
    Up,
    KeyDown,
    KeyUp,
    Text,  // index: the text
    FocusGained,
    FocusLost,
    PointerLeft,
    Sound,  // index: the channel; value: how its command ended
};
inline constexpr int kEntryKinds = 11;

struct Entry {
    EntryKind kind = EntryKind::Tick;
    std::int64_t timeUs = 0;    // since the record began, never decreasing
    std::int32_t x = 0, y = 0;  // pointer, layout pixels: the last one's for other kinds
    std::int64_t eventUs = 0;   // a press's own event time, for double clicks
    std::uint32_t index = 0;
    std::int32_t key = 0;
    std::uint32_t mods = 0;
    std::uint8_t button = 0;
    bool repeat = false;
    std::uint32_t value = 0;
    bool operator==(const Entry&) const = default;
};

struct Record {
    std::string gameVersion;
    std::int64_t startedUnix = 0;  // seconds, when the window opened
    std::string name;              // as the end screen shows it, Windows-1252
    std::int32_t score = 0;
    bool tileField = true;  // the introduction was read and the field built
    std::vector<std::string> timers, channels;
    std::vector<std::uint32_t> seeds;
    std::vector<std::string> pastes;  // the clipboard, each time a control read it
    std::vector<std::string> texts;   // typed text, UTF-8
    std::vector<Entry> entries;
    bool operator==(const Record&) const = default;
};

std::string Encode(const Record& record);
// The CRC-32 a record ends with, of all the bytes before it.
std::uint32_t Checksum(std::string_view body);
// Throws RecordError saying what is wrong.
Record Decode(std::string_view bytes);
// Reads only as far as the name and score, for listing records.
Record DecodeHeader(std::string_view bytes);

}  // namespace replay
