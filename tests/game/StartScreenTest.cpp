#include <gtest/gtest.h>

#include <algorithm>

#include "game/GameHarness.h"
#include "sound/SoundChannel.h"

namespace {

using gametest::GameHarness;
using gametest::PlayFolder;
using Lines = std::vector<std::string>;

Lines IntroLines(const std::string& intro) {
    PlayFolder folder(intro);
    GameHarness game;
    return game.Start().Memo1.Lines();
}

std::string NumberedLines(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

int TileCount(const layout::TForm1& form) {
    return static_cast<int>(std::count_if(form.Stacking().begin(), form.Stacking().end(),
                                          [](const scene::SceneElement* e) { return e->Name().empty(); }));
}

TEST(StartScreenTest, StateRightAfterTheWindowAppears) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    const auto& s = f.State;
    EXPECT_EQ(s.money, 0);
    EXPECT_EQ(s.hits, 0);
    EXPECT_EQ(s.score, 0);
    EXPECT_EQ(s.timeLeft, 60);
    EXPECT_EQ(s.lives, 3);
    EXPECT_EQ(s.soundSwitch, 1);
    EXPECT_EQ(s.musicLoop, 1);
    EXPECT_EQ(s.bonusCountdown, 300);
    EXPECT_EQ(s.redDelay, 0);
    EXPECT_EQ(s.bonusMusicLoop, 0);
    EXPECT_TRUE(f.DoubleBuffered);
}

TEST(StartScreenTest, WhatThePlayerSeesBeforeStart) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    EXPECT_FALSE(f.Button1.Enabled());
    EXPECT_TRUE(f.Button1.Visible());
    EXPECT_EQ(f.Edit1.Text(), "Enter a name");
    EXPECT_EQ(f.Lives.Caption(), "");
    EXPECT_EQ(f.Label6.Caption(), "Sound");
    const scene::SceneElement* hidden[] = {&f.Label2,     &f.Label3,     &f.Label4,     &f.Label5,
                                           &f.Zvierkant1, &f.zvierkant2, &f.zvierkant3, &f.Rvierkant1,
                                           &f.rvierkant2, &f.rvierkant3, &f.rvierkant4, &f.zround1};
    for (const scene::SceneElement* e : hidden) EXPECT_FALSE(e->Visible()) << e->Name();
    EXPECT_TRUE(f.zvierkant4.Visible());
    EXPECT_FALSE(f.tryagain.Visible());
    EXPECT_FALSE(f.closeall.Visible());
    EXPECT_EQ(game.app.ShownBoxes().size(), 0u);

    // zvierkant4 waits under the shop panel's picture: the beige inset shows, not the black square.
    const scene::Rgb inset = game.Pixel(990, 451);
    EXPECT_GT(inset.r, 150) << "expected the panel's light inset above the black square";
    // The introduction panel covers the playfield and the top bar.
    EXPECT_EQ(game.Pixel(850, 480), (scene::Rgb{255, 255, 255}));
    EXPECT_EQ(game.Pixel(450, 30), (scene::Rgb{255, 255, 255}));
}

TEST(StartScreenTest, NothingMovesAndNoGameTimerRunsBeforeStart) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    for (scene::TTimer* t : {&f.Timer1, &f.Timer2, &f.Timer3, &f.Timer4, &f.Timer5}) {
        EXPECT_FALSE(t->Enabled()) << t->Name();
        EXPECT_FALSE(t->Armed()) << t->Name();
    }
    const scene::TRect before = f.zvierkant4.BoundsRect();
    game.app.RunFor(2000);
    EXPECT_EQ(f.zvierkant4.BoundsRect(), before);
}

