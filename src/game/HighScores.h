// The ten-place high-score table and its file: one entry a line, the score in
// decimal immediately followed by the name field, which is six spaces and the
// player's name and travels unchanged through every read and write.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace game {

class TextReader;

struct ScoreEntry {
    std::int32_t score = 0;
    std::string name;  // the name field, its leading spaces included

    bool operator==(const ScoreEntry&) const = default;
};

// Places 1 to 10 at indexes 0 to 9. A place the file did not fill holds score 0 and no name.
using ScoreTable = std::array<ScoreEntry, 10>;

inline constexpr char kScoresFile[] = "./scores.txt";
inline constexpr char kNameIndent[] = "      ";

// A score token: an optional sign, then decimal digits, or hexadecimal digits
// after "$" or "0x"; nothing else, and within the signed 32-bit range.
std::optional<std::int32_t> ParseScore(std::string_view token);

// Reads one entry: blanks and control characters skipped across lines, a token
// of at most 32 characters, the rest of the line as the name field, the line
// end passed. At the end of the file the score is 0. A token that is no number
// raises "Invalid numeric input" once the whole entry has been read.
ScoreEntry ReadScoreEntry(TextReader& in);

// Reads entries into places 1, 2, ... until the file ends or the tenth is read;
// whatever follows the tenth is not read.
ScoreTable ReadScoreTable(const std::string& path);

// Places the new entry at the first place whose score is strictly lower, moving
// the places below it down one and dropping the tenth. Returns its index, or
// nothing when it beats no entry and the table stays as it was.
std::optional<int> EnterScore(ScoreTable& table, const ScoreEntry& entry);

// Highest score first; equal scores keep their order.
void SortScoresDescending(ScoreTable& table);

// The line the end screen shows: score, two spaces, name field.
std::string ShownLine(const ScoreEntry& entry);

// Writes the ten lines, place 1 first, without ever leaving the file cut short;
// a name field that would not read back apart from its score (only a damaged
// file gives one) is written with a space in front.
void WriteScoreTable(const std::string& path, const ScoreTable& table);

// Held from reading the table to writing it back, so that two copies of the
// game ending at once both keep their scores: the later one waits for the
// other's update and then reads the table it left. It is the advisory lock
// (flock) of the file the path names when it is taken. Never fails: a file that
// cannot be opened is left for the read to report, and a lock not had within
// a couple of seconds (a copy stuck holding it) is done without.
class ScoreFileLock {
public:
    explicit ScoreFileLock(const std::string& path);
    ~ScoreFileLock();
    ScoreFileLock(const ScoreFileLock&) = delete;
    ScoreFileLock& operator=(const ScoreFileLock&) = delete;

    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace game
