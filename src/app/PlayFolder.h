// The folder the game plays in. The game opens its text and sound files by bare
// name in its working folder. A folder that holds them all is used as it is
// (`make run`, a copy the player made). An installed game started anywhere else,
// from the menu for one, plays in the player's own folder under the XDG data
// directory, made and filled from the installed data on first start. Files that
// are there are never replaced: the high-score table belongs to the player.
#pragma once

#include <string>
#include <vector>

namespace app {

// Every file the game opens in its working folder.
const std::vector<std::string>& GameFiles();

// What the choice depends on, gathered from the file system and the environment.
struct FolderFacts {
    bool workingFolderHoldsGame = false;  // every one of GameFiles() is there
    bool workingFolderIsInstalledData = false;
    std::string installedData;  // empty: this program was not installed
    std::string xdgDataHome;    // $XDG_DATA_HOME as set, maybe empty
    std::string home;           // the player's home folder, maybe empty
};

enum class FolderKind {
    Working,  // play in the working folder as it is
    PerUser,  // play in the player's folder, seeded from the installed data
    NoHome,   // the player's folder is wanted but there is no home to put it in
};

struct FolderChoice {
    FolderKind kind = FolderKind::Working;
    std::string folder;  // for PerUser: the folder to seed and play in
};

// $XDG_DATA_HOME/swoopy, or ~/.local/share/swoopy when that is unset or not an
// absolute path; empty when there is no absolute home either.
std::string PerUserFolder(const std::string& xdgDataHome, const std::string& home);

FolderChoice ChoosePlayFolder(const FolderFacts& facts);

// Copies each game file that folder lacks from installedData, making folder first
// when needed. An existing file is never replaced, not even by a second copy of
// the game seeding at the same moment. Returns the names it copied.
std::vector<std::string> SeedFolder(const std::string& folder, const std::string& installedData);

// Looks at the working folder, the installed data beside programPath and the
// environment; seeds and enters the player's folder when that is the choice.
// Throws std::runtime_error naming the folder or file that failed.
void EnterPlayFolder(const std::string& programPath);

}  // namespace app
