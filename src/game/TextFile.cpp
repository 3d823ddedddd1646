#include "game/TextFile.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace game {

namespace {

constexpr char kCtrlZ = 0x1A;

// Closes the descriptor on every path out.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool ParentFolderExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return true;
    struct stat st {};
    return ::stat(slash == 0 ? "/" : path.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int OpenOrThrow(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd >= 0) return fd;
    const int err = errno;
    // A missing folder is told apart from a missing file, as the game's messages do.
    if (err == ENOENT && !ParentFolderExists(path)) throw FileError(ENOTDIR);
    throw FileError(err);
}

}  // namespace

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

namespace {
constexpr std::size_t kBlockBytes = 65536;
}

TextReader::TextReader(const std::string& path) : TextReader(OpenOrThrow(path, O_RDONLY)) {
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) throw FileError(EISDIR);
}

TextReader::TextReader(int fd) : fd_(fd), block_(kBlockBytes) {}

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

bool TextReader::Eof() {
    const int next = Peek();
    return next < 0 || next == kCtrlZ;
}

std::string TextReader::ReadLine() {
    std::string line;
    for (int c = Peek(); c >= 0; c = Peek()) {
        ++pos_;
        if (c == '\n') break;
        if (c == '\r') {
            if (Peek() == '\n') {
                ++pos_;
                break;
            }
            continue;  // a CR on its own is dropped, it ends nothing
        }
        line.push_back(static_cast<char>(c));
    }
    return line;
}

void WriteTextFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    Fd fd(OpenOrThrow(path, O_WRONLY | O_CREAT | O_TRUNC));
    std::string_view rest(out);
    while (!rest.empty()) {
        const ssize_t n = ::write(fd.get(), rest.data(), rest.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno);
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    if (::close(fd.release()) != 0) throw FileError(errno);
}

}  // namespace game
