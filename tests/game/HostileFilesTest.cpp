// Whatever a player leaves in the game's folder: intro files with megabyte lines,
// binary bytes, NULs, Ctrl-Z inside lines, "&" and accented letters reach the
// introduction panel as read, by the text-file rules, without an error box; score
// files of the same kinds end a game by the high-score rules, and what the game
// writes back always reads again as the table it showed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/GameHarness.h"
#include "game/HighScores.h"

namespace {

using gametest::GameHarness;
using gametest::PlayFolder;
using Lines = std::vector<std::string>;

std::string MegabyteLine(char tag) {
    std::string line(1, tag);
    while (line.size() < 1000000) line += " word\xE9\x01";
    return line;
}

struct IntroCase {
    const char* what;
    std::string bytes;
    Lines shown;  // after the layout's empty first line
};

std::vector<IntroCase> IntroCases() {
    std::string megabytes;
    Lines megaLines;
    for (int i = 0; i < 32; ++i) {
        megabytes += MegabyteLine(static_cast<char>('A' + i)) + "\r\n";
        if (i < 30) megaLines.push_back(MegabyteLine(static_cast<char>('A' + i)));
    }
    // The panel keeps the first mebibyte of a longer line, far more than it shows.
    const std::string huge(3 << 20, 'H');
    using namespace std::string_literals;
    return {
        {"megabyte lines, more than thirty", megabytes, megaLines},
        {"a line of three mebibytes", huge + "\r\nnext\r\n", {huge.substr(0, 1 << 20), "next"}},
        {"binary bytes and NULs", "\0\x01\xFE\xFF\r\n\x80\x81\x8D\0"s, {"\0\x01\xFE\xFF"s, "\x80\x81\x8D\0"s}},
        {"Ctrl-Z inside a line and where one begins",
         "one\x1Atwo\r\nthree\x1A\r\n\x1A"
         "four\r\n",
         {"one\x1Atwo", "three\x1A"}},
        {"ampersands and accented letters",
         "Tom & Jerry && &caf\xE9 \x80 \xFC\r\n",
         {"Tom & Jerry && &caf\xE9 \x80 \xFC"}},
        {"lone CRs everywhere", "\r\r\ra\rb\r\n\r", {"ab", ""}},
        {"nothing but a Ctrl-Z", "\x1A\r\nmore\r\n", {}},
        {"no line end at all", "last", {"last"}},
    };
}

TEST(HostileFilesTest, IntroFilesReachThePanelAsReadWithoutAnErrorBox) {
    for (const IntroCase& c : IntroCases()) {
        SCOPED_TRACE(c.what);
        PlayFolder folder(c.bytes);
        GameHarness game;
        auto& f = game.Start();
        Lines expected{""};
        expected.insert(expected.end(), c.shown.begin(), c.shown.end());
        EXPECT_EQ(f.Memo1.Lines(), expected);
        EXPECT_TRUE(game.app.ShownBoxes().empty())
            << "expected no error box, got \"" << game.app.ShownBoxes().front().text << "\"";
        EXPECT_TRUE(f.tilesBuilt) << "the create handler ran to its end";
        EXPECT_GE(game.platform.Window(game.MainWindow()).presents, 1) << "the start screen was shown";
        // The game goes on: a name and Start hide the panel.
        game.platform.Click(f.Edit1.Left() + 5, f.Edit1.Top() + 5);
        game.platform.Type("\xC3\xA9&x");
        game.platform.Key(scene::kReturn);
        game.app.RunFor(100);
        EXPECT_FALSE(f.Memo1.Visible());
        EXPECT_EQ(f.Label6.Caption(), "\xE9&xEnter a name") << "typed before the text, where the click left the caret";
    }
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct ScoreCase {
    const char* what;
    std::string bytes;
    const char* box;          // the error box, or "" for the end screen
    std::string firstShown;   // the end screen's first line of the table
    std::string firstStored;  // the rewritten file's first line
};

std::vector<ScoreCase> ScoreCases() {
    using namespace std::string_literals;
    const std::string mega = MegabyteLine('M');
    std::string megaFile;
    for (int i = 10; i >= 1; --i) megaFile += std::to_string(100 * i) + "      " + mega + "\r\n";
    const std::string zeros31(31, '0');
    return {
        {"megabyte names", megaFile, "", "1000        " + mega, "1000      " + mega},
        {"binary bytes, NULs and Ctrl-Z inside names", "900      N\0L\x01\xFF\x1A!\r\n800      b\r\n"s, "",
         "900        N\0L\x01\xFF\x1A!"s, "900      N\0L\x01\xFF\x1A!"s},
        {"ampersands and accented letters", "900      &Tom && J\xE9r\xF4me\r\n", "", "900        &Tom && J\xE9r\xF4me",
         "900      &Tom && J\xE9r\xF4me"},
        {"a lone CR after the score", "900\rAnn\r\n800      Bob\r\n", "", "900  Ann", "900 Ann"},
        {"a score token cut at its 32nd character", "+" + zeros31 + "900Ann\r\n", "", "61        &Eve", "61      &Eve"},
        {"a Ctrl-Z after a lone CR",
         "900\r\x1A"
         "Ann\r\n800      Bob\r\n",
         "",
         "900  \x1A"
         "Ann",
         "900 \x1A"
         "Ann"},
        {"binary bytes where the score goes", "\x01\x02\xFF\xFE junk\r\n", "Invalid numeric input.", "", ""},
    };
}

TEST(HostileFilesTest, ScoreFilesEndTheGameByTheirRulesAndAreNeverLeftUnreadable) {
    for (const ScoreCase& c : ScoreCases()) {
        SCOPED_TRACE(c.what);
        PlayFolder folder;
        folder.Write("scores.txt", c.bytes);
        GameHarness game;
        auto& f = game.Start();
        game.platform.Click(f.Edit1.Left() + 5, f.Edit1.Top() + 5);
        game.platform.Key('a', scene::kmCtrl);
        game.platform.Key(scene::kDelete);
        game.platform.Type("&Eve");
        game.platform.Key(scene::kReturn);
        game.app.RunFor(10);
        f.State.score = 61;
        f.State.timeLeft = -1;
        game.app.RunFor(40);

        const std::string box = game.app.ShownBoxes().empty() ? "" : game.app.ShownBoxes()[0].text;
        EXPECT_EQ(box, c.box);
        const std::string after = ReadBytes(folder.Path() / "scores.txt");
        if (!box.empty()) {
            EXPECT_EQ(after, c.bytes) << "a file that cannot be read is left as it was";
            continue;
        }
        ASSERT_EQ(f.Scoreseind.Lines().size(), 10u);
        EXPECT_EQ(f.Scoreseind.Lines()[0], c.firstShown);
        EXPECT_EQ(after.substr(0, after.find("\r\n")), c.firstStored);
        // What was written reads back as the table the end screen showed.
        const game::ScoreTable table = game::ReadScoreTable((folder.Path() / "scores.txt").string());
        for (std::size_t i = 0; i < table.size(); ++i)
            EXPECT_EQ(std::to_string(table[i].score),
                      f.Scoreseind.Lines()[i].substr(0, f.Scoreseind.Lines()[i].find(' ')));
    }
}

}  // namespace
