// Showing the game's window: full screen when asked, and in the window when
// the desktop refuses full screen.
#include "app/GameStart.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "game/GameHarness.h"

namespace {

using app::StartScreen;
using scene::WindowMode;

TEST(GameStartTest, FullScreenWhenAskedAndTheWindowWhenTheDesktopRefuses) {
    const struct {
        StartScreen asked;
        bool refused;
        WindowMode shown;
        std::string said;
    } cases[] = {
        {StartScreen::Window, true, WindowMode::Windowed, ""},
        {StartScreen::FullScreen, false, WindowMode::FullScreen, ""},
        {StartScreen::FullScreen, true, WindowMode::Windowed,
         "swoopy: Cannot switch full screen: the desktop refused it; playing in the window\n"},
    };
    for (const auto& c : cases) {
        gametest::PlayFolder folder;
        gametest::GameHarness game;
        game.platform.RefuseFullScreen(c.refused);
        auto& form = game.Make();
        std::ostringstream err;
        const std::string what = std::string(c.asked == StartScreen::FullScreen ? "full screen" : "window") +
                                 (c.refused ? " on a desktop that refuses full screen" : "");
        ASSERT_TRUE(app::ShowGameForm(game.app, form, c.asked, err)) << what;
        game.app.RunFor(10);
        EXPECT_EQ(form.Mode(), c.shown) << what;
        EXPECT_EQ(game.platform.Window(game.MainWindow()).mode, c.shown) << what;
        EXPECT_EQ(game.platform.WindowIds().size(), 1u) << what << ": expected no error box";
        EXPECT_EQ(err.str(), c.said) << what;
    }
}

}  // namespace
