// A small binary file written and read in one go. Writing puts the bytes in a
// new file beside the target and renames it into place once it is on the disk,
// so the name never holds a cut file.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace files {

// Says the file and the system's reason; Reason() is the reason alone.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& path, std::string reason)
        : std::runtime_error(path + ": " + reason), reason_(std::move(reason)) {}
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

// Throws FileError.
void WriteWholeFile(const std::string& path, std::string_view bytes);
// At most maxBytes + 1 bytes, so a caller sees that a file is too large
// without reading all of it. Throws FileError.
std::string ReadWholeFile(const std::string& path, std::size_t maxBytes);

}  // namespace files
