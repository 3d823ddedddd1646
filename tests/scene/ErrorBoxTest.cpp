// A handler's error in the error box: its text, its modality, held-back reports,
// the startup box.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "Harness.h"
#include "scene/ErrorBox.h"

namespace {

using namespace scene;
using scenetest::EventLog;
using scenetest::Harness;
using scenetest::Probe;

TEST(ErrorText, FullStopAfterALetterOrDigitOnly) {
    EXPECT_EQ(Application::BoxText("File not found"), "File not found.");
    EXPECT_EQ(Application::BoxText("I/O error 5"), "I/O error 5.");
    EXPECT_EQ(Application::BoxText("Done."), "Done.");
    EXPECT_EQ(Application::BoxText("Wow!"), "Wow!");
    EXPECT_EQ(Application::BoxText("(see above)"), "(see above)");
    EXPECT_EQ(Application::BoxText("a-"), "a-");
    EXPECT_EQ(Application::BoxText("a/"), "a/.");
    EXPECT_EQ(Application::BoxText(""), "");
    EXPECT_EQ(Application::BoxText("caf\xE9"), "caf\xE9.") << "bytes compare unsigned";
}

// "Exception <kind> in module <file> at <8 hex digits>.\r\n" and the rest, or "" when text has another shape.
std::string AfterAddress(const std::string& text, const std::string& head) {
    if (text.compare(0, head.size(), head) != 0 || text.size() < head.size() + 11) return {};
    const std::string hex = text.substr(head.size(), 8);
    if (hex.find_first_not_of("0123456789ABCDEF") != std::string::npos) return {};
    if (text.compare(head.size() + 8, 3, ".\r\n") != 0) return {};
    return text.substr(head.size() + 11);
}

TEST(ErrorText, StartupBoxNamesKindModuleAddressAndMessage) {
    const std::string head = "Exception EMCIDeviceError in module swoopy at ";
    EXPECT_EQ(AfterAddress(Application::StartupErrorText("EMCIDeviceError", "/opt/games/swoopy",
                                                         "The specified file was not found"),
                           head),
              "The specified file was not found.\r\n");
    EXPECT_EQ(AfterAddress(Application::StartupErrorText("E", "/x", "Ends here."), "Exception E in module x at "),
              "Ends here.\r\n");
    EXPECT_EQ(AfterAddress(Application::StartupErrorText("E", "/x", ""), "Exception E in module x at "), ".\r\n");
}

class Errors : public ::testing::Test, public Harness {
protected:
    EventLog log;
    Probe pad{form, "pad", {0, 0, 100, 100}};
    TTimer timer{form, "timer"};
    int ticks = 0;

