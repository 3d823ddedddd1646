#include "game/HighScores.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "game/TextFile.h"

namespace game {

namespace {

constexpr std::size_t kMaxToken = 32;
constexpr std::int64_t kLargestMagnitude = 2147483648LL;  // of the lowest score
// Another copy's update takes milliseconds (most of it the flush to the disk).
constexpr auto kLockPatience = std::chrono::seconds(2);
constexpr auto kLockRetry = std::chrono::milliseconds(5);

int DigitValue(char c, int base) {
    int v = 99;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// Blanks, tabs, line ends and every other control character.
bool IsSeparator(int c) { return c <= ' '; }

}  // namespace

std::optional<std::int32_t> ParseScore(std::string_view token) {
    const bool negative = !token.empty() && token[0] == '-';
    if (!token.empty() && (token[0] == '-' || token[0] == '+')) token.remove_prefix(1);
    int base = 10;
    if (token.starts_with('$')) {
        base = 16;
        token.remove_prefix(1);
    } else if (token.starts_with("0x") || token.starts_with("0X")) {
        base = 16;
        token.remove_prefix(2);
    }
    if (token.empty()) return std::nullopt;
    std::int64_t magnitude = 0;
    for (char c : token) {
        const int digit = DigitValue(c, base);
        if (digit < 0) return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > kLargestMagnitude) return std::nullopt;
    }
    if (!negative && magnitude == kLargestMagnitude) return std::nullopt;
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

ScoreEntry ReadScoreEntry(TextReader& in) {
    while (!in.Eof() && IsSeparator(in.Peek())) in.Get();
    std::string token;
    while (token.size() < kMaxToken && !in.Eof() && !IsSeparator(in.Peek()))
        token.push_back(static_cast<char>(in.Get()));

    ScoreEntry entry;
    const std::optional<std::int32_t> score = token.empty() ? std::optional<std::int32_t>(0) : ParseScore(token);
    if (!in.Eof()) entry.name = in.ReadLine();  // also passes the line end; a Ctrl-Z ends the file
    if (!score) throw EInOutError(106, "Invalid numeric input");
    entry.score = *score;
    return entry;
}

ScoreTable ReadScoreTable(const std::string& path) {
    TextReader in(path);
    ScoreTable table;
    for (ScoreEntry& place : table) {
        if (in.Eof()) break;
        place = ReadScoreEntry(in);
    }
    in.Close();
    return table;
}

std::optional<int> EnterScore(ScoreTable& table, const ScoreEntry& entry) {
    const auto rank =
        std::find_if(table.begin(), table.end(), [&](const ScoreEntry& e) { return e.score < entry.score; });
    if (rank == table.end()) return std::nullopt;
    std::move_backward(rank, table.end() - 1, table.end());
    *rank = entry;
    return static_cast<int>(rank - table.begin());
}

void SortScoresDescending(ScoreTable& table) {
    std::stable_sort(table.begin(), table.end(),
                     [](const ScoreEntry& a, const ScoreEntry& b) { return a.score > b.score; });
}

std::string ShownLine(const ScoreEntry& entry) { return std::to_string(entry.score) + "  " + entry.name; }

// The score and its name field as one line of the file. A name field reads back
// as itself only when it starts with a byte that ends the score's token and that
// the line reader keeps: a blank or a control character other than CR, LF and
// Ctrl-Z. The game's own entries start with six spaces; a field read from a
// damaged file may not (a lone CR after the score is dropped on reading, a score
// token cut at its 32nd character leaves the rest to the name). Such a field
// gets a space in front, or the file would no longer read, or would end there.
std::string StoredLine(const ScoreEntry& e) {
    const bool keepsApart = e.name.empty() || (IsSeparator(static_cast<unsigned char>(e.name[0])) &&
                                               e.name[0] != '\r' && e.name[0] != '\n' && e.name[0] != '\x1A');
    return std::to_string(e.score) + (keepsApart ? "" : " ") + e.name;
}

void WriteScoreTable(const std::string& path, const ScoreTable& table) {
    std::vector<std::string> lines;
    lines.reserve(table.size());
    for (const ScoreEntry& e : table) lines.push_back(StoredLine(e));
    WriteTextFile(path, lines);
}

ScoreFileLock::ScoreFileLock(const std::string& path) {
    const auto giveUp = std::chrono::steady_clock::now() + kLockPatience;
    while (std::chrono::steady_clock::now() < giveUp) {
        // Not held up by a FIFO or a device put in the file's place.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return;
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);
            return;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The copy we waited for renamed its new table over the one we locked.
            struct stat named {};
            if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
                fd_ = fd;
                return;
            }
            ::close(fd);
            continue;
        }
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        if (!busy) return;
        std::this_thread::sleep_for(kLockRetry);
    }
}

ScoreFileLock::~ScoreFileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace game
