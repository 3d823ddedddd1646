// Presenting the window at a display scale: the mapping between layout and
// device pixels, frames composed at the device's size, repaints with no stale
// edge, pointer positions mapped back to the layout, and the error box.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Harness.h"
#include "scene/ErrorBox.h"
#include "scene/TEdit.h"
#include "scene/TLabel.h"
#include "scene/TShape.h"

namespace {

using namespace scene;
using scenetest::EventLog;
using scenetest::Harness;
using scenetest::Probe;
using scenetest::RgbOf;

TEST(DisplayScaleMapping, FactorsAreQuarterStepsFromOneToFour) {
    const struct {
        double asked, got;
    } cases[] = {{1, 1}, {1.5, 1.5}, {1.12, 1}, {1.13, 1.25}, {2, 2},  {2.874, 2.75},
                 {4, 4}, {7, 4},     {0.5, 1},  {0, 1},       {-2, 1}, {NAN, 1}};
    for (const auto& c : cases) EXPECT_EQ(DisplayScale::FromFactor(c.asked).Factor(), c.got) << "asked for " << c.asked;
}

TEST(DisplayScaleMapping, EveryDevicePixelLiesInTheLayoutPixelThatCoversIt) {
    for (int q = DisplayScale::kMinQuarters; q <= DisplayScale::kMaxQuarters; ++q) {
        const DisplayScale s = DisplayScale::FromFactor(q / 4.0);
        for (int x = -30; x < 30; ++x) {
            ASSERT_GT(s.ToDevice(x + 1), s.ToDevice(x)) << "layout pixel " << x << " covers no device pixel at " << q;
            for (int d = s.ToDevice(x); d < s.ToDevice(x + 1); ++d)
                ASSERT_EQ(s.ToLayout(d), x) << "device pixel " << d << " at " << q << " quarters";
        }
        const TRect r{-7, 3, 11, 5};
        const TRect outward = s.Outward(r);
        EXPECT_EQ(outward.Intersect(s.ToDevice(r)), s.ToDevice(r)) << "rounded outwards at " << q;
        EXPECT_EQ(s.LayoutCovering(outward).Intersect(r), r);
        EXPECT_EQ(s.LayoutCovering(outward).Intersect({-8, 2, 13, 7}), s.LayoutCovering(outward))
            << "no more than one layout pixel beyond each edge";
    }
    // Far out, the device edges stay apart instead of overflowing.
    const DisplayScale two = DisplayScale::FromFactor(2);
    EXPECT_FALSE(two.ToDevice(TRect{-2147483647 - 1, 0, 2147483647, 10}).Empty());
}

// The same scene on two headless windows: at factor 1 and at the factor under test.
class ScaledWindow : public ::testing::TestWithParam<double> {
protected:
    struct Scene : Harness {
        TShape outlined{form, "outlined"};
        TShape thick{form, "thick"};
        Probe low{form, "low", {80, 80, 20, 20}, clBlue};
        Probe high{form, "high", {100, 100, 20, 20}, clLime};

        explicit Scene(DisplayScale scale) {
            platform.SetPresentationScale(scale);
            form.WindowLeft = 11;
            form.WindowTop = 7;
            outlined.SetBounds(9, 13, 31, 17);
            outlined.SetBrushColor(clFuchsia);
            thick.SetBounds(45, 21, 23, 29);
            thick.SetPen({clRed, 3});
            thick.SetBrushColor(clBlue);
            Start();
        }
    };

    DisplayScale scale = DisplayScale::FromFactor(GetParam());
    Scene one{DisplayScale{}};
    Scene scaled{scale};

