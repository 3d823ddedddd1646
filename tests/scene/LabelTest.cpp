#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "FormSupport.h"
#include "scene/HeapInUse.h"
#include "scene/Painter.h"
#include "scene/TLabel.h"

using namespace scene;
using painttest::Dark;
using painttest::Px;
using painttest::TestFrame;
using painttest::TrebuchetBold;

namespace {

class LabelTest : public painttest::FormTest {
protected:
    TLabel& MakeLabel(const std::string& caption, int left, int top) {
        auto& l = labels_.emplace_back(std::make_unique<TLabel>(form));
        l->SetFont(TrebuchetBold(-16));
        l->SetTransparent(true);
        l->SetLeft(left);
        l->SetTop(top);
        l->SetCaption(caption);
        return *l;
    }

    // Rows (or columns) of r holding ink.
    static std::vector<int> InkRows(const TestFrame& f, const TRect& r) {
        std::vector<int> rows;
        for (int y = r.Top; y < r.Bottom(); ++y)
            if (f.Count({r.Left, y, r.Width, 1}, Dark) > 0) rows.push_back(y);
        return rows;
    }

private:
    std::vector<std::unique_ptr<TLabel>> labels_;
};

}  // namespace

TEST_F(LabelTest, AutoSizeGrowsToTheRightAndKeepsLeft) {
    TLabel& coins = MakeLabel("5", 100, 20);
    Start();
    const TRect one = coins.BoundsRect();
    EXPECT_EQ(one.Width, MeasureText("5", coins.Font(), true).width);
    EXPECT_EQ(one.Height, MeasureText("5", coins.Font(), true).height);

    coins.SetCaption("15");
    EXPECT_EQ(coins.Left(), 100);
    EXPECT_EQ(coins.Top(), 20);
    EXPECT_GT(coins.Width(), one.Width);
    EXPECT_EQ(coins.Height(), one.Height);

    // Right-justified: the right edge stays and Left moves.
    TLabel& right = MakeLabel("7", 200, 60);
    right.SetAlignment(TAlignment::taRightJustify);
    const int rightEdge = right.Left() + right.Width();
    right.SetCaption("777");
    EXPECT_EQ(right.Left() + right.Width(), rightEdge);
    EXPECT_LT(right.Left(), 200);
}

TEST_F(LabelTest, AutoSizeFollowsFontAndLoadAndEmptyIsOneSpace) {
    TLabel& label = MakeLabel("", 10, 10);
    label.SetAutoSize(false);
    label.SetBounds(10, 10, 300, 3);
    label.SetAutoSize(true);
    const TextSize space = MeasureText(" ", label.Font(), true);
    EXPECT_EQ(label.Width(), space.width);
    EXPECT_EQ(label.Height(), space.height);
    EXPECT_GT(label.Width(), 0);

    label.SetCaption("Lives");
    const int small = label.Width();
    label.SetFont(TrebuchetBold(-32));
    EXPECT_GT(label.Width(), small) << "a bigger font measures again";

    // A size the layout stores is replaced at load.
    label.SetBounds(10, 10, 5, 5);
    form.LoadAll();
    EXPECT_EQ(label.Width(), MeasureText("Lives", label.Font(), true).width);

    TLabel& fixed = MakeLabel("", 0, 0);
    fixed.SetAutoSize(false);
    fixed.SetBounds(0, 0, 177, 40);
    fixed.SetCaption("A much longer caption than fits");
    EXPECT_EQ(fixed.Width(), 177);
    EXPECT_EQ(fixed.Height(), 40);
}

TEST_F(LabelTest, UnchangedCaptionMarksNothing) {
    TLabel& label = MakeLabel("Sound", 10, 10);
    Start();
    label.SetCaption("Sound");
    label.SetAlignment(TAlignment::taLeftJustify);
    EXPECT_FALSE(form.NeedsRepaint());
    label.SetCaption("Bob");
    EXPECT_TRUE(form.NeedsRepaint());
}

TEST_F(LabelTest, CentredTextWiderThanTheLabelIsCutOnBothSides) {
    const std::string name = "Wolfgang Amadeus Mozart";
    TLabel& wide = MakeLabel(name, 10, 10);  // auto-sized: the whole name
    TLabel& cut = MakeLabel(name, 100, 60);
    cut.SetAutoSize(false);
    cut.SetAlignment(TAlignment::taCenter);
    cut.SetBounds(100, 60, 105, 24);
    Start();
    const TestFrame f = Compose();

    const int full = wide.Width();
    ASSERT_GT(full, 150);
    EXPECT_GT(f.Count({100, 60, 3, 24}, Dark), 0) << "ink at the left edge";
    EXPECT_GT(f.Count({202, 60, 3, 24}, Dark), 0) << "ink at the right edge";
    EXPECT_EQ(f.CountNot({0, 60, 100, 24}, Px(clSilver)), 0) << "nothing left of the label";
    EXPECT_EQ(f.CountNot({205, 60, 115, 24}, Px(clSilver)), 0) << "nothing right of the label";

    // What shows is the middle of the name, equally cut on both sides.
    const int shift = (105 - full) / 2;
    int mismatches = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 105; ++x)
            if (f.At(100 + x, 60 + y) != f.At(10 + x - shift, 10 + y)) ++mismatches;
    EXPECT_EQ(mismatches, 0);
}

