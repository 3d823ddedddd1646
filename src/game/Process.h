// Starting a program file as a new, independent process.
#pragma once

#include <string>

namespace game {

// Starts path in the current working folder with no arguments and returns at once.
// The new process inherits none of our open files or devices and is not our child.
// Returns false when it could not be started.
bool StartDetached(const std::string& path);

// The full path of the running program file.
std::string RunningProgramPath();

}  // namespace game
