// What the text-file reader, writer and owner keeping share: the game's path
// errors and the test hook before each step of a write.
#pragma once

#include <string>
#include <sys/stat.h>

namespace game {

// A missing folder is told apart from a missing file, as the game's messages do.
[[noreturn]] void ThrowPathError(const std::string& path, int err);
int OpenOrThrow(const std::string& path, int flags);
std::string FolderOf(const std::string& path);
// Calls the hook SetWriteStepHook gave, if any.
void BeforeWriteStep();

// The old file's mode, owner and group on the new file. False when the new file
// cannot have them, so that renaming it would change who may write the file.
bool TakeOwnerAndGroup(int fd, const struct stat& old);
// What an ordinary new file would get: 0666 less the umask.
void TakeDefaultMode(int fd);

}  // namespace game
