// Which folder the game plays in, and how the player's own folder is filled.
#include "app/PlayFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(PlayFolderTest, ChoosesTheWorkingFolderOrThePlayersOwn) {
    struct Case {
        const char* what;
        app::FolderFacts facts;
        app::FolderKind kind;
        std::string folder;
    };
    const std::string data = "/usr/share/games/swoopy";
    const Case cases[] = {
        {"a folder holding the files, installed or not",
         {true, false, data, "", "/home/ann"},
         app::FolderKind::Working,
         ""},
        {"a build tree's program with files", {true, false, "", "", "/home/ann"}, app::FolderKind::Working, ""},
        {"a build tree's program without files: the game reports them",
         {false, false, "", "", "/home/ann"},
         app::FolderKind::Working,
         ""},
        {"installed, started elsewhere",
         {false, false, data, "", "/home/ann"},
         app::FolderKind::PerUser,
         "/home/ann/.local/share/swoopy"},
        {"installed, XDG_DATA_HOME set",
         {false, false, data, "/data/ann", "/home/ann"},
         app::FolderKind::PerUser,
         "/data/ann/swoopy"},
        {"a relative XDG_DATA_HOME is ignored",
         {false, false, data, "data", "/home/ann"},
         app::FolderKind::PerUser,
         "/home/ann/.local/share/swoopy"},
        {"started inside the installed data",
         {true, true, data, "", "/home/ann"},
         app::FolderKind::PerUser,
         "/home/ann/.local/share/swoopy"},
        {"no home at all", {false, false, data, "", ""}, app::FolderKind::NoHome, ""},
        {"a relative home is no home", {false, false, data, "", "ann"}, app::FolderKind::NoHome, ""},
        {"no home, but XDG_DATA_HOME",
         {false, false, data, "/data/ann", ""},
         app::FolderKind::PerUser,
         "/data/ann/swoopy"},
    };
    for (const Case& c : cases) {
        const app::FolderChoice choice = app::ChoosePlayFolder(c.facts);
        EXPECT_EQ(choice.kind, c.kind) << c.what;
        EXPECT_EQ(choice.folder, c.folder) << c.what;
    }
}

class SeedFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("swoopy-seed-" + std::to_string(::getpid()));
        data_ = root_ / "usr/share/games/swoopy";
        player_ = root_ / "home/.local/share/swoopy";
        fs::remove_all(root_);
        fs::create_directories(data_);
        for (const std::string_view name : app::GameFiles()) Write(data_ / name, "installed " + std::string(name));
    }
    void TearDown() override { fs::remove_all(root_); }

    static void Write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::set<std::string> Listing() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(player_)) names.insert(entry.path().filename().string());
        return names;
    }
    std::set<std::string> All() const {
        const auto files = app::GameFiles();
        return {files.begin(), files.end()};
    }

    fs::path root_;
    fs::path data_;
    fs::path player_;
};

TEST_F(SeedFolderTest, FillsANewFolderThenLeavesThePlayersFilesAlone) {
    const auto copied = app::SeedFolder(player_.string(), data_.string());
    EXPECT_EQ(std::set<std::string>(copied.begin(), copied.end()), All());
    EXPECT_EQ(Listing(), All()) << "only the game's files, no leftovers of the copying";
    for (const std::string_view name : app::GameFiles())
        EXPECT_EQ(Read(player_ / name), "installed " + std::string(name));
    EXPECT_EQ(fs::status(player_).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(player_.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);

    // The player's scores and a changed intro stay; lost sounds and intro come back.
    Write(player_ / "scores.txt", "900      Ann\r\n");
    fs::remove(player_ / "click.wav");
    fs::remove(player_ / "alarm.wav");
    Write(data_ / "scores.txt", "a newer version's scores");
    Write(data_ / "click.wav", "a newer version's click");
    const auto again = app::SeedFolder(player_.string(), data_.string());
    EXPECT_EQ(std::set<std::string>(again.begin(), again.end()), (std::set<std::string>{"alarm.wav", "click.wav"}));
    EXPECT_EQ(Read(player_ / "scores.txt"), "900      Ann\r\n");
    EXPECT_EQ(Read(player_ / "click.wav"), "a newer version's click");
    EXPECT_EQ(Listing(), All());
    EXPECT_TRUE(app::SeedFolder(player_.string(), data_.string()).empty());
}

TEST_F(SeedFolderTest, SkipsWhatTheInstallationLacksAndNamesAFolderItCannotMake) {
    fs::remove(data_ / "bonus.wav");
    const auto copied = app::SeedFolder(player_.string(), data_.string());
    EXPECT_EQ(copied.size(), All().size() - 1);
    EXPECT_FALSE(fs::exists(player_ / "bonus.wav"));

    const fs::path blocked = root_ / "file-in-the-way";
    Write(blocked, "");
    try {
        app::SeedFolder((blocked / "swoopy").string(), data_.string());
        ADD_FAILURE() << "expected an error for a folder under a file";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(blocked.string()), std::string::npos) << e.what();
    }
}

TEST(PlayFolderTest, TheGamesFilesAreTheShippedOnes) {
    const char* assets = std::getenv("SWOOPY_ASSETS");
    if (!assets) GTEST_SKIP() << "SWOOPY_ASSETS is not set";
    std::set<std::string> shipped;
    for (const auto& entry : fs::directory_iterator(assets)) shipped.insert(entry.path().filename().string());
    const auto files = app::GameFiles();
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()), shipped);
}

}  // namespace
