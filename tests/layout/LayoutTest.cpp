#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/GameHarness.h"

namespace {

using gametest::GameHarness;
using gametest::PlayFolder;
using scene::TCursor;

std::vector<std::string> Names(const auto& elements) {
    std::vector<std::string> names;
    for (const auto* e : elements) names.push_back(e->Name());
    return names;
}

TEST(LayoutTest, ElementsAreMadeInLayoutOrderAndStackThatWay) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Make();
    EXPECT_EQ(Names(f.Stacking()),
              (std::vector<std::string>{
                  "Zvierkant1",   "zvierkant2", "zvierkant3", "zvierkant4", "Rvierkant1", "rvierkant2", "rvierkant3",
                  "rvierkant4",   "MenuRechts", "Label2",     "Label3",     "Label4",     "Label5",     "Label6",
                  "BONUSgehaald", "NOBONUS",    "zround1",    "Livesbar",   "Image5",     "FINALSCORE", "Label1",
                  "Label7",       "BONUSgray",  "BONUS1",     "Bonus2",     "Bonus3",     "Bonus4",     "Bonus5",
                  "Label8",       "Lives",      "witeinde",   "geenlevens", "geentijd",   "eindscore",  "Finale"}));
    EXPECT_EQ(
        Names(f.Windowed()),
        (std::vector<std::string>{"MediaPlayer1", "MediaPlayer2", "MediaPlayer3", "MediaPlayer4", "MediaPlayer5",
                                  "Memo1", "Button1", "Edit1", "tryagain", "closeall", "MediaPlayer6", "Scoreseind"}));
    EXPECT_EQ(Names(f.Timers()), (std::vector<std::string>{"Timer1", "Timer2", "Timer3", "Timer4", "Timer5"}));
}

// Where every element lies, how large it is as the layout stores it, and whether
// it starts visible, in creation order.
struct BoundsRow {
    const char* name;
    int left, top, width, height;
    bool visible;
};
constexpr bool kYes = true, kNo = false;
constexpr BoundsRow kLayoutBounds[] = {
    // clang-format off
    {"Zvierkant1",   -80,  192,   65,  65, kYes},
    {"zvierkant2",   216,  -80,   65,  65, kYes},
    {"zvierkant3",   528,  532,   41,  41, kYes},
    {"zvierkant4",   939,  400,   65,  65, kYes},
    {"Rvierkant1",   923,   72,   49,  49, kYes},
    {"rvierkant2",   -80,  120,   33,  33, kYes},
    {"rvierkant3",   552,  -80,   49,  49, kYes},
    {"rvierkant4",   224,  548,   65,  65, kYes},
    {"MenuRechts",   885,    0,  233, 513, kYes},
    {"Label2",       944,  152,  113,  29, kYes},
    {"Label3",       936,  240,  133,  29, kYes},
    {"Label4",       944,  320,  115,  29, kYes},
    {"Label5",       936,  400,  128,  29, kYes},
    {"Label6",       952,  460,  105,  18, kYes},
    {"BONUSgehaald", 320,  224,  255,  29, kNo},
    {"NOBONUS",      344,  256,  124,  29, kNo},
    {"zround1",      400, -120,   60,  60, kYes},
    {"Livesbar",     296,    0,  305,  73, kYes},
    {"Image5",       -10,  506, 1121, 105, kYes},
    {"FINALSCORE",    64,  536,  385,  49, kYes},
    {"Label1",       712,  536,   10,  40, kYes},
    {"Label7",       520,  536,  177,  40, kYes},
    {"BONUSgray",      0,    0,  889, 513, kNo},
    {"BONUS1",        88,   72,  145, 145, kNo},
    {"Bonus2",       704,  256,  113, 113, kNo},
    {"Bonus3",       184,  328,  105, 105, kNo},
    {"Bonus4",       480,   56,   89,  89, kNo},
    {"Bonus5",       728,   32,   65,  65, kNo},
    {"Label8",       352,  440,  151,  61, kNo},
    {"Lives",        336,   24,  225,  33, kYes},
    {"witeinde",       0,    0,  889, 513, kNo},
    {"geenlevens",   328,   64,  237,  29, kNo},
    {"geentijd",     328,   96,  230,  29, kNo},
    {"eindscore",    264,  144,  377,  65, kNo},
    {"Finale",       272,   24,  353, 473, kYes},
    {"MediaPlayer1", 584,  624,  253,  30, kYes},
    {"MediaPlayer2", 584,  664,  253,  30, kYes},
    {"MediaPlayer3", 856,  624,  253,  30, kYes},
    {"MediaPlayer4", 856,  664,  253,  30, kYes},
    {"MediaPlayer5", 864,  704,  253,  30, kYes},
    {"Memo1",          0,   -6,  889, 519, kYes},
    {"Button1",      736,  160,   99,  33, kYes},
    {"Edit1",        712,  128,  137,  26, kYes},
    {"tryagain",     312,  448,  113,  41, kNo},
    {"closeall",     440,  448,  113,  41, kNo},
    {"MediaPlayer6", 200,  672,  253,  30, kYes},
    {"Scoreseind",   264,  184,  353, 233, kNo},
    // clang-format on
};