TEST(StartScreenTest, TileFieldLiesBehindEverythingWithTheEndPictureBeneath) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    const auto& stack = f.Stacking();
    ASSERT_EQ(stack.size(), 35u + 112u);
    EXPECT_EQ(stack[0], &f.Finale);
    for (int i = 1; i <= 112; ++i) EXPECT_TRUE(stack[i]->Name().empty()) << "index " << i << " is " << stack[i]->Name();
    EXPECT_EQ(stack[113], &f.Zvierkant1);
    EXPECT_EQ(stack.back(), &f.eindscore);

    int silver = 0;
    for (int c = 0; c < 14; ++c)
        for (int r = 0; r < 8; ++r) {
            const scene::TShape& tile = *f.tiles[c][r];
            EXPECT_EQ(tile.BoundsRect(), (scene::TRect{c * 65, r * 65, 65, 65}));
            EXPECT_TRUE(tile.Visible());
            EXPECT_TRUE(tile.BrushColor() == scene::clGray || tile.BrushColor() == scene::clSilver);
            silver += tile.BrushColor() == scene::clSilver;
        }
    EXPECT_LT(silver, 40) << "about one tile in fifteen starts silver";
}

TEST(StartScreenTest, IntroLinesFollowTheLayoutsEmptyLine) {
    EXPECT_EQ(IntroLines("a\r\n\r\nb\r\n"), (Lines{"", "a", "", "b"}));
    EXPECT_EQ(IntroLines("a\n\nb\n"), (Lines{"", "a", "", "b"}));
    EXPECT_EQ(IntroLines("a\n\nb"), (Lines{"", "a", "", "b"}));
    EXPECT_EQ(IntroLines("a\rb\r\n"), (Lines{"", "ab"}));
    EXPECT_EQ(IntroLines("a\r\n\x1A"
                         "b\r\n"),
              (Lines{"", "a"}));
    EXPECT_EQ(IntroLines(""), (Lines{""}));
}

TEST(StartScreenTest, AtMostThirtyIntroLines) {
    const Lines thirty = IntroLines(NumberedLines(30));
    ASSERT_EQ(thirty.size(), 31u);
    EXPECT_EQ(thirty[30], "line 30");
    const Lines more = IntroLines(NumberedLines(35));
    ASSERT_EQ(more.size(), 31u);
    EXPECT_EQ(more[30], "line 30");
}

TEST(StartScreenTest, MissingIntroFileIsReportedAndLeavesNoTiles) {
    PlayFolder folder(std::nullopt);
    GameHarness game;
    auto& f = game.Start();

    ASSERT_EQ(game.app.ShownBoxes().size(), 1u);
    EXPECT_EQ(game.app.ShownBoxes()[0].caption, "swoopy");
    EXPECT_EQ(game.app.ShownBoxes()[0].text, "File not found.");
    // The box came before the window.
    const auto ids = game.platform.WindowIds();
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_TRUE(game.platform.Window(ids[0]).options.dialog);
    EXPECT_FALSE(game.platform.Window(ids[0]).alive);
    EXPECT_EQ(ids[1], game.MainWindow());

    EXPECT_EQ(f.Memo1.Lines(), Lines{""});
    EXPECT_EQ(TileCount(f), 0);
    EXPECT_EQ(f.Stacking().back(), &f.Finale) << "the end picture keeps its layout place on top";
    // The steps before the failure stay done.
    EXPECT_EQ(f.State.lives, 3);
    EXPECT_FALSE(f.Label2.Visible());
    EXPECT_FALSE(f.Timer1.Enabled());
    EXPECT_TRUE(f.MediaPlayer1.Channel().Playing());
    // And the game can still start.
    game.platform.Click(760, 140);
    game.platform.Key('a', scene::kmCtrl);
    game.platform.Type("Zed");
    game.platform.Click(785, 176);
    game.app.RunFor(10);
    EXPECT_FALSE(f.Memo1.Visible());
    EXPECT_EQ(f.Label6.Caption(), "Zed");
}

// The name field's middle and the Start button's middle.
constexpr int kEditX = 760, kEditY = 140;
constexpr int kStartX = 785, kStartY = 176;

