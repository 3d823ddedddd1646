// Whatever a player leaves in the game's folder: intro files with megabyte lines,
// binary bytes, NULs, Ctrl-Z inside lines, "&" and accented letters reach the
// introduction panel as read, by the text-file rules, without an error box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/GameHarness.h"

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
    Lines shown;   // after the layout's empty first line
};

std::vector<IntroCase> IntroCases() {
    std::string megabytes;
    Lines megaLines;
    for (int i = 0; i < 32; ++i) {
        megabytes += MegabyteLine(static_cast<char>('A' + i)) + "\r\n";
        if (i < 30) megaLines.push_back(MegabyteLine(static_cast<char>('A' + i)));
    }
    using namespace std::string_literals;
    return {
        {"megabyte lines, more than thirty", megabytes, megaLines},
        {"binary bytes and NULs", "\0\x01\xFE\xFF\r\n\x80\x81\x8D\0"s, {"\0\x01\xFE\xFF"s, "\x80\x81\x8D\0"s}},
        {"Ctrl-Z inside a line and where one begins", "one\x1Atwo\r\nthree\x1A\r\n\x1A" "four\r\n",
         {"one\x1Atwo", "three\x1A"}},
        {"ampersands and accented letters", "Tom & Jerry && &caf\xE9 \x80 \xFC\r\n",
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
        EXPECT_TRUE(game.app.ShownBoxes().empty()) << "expected no error box, got \""
                                                   << game.app.ShownBoxes().front().text << "\"";
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

}  // namespace
