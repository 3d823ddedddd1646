#include <gtest/gtest.h>

#include "FormSupport.h"
#include "scene/Painter.h"
#include "scene/TButton.h"

using namespace scene;
using painttest::Dark;
using painttest::Px;
using painttest::TestFrame;

namespace {

class ButtonTest : public painttest::FormTest {
protected:
    ButtonTest() {
        start.SetBounds(20, 20, 99, 33);
        start.SetCaption("&Start!");
        start.SetFont(painttest::TrebuchetBold(-13));
        start.SetDefault(true);
        start.SetTabOrder(6);
        start.OnClick = [this](SceneElement&) { ++clicks; };
        other.SetBounds(150, 20, 113, 41);
        other.SetCaption("Exit!");
        other.SetFont(painttest::TrebuchetBold(-16));
        other.SetTabOrder(9);
    }

    TButton start{form, "Button1"};
    TButton other{form, "closeall"};
    int clicks = 0;
};

}  // namespace

TEST_F(ButtonTest, AcceleratorIsTheLetterAfterASingleAmpersand) {
    EXPECT_EQ(start.AccelChar(), 's');
    other.SetCaption("Save && &Quit");
    EXPECT_EQ(other.AccelChar(), 'q');
    other.SetCaption("A&&B");
    EXPECT_EQ(other.AccelChar(), 0);
    other.SetCaption("Try again!");
    EXPECT_EQ(other.AccelChar(), 0);
    other.SetCaption("trailing&");
    EXPECT_EQ(other.AccelChar(), 0);
}

TEST_F(ButtonTest, PressClicksOnlyWhenTheButtonCanTakeTheFocus) {
    EXPECT_EQ(start.Width(), 99);
    start.Press();
    EXPECT_EQ(clicks, 0) << "the window is not showing yet";
    Start();
    start.Press();
    EXPECT_EQ(clicks, 1);
    start.SetEnabled(false);
    start.Press();
    start.SetEnabled(true);
    start.SetVisible(false);
    start.Press();
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, APressAndReleaseOnTheButtonIsAClick) {
    Start();
    platform.Click(60, 30);
    Run();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(start.Focused()) << "clicking focuses";

    platform.MouseDown(60, 30);
    platform.MouseMove(300, 150);
    platform.MouseUp(300, 150);
    Run();
    EXPECT_EQ(clicks, 1) << "released elsewhere";

    platform.MouseDown(300, 150);
    platform.MouseMove(60, 30);
    platform.MouseUp(60, 30);
    Run();
    EXPECT_EQ(clicks, 1) << "pressed elsewhere";

    platform.Click(60, 30, 0);
    platform.Click(60, 30, 0);  // quick second click: buttons take it as another click
    Run();
    EXPECT_EQ(clicks, 3);

    start.SetEnabled(false);
    platform.Click(60, 30);
    Run();
    EXPECT_EQ(clicks, 3) << "disabled";
}

TEST_F(ButtonTest, PushedWhileHeldWithThePointerOverIt) {
    Start();
    start.MouseDown(TMouseButton::mbLeft, ssLeft, 5, 5);
    EXPECT_TRUE(start.Pushed());
    start.MouseMove(ssLeft, 200, 5);
    EXPECT_FALSE(start.Pushed());
    start.MouseMove(ssLeft, 10, 10);
    EXPECT_TRUE(start.Pushed());
    start.MouseUp(TMouseButton::mbLeft, 0, 10, 10);
    EXPECT_FALSE(start.Pushed());
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, EnterAndAcceleratorsPressTheRightButton) {
    Start();
    platform.Key(kReturn);
    Run();
    EXPECT_EQ(clicks, 1) << "Enter presses the default button";
    platform.Key('s', kmAlt);
    Run();
    EXPECT_EQ(clicks, 2) << "Alt+S";
    start.SetEnabled(false);
    platform.Key(kReturn);
    platform.Key('s', kmAlt);
    Run();
    EXPECT_EQ(clicks, 2) << "a disabled button ignores both";
}

TEST_F(ButtonTest, DefaultFrameOnlyWhileNoOtherButtonHasTheFocus) {
    Start();
    const TestFrame framed = Compose();
    EXPECT_EQ(framed.At(20 + 49, 20), Px(clBlack)) << "default frame on top";
    EXPECT_EQ(framed.At(20, 20 + 16), Px(clBlack)) << "default frame at the left";
    EXPECT_NE(framed.At(150 + 50, 20), Px(clBlack)) << "the other button has none";

    form.SetFocus(&other);
    const TestFrame moved = Compose();
    EXPECT_NE(moved.At(20 + 49, 20), Px(clBlack)) << "the focused button takes the frame";
    EXPECT_EQ(moved.At(150 + 50, 20), Px(clBlack));
}

TEST_F(ButtonTest, DisabledCaptionIsGreyed) {
    Start();
    const TRect inner{24, 24, 91, 25};
    EXPECT_GT(Compose().Count(inner, Dark), 10) << "black caption while enabled";
    start.SetEnabled(false);
    const TestFrame f = Compose();
    const Rgb s = ResolveColor(clBtnShadow);
    const std::uint32_t shadow = (std::uint32_t{s.r} << 16) | (s.g << 8) | s.b;
    EXPECT_EQ(f.Count(inner, Dark), 0);
    EXPECT_GT(f.Count(inner, [&](std::uint32_t p) { return p == shadow; }), 10);
}
