// The end of a game through the real check tick: the high-score table's rules,
// odd and broken score files, and a rewrite that fails.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>
#include <sys/resource.h>
#include <unistd.h>

#include "game/GameHarness.h"
#include "game/HighScores.h"
#include "game/TextFile.h"

namespace {

using gametest::GameHarness;
using gametest::PlayFolder;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

constexpr int kEditX = 760, kEditY = 140;
constexpr int kStartX = 785, kStartY = 176;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

Lines FolderEntries(const fs::path& dir) {
    Lines names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Types the name, presses Start, and lets the check tick find the game over
// with this score: by time, or by lives when redTouched. The count of black
// squares then lies in the first mover stage, which the same check tick applies
// after its end tests, so only a finished end sequence shows Rvierkant1.
void PlayToTheEnd(GameHarness& game, const std::string& name, int score, bool outOfLives = false) {
    game.platform.Click(kEditX, kEditY);
    game.platform.Key('a', scene::kmCtrl);
    game.platform.Key(scene::kDelete);
    game.platform.Type(name);
    game.platform.Click(kStartX, kStartY);
    game.app.RunFor(10);
    game.form->State.score = score;
    game.form->State.hits = 6;
    (outOfLives ? game.form->State.lives : game.form->State.timeLeft) = -1;
    game.app.RunFor(40);
}

bool EndScreenShown(const layout::TForm1& f) {
    return f.witeinde.Visible() && f.Scoreseind.Visible() && f.eindscore.Visible() && f.tryagain.Visible() &&
           f.closeall.Visible();
}

std::string Entries(std::initializer_list<std::pair<int, const char*>> entries) {
    std::string bytes;
    for (const auto& [score, name] : entries) bytes += std::to_string(score) + "      " + name + "\r\n";
    return bytes;
}

// clang-format off
const std::string kTen = Entries({{900, "Ann"}, {800, "Bob"}, {700, "Cy"},  {600, "Dee"}, {500, "Eli"},
                                  {400, "Fay"}, {300, "Gus"}, {200, "Hal"}, {100, "Ida"}, {50, "Jo"}});
// clang-format on

TEST(EndOfGameTest, TheScoreEntersTheTableAtTheFirstStrictlyLowerPlace) {
    struct Case {
        const char* what;
        const char* name;
        int score;
        std::string fileAfter;
    };
    const Case cases[] = {
        // clang-format off
        {"new first place", "Zed", 1000,
         Entries({{1000, "Zed"}, {900, "Ann"}, {800, "Bob"}, {700, "Cy"}, {600, "Dee"}, {500, "Eli"},
                  {400, "Fay"}, {300, "Gus"}, {200, "Hal"}, {100, "Ida"}})},
        {"tenth place", "Zed", 60,
         Entries({{900, "Ann"}, {800, "Bob"}, {700, "Cy"}, {600, "Dee"}, {500, "Eli"}, {400, "Fay"},
                  {300, "Gus"}, {200, "Hal"}, {100, "Ida"}, {60, "Zed"}})},
        {"ninth place", "Zed", 150,
         Entries({{900, "Ann"}, {800, "Bob"}, {700, "Cy"}, {600, "Dee"}, {500, "Eli"}, {400, "Fay"},
                  {300, "Gus"}, {200, "Hal"}, {150, "Zed"}, {100, "Ida"}})},
        {"a tie with the tenth", "Zed", 50, kTen},
        {"an empty name", "", 450,
         Entries({{900, "Ann"}, {800, "Bob"}, {700, "Cy"}, {600, "Dee"}, {500, "Eli"}, {450, ""},
                  {400, "Fay"}, {300, "Gus"}, {200, "Hal"}, {100, "Ida"}})},
        {"a name with spaces and accents, typed in UTF-8", " R\xC3\xA9mi  B ", 900,
         Entries({{900, "Ann"}, {900, " R\xE9mi  B "}, {800, "Bob"}, {700, "Cy"}, {600, "Dee"}, {500, "Eli"},
                  {400, "Fay"}, {300, "Gus"}, {200, "Hal"}, {100, "Ida"}})},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlayFolder folder;
        folder.Write("scores.txt", kTen);
        GameHarness game;
        auto& f = game.Start();
        PlayToTheEnd(game, c.name, c.score);

        EXPECT_EQ(game.app.ShownBoxes().size(), 0u);
        EXPECT_EQ(ReadBytes(folder.Path() / "scores.txt"), c.fileAfter);
        // The panel shows each stored line with two more spaces after the score.
        Lines shown;
        game::TextReader stored((folder.Path() / "scores.txt").string());
        while (!stored.Eof()) {
            const std::string line = stored.ReadLine();
            shown.push_back(line.substr(0, line.find(' ')) + "  " + line.substr(line.find(' ')));
        }
        EXPECT_EQ(f.Scoreseind.Lines(), shown);
        EXPECT_TRUE(EndScreenShown(f));
        EXPECT_TRUE(f.Rvierkant1.Visible());
        EXPECT_TRUE(f.geentijd.Visible());
        EXPECT_FALSE(f.geenlevens.Visible());
        EXPECT_EQ(f.eindscore.Caption(), "Final score:  " + std::to_string(c.score) + " points");
    }
}

TEST(EndOfGameTest, ASecondGameReadsTheFileBackUnchanged) {
    PlayFolder folder;
    folder.Write("scores.txt", kTen);
    std::string afterFirst;
    {
        GameHarness game;
        game.Start();
        PlayToTheEnd(game, "Zed", 150, /*outOfLives=*/true);
        EXPECT_TRUE(game.form->geenlevens.Visible());
        EXPECT_FALSE(game.form->geentijd.Visible());
        afterFirst = ReadBytes(folder.Path() / "scores.txt");
    }
    GameHarness game;
    auto& f = game.Start();
    PlayToTheEnd(game, "Low", 12);
    EXPECT_TRUE(EndScreenShown(f));
    EXPECT_EQ(f.Scoreseind.Lines()[8], "150        Zed") << "eight spaces between score and name";
    EXPECT_EQ(ReadBytes(folder.Path() / "scores.txt"), afterFirst);
    EXPECT_EQ(FolderEntries(folder.Path()).size(), 8u) << "no new file left beside the high scores";
}

// Another copy of the game, in the middle of its own update, holds the table:
// this game waits for it and then reads the table it left, so neither score is lost.
TEST(EndOfGameTest, AGameEndingWhileAnotherCopyUpdatesTheTableKeepsBothScores) {
    PlayFolder folder;
    folder.Write("scores.txt", kTen);
    const std::string path = (folder.Path() / "scores.txt").string();
    GameHarness game;
    game.Start();
    auto held = std::make_unique<game::ScoreFileLock>(path);
    ASSERT_TRUE(held->Held());
    std::thread otherCopy([&path, lock = std::move(held)]() mutable {
        game::ScoreTable table = game::ReadScoreTable(path);
        game::EnterScore(table, {1000, "      Other"});
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        game::WriteScoreTable(path, table);
        lock.reset();
    });
    PlayToTheEnd(game, "Zed", 150);
    otherCopy.join();
    // clang-format off
    EXPECT_EQ(ReadBytes(path), Entries({{1000, "Other"}, {900, "Ann"}, {800, "Bob"}, {700, "Cy"}, {600, "Dee"},
                                        {500, "Eli"}, {400, "Fay"}, {300, "Gus"}, {200, "Hal"}, {150, "Zed"}}));
    // clang-format on
    EXPECT_TRUE(EndScreenShown(*game.form));
}

// Each file, the game's outcome with score 61 by Eve, and the file's bytes after it.
TEST(EndOfGameTest, OddAndBrokenScoreFiles) {
    const std::string zeros8 = [] {
        std::string z;
        for (int i = 0; i < 8; ++i) z += "0\r\n";
        return z;
    }();
    const std::string zeros6 = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
    struct Case {
        const char* what;
        std::optional<std::string> file;   // nullopt: no file
        const char* box;                   // the error box, or "" for the end screen
        std::optional<std::string> after;  // nullopt: still no file
    };
    const std::string ten = kTen;
    // The ten above with Eve's 61 in the place of the lowest.
    // clang-format off
    const std::string tenWithEve = Entries({{900, "Ann"}, {800, "Bob"}, {700, "Cy"}, {600, "Dee"}, {500, "Eli"},
                                            {400, "Fay"}, {300, "Gus"}, {200, "Hal"}, {100, "Ida"}, {61, "Eve"}});
    // clang-format on
    const Case cases[] = {
        {"missing", std::nullopt, "File not found.", std::nullopt},
        {"letters run on from the score", "523Anna\r\n", "Invalid numeric input.", "523Anna\r\n"},
        {"a decimal point", "12.5      Pi\r\n", "Invalid numeric input.", "12.5      Pi\r\n"},
        {"forty digits", std::string(40, '7') + "      Big\r\n", "Invalid numeric input.",
         std::string(40, '7') + "      Big\r\n"},
        {"a bare name", "Anna\r\n", "Invalid numeric input.", "Anna\r\n"},
        {"one past the largest score", "2147483648      Max\r\n", "Invalid numeric input.", "2147483648      Max\r\n"},
        {"a bad entry after good ones", "300      A\r\n3OO      B\r\n", "Invalid numeric input.",
         "300      A\r\n3OO      B\r\n"},
        {"hexadecimal after $", "$7FFFFFFF      Max\r\n", "", "2147483647      Max\r\n61      Eve\r\n" + zeros8},
        {"hexadecimal after 0x, a sign, a tab", "+0x10\tHex\r\n", "", "61      Eve\r\n16\tHex\r\n" + zeros8},
        {"the lowest score", "-2147483648      Low\r\n", "", "61      Eve\r\n" + zeros8 + "-2147483648      Low\r\n"},
        {"fewer than ten lines, LF ends", "300      A\n200      B\n100      C\n", "",
         "300      A\r\n200      B\r\n100      C\r\n61      Eve\r\n" + zeros6},
        {"blank lines and blanks before a score are skipped", "\r\n \t300      A\r\n\r\n\r\n200      B", "",
         "300      A\r\n200      B\r\n61      Eve\r\n" + zeros6 + "0\r\n"},
        {"an eleventh line", ten + "5      K\r\n", "", tenWithEve},
        {"a trailing blank line", ten + "\r\n", "", tenWithEve},
        {"a Ctrl-Z ends the file",
         "300      A\r\n\x1A"
         "200      B\r\n",
         "", "300      A\r\n61      Eve\r\n" + zeros8},
        {"an empty file", "", "", "61      Eve\r\n" + zeros8 + "0\r\n"},
        {"out of order: sorted, equal scores in their order", "100      A\r\n200      B\r\n100      C\r\n", "",
         "200      B\r\n100      A\r\n100      C\r\n61      Eve\r\n" + zeros6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlayFolder folder;
        if (c.file)
            folder.Write("scores.txt", *c.file);
        else
            folder.Remove("scores.txt");
        GameHarness game;
        auto& f = game.Start();
        PlayToTheEnd(game, "Eve", 61);

        const std::string box = game.app.ShownBoxes().empty() ? "" : game.app.ShownBoxes()[0].text;
        EXPECT_EQ(box, c.box);
        EXPECT_EQ(EndScreenShown(f), box.empty());
        EXPECT_EQ(f.Rvierkant1.Visible(), box.empty()) << "a failed end skips the rest of the check tick";
        EXPECT_FALSE(f.Timer1.Enabled() || f.Timer2.Enabled() || f.Timer3.Enabled() || f.Timer4.Enabled())
            << "the game is stopped either way";
        EXPECT_FALSE(f.Label1.Visible()) << "the coins text goes before the file is read";
        EXPECT_FALSE(f.MediaPlayer2.Channel().Playing()) << "and so does the game music";
        if (c.after)
            EXPECT_EQ(ReadBytes(folder.Path() / "scores.txt"), *c.after);
        else
            EXPECT_FALSE(fs::exists(folder.Path() / "scores.txt"));
        EXPECT_EQ(FolderEntries(folder.Path()).size(), c.after ? 8u : 7u);
    }
}

// A write the system refuses: a size limit stops root as well as a player.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of killing us
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(EndOfGameTest, AFailedRewriteKeepsTheOldFileWholeAndShowsNoEndScreen) {
    enum class Refusal { SizeLimit, ReadOnlyFile, ReadOnlyFileAndFolder };
    struct Case {
        const char* what;
        Refusal how;
        std::string box;
    };
    const Case cases[] = {
        {"a file too large for the limit", Refusal::SizeLimit, "I/O error " + std::to_string(EFBIG) + "."},
        {"a file the player may not write", Refusal::ReadOnlyFile, "File access denied."},
        // A file the player may write is saved in place even in such a folder.
        {"the same file in a folder the player cannot write to", Refusal::ReadOnlyFileAndFolder, "File access denied."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Permissions stop no write of root's: the suite runs again as an ordinary user.
        if (c.how != Refusal::SizeLimit && ::geteuid() == 0) continue;
        PlayFolder folder;
        folder.Write("scores.txt", kTen);
        GameHarness game;
        auto& f = game.Start();
        const Lines before = FolderEntries(folder.Path());
        {
            std::optional<FileSizeLimit> limit;
            if (c.how == Refusal::SizeLimit) limit.emplace(kTen.size() / 2);
            if (c.how != Refusal::SizeLimit) fs::permissions(folder.Path() / "scores.txt", fs::perms::owner_read);
            if (c.how == Refusal::ReadOnlyFileAndFolder)
                fs::permissions(folder.Path(), fs::perms::owner_write, fs::perm_options::remove);
            PlayToTheEnd(game, "Zed", 1000);
            fs::permissions(folder.Path(), fs::perms::owner_all);
        }
        ASSERT_EQ(game.app.ShownBoxes().size(), 1u);
        EXPECT_EQ(game.app.ShownBoxes()[0].text, c.box);
        const scene::SceneElement* const endScreen[] = {&f.witeinde, &f.geentijd, &f.eindscore, &f.Scoreseind,
                                                        &f.tryagain, &f.closeall, &f.Rvierkant1};
        for (const scene::SceneElement* e : endScreen)
            EXPECT_FALSE(e->Visible()) << e->Name() << " shown, though the rewrite came first";
        EXPECT_FALSE(f.Timer3.Enabled());
        EXPECT_EQ(ReadBytes(folder.Path() / "scores.txt"), kTen);
        EXPECT_EQ(FolderEntries(folder.Path()), before) << "nothing left beside the old file";
    }
}

}  // namespace