TEST(LayoutTest, EveryElementLiesWhereTheLayoutPutsIt) {
    PlayFolder folder;
    GameHarness game;
    // As made from the layout, before the labels measure themselves at load.
    layout::TForm1 form(game.app, game.sounds);
    for (const BoundsRow& row : kLayoutBounds) {
        const scene::SceneElement* e = form.FindElement(row.name);
        ASSERT_NE(e, nullptr) << row.name;
        const scene::TRect want{row.left, row.top, row.width, row.height};
        EXPECT_EQ(e->BoundsRect(), want) << row.name << ": expected {" << want.Left << "," << want.Top << ","
                                         << want.Width << "," << want.Height << "}, got {" << e->Left() << ","
                                         << e->Top() << "," << e->Width() << "," << e->Height() << "}";
        EXPECT_EQ(e->Visible(), row.visible) << row.name;
    }
    // Loaded, the auto-sized labels keep their top-left corner.
    form.LoadAll();
    for (const BoundsRow& row : kLayoutBounds) {
        const scene::SceneElement* e = form.FindElement(row.name);
        EXPECT_EQ(e->Left(), row.left) << row.name;
        EXPECT_EQ(e->Top(), row.top) << row.name;
    }
}

TEST(LayoutTest, WindowProperties) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    const auto& options = game.platform.Window(game.MainWindow()).options;
    EXPECT_EQ(options.title, "Swoopy!");
    EXPECT_EQ(options.clientWidth, 1109);
    EXPECT_EQ(options.clientHeight, 607);
    EXPECT_EQ(options.left, 192);
    EXPECT_EQ(options.top, 112);
    EXPECT_FALSE(options.dialog);
    EXPECT_EQ(options.iconSize, 32);
    ASSERT_EQ(options.iconArgb.size(), 32u * 32u);
    EXPECT_EQ(f.Color, scene::clSilver);
    EXPECT_EQ(f.Cursor, TCursor::crHandPoint);

    // The window made ahead at start-up is only used when it is the one the form asks for.
    for (const double factor : {1.0, 1.5}) {
        const scene::DisplayScale scale = scene::DisplayScale::FromFactor(factor);
        GameHarness scaled(scale);
        scaled.Start();
        EXPECT_TRUE(layout::TForm1::WindowOptionsAt(scale) == scaled.platform.Window(scaled.MainWindow()).options)
            << "at scale " << factor;
    }
}

TEST(LayoutTest, TimersAreArmedAtLoadAndStoppedByTheCreateHandler) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Make();
    EXPECT_EQ(f.Timer1.Interval(), 1000u);
    EXPECT_EQ(f.Timer5.Interval(), 100u);
    for (scene::TTimer* t : {&f.Timer2, &f.Timer3, &f.Timer4}) EXPECT_EQ(t->Interval(), 1u) << t->Name();
    // Loaded and not yet created: the layout leaves the four game timers enabled.
    for (scene::TTimer* t : {&f.Timer1, &f.Timer2, &f.Timer3, &f.Timer4}) EXPECT_TRUE(t->Enabled()) << t->Name();
    EXPECT_FALSE(f.Timer5.Enabled());
}

