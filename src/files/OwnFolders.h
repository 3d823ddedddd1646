// Folders the program makes for the player alone: the folder it plays in and
// the input method's cache.
#pragma once

#include <string>

namespace files {

// Makes folder and the folders missing on the way to it, each new one readable
// by its owner alone, as the XDG base directories are. Returns 0 when folder is
// then a folder; else the error number of the step that failed, with that
// step's path in failedAt.
int MakeOwnFolders(const std::string& folder, std::string& failedAt);

}  // namespace files
