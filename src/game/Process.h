// Starting a program file as a new, independent process.
#pragma once

#include <string>
#include <vector>

namespace game {

// Starts path with args in the current working folder and returns at once.
// The new process inherits none of our open files or devices and is not our child.
// Returns false when it could not be started.
bool StartDetached(const std::string& path, const std::vector<std::string>& args = {});

// The full path of the running program file.
std::string RunningProgramPath();

}  // namespace game