TEST(LayoutTest, LabelsMeasureThemselvesAtLoadUnlessFixed) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Make();
    EXPECT_EQ(f.Label6.Width(), 105) << "the sound label keeps its size";
    EXPECT_EQ(f.Label6.Height(), 18);
    EXPECT_EQ(f.Label7.Width(), 177);
    EXPECT_EQ(f.Lives.Width(), 225);
    // Label1 starts empty: one space wide, one line of its -32 font high.
    EXPECT_LT(f.Label1.Width(), 20);
    EXPECT_GT(f.Label1.Height(), 32);
    EXPECT_EQ(f.Label1.Left(), 712);
    // The offers take the size of their text.
    EXPECT_NE(f.Label2.Width(), 113);
    EXPECT_EQ(f.Label2.Left(), 944);
    EXPECT_EQ(f.Label2.Font().Charset, scene::GREEK_CHARSET);
    EXPECT_EQ(f.Label3.Font().Charset, scene::ANSI_CHARSET);
    EXPECT_EQ(f.Label2.Font().Name, "Trebuchet MS");

    // The status texts fit their plates at the widths the game reaches.
    f.Label7.SetCaption("Time:  60 s");
    EXPECT_LE(scene::MeasureText("Time:  60 s", f.Label7.Font(), true).width, 177);
    f.Label1.SetCaption("Money: 10 $");
    EXPECT_EQ(f.Label1.Left(), 712) << "an auto-sized label grows to the right";
    EXPECT_GT(f.Label1.Width(), 100);
}

// The pictures are read once for the program: every window of the layout shows
// the same ones, decoded once; the start screen's can be decoded before any window.
// Being the program's, they keep what earlier tests drew of them, which a decode
// ahead never replaces: the check runs in a fresh process of this test alone.
void CheckPicturesSharedAndDecodedAhead() {
    PlayFolder folder;
    GameHarness game, other;
    auto& f = game.Make();
    auto& g = other.Make();
    struct Expect {
        scene::TImage* image;
        scene::TImage* twin;
        int width, height;
    };
    const Expect pictures[] = {{&f.MenuRechts, &g.MenuRechts, 600, 1200}, {&f.Livesbar, &g.Livesbar, 1600, 500},
                               {&f.Image5, &g.Image5, 1600, 300},         {&f.BONUS1, &g.BONUS1, 1000, 1000},
                               {&f.Bonus5, &g.Bonus5, 1000, 1000},        {&f.Finale, &g.Finale, 343, 480}};
    const scene::DisplayScale scale = scene::DisplayScale::FromFactor(1.5);
    layout::TForm1::DecodeShownPictures(scale);
    int faults = 0;
    auto expect = [&faults](bool holds, const std::string& name, const char* what) {
        if (holds) return;
        std::fprintf(stderr, "%s: %s\n", name.c_str(), what);
        ++faults;
    };
    for (const auto& p : pictures) {
        const std::string name = p.image->Name();
        if (p.image->GetPicture() == nullptr) {
            expect(false, name, "no picture");
            continue;
        }
        expect(p.image->GetPicture() == p.twin->GetPicture(), name, "not the other window's picture");
        expect(p.image->GetPicture()->Width() == p.width && p.image->GetPicture()->Height() == p.height, name,
               "not the picture's size");
        expect(p.image->Stretch(), name, "not stretched");
        if (p.image->Visible()) {
            const scene::TRect device = scale.ToDevice(p.image->BoundsRect());
            expect(p.image->GetPicture()->ReadyAt(device.Width, device.Height), name,
                   "shown at the start, yet not ready at its box's size at scale 1.5");
        }
    }
    std::exit(faults == 0 ? 0 : 1);
}

TEST(LayoutTest, PicturesAreSharedByTheWindowsAndTheShownOnesDecodeAhead) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a new run of the program, not a fork
    EXPECT_EXIT(CheckPicturesSharedAndDecodedAhead(), testing::ExitedWithCode(0), "");
}

