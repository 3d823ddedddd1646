// The game's 8-bit text files: a line ends at CR LF or LF, a lone CR is dropped,
// a Ctrl-Z where a line would begin ends the file. Writing ends every line with
// CR LF and keeps the bytes unchanged. Failures raise EInOutError with the
// game's own messages.
#pragma once

#include <cstddef>
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
    // Everything up to the line end (which is passed); lone CRs removed.
    std::string ReadLine();
    // Closes the file, raising what closing reports.
    void Close();

private:
    // The next byte without taking it, or -1 at the end of the file.
    int Peek();
    bool Fill();

    int fd_ = -1;
    std::vector<char> block_;
    std::size_t pos_ = 0, end_ = 0;
    bool atEnd_ = false;
};

// Empties or creates the file and writes each line followed by CR LF.
void WriteTextFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace game
