#include "app/PlayFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "layout/TForm1.h"
#include "files/OwnFolders.h"

#ifndef SWOOPY_DATA_FROM_BIN
#error "SWOOPY_DATA_FROM_BIN: the installed data folder, relative to the program's folder"
#endif

namespace app {

namespace fs = std::filesystem;

namespace {

std::runtime_error Failure(const std::string& what, const fs::path& path, int err) {
    return std::runtime_error(what + " " + path.string() + ": " + std::strerror(err));
}

// Links part in as to, unless something is there already.
bool PlaceWithoutReplacing(const fs::path& part, const fs::path& to) {
    if (::link(part.c_str(), to.c_str()) == 0) return true;
    if (errno == EEXIST) return false;
    // A file system without hard links: a rename, after one more look.
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec))) return false;
    if (::rename(part.c_str(), to.c_str()) == 0) return true;
    throw Failure("Cannot copy to", to, errno);
}

// Copied under a private name first and then put in place: a file appears whole
// or not at all, and one that is already there stays as it is.
bool CopyIfMissing(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec))) return false;
    const fs::path part = to.parent_path() / ("." + to.filename().string() + ".part-" + std::to_string(::getpid()));
    bool placed = false;
    fs::copy_file(from, part, fs::copy_options::overwrite_existing, ec);
    try {
        if (ec) throw Failure("Cannot copy " + from.string() + " to", to, ec.value());
        placed = PlaceWithoutReplacing(part, to);
    } catch (...) {
        fs::remove(part, ec);
        throw;
    }
    fs::remove(part, ec);
    return placed;
}

bool HoldsGame(const fs::path& folder) {
    std::error_code ec;
    for (const std::string& name : GameFiles())
        if (!fs::is_regular_file(folder / name, ec)) return false;
    return true;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

FolderFacts LookAround(const std::string& programPath) {
    FolderFacts facts;
    std::error_code ec;
    const fs::path working = fs::current_path(ec);
    facts.workingFolderHoldsGame = !ec && HoldsGame(working);
    const fs::path data = fs::path(programPath).parent_path() / SWOOPY_DATA_FROM_BIN;
    if (!programPath.empty() && fs::is_directory(data, ec)) {
        facts.installedData = fs::canonical(data, ec).string();
        facts.workingFolderIsInstalledData = fs::equivalent(working, data, ec);
    }
    if (const char* xdg = std::getenv("XDG_DATA_HOME")) facts.xdgDataHome = xdg;
    facts.home = HomeFolder();
    return facts;
}

}  // namespace

const std::vector<std::string>& GameFiles() {
    static const std::vector<std::string> files = layout::TForm1::GameFiles();
    return files;
}

std::string PerUserFolder(const std::string& xdgDataHome, const std::string& home) {
    if (fs::path(xdgDataHome).is_absolute()) return (fs::path(xdgDataHome) / "swoopy").string();
    if (fs::path(home).is_absolute()) return (fs::path(home) / ".local/share/swoopy").string();
    return {};
}

FolderChoice ChoosePlayFolder(const FolderFacts& facts) {
    // The installed data folder is the packager's, not the player's: the scores
    // could not be written there, and an upgrade would replace them.
    const bool playHere = facts.workingFolderHoldsGame && !facts.workingFolderIsInstalledData;
    if (playHere || facts.installedData.empty()) return {FolderKind::Working, {}};
    std::string folder = PerUserFolder(facts.xdgDataHome, facts.home);
    if (folder.empty()) return {FolderKind::NoHome, {}};
    return {FolderKind::PerUser, std::move(folder)};
}

std::vector<std::string> SeedFolder(const std::string& folder, const std::string& installedData) {
    std::string failedAt;
    if (const int err = files::MakeOwnFolders(folder, failedAt)) throw Failure("Cannot make the folder", failedAt, err);
    std::vector<std::string> copied;
    std::error_code ec;
    for (const std::string& name : GameFiles()) {
        const fs::path from = fs::path(installedData) / name;
        // A file the installation lacks is reported by the game when it opens it.
        if (!fs::is_regular_file(from, ec)) continue;
        if (CopyIfMissing(from, fs::path(folder) / name)) copied.emplace_back(name);
    }
    return copied;
}

void EnterPlayFolder(const std::string& programPath) {
    const FolderFacts facts = LookAround(programPath);
    const FolderChoice choice = ChoosePlayFolder(facts);
    switch (choice.kind) {
        case FolderKind::Working: return;
        case FolderKind::NoHome:
            throw std::runtime_error("No folder for the high scores: neither XDG_DATA_HOME nor HOME names one");
        case FolderKind::PerUser:
            SeedFolder(choice.folder, facts.installedData);
            if (::chdir(choice.folder.c_str()) != 0) throw Failure("Cannot enter the folder", choice.folder, errno);
            return;
    }
}

}  // namespace app