    // Every device pixel shows what the layout pixel it lies in shows at factor 1.
    void ExpectResampledFromFactorOne(const std::string& when) {
        const platform::HeadlessWindowState& w = scaled.Window();
        int wrong = 0;
        for (int y = 0; y < w.options.clientHeight; ++y)
            for (int x = 0; x < w.options.clientWidth; ++x)
                if (scaled.Pixel(x, y) != one.Pixel(scale.ToLayout(x), scale.ToLayout(y)) && ++wrong <= 3)
                    ADD_FAILURE() << when << ": device pixel (" << x << "," << y << ") differs from layout pixel ("
                                  << scale.ToLayout(x) << "," << scale.ToLayout(y) << ")";
        EXPECT_EQ(wrong, 0) << when;
    }
};

TEST_P(ScaledWindow, WindowIsTheLayoutTimesTheFactor) {
    const auto& w = scaled.Window();
    EXPECT_EQ(w.options.clientWidth, static_cast<int>(std::ceil(400 * GetParam())));
    EXPECT_EQ(w.options.clientHeight, static_cast<int>(std::ceil(300 * GetParam())));
    EXPECT_EQ(w.options.left, static_cast<int>(std::ceil(11 * GetParam())));
    EXPECT_EQ(w.options.top, static_cast<int>(std::ceil(7 * GetParam())));
    EXPECT_EQ(w.pixels.size(), static_cast<std::size_t>(w.options.clientWidth) * w.options.clientHeight);
    EXPECT_EQ(scaled.form.ClientWidth, 400) << "the layout keeps its own size";
}

TEST_P(ScaledWindow, RectanglesCoverTheirDevicePixelsAndRepaintsLeaveNoStaleEdge) {
    ExpectResampledFromFactorOne("first frame");
    // Odd places, so at 1.5 the edges fall inside device pixels of the layout pixels beside them.
    const TRect moves[] = {{10, 14, 31, 17}, {13, 15, 30, 17}, {47, 22, 31, 18}, {12, 13, 5, 3}};
    for (const TRect& m : moves) {
        std::vector<TRect> marked;
        for (Scene* s : {&one, &scaled}) {
            s->outlined.SetBounds(m.Left, m.Top, m.Width, m.Height);
            s->low.SetLeft(m.Left + 60);
            marked = s->form.DirtyRegion();
            s->app.RunFor(0);
        }
        std::vector<TRect> outward;
        for (const TRect& r : marked) outward.push_back(scale.Outward(r));
        EXPECT_EQ(scaled.Window().lastPresented, outward) << "marked in layout pixels, presented rounded outwards";
        ExpectResampledFromFactorOne("after a move to " + std::to_string(m.Left) + "," + std::to_string(m.Top));
    }
}

TEST_P(ScaledWindow, OnePixelOutlineIsOneLayoutPixelOfDevicePixelsWide) {
    // outlined: a black one-pixel outline from layout x 9; thick: a red three-pixel
    // one from x 46, its figure set in by half the pen's width.
    const int y = scale.ToDevice(25);
    const auto widthOf = [&](int layoutLeft, Rgb pen) {
        int n = 0;
        for (int x = scale.ToDevice(layoutLeft); scaled.Pixel(x, y) == pen; ++x) ++n;
        return n;
    };
    EXPECT_EQ(widthOf(9, Rgb{0, 0, 0}), scale.ToDevice(10) - scale.ToDevice(9));
    EXPECT_EQ(widthOf(46, Rgb{255, 0, 0}), scale.ToDevice(49) - scale.ToDevice(46));
    if (GetParam() == 2) {
        EXPECT_EQ(widthOf(9, Rgb{0, 0, 0}), 2);
        EXPECT_EQ(widthOf(46, Rgb{255, 0, 0}), 6);
    }
}

TEST_P(ScaledWindow, PointerPositionsHitWhatLiesAtTheirLayoutPixel) {
    EventLog log;
    log.Watch(scaled.low);
    log.Watch(scaled.high);
    auto& p = scaled.platform;
    // The last device pixel of layout pixel 99 and the first and last of layout pixel 100.
    p.MouseMove(scale.ToDevice(100) - 1, scale.ToDevice(100) - 1);
    p.ScriptAfter(20);
    p.MouseMove(scale.ToDevice(100), scale.ToDevice(100));
    p.ScriptAfter(20);
    p.Click(scale.ToDevice(101) - 1, scale.ToDevice(101) - 1);
    scaled.app.RunFor(100);
    EXPECT_EQ(log.Text(), "low.move(19,19) high.move(0,0) high.down(0,0) high.click high.up(0,0)");

    if (GetParam() == 2) {
        log.Clear();
        p.ScriptAfter(20);
        p.MouseMove(201, 201);
        scaled.app.RunFor(100);
        EXPECT_EQ(log.Text(), "high.move(0,0)") << "device (201, 201) at 2 is layout (100, 100)";
    }
}

// Moved to a screen of another density (a Wayland window between monitors of
// scales 2 and 1), the window is composed anew there and the pointer maps back
// at the new scale; moved back, it is as it was.
TEST_P(ScaledWindow, MovedToAnotherDensityTheWindowIsComposedAnewThere) {
    auto& p = scaled.platform;
    p.ChangeWindowScale(DisplayScale{}, 400, 300);
    scaled.app.RunFor(0);
    EXPECT_TRUE(scaled.Window().pixels == one.Window().pixels) << "the frame as a window made at factor 1 shows it";
    EventLog log;
    log.Watch(scaled.high);
    p.MouseMove(100, 100);
    p.ScriptAfter(20);
    p.Click(100, 100);
    scaled.app.RunFor(100);
    EXPECT_EQ(log.Text(), "high.move(0,0) high.down(0,0) high.click high.up(0,0)");

    const platform::HeadlessWindowState& w = scaled.Window();
    p.ChangeWindowScale(scale, w.options.clientWidth, w.options.clientHeight);
    scaled.app.RunFor(0);
    ExpectResampledFromFactorOne("moved back");
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaledWindow, ::testing::Values(1.0, 1.5, 2.0));

// How many 2 x 2 blocks of device pixels within r are not of one colour: none
// at all when a factor-1 frame was merely enlarged.
int MixedBlocks(const Harness& h, const TRect& r) {
    int mixed = 0;
    for (int y = r.Top; y + 1 < r.Bottom(); y += 2)
        for (int x = r.Left; x + 1 < r.Right(); x += 2) {
            const Rgb p = h.Pixel(x, y);
            if (h.Pixel(x + 1, y) != p || h.Pixel(x, y + 1) != p || h.Pixel(x + 1, y + 1) != p) ++mixed;
        }
    return mixed;
}

TEST(ScaledDrawing, TextAndRoundShapesAreDrawnAtTheDevicesDensity) {
    Harness h;
    h.platform.SetPresentationScale(DisplayScale::FromFactor(2));
    TLabel label(h.form, "label");
    TFont font;
    font.Name = "Trebuchet MS";
    font.Height = -24;
    font.Style = fsBold;
    label.SetFont(font);
    label.SetCaption("Sharp 42");
    label.SetBounds(20, 20, 10, 10);
    TShape circle(h.form, "circle");
    circle.SetShape(TShapeType::stCircle);
    circle.SetBounds(200, 20, 60, 60);
    h.Start();
    const std::pair<int, int> measured{label.Width(), label.Height()};
    EXPECT_GT(MixedBlocks(h, {40, 40, 2 * label.Width(), 2 * label.Height()}), 40) << "text drawn at twice the density";
    EXPECT_GT(MixedBlocks(h, {400, 40, 120, 120}), 40) << "the circle's edge drawn at twice the density";

    Harness plain;
    TLabel same(plain.form, "same");
    same.SetFont(font);
    same.SetCaption("Sharp 42");
    plain.Start();
    EXPECT_EQ(measured, std::make_pair(same.Width(), same.Height())) << "text measures the same at every factor";
}

TEST(ScaledDrawing, ErrorBoxFollowsTheFactor) {
    Harness h;
    h.platform.SetPresentationScale(DisplayScale::FromFactor(2));
    h.Start();
    h.platform.WhenIdle = [&h] {
        ErrorBox* box = h.app.OpenErrorBox();
        if (!box || h.platform.PendingEvents() != 0) return;
        const auto& w = h.platform.Window(box->WindowId());
        EXPECT_EQ(w.options.clientWidth, 2 * box->ClientWidth());
        EXPECT_EQ(w.options.clientHeight, 2 * box->ClientHeight());
        const TRect ok = box->OkButtonRect();
        // Layout pixel (ok.Left + 1, ok.Top + 1) is inside OK; its device pixels start at twice that.
        h.platform.Click(2 * ok.Left + 3, 2 * ok.Top + 3, platform::kTopDialog);
    };
    h.app.Guard([] { throw std::runtime_error("Scaled"); });
    EXPECT_EQ(h.app.OpenErrorBox(), nullptr) << "a click on OK's device pixels closed the box";
    ASSERT_EQ(h.app.ShownBoxes().size(), 1u);
    EXPECT_EQ(h.app.ShownBoxes()[0].text, "Scaled.");
}

// Full screen on common screens: the client area's device size, and its corner.
struct ScreenCase {
    int screenWidth, screenHeight;
    int width, height, left, top;
};
constexpr ScreenCase kScreens[] = {
    // clang-format off
    {1920, 1080, 1920, 1051, 0, 14},   {2560, 1440, 2560, 1402, 0, 19}, {3840, 2160, 3840, 2102, 0, 29},
    {1366, 768, 1366, 748, 0, 10},     {1280, 1024, 1280, 701, 0, 161},
    {2000, 1000, 1828, 1000, 86, 0},   // wider than the window: the height decides
    {800, 600, 1109, 607, 0, 0},       // smaller: never below factor 1
    // clang-format on
};

TEST(FullScreen, TheClientAreaIsAsLargeAsTheScreenAllowsAndCentred) {
    for (const ScreenCase& c : kScreens) {
        const Placement at = FitOnScreen(c.screenWidth, c.screenHeight, 1109, 607);
        const TRect area = at.scale.ToDevice(TRect{0, 0, 1109, 607});
        EXPECT_EQ((std::vector<int>{area.Width, area.Height, at.left, at.top}),
                  (std::vector<int>{c.width, c.height, c.left, c.top}))
            << "on " << c.screenWidth << " x " << c.screenHeight;
    }
}

// F11 and back on each screen, with a press on a probe's first device pixel,
// on the one before it, and on the black around the client area.
TEST(FullScreen, PointerMapsBackToTheLayoutAndTheBorderTouchesNothing) {
    for (const ScreenCase& c : kScreens) {
        const std::string on = " on " + std::to_string(c.screenWidth) + " x " + std::to_string(c.screenHeight);
        Harness h;
        h.form.ClientWidth = 1109;
        h.form.ClientHeight = 607;
        h.platform.SetScreenSize(c.screenWidth, c.screenHeight);
        Probe start(h.form, "start", {785, 176, 80, 25});
        EventLog log;
        log.Watch(start);
        h.Start();
        h.platform.Key(kF11);
        h.app.RunFor(0);
        ASSERT_EQ(h.form.Mode(), WindowMode::FullScreen) << on;
        const Placement at = h.form.ShownAt();
        ASSERT_EQ(at, FitOnScreen(c.screenWidth, c.screenHeight, 1109, 607)) << on;
        const int x = at.left + at.scale.ToDevice(785), y = at.top + at.scale.ToDevice(176);
        EXPECT_EQ(h.Pixel(x, y), RgbOf(clRed)) << "the probe's first device pixel" << on;
        const Rgb corner = c.left + c.top > 0 ? Rgb{0, 0, 0} : RgbOf(h.form.Color);
        EXPECT_EQ(h.Pixel(c.screenWidth - 1, c.screenHeight - 1), corner) << "the screen's last pixel" << on;
        h.platform.Click(x - 1, y);
        if (c.left + c.top > 0) h.platform.Click(c.screenWidth - 1, c.screenHeight - 1);
        h.app.RunFor(Form::kDoubleClickMs + 1);  // the next press is no double click
        EXPECT_EQ(log.Text(), "") << "beside the probe and on the border" << on;
        h.platform.Click(x, y);
        h.app.RunFor(0);
        EXPECT_EQ(log.Text(), "start.down(0,0) start.click start.up(0,0)") << on;

        log.Clear();
        h.platform.Key(kF11);
        h.app.RunFor(0);
        EXPECT_EQ(h.form.Mode(), WindowMode::Windowed) << on;
        EXPECT_EQ(h.form.ShownAt(), Placement{}) << on;
        EXPECT_EQ(std::make_pair(h.Window().width, h.Window().height), std::make_pair(1109, 607)) << on;
        EXPECT_EQ(h.Pixel(785, 176), RgbOf(clRed)) << "drawn again in the window" << on;
        h.app.RunFor(Form::kDoubleClickMs + 1);
        h.platform.Click(785, 176);
        h.app.RunFor(0);
        EXPECT_EQ(log.Text(), "start.down(0,0) start.click start.up(0,0)") << "in the window again" << on;
    }
}

TEST(FullScreen, AltEnterSwitchesWhileTheNameFieldTypes) {
    Harness h;
    TEdit name(h.form, "name");
    name.SetBounds(10, 10, 100, 20);
    h.Start();
    ASSERT_EQ(h.form.FocusedControl(), &name);
    h.platform.Type("Zed");
    h.platform.Key(kReturn, kmAlt);
    h.app.RunFor(0);
    EXPECT_EQ(h.form.Mode(), WindowMode::FullScreen);
    h.platform.Key(kF11);
    h.platform.Key(kReturn, kmAlt);
    h.platform.Key(kReturn, kmAlt);
    h.app.RunFor(0);
    EXPECT_EQ(h.form.Mode(), WindowMode::Windowed) << "three more switches";
    h.platform.Key(kF11);
    InputEvent held;
    held.kind = EventKind::KeyDown;
    held.key = kF11;
    held.repeat = true;
    for (int i = 0; i < 3; ++i) h.platform.Push(held);
    h.app.RunFor(0);
    EXPECT_EQ(h.form.Mode(), WindowMode::FullScreen) << "a held F11 switches once";
    h.platform.Key(kF11);
    EXPECT_EQ(name.Text(), "Zed") << "the keys typed nothing";
    EXPECT_EQ(h.form.FocusedControl(), &name);
}

}  // namespace
