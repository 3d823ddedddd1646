#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "game/TextFile.h"
#include "game/TextFileSteps.h"

namespace game {

namespace {

constexpr int kCtrlZ = 0x1A;

bool ParentFolderExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return true;
    struct stat st {};
    return ::stat(slash == 0 ? "/" : path.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void ThrowPathError(const std::string& path, int err) {
    if (err == ENOENT && !ParentFolderExists(path)) throw FileError(ENOTDIR);
    throw FileError(err);
}

int OpenOrThrow(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) ThrowPathError(path, errno);
    return fd;
}

EInOutError FileError(int err) {
    switch (err) {
        case ENOENT: return EInOutError(2, "File not found");
        case ENOTDIR:
        case ENAMETOOLONG:
        case EISDIR: return EInOutError(3, "Invalid filename");
        case EMFILE:
        case ENFILE: return EInOutError(4, "Too many open files");
        case EACCES:
        case EPERM:
        case EROFS: return EInOutError(5, "File access denied");
        default: return EInOutError(err, "I/O error " + std::to_string(err));
    }
}

// Only a file is read. A pipe would keep the game waiting for a writer (the
// open itself does not wait here) and a device may never end, so they are
// refused like a file that may not be read.
TextReader::TextReader(const std::string& path) : TextReader(OpenOrThrow(path, O_RDONLY | O_NONBLOCK | O_NOCTTY)) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw FileError(errno);
    if (S_ISDIR(st.st_mode)) throw FileError(EISDIR);
    if (!S_ISREG(st.st_mode)) throw FileError(EACCES);
    // A file's reads wait as usual (some file systems would otherwise answer "try again").
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}

TextReader::TextReader(int fd) : fd_(fd), block_(kTextBlockBytes) {}

TextReader::~TextReader() {
    if (fd_ >= 0) ::close(fd_);
}

void TextReader::Close() {
    const int fd = fd_;
    fd_ = -1;
    atEnd_ = true;
    if (fd >= 0 && ::close(fd) != 0) throw FileError(errno);
}

bool TextReader::Fill() {
    if (atEnd_) return false;
    for (;;) {
        const ssize_t n = ::read(fd_, block_.data(), block_.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno);
        }
        pos_ = 0;
        end_ = static_cast<std::size_t>(n);
        atEnd_ = n == 0;
        return n > 0;
    }
}

int TextReader::Peek() {
    if (pos_ >= end_ && !Fill()) return -1;
    return static_cast<unsigned char>(block_[pos_]);
}

int TextReader::Get() {
    const int c = Peek();
    if (c >= 0) ++pos_;
    return c;
}

bool TextReader::Eof() {
    const int next = Peek();
    return next < 0 || next == kCtrlZ;
}

std::string TextReader::ReadLine(std::size_t keep) {
    std::string line;
    const auto take = [&line, keep](const char* bytes, std::size_t count) {
        if (line.size() < keep) line.append(bytes, std::min(count, keep - line.size()));
    };
    // The block is taken a run at a time, up to the LF: a megabyte line is
    // copied in pieces, not byte by byte. Every CR is dropped, the one of a
    // CR LF as well as a lone one.
    while (pos_ < end_ || Fill()) {
        const char* run = block_.data() + pos_;
        const std::size_t left = end_ - pos_;
        const auto* lf = static_cast<const char*>(std::memchr(run, '\n', left));
        const char* const end = lf ? lf : run + left;
        pos_ += static_cast<std::size_t>(end - run) + (lf ? 1 : 0);
        while (const auto* cr = static_cast<const char*>(std::memchr(run, '\r', static_cast<std::size_t>(end - run)))) {
            take(run, static_cast<std::size_t>(cr - run));
            run = cr + 1;
        }
        take(run, static_cast<std::size_t>(end - run));
        if (lf) break;
    }
    return line;
}

}  // namespace game
