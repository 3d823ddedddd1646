// The command line: a few options for players and packagers. Without options
// the game starts as it always has.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace app {

enum class CommandAction { Play, Help, Version, Refuse, Verify, Replay };
enum class StartScreen { Window, FullScreen };

struct CommandLine {
    CommandAction action = CommandAction::Play;
    StartScreen screen = StartScreen::Window;
    std::string scale;    // --scale's factor, empty when not given
    std::string problem;  // for Refuse: what was wrong
    // For Verify: the records; for Replay: the record, or none for the first place's.
    std::vector<std::string> records;
    bool operator==(const CommandLine&) const = default;
};

// The arguments after the program's name.
CommandLine ParseCommandLine(std::span<const std::string_view> args);
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The usage and the environment settings the game reads, as --help prints them.
std::string UsageText();
std::string VersionText();

// Prints what the command line asks for and returns the exit code, or nothing
// when the game is to start; then --scale has become SWOOPY_SCALE. Call it
// before any thread starts, as it may change the environment.
std::optional<int> AnswerCommandLine(const CommandLine& command, std::ostream& out, std::ostream& err);

}  // namespace app
