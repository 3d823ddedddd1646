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

// Reads a whole file at open; then hands it out line by line.
class TextReader {
public:
    explicit TextReader(const std::string& path);

    // No byte left, or the next byte is a Ctrl-Z.
    bool Eof() const;
    // Everything up to the line end (which is passed); lone CRs removed.
    std::string ReadLine();

private:
    std::string bytes_;
    std::size_t pos_ = 0;
};

// Empties or creates the file and writes each line followed by CR LF.
void WriteTextFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace game
