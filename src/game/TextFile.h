// The game's 8-bit text files: a line ends at CR LF or LF, a lone CR is dropped,
// a Ctrl-Z where a line would begin ends the file. Writing ends every line with
// CR LF and keeps the bytes unchanged. Failures raise EInOutError with the
// game's own messages.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace game {

class EInOutError : public std::runtime_error {
public:
    EInOutError(int code, const std::string& message) : std::runtime_error(message), ErrorCode(code) {}
    int ErrorCode;
};

// The message for an errno value: "File not found", "Invalid filename", ...
EInOutError FileError(int err);

// Text goes to and from the disk in blocks of this size.
constexpr std::size_t kTextBlockBytes = 65536;

// Hands a file out line by line, reading it a block at a time as the lines are
// asked for: a huge file costs only the lines taken from it, and a read error
// raises only once the lines before it have been handed out.
class TextReader {
public:
    explicit TextReader(const std::string& path);
    // Reads from a descriptor that is already open, and closes it.
    explicit TextReader(int fd);
    ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // No byte left, or the next byte is a Ctrl-Z. May read the next block.
    bool Eof();
    // Everything up to the line end (which is passed); lone CRs removed. Of a
    // longer line only the first `keep` bytes are kept: the rest is passed over.
    std::string ReadLine(std::size_t keep = std::string::npos);
    // Closes the file, raising what closing reports.
    void Close();

    // Byte by byte, for readers of numbers: the next byte (0-255) without
    // taking it, or -1 at the end of the file; Get takes it.
    int Peek();
    int Get();

private:
    bool Fill();

    int fd_ = -1;
    std::vector<char> block_;
    std::size_t pos_ = 0, end_ = 0;
    bool atEnd_ = false;
};

// Puts the lines, each followed by CR LF, in place of the file's contents, or
// creates the file. The old contents are never cut short first: the lines go
// to a new file in the same folder, which is flushed to the disk, given the old
// file's permissions, owner and group and renamed over it, so after any failure
// or interruption the file holds either its old bytes or the new ones. A file
// that may not be written is refused, as writing it in place would be. A file
// that may be written but not so replaced is rewritten in place instead: in a
// folder that takes no new file, in a folder with the sticky bit that keeps
// another player's file from being replaced, or where the new file could not
// have the old one's owner and group, which would change who may write it.
// There a failed write (a full disk) leaves the old bytes, and a stopped
// program leaves a file that reads as the old lines or the new ones, though a
// shorter text may still have a Ctrl-Z and the old end after it. Only a crash
// of the whole system in the middle of the one write may leave a mix.
// A link is followed only when it is the player's own, in a folder no one else
// may write; elsewhere it is refused as a file that may not be written.
void WriteTextFile(const std::string& path, const std::vector<std::string>& lines);

// Tests: called before every system call that WriteTextFile makes on the new
// file or its folder, so a test can stop the process at each of them in turn.
void SetWriteStepHook(std::function<void()> hook);

}  // namespace game