    Errors() {
        log.Watch(pad);
        timer.SetInterval(100);
        timer.SetOnTimer([this](TTimer&) { ++ticks; });
    }
    // Answers each box with key once the box has been open for openMs.
    void AnswerBoxesAfter(double openMs, int key = kReturn) {
        platform.WhenIdle = [this, openMs, key] {
            if (app.OpenErrorBox() && platform.PendingEvents() == 0) {
                platform.ScriptAfter(openMs);
                platform.Key(key, 0, platform::kTopDialog);
            }
        };
    }
};

TEST_F(Errors, FailingClickShowsTheBoxWithTitleAndText) {
    pad.OnClick = [](SceneElement&) { throw std::runtime_error("File not found"); };
    Start();
    platform.Click(10, 10);
    std::string caption, text;
    platform.WhenIdle = [&] {
        if (ErrorBox* box = app.OpenErrorBox(); box && caption.empty()) {
            caption = box->Caption();
            text = box->Text();
            platform.Key(kEscape, 0, platform::kTopDialog);
        }
    };
    app.RunFor(50);
    EXPECT_EQ(caption, "Swoopy");
    EXPECT_EQ(text, "File not found.");
    EXPECT_EQ(app.OpenErrorBox(), nullptr);
    const platform::HeadlessWindowState& box = platform.Window(platform.WindowIds().back());
    EXPECT_TRUE(box.options.dialog);
    EXPECT_EQ(box.options.ownerId, form.WindowId());
    EXPECT_EQ(box.options.title, "Swoopy");
    EXPECT_FALSE(box.alive);
}

TEST_F(Errors, WhileOpenNoInputReachesTheWindowButTicksGoOn) {
    pad.OnMouseDown = [](SceneElement&, TMouseButton, TShiftState, int, int) { throw std::runtime_error("boom"); };
    Start();
    platform.MouseDown(10, 10);
    platform.ScriptAfter(100);
    platform.MouseMove(20, 20);  // while the box is open
    platform.Key('a');
    AnswerBoxesAfter(500);
    app.RunFor(1000);
    EXPECT_EQ(app.ShownBoxes().size(), 1u);
    EXPECT_GE(ticks, 4) << "ticks went on while the box was open";
    EXPECT_EQ(log.Text(), "pad.up(-1,-1)") << "the capture was cancelled first, the move dropped";
    log.Clear();
    platform.MouseMove(30, 30);
    app.RunFor(10);
    EXPECT_EQ(log.Text(), "pad.move(30,30)");
}

TEST_F(Errors, FailingTimerStaysArmedAndLaterReportsWaitTheirTurn) {
    timer.SetOnTimer([this](TTimer&) {
        ++ticks;
        throw std::runtime_error("tick " + std::to_string(ticks));
    });
    Start();
    bool armedAtThird = false;
    int heldAtThird = 0;
    int mostOpen = 0;
    platform.WhenIdle = [&] {
        int open = 0;
        for (int id : platform.WindowIds()) open += platform.Window(id).alive && platform.Window(id).options.dialog;
        mostOpen = std::max(mostOpen, open);
        if (!app.OpenErrorBox() || platform.PendingEvents() != 0) return;
        if (app.ShownBoxes().size() == 3 && timer.Enabled()) {
            armedAtThird = timer.Armed();
            heldAtThird = app.HeldBackErrors();
            timer.SetEnabled(false);  // or the reports would never end
        }
        platform.ScriptAfter(250);
        platform.Key(kSpace, 0, platform::kTopDialog);
    };
    app.RunFor(3000);
    EXPECT_TRUE(armedAtThird);
    EXPECT_GT(heldAtThird, 0);
    EXPECT_EQ(mostOpen, 1) << "one box at a time";
    EXPECT_EQ(app.OpenErrorBox(), nullptr);
    ASSERT_EQ(app.ShownBoxes().size(), static_cast<std::size_t>(ticks)) << "every report shown in turn";
    for (int i = 0; i < ticks; ++i)
        EXPECT_EQ(app.ShownBoxes()[static_cast<std::size_t>(i)].text, "tick " + std::to_string(i + 1) + ".");
}

TEST_F(Errors, FailingPostedNoticesAreReportedInTurn) {
    Start();
    app.Post([] { throw std::runtime_error("Unknown error code"); });
    app.Post([] { throw std::runtime_error(""); });
    AnswerBoxesAfter(10);
    app.RunFor(100);
    ASSERT_EQ(app.ShownBoxes().size(), 2u);
    EXPECT_EQ(app.ShownBoxes()[0].caption, "Swoopy");
    EXPECT_EQ(app.ShownBoxes()[0].text, "Unknown error code.");
    EXPECT_EQ(app.ShownBoxes()[1].text, "");
}

TEST_F(Errors, BoxClosesByItsOkButtonAndIsDrawn) {
    pad.OnClick = [](SceneElement&) { throw std::runtime_error("Invalid numeric input"); };
    Start();
    platform.Click(10, 10);
    bool checked = false;
    platform.WhenIdle = [&] {
        ErrorBox* box = app.OpenErrorBox();
        if (!box || checked) return;
        checked = true;
        const int id = box->WindowId();
        EXPECT_GE(platform.Window(id).presents, 1);
        const TRect ok = box->OkButtonRect();
        EXPECT_NE(platform.Pixel(id, ok.Left + 8, ok.Top + ok.Height / 2), platform.Pixel(id, 5, 5));
        const Rgb ring = platform.Pixel(id, 12 + 3, 12 + 16);  // left edge of the stop icon's disc
        EXPECT_GT(ring.r, 150);
        EXPECT_LT(ring.g, 100);
        platform.MouseDown(ok.Left + 5, ok.Top + 5, TMouseButton::mbLeft, id);
        platform.MouseUp(ok.Left + 5, ok.Top + 5, TMouseButton::mbLeft, id);
    };
    app.RunFor(50);
    EXPECT_TRUE(checked);
    EXPECT_EQ(app.OpenErrorBox(), nullptr);
}

TEST_F(Errors, ErrorBeforeTheWindowIsShownIsAnsweredFirst) {
    form.OnCreate = [](Form&) { throw std::runtime_error("File not found"); };
    form.LoadAll();
    platform.Key(kReturn, 0, platform::kTopDialog);
    form.DoCreate();
    EXPECT_EQ(app.ShownBoxes().size(), 1u);
    EXPECT_FALSE(form.Showing());
    EXPECT_EQ(platform.MainWindowId(), 0);
    EXPECT_EQ(platform.Window(1).options.ownerId, 0);
    EXPECT_FALSE(platform.Window(1).alive);
    form.Show();
    EXPECT_EQ(form.WindowId(), 2);
}

TEST_F(Errors, StartupErrorShowsTheApplicationErrorBoxUntilClosed) {
    platform.Close(platform::kTopDialog);
    app.ShowStartupError("EMCIDeviceError", "No MCI device open");
    ASSERT_EQ(app.ShownBoxes().size(), 1u);
    EXPECT_EQ(app.ShownBoxes()[0].caption, "Application Error");
    EXPECT_NE(app.ShownBoxes()[0].text.find("in module SWOOPY.EXE at "), std::string::npos);
    EXPECT_NE(app.ShownBoxes()[0].text.find("\r\nNo MCI device open.\r\n"), std::string::npos);
}

TEST_F(Errors, WithoutAWindowForTheBoxTheReportGoesToStandardErrorAndTheLoopGoesOn) {
    platform.RefuseWindow = [](const WindowOptions& o) { return o.dialog; };
    pad.OnMouseDown = [](SceneElement&, TMouseButton, TShiftState, int, int) { throw std::runtime_error("Disk full"); };
    Start();
    testing::internal::CaptureStderr();
    platform.Click(10, 10);
    platform.Click(20, 20);
    app.RunFor(300);
    app.ShowStartupError("EMCIDeviceError", "No MCI device open");
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(log.Text(), "pad.up(-1,-1) pad.up(10,10) pad.up(-1,-1) pad.up(20,20)")
        << "each press was reported, its capture cancelled, and the loop went on";
    EXPECT_FALSE(app.Terminated());
    EXPECT_GE(ticks, 2) << "ticks went on";
    EXPECT_TRUE(app.ShownBoxes().empty()) << "no box could be shown";
    for (const char* expected :
         {"SWOOPY.EXE: Swoopy: Disk full.\n", "No MCI device open.\n",
          "Application Error: Exception EMCIDeviceError in module SWOOPY.EXE", "the platform refused it"})
        EXPECT_NE(err.find(expected), std::string::npos) << "expected \"" << expected << "\" in: " << err;
    EXPECT_EQ(err.find('\r'), std::string::npos) << err;
}

}  // namespace