TEST_F(LabelTest, AmpersandUnderlinesTheNextLetterAndDoubledShowsOne) {
    TLabel& plain = MakeLabel("Sound", 10, 10);
    TLabel& accel = MakeLabel("&Sound", 10, 60);
    TLabel& doubled = MakeLabel("A&&B", 10, 110);
    TLabel& literal = MakeLabel("A&B", 10, 150);
    literal.SetShowAccelChar(false);
    Start();
    const TestFrame f = Compose();

    EXPECT_EQ(accel.Width(), plain.Width());
    const int sWidth = CaretOffset("Sound", plain.Font(), 1);
    int extra = 0;
    for (int y = 0; y < plain.Height(); ++y) {
        for (int x = 0; x < plain.Width(); ++x) {
            const bool a = Dark(f.At(10 + x, 60 + y)), p = Dark(f.At(10 + x, 10 + y));
            if (a == p) continue;
            ++extra;
            EXPECT_TRUE(a) << "the accelerator only adds ink, at " << x << "," << y;
            EXPECT_LE(x, sWidth + 1) << "the underline stays under the S";
            EXPECT_GT(y, plain.Height() / 2) << "the underline lies low";
        }
    }
    EXPECT_GT(extra, sWidth / 2) << "an underline under the S";

    EXPECT_EQ(doubled.Width(), literal.Width());
    for (int y = 0; y < doubled.Height(); ++y)
        for (int x = 0; x < doubled.Width(); ++x)
            ASSERT_EQ(f.At(10 + x, 110 + y), f.At(10 + x, 150 + y)) << "at " << x << "," << y;
}

TEST_F(LabelTest, OpaqueFillsItsColourAndTransparentLetsTheGroundThrough) {
    TLabel& opaque = MakeLabel("Hi", 10, 10);
    opaque.SetTransparent(false);
    opaque.SetColor(clLime);
    TLabel& clear = MakeLabel("Hi", 10, 60);
    Start();
    const TestFrame f = Compose();
    EXPECT_EQ(f.At(10, 10), Px(clLime));
    EXPECT_EQ(f.At(10 + opaque.Width() - 1, 10 + opaque.Height() - 1), Px(clLime));
    EXPECT_EQ(f.At(10, 60), Px(clSilver));
    EXPECT_GT(f.Count(clear.BoundsRect(), Dark), 0);
    EXPECT_EQ(f.Count(clear.BoundsRect(), [](std::uint32_t p) { return p == Px(clLime); }), 0);
}

TEST_F(LabelTest, DisabledLabelIsDrawnGreyed) {
    TLabel& label = MakeLabel("Greyed", 10, 10);
    label.SetEnabled(false);
    Start();
    const TestFrame f = Compose();
    const Rgb h = ResolveColor(clBtnHighlight), s = ResolveColor(clBtnShadow);
    const std::uint32_t highlight = (std::uint32_t{h.r} << 16) | (h.g << 8) | h.b;
    const std::uint32_t shadow = (std::uint32_t{s.r} << 16) | (s.g << 8) | s.b;
    const TRect r = label.BoundsRect();
    EXPECT_GT(f.Count(r, [&](std::uint32_t p) { return p == highlight; }), 0);
    EXPECT_GT(f.Count(r, [&](std::uint32_t p) { return p == shadow; }), 0);
    EXPECT_EQ(f.Count(r, Dark), 0) << "no black ink";
}

TEST_F(LabelTest, VerticalLayoutMovesTheTextDown) {
    std::vector<int> firstInk;
    for (TTextLayout layout : {TTextLayout::tlTop, TTextLayout::tlCenter, TTextLayout::tlBottom}) {
        TLabel& label = MakeLabel("Mid", 10, 10);
        label.SetAutoSize(false);
        label.SetBounds(10, 10, 80, 90);
        label.SetLayout(layout);
        const TestFrame f = Compose();
        const std::vector<int> rows = InkRows(f, label.BoundsRect());
        ASSERT_FALSE(rows.empty());
        firstInk.push_back(rows.front());
        label.SetVisible(false);
    }
    const int lineHeight = MeasureText("Mid", TrebuchetBold(-16), true).height;
    EXPECT_EQ(firstInk[1] - firstInk[0], (90 - lineHeight) / 2);
    EXPECT_EQ(firstInk[2] - firstInk[0], 90 - lineHeight);
}

