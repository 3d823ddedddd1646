#include "app/CommandLine.h"

#include <charconv>
#include <cstdlib>
#include <vector>

namespace app {

namespace {

constexpr std::string_view kUsage = R"(Usage: swoopy [OPTION]...
An arcade game played with the mouse pointer alone.

Options:
  --fullscreen   start full screen (F11 or Alt+Enter switches while playing)
  --scale N      show the window N times the layout's size, N from 1 to 4 in
                 steps of a quarter (as SWOOPY_SCALE; another N is refused)
  --replay [FILE]
                 play a recorded game back in the window, at its own pace
                 and with its sounds; without FILE the record of the
                 high-score table's first place (replays/ keeps the records)
  --verify FILE...
                 check recorded games by playing them again unseen, as fast
                 as they go: prints "FILE: N points, NAME" for each record
                 that reaches its end screen with the score it claims; exit
                 status 1 when any does not (the reason on standard error).
                 Like the game, it plays in the folder the game plays in and
                 needs the sound files and intro.txt there
  --help         print this help and exit
  --version      print the version and exit

Keys:
  P, Pause       pause a running game (so does leaving its window); P, Pause
                 or a click goes on after a count of three
  F11            switch between the window and full screen, as Alt+Enter does
  Space          while replaying: hold the replay, and go on
  Right, Left    while replaying: twice as fast (up to 16 times), normal pace

Records:
  Every game played to its end screen is kept in replays/ in the folder the
  game plays in, named by date, time and score: the records of the games in
  the high-score table and the 20 latest others.

Environment:
  SWOOPY_SCALE   the window's scale, as --scale: in pixels on X11, where without
                 it GDK_SCALE, the X resource Xft.dpi or the screen's density
                 decide; on Wayland in points, drawn at the output's own scale
  GDK_SCALE      the desktop's scale on X11, when SWOOPY_SCALE is not set
  XDG_DATA_HOME  the installed game plays in $XDG_DATA_HOME/swoopy
                 (~/.local/share/swoopy when unset)
  XDG_CACHE_HOME where the X input method's compose cache goes
                 ($XDG_CACHE_HOME/swoopy/compose, ~/.cache/swoopy/compose)
  XCOMPOSECACHE  a compose cache of your own, used instead
  SWOOPY_TRACE   a file to write one line per presented frame to, for measuring
)";

// A factor the window can take: 1 to 4 in quarter steps. Anything else would
// only be clamped or rounded behind the player's back.
bool IsFactor(std::string_view s) {
    double value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || error != std::errc() || end != s.data() + s.size()) return false;
    return value >= 1 && value <= 4 && value * 4 == static_cast<int>(value * 4);
}

CommandLine Only(CommandAction action, std::string problem = {}) {
    CommandLine c;
    c.action = action;
    c.problem = std::move(problem);
    return c;
}

CommandLine Refuse(std::string problem) { return Only(CommandAction::Refuse, std::move(problem)); }

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> args) {
    CommandLine command;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        // Asked for help or the version, the rest of the line does not matter.
        if (arg == "--help") return Only(CommandAction::Help);
        if (arg == "--version") return Only(CommandAction::Version);
        if (arg == "--verify") {
            if (i + 1 == args.size()) return Refuse("option '--verify' needs a record's file");
            command.action = CommandAction::Verify;
            command.records.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            return command;
        }
        if (arg == "--replay") {
            command.action = CommandAction::Replay;
            if (i + 1 < args.size() && !args[i + 1].starts_with("--")) command.records.emplace_back(args[++i]);
            continue;
        }
        if (arg == "--fullscreen") {
            command.screen = StartScreen::FullScreen;
            continue;
        }
        std::string_view factor;
        if (arg == "--scale") {
            if (i + 1 == args.size()) return Refuse("option '--scale' needs a factor");
            factor = args[++i];
        } else if (arg.starts_with("--scale=")) {
            factor = arg.substr(8);
        } else {
            return Refuse("unknown option '" + std::string(arg) + "'");
        }
        if (!IsFactor(factor))
            return Refuse("'" + std::string(factor) + "' is not a factor for --scale: 1 to 4 in steps of a quarter");
        command.scale = factor;
    }
    return command;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return ParseCommandLine(args);
}

std::string UsageText() { return std::string(kUsage); }

std::string VersionText() { return "swoopy " SWOOPY_VERSION "\n"; }

std::optional<int> AnswerCommandLine(const CommandLine& command, std::ostream& out, std::ostream& err) {
    switch (command.action) {
        case CommandAction::Help: out << UsageText(); return 0;
        case CommandAction::Version: out << VersionText(); return 0;
        case CommandAction::Refuse: err << "swoopy: " << command.problem << "\n" << UsageText(); return 2;
        case CommandAction::Play:
        case CommandAction::Verify:
        case CommandAction::Replay: break;
    }
    if (!command.scale.empty()) setenv("SWOOPY_SCALE", command.scale.c_str(), 1);
    return std::nullopt;
}

}  // namespace app