TEST(StartScreenTest, TypingReachesTheNameFieldOnlyOnceItHasTheFocus) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    game.platform.Type("x");  // the first focus is on a sound strip, below the client area
    game.app.RunFor(10);
    EXPECT_EQ(f.Edit1.Text(), "Enter a name");
    EXPECT_FALSE(f.Button1.Enabled());

    game.platform.Click(kEditX, kEditY);
    game.platform.Key(scene::kEnd);
    game.platform.Type("!");
    game.app.RunFor(10);
    EXPECT_EQ(f.Edit1.Text(), "Enter a name!");
    EXPECT_TRUE(f.Button1.Enabled());
}

TEST(StartScreenTest, TabReachesTheNameFieldPastTheDisabledStart) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    // Strips 1 to 5 (tab orders 0-4) hold the focus first, then the panel, then the field.
    for (int i = 0; i < 6; ++i) game.platform.Key(scene::kTab);
    game.app.RunFor(10);
    EXPECT_EQ(f.FocusedControl(), &f.Edit1);
    // Tabbed into, the field holds its whole text selected: typing replaces it.
    game.platform.Type("Kim");
    game.app.RunFor(10);
    EXPECT_EQ(f.Edit1.Text(), "Kim");
}

TEST(StartScreenTest, EnterAndAltSPressStartOnlyWhenItIsEnabled) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    game.platform.Click(kEditX, kEditY);
    game.platform.Key(scene::kReturn);
    game.platform.Key('s', scene::kmAlt);
    game.app.RunFor(10);
    EXPECT_TRUE(f.Memo1.Visible()) << "a disabled Start takes neither Enter nor its accelerator";

    game.platform.Type("A");
    game.platform.Key(scene::kReturn);
    game.app.RunFor(10);
    EXPECT_FALSE(f.Memo1.Visible());
    EXPECT_FALSE(f.Button1.Visible());
}

TEST(StartScreenTest, AltSStartsOnceTheNameChanged) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    game.platform.Click(kEditX, kEditY);
    game.platform.Key(scene::kEnd);
    game.platform.Type("B");
    game.platform.Key('s', scene::kmAlt);
    game.app.RunFor(10);
    EXPECT_FALSE(f.Memo1.Visible());
    EXPECT_EQ(f.Label6.Caption(), "Enter a nameB");
}

TEST(StartScreenTest, AnEmptiedNameKeepsStartEnabledAndGivesAnEmptyCaption) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    game.platform.Click(kEditX, kEditY);
    game.platform.Key('a', scene::kmCtrl);
    game.platform.Key(scene::kDelete);
    game.app.RunFor(10);
    EXPECT_EQ(f.Edit1.Text(), "");
    EXPECT_TRUE(f.Button1.Enabled());
    game.platform.Click(kStartX, kStartY);
    game.app.RunFor(10);
    EXPECT_FALSE(f.Memo1.Visible());
    EXPECT_EQ(f.Label6.Caption(), "");
}

TEST(StartScreenTest, StartHidesTheIntroSwapsTheMusicAndStartsTheTimers) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    game.platform.Click(kEditX, kEditY);
    game.platform.Key('a', scene::kmCtrl);
    game.platform.Type("R&D  Team ");
    // Pressed, dragged off and released there: no click.
    game.app.RunFor(1000);
    game.platform.MouseDown(kStartX, kStartY);
    game.platform.MouseMove(kStartX - 400, kStartY + 100);
    game.platform.MouseUp(kStartX - 400, kStartY + 100);
    game.app.RunFor(1000);
    ASSERT_TRUE(f.Memo1.Visible()) << "expected no start from a press released off Start";
    game.platform.Click(kStartX, kStartY);
    game.app.RunFor(10);

    EXPECT_EQ(f.State.musicLoop, 0);
    EXPECT_FALSE(f.MediaPlayer1.Channel().Playing());
    EXPECT_TRUE(f.MediaPlayer2.Channel().Playing());
    EXPECT_FALSE(f.Button1.Visible());
    EXPECT_FALSE(f.Memo1.Visible());
    EXPECT_FALSE(f.Edit1.Visible());
    EXPECT_EQ(f.Lives.Caption(), "Lives: 3");
    EXPECT_EQ(f.Label6.Caption(), "R&D  Team ") << "the name goes over exactly as typed";
    for (scene::TTimer* t : {&f.Timer1, &f.Timer2, &f.Timer3, &f.Timer4}) EXPECT_TRUE(t->Enabled()) << t->Name();
    EXPECT_FALSE(f.Timer5.Enabled());
    // The playfield now shows: the tiles lie where the panel was.
    const scene::Rgb tile = game.Pixel(30, 30);
    EXPECT_TRUE(tile == (scene::Rgb{128, 128, 128}) || tile == (scene::Rgb{192, 192, 192}));
}