TEST_F(LabelTest, WordWrapBreaksBetweenWordsInsideTheWidth) {
    TLabel& label = MakeLabel("one two three four five", 10, 10);
    label.SetAutoSize(false);
    label.SetWordWrap(true);
    label.SetBounds(10, 10, 70, 150);
    const TestFrame f = Compose();
    const int lineHeight = MeasureText("one", label.Font(), true).height;
    const std::vector<int> rows = InkRows(f, label.BoundsRect());
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.back() - rows.front(), 2 * lineHeight) << "at least three lines";
    EXPECT_EQ(f.Count({80, 10, 240, 150}, Dark), 0);

    // Auto-sized with WordWrap, the label measures the wrapped text in its width.
    label.SetAutoSize(true);
    EXPECT_LE(label.Width(), 70);
    EXPECT_GE(label.Height(), 3 * lineHeight);
}

namespace {

int ChannelDifference(std::uint32_t a, std::uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8)
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return most;
}

}  // namespace

// A text is drawn into an image once and blended in afterwards, but a box too
// large to keep is drawn straight into the frame: both must give the same pixels
// (one step of rounding apart where two glyphs' ink overlaps, as the underline
// and a descender), over a ground that is not flat, at every density, drawn
// whole, cut by a clip, and drawn again.
TEST(TextDrawing, KeptImagesMatchTextDrawnStraight) {
    const TFont font = [] {
        TFont f = TrebuchetBold(-19, static_cast<TColor>(0x602010));
        f.Style |= fsUnderline;
        return f;
    }();
    const std::string text = "Time 30 $ & g\xE9";
    const TRect small{13, 7, 160, 30};
    const TRect huge{13, 7, 1100, 1000};  // over a million layout pixels: never kept
    const auto ground = [](TestFrame& f) {
        for (int y = 0; y < f.Height(); ++y)
            for (int x = 0; x < f.Width(); ++x)
                if ((x / 3 + y / 2) % 2) f.Set(x, y, 0x40A0E0);
    };
    for (const double factor : {1.0, 1.5, 2.0}) {
        const DisplayScale scale = DisplayScale::FromFactor(factor);
        const int width = scale.ToDevice(1120), height = scale.ToDevice(1010);
        for (const TextLook look : {TextLook::Normal, TextLook::Greyed}) {
            SCOPED_TRACE(testing::Message() << "factor " << factor << (look == TextLook::Greyed ? " greyed" : ""));
            TextOptions options;
            options.look = look;
            TestFrame straight(width, height, clWhite), kept(width, height, clWhite), again(width, height, clWhite),
                cut(width, height, clWhite);
            for (TestFrame* f : {&straight, &kept, &again, &cut}) ground(*f);
            const TestFrame bare = kept;
            Painter(straight.Buffer(), scale).DrawText(huge, text, font, options);
            Painter(kept.Buffer(), scale).DrawText(small, text, font, options);
            Painter(again.Buffer(), scale).DrawText(small, text, font, options);
            const TRect half{small.Left + 41, small.Top, 60, small.Height};
            {
                Painter painter(cut.Buffer(), scale);
                painter.ClipRect(half);
                painter.DrawText(small, text, font, options);
            }
            const TRect box = scale.ToDevice(small), clip = scale.ToDevice(half);
            int ink = 0, differ = 0, outside = 0, cutDiffers = 0;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const bool inBox = box.Contains(x, y);
                    if (inBox && kept.At(x, y) != bare.At(x, y)) ++ink;
                    if (inBox) differ = std::max(differ, ChannelDifference(kept.At(x, y), straight.At(x, y)));
                    if (!inBox && kept.At(x, y) != bare.At(x, y)) ++outside;
                    if (cut.At(x, y) != (clip.Contains(x, y) ? kept : bare).At(x, y)) ++cutDiffers;
                }
            }
            EXPECT_GT(ink, 200);
            EXPECT_LE(differ, 1);
            EXPECT_EQ(outside, 0);
            EXPECT_EQ(cutDiffers, 0);
            EXPECT_TRUE(again.SameAs(kept));
        }
    }
}