TEST(LayoutTest, WhatLiesOnTopTakesThePointer) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    f.Memo1.SetVisible(false);
    // A red square beneath the shop panel, a bar, and the bonus cover.
    f.Rvierkant1.SetVisible(true);
    f.Rvierkant1.SetBounds(870, 100, 49, 49);
    EXPECT_EQ(f.HitTest(880, 110), &f.Rvierkant1);
    EXPECT_EQ(f.HitTest(900, 110), &f.MenuRechts);
    f.Rvierkant1.SetBounds(100, 490, 49, 49);
    EXPECT_EQ(f.HitTest(110, 500), &f.Rvierkant1);
    EXPECT_EQ(f.HitTest(110, 510), &f.Image5);
    // The circle lies above the shop panel but beneath the top bar.
    f.zround1.SetVisible(true);
    f.zround1.SetBounds(880, 100, 60, 60);
    EXPECT_EQ(f.HitTest(930, 150), &f.zround1);
    f.zround1.SetBounds(400, 40, 60, 60);
    EXPECT_EQ(f.HitTest(410, 65), &f.Livesbar);
    EXPECT_EQ(f.HitTest(410, 50), &f.Lives) << "the lives text lies on the bar, caption or not";
    // The lives text stays above the bonus cover; the end cover hides it.
    f.Lives.SetCaption("Lives: 3");
    f.BONUSgray.SetVisible(true);
    EXPECT_EQ(f.HitTest(400, 40), &f.Lives);
    EXPECT_EQ(f.HitTest(100, 100), &f.BONUSgray);
    f.witeinde.SetVisible(true);
    EXPECT_EQ(f.HitTest(400, 40), &f.witeinde);
}

TEST(LayoutTest, PointerShapesFollowWhatLiesUnderThePointer) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    const int window = game.MainWindow();
    auto cursorAt = [&](int x, int y) {
        game.platform.MouseMove(x, y);
        game.app.RunFor(5);
        return game.platform.Window(window).cursor;
    };
    EXPECT_EQ(cursorAt(300, 300), TCursor::crArrow) << "over the introduction panel";
    EXPECT_EQ(cursorAt(780, 140), TCursor::crIBeam) << "over the name field";
    EXPECT_EQ(cursorAt(785, 176), TCursor::crHandPoint) << "over Start";
    EXPECT_EQ(cursorAt(1000, 300), TCursor::crArrow) << "over the shop panel";
    EXPECT_EQ(cursorAt(1000, 470), TCursor::crHandPoint) << "over the sound label";
    EXPECT_EQ(cursorAt(480, 560), TCursor::crArrow) << "over the bottom bar";
    EXPECT_EQ(cursorAt(250, 560), TCursor::crHandPoint) << "over the score text on the bottom bar";
    f.Memo1.SetVisible(false);
    EXPECT_EQ(cursorAt(301, 300), TCursor::crHandPoint) << "over the playfield";
    f.Scoreseind.SetVisible(true);
    EXPECT_EQ(cursorAt(400, 300), TCursor::crCross) << "over the high-score panel";
}

TEST(LayoutTest, SoundStripsLieBelowTheClientAreaAndTakeTheFirstFocus) {
    PlayFolder folder;
    GameHarness game;
    auto& f = game.Start();
    for (layout::TMediaPlayer* p :
         {&f.MediaPlayer1, &f.MediaPlayer2, &f.MediaPlayer3, &f.MediaPlayer4, &f.MediaPlayer5, &f.MediaPlayer6}) {
        EXPECT_GE(p->Top(), 607) << p->Name();
        EXPECT_TRUE(p->Channel().IsOpen()) << p->Name();
    }
    EXPECT_EQ(f.MediaPlayer1.Channel().FileName, ".\\introsong.wav");
    EXPECT_EQ(f.MediaPlayer6.TabOrder(), 10);
    EXPECT_EQ(f.FocusedControl(), &f.MediaPlayer1);
}

}  // namespace

// Rendering the layout's glyphs ahead happens off screen, in idle steps that
// leave the window exactly as it was and the game running on its beat.
TEST(LayoutTest, GlyphsRenderedAheadLeaveTheWindowAsItWas) {
    PlayFolder folder;
    for (const double factor : {1.0, 1.5}) {
        GameHarness game(scene::DisplayScale::FromFactor(factor));
        auto& f = game.Start();
        std::vector<scene::Rgb> before;
        const int w = f.Scale().ToDevice(f.ClientWidth), h = f.Scale().ToDevice(f.ClientHeight);
        for (int y = 0; y < h; y += 7)
            for (int x = 0; x < w; x += 7) before.push_back(game.Pixel(x, y));
        f.RenderGlyphsWhenIdle();
        game.app.RunFor(0);
        EXPECT_FALSE(f.NeedsRepaint());
        std::vector<scene::Rgb> after;
        for (int y = 0; y < h; y += 7)
            for (int x = 0; x < w; x += 7) after.push_back(game.Pixel(x, y));
        EXPECT_TRUE(before == after) << "at scale " << factor;
    }
}