TEST(StartScreenTest, TheIntroSongLoopsUntilStartAndTheGameMusicPlaysOnce) {
    PlayFolder folder(std::string("hi\r\n"), 2205);  // 100 ms pieces
    GameHarness game;
    auto& f = game.Start();
    game.app.RunFor(1000);
    EXPECT_TRUE(f.MediaPlayer1.Channel().Playing()) << "the intro song starts again after each end";

    game.platform.Click(kEditX, kEditY);
    game.platform.Type("x");
    game.platform.Click(kStartX, kStartY);
    game.app.RunFor(1000);
    EXPECT_FALSE(f.MediaPlayer1.Channel().Playing());
    EXPECT_FALSE(f.MediaPlayer2.Channel().Playing()) << "after Start the game music plays once";
    EXPECT_EQ(f.MediaPlayer2.Channel().Position(), f.MediaPlayer2.Channel().Length());
}

TEST(StartScreenTest, ExitAndTheCloseBoxEndTheLoop) {
    {
        PlayFolder folder;
        GameHarness game;
        auto& f = game.Start();
        f.closeall.SetVisible(true);
        game.platform.Click(440 + 50, 448 + 20);
        game.app.RunFor(10);
        EXPECT_TRUE(game.app.Terminated());
        EXPECT_TRUE(game.started.empty());
    }
    {
        PlayFolder folder;
        GameHarness game;
        game.Start();
        game.platform.Close();
        game.app.RunFor(10);
        EXPECT_TRUE(game.app.Terminated());
    }
}

TEST(StartScreenTest, TryAgainStartsThisProgramFileOnTheSameScreenAndEnds) {
    const struct {
        bool fullScreen;
        const char* started;
    } cases[] = {{false, "/opt/games/swoopy"}, {true, "/opt/games/swoopy --fullscreen"}};
    for (const auto& c : cases) {
        PlayFolder folder;
        GameHarness game;
        auto& f = game.Start();
        if (c.fullScreen) game.platform.Key(scene::kF11);
        game.app.RunFor(10);
        f.tryagain.SetVisible(true);
        game.app.RunFor(10);
        const scene::Placement at = f.ShownAt();
        game.platform.Click(at.left + at.scale.ToDevice(312 + 50), at.top + at.scale.ToDevice(448 + 20));
        game.app.RunFor(10);
        EXPECT_EQ(game.started, std::vector<std::string>{c.started});
        EXPECT_TRUE(game.app.Terminated());
    }
}

TEST(StartScreenTest, AMissingSoundFileStopsTheWindowBeingMade) {
    PlayFolder folder;
    folder.Remove("bonus.wav");
    folder.Remove("alarm.wav");
    GameHarness game;
    try {
        game.Make();
        FAIL() << "expected the load steps to fail";
    } catch (const sound::EMCIDeviceError& e) {
        EXPECT_NE(std::string(e.what()).find("bonus.wav"), std::string::npos)
            << "the first missing file in opening order is named: " << e.what();
    }
    EXPECT_EQ(game.platform.WindowIds().size(), 0u) << "no window is shown";
}

}  // namespace
