#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "game/TextFile.h"
#include "game/TextFileSteps.h"

namespace game {

namespace {

constexpr int kCtrlZ = 0x1A;

std::function<void()>& WriteStepHook() {
    static std::function<void()> hook;
    return hook;
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

// A link is followed only where no other player could have put it: the
// player's own, in a folder only the player may write. Elsewhere it may be a
// trap set to have the game overwrite another of the player's files.
std::string FollowOwnLink(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    const uid_t player = ::geteuid();
    struct stat folder {};
    if (link.st_uid != player || ::stat(FolderOf(path).c_str(), &folder) != 0 || folder.st_uid != player ||
        (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        throw FileError(EACCES);
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
    // have them, so that renaming it would change who may write the file.
    bool TakeOver(const struct stat& old) { return TakeOwnerAndGroup(fd_, old); }
    void TakeDefaultMode() { game::TakeDefaultMode(fd_); }
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

// The first count bytes of the file, to be put back if the new text fails to fit.
std::string ReadHead(int fd, std::size_t count) {
    std::string head(count, '\0');
    std::size_t got = 0;
    while (got < count) {
        BeforeWriteStep();
        const ssize_t n = ::pread(fd, head.data() + got, count - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw FileError(n < 0 ? errno : EIO);
        got += static_cast<std::size_t>(n);
    }
    return head;
}

// The text over the start of the file, in one write so that a stop never finds
// half of it. A write cut short (a full disk, a size limit) is undone: the old
// bytes it covered go back, which fit where they were, and the file its old length.
void WriteOver(int fd, std::string_view text, const std::string& head, off_t oldSize) {
    std::size_t done = 0;
    while (done < text.size()) {
        BeforeWriteStep();
        const ssize_t n = ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            if (::pwrite(fd, head.data(), std::min(done, head.size()), 0) >= 0) (void)::ftruncate(fd, oldSize);
            throw FileError(err);
        }
        done += static_cast<std::size_t>(n);
    }
}

// For a file the player may write in a folder that takes no new file: the new
// text over the old, as an editor saves. Read as lines, the file is the old
// table or the new one after a stop at any step: the room a longer text needs
// is taken without lengthening the file, and a shorter one is followed by a
// Ctrl-Z, which ends the file for a reader until the old end is cut off. A
// score table is small, so it is written from one piece of memory.
void RewriteInPlace(const std::string& target, const struct stat& looked, const std::vector<std::string>& lines) {
    BeforeWriteStep();
    // Not held up by a pipe put in the file's place since it was looked at, nor
    // led by a link put there since.
    const int fd = ::open(target.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) ThrowPathError(target, errno == ELOOP ? EACCES : errno);
    struct Closer {
        int fd;
        ~Closer() {
            if (fd >= 0) ::close(fd);
        }
    } closer{fd};
    struct stat old {};
    if (::fstat(fd, &old) != 0 || !S_ISREG(old.st_mode) || old.st_dev != looked.st_dev || old.st_ino != looked.st_ino)
        throw FileError(EACCES);
    std::string text;
    text.reserve(TextBytes(lines) + 1);
    for (const std::string& line : lines) text.append(line).append("\r\n");
    const auto size = static_cast<off_t>(text.size());
    if (size > old.st_size) {
        BeforeWriteStep();
        if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP) throw FileError(errno);
    } else if (size < old.st_size) {
        text += static_cast<char>(kCtrlZ);
    }
    const std::string head = ReadHead(fd, std::min(text.size(), static_cast<std::size_t>(old.st_size)));
    WriteOver(fd, text, head, old.st_size);
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

void BeforeWriteStep() {
    if (WriteStepHook()) WriteStepHook()();
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void WriteTextFile(const std::string& path, const std::vector<std::string>& lines) {
    const std::string target = FollowOwnLink(path);
    struct stat old {};
    // A link there now was not there a moment ago: it is refused below.
    const bool exists = ::lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) ThrowPathError(target, errno);
    if (exists && S_ISDIR(old.st_mode)) throw FileError(EISDIR);
    // Never a pipe or a device replaced by a file.
    if (exists && !S_ISREG(old.st_mode)) throw FileError(EACCES);
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) throw FileError(errno);

    if (!ReplaceByRename(target, exists ? &old : nullptr, lines)) RewriteInPlace(target, old, lines);
}

void SetWriteStepHook(std::function<void()> hook) { WriteStepHook() = std::move(hook); }

}  // namespace game
