#include <unistd.h>

#include "game/TextFile.h"
#include "game/TextFileSteps.h"

namespace game {

// A player may give a file only a group they belong to, and only root an owner.
bool TakeOwnerAndGroup(int fd, const struct stat& old) {
    BeforeWriteStep();
    if (::fchmod(fd, old.st_mode & 07777) != 0) throw FileError(errno);
    struct stat now {};
    if (::fstat(fd, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid) return true;
    BeforeWriteStep();
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) return false;
    // A change of group clears the set-group-ID bit: the mode is given again.
    BeforeWriteStep();
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

void TakeDefaultMode(int fd) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    BeforeWriteStep();
    if (::fchmod(fd, 0666 & ~mask) != 0) throw FileError(errno);
}

}  // namespace game
