#include "game/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace game {

namespace {

constexpr int kCtrlZ = 0x1A;

bool ParentFolderExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return true;
    struct stat st {};
    return ::stat(slash == 0 ? "/" : path.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A missing folder is told apart from a missing file, as the game's messages do.
[[noreturn]] void ThrowPathError(const std::string& path, int err) {
    if (err == ENOENT && !ParentFolderExists(path)) throw FileError(ENOTDIR);
    throw FileError(err);
}

int OpenOrThrow(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) ThrowPathError(path, errno);
    return fd;
}

std::function<void()>& WriteStepHook() {
    static std::function<void()> hook;
    return hook;
}

void BeforeWriteStep() {
    if (WriteStepHook()) WriteStepHook()();
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// All of bytes, from the descriptor's offset on.
void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        BeforeWriteStep();
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The lines, each followed by CR LF, from the descriptor's offset on; in
// pieces, so a long text never needs a second copy in memory.
void WriteLines(int fd, const std::vector<std::string>& lines) {
    std::string piece;
    piece.reserve(kTextBlockBytes);
    auto put = [&](std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t take = std::min(bytes.size(), kTextBlockBytes - piece.size());
            piece.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (piece.size() == kTextBlockBytes) {
                WriteAll(fd, piece);
                piece.clear();
            }
        }
    };
    for (const std::string& line : lines) {
        put(line);
        put("\r\n");
    }
    WriteAll(fd, piece);
}

// How many bytes WriteLines writes.
std::size_t TextBytes(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    return size;
}

// A link to the high scores keeps pointing at them: its target is what gets replaced.
std::string FollowLink(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char target[PATH_MAX];
    if (!::realpath(path.c_str(), target)) ThrowPathError(path, errno);
    return target;
}

// The new file while it is being written: removed again unless it was renamed into place.
class NewFile {
public:
    // A hidden name beside the target that no other writer can be using.
    // Error() tells why the folder did not take it, 0 when it did.
    explicit NewFile(const std::string& target)
        : path_(FolderOf(target) + "/." + target.substr(target.find_last_of('/') + 1) + ".XXXXXX") {
        BeforeWriteStep();
        fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
        made_ = fd_ >= 0;
        if (!made_) error_ = errno;
    }
    int Error() const { return error_; }
    ~NewFile() {
        if (fd_ >= 0) ::close(fd_);
        if (made_ && !renamed_) ::unlink(path_.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // The old file's mode, owner and group. False when the new file cannot
    // have them, so that renaming it would change who may write the file:
    // a player may give a file only a group they belong to, and only root an owner.
    bool TakeOver(const struct stat& old) {
        BeforeWriteStep();
        if (::fchmod(fd_, old.st_mode & 07777) != 0) throw FileError(errno);
        struct stat now {};
        if (::fstat(fd_, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid) return true;
        BeforeWriteStep();
        if (::fchown(fd_, old.st_uid, old.st_gid) != 0) return false;
        // A change of group clears the set-group-ID bit: the mode is given again.
        BeforeWriteStep();
        return ::fchmod(fd_, old.st_mode & 07777) == 0;
    }
    // What an ordinary new file would get: 0666 less the umask.
    void TakeDefaultMode() {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        BeforeWriteStep();
        if (::fchmod(fd_, 0666 & ~mask) != 0) throw FileError(errno);
    }
    void Write(const std::vector<std::string>& lines) { WriteLines(fd_, lines); }
    // On the disk before it takes the old file's name, so a crash never finds
    // the name on an empty file. False when the folder refuses to let the old
    // file go: a folder with the sticky bit (as /tmp) keeps another player's
    // file from anyone but its owner, even where the file itself may be written.
    bool Commit(const std::string& target) {
        BeforeWriteStep();
        if (::fsync(fd_) != 0) throw FileError(errno);
        BeforeWriteStep();
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) throw FileError(errno);
        BeforeWriteStep();
        if (::rename(path_.c_str(), target.c_str()) != 0) {
            if (errno == EPERM) return false;
            throw FileError(errno);
        }
        renamed_ = true;
        return true;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool made_ = false;
    bool renamed_ = false;
    int error_ = 0;
};

// For a file the player may write in a folder that takes no new file: the new
// text over the old, as an editor saves. The room it needs beyond the old
// length is taken first, so a full disk leaves the file as it was.
void RewriteInPlace(const std::string& target, const std::vector<std::string>& lines) {
    BeforeWriteStep();
    // Not held up by a pipe put in the file's place since it was looked at.
    const int fd = OpenOrThrow(target, O_WRONLY | O_NOCTTY | O_NONBLOCK);
    struct Closer {
        int fd;
        ~Closer() {
            if (fd >= 0) ::close(fd);
        }
    } closer{fd};
    struct stat old {};
    if (::fstat(fd, &old) != 0 || !S_ISREG(old.st_mode)) throw FileError(EACCES);
    const auto size = static_cast<off_t>(TextBytes(lines));
    if (size > old.st_size) {
        BeforeWriteStep();
        if (const int err = ::posix_fallocate(fd, old.st_size, size - old.st_size); err != 0) throw FileError(err);
    }
    WriteLines(fd, lines);
    BeforeWriteStep();
    if (::ftruncate(fd, size) != 0) throw FileError(errno);
    BeforeWriteStep();
    if (::fsync(fd) != 0) throw FileError(errno);
    closer.fd = -1;
    BeforeWriteStep();
    if (::close(fd) != 0) throw FileError(errno);
}

// The rename on the disk too. The new table is in place whatever this says,
// so a failure here is not reported as a failed write.
void SyncFolder(const std::string& folder) {
    BeforeWriteStep();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    BeforeWriteStep();
    ::fsync(fd);
    ::close(fd);
}

// The lines in a new file renamed over the old one (old: its status, null when
// there is none). False, with the new file removed again, when the old file may
// be written but not replaced: the folder takes no new file, refuses the
// rename, or the new file could not have the old one's owner and group.
bool ReplaceByRename(const std::string& target, const struct stat* old, const std::vector<std::string>& lines) {
    NewFile file(target);
    if (const int err = file.Error(); err != 0) {
        if (old && (err == EACCES || err == EPERM)) return false;
        ThrowPathError(target, err);
    }
    if (!old)
        file.TakeDefaultMode();
    else if (!file.TakeOver(*old))
        return false;
    file.Write(lines);
    if (!file.Commit(target)) {
        if (old) return false;
        throw FileError(EPERM);
    }
    SyncFolder(FolderOf(target));
    return true;
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

void WriteTextFile(const std::string& path, const std::vector<std::string>& lines) {
    const std::string target = FollowLink(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) ThrowPathError(target, errno);
    if (exists && S_ISDIR(old.st_mode)) throw FileError(EISDIR);
    // Never a pipe or a device replaced by a file.
    if (exists && !S_ISREG(old.st_mode)) throw FileError(EACCES);
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) throw FileError(errno);

    if (!ReplaceByRename(target, exists ? &old : nullptr, lines)) RewriteInPlace(target, lines);
}

void SetWriteStepHook(std::function<void()> hook) { WriteStepHook() = std::move(hook); }

}  // namespace game