// Kept images make room for newer ones (a changing count leaves a new text every
// second): a text drawn after hundreds of others, each drawn twice, looks as it
// did at first, and so does each of the others.
TEST(TextDrawing, ATextLooksTheSameAfterManyOthers) {
    const TFont font = TrebuchetBold(-37);
    const TRect box{4, 4, 300, 50};
    const auto draw = [&](const std::string& text) {
        TestFrame frame(310, 60, clWhite);
        Painter painter(frame.Buffer());
        painter.DrawText(box, text, font, TextOptions{});
        return frame;
    };
    const TestFrame first = draw("Lives: 3");
    ASSERT_TRUE(draw("Lives: 3").SameAs(first));
    std::vector<TestFrame> scores;
    for (int i = 0; i < 400; ++i) {
        const std::string score = "Score: " + std::to_string(1000 + i);
        scores.push_back(draw(score));
        EXPECT_TRUE(draw(score).SameAs(scores.back())) << score;
    }
    EXPECT_TRUE(draw("Lives: 3").SameAs(first));
    EXPECT_TRUE(draw("Score: 1000").SameAs(scores.front()));
    EXPECT_GT(first.CountNot({0, 0, 310, 60}, painttest::Px(clWhite)), 100);
}

// The clock and the score leave two new texts every second of play, each drawn
// more than once, in the bottom bar's sizes: the text cache must be full within
// the first minute, so that half an hour more holds no more memory than that
// minute did.
TEST(TextDrawing, AMinuteOfChangingCountsFillsTheCacheAndHalfAnHourMoreHoldsNoMore) {
    const TFont timeFont = TrebuchetBold(-32), scoreFont = TrebuchetBold(-37);
    const TRect timeBox{0, 0, 177, 40}, scoreBox{0, 50, 385, 49};
    TestFrame frame(390, 100, clWhite);
    const auto second = [&](int s) {
        for (int twice = 0; twice < 2; ++twice) {
            Painter(frame.Buffer()).DrawText(timeBox, "Time:  " + std::to_string(s) + " s", timeFont, TextOptions{});
            Painter(frame.Buffer()).DrawText(scoreBox, "Score: " + std::to_string(7 * s), scoreFont, TextOptions{});
        }
    };
    double firstMinute = 0, later = 0;  // the most held in each
    for (int s = 0; s < 30 * 60; ++s) {
        second(s);
        double& most = s < 60 ? firstMinute : later;
        most = std::max(most, testheap::HeapInUseMb());
    }
    EXPECT_LT(later - firstMinute, 0.1) << "expected the heap to stay within " << firstMinute
                                        << " MB after the first minute, got up to " << later << " MB";
}

// A caption readied ahead shows without the text library, exactly as an unreadied
// one shows the first time (drawn straight into the window): labels that size
// themselves leftwards or to the right, a fixed one that centres its text, and a
// greyed one, at two densities.
TEST(LabelReadying, AReadiedCaptionShowsAsItWouldUnreadiedWithoutTextWork) {
    struct Case {
        TAlignment alignment;
        bool autoSize, greyed;
    };
    constexpr Case kCases[] = {
        {TAlignment::taRightJustify, true, false},
        {TAlignment::taRightJustify, true, true},
        {TAlignment::taLeftJustify, true, false},
        {TAlignment::taCenter, false, false},
    };
    int run = 0;
    for (const double factor : {1.0, 1.5}) {
        for (const auto [alignment, autoSize, greyed] : kCases) {
            SCOPED_TRACE(testing::Message() << "factor " << factor << ", alignment " << static_cast<int>(alignment)
                                            << (autoSize ? ", sizing itself" : "") << (greyed ? ", greyed" : ""));
            const std::string next = "Score: " + std::to_string(4711 + run++);
            const auto shown = [&](bool readied) {
                platform::HeadlessPlatform platform;
                platform.SetPresentationScale(DisplayScale::FromFactor(factor));
                Application app(platform, "/games/SWOOPY.EXE");
                Form form(app, "Form1");
                form.ClientWidth = 320;
                form.ClientHeight = 80;
                form.Color = clSilver;
                TLabel label(form);
                label.SetFont(TrebuchetBold(-32));
                label.SetTransparent(true);
                label.SetAutoSize(autoSize);
                label.SetAlignment(alignment);
                label.SetBounds(101, 13, 150, 40);
                label.SetEnabled(!greyed);
                label.SetCaption("Score: 9");
                form.LoadAll();
                form.Show();
                form.Repaint();
                if (readied) label.PrepareCaption(next);
                const TextWork before = TextWorkDone();
                label.SetCaption(next);
                form.Repaint();
                EXPECT_EQ(TextWorkDone() == before, readied);
                return platform.Window(platform.MainWindowId()).pixels;
            };
            const std::vector<std::uint32_t> drawn = shown(false), readied = shown(true);
            EXPECT_EQ(readied, drawn);
            EXPECT_GT(std::count_if(drawn.begin(), drawn.end(), [](std::uint32_t p) { return p != Px(clSilver); }),
                      100);
        }
    }
}
