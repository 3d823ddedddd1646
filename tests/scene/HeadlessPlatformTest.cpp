// The test platform itself: its clock, its scripted input, its windows and its
// audio output.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>

#include "platform/headless/HeadlessPlatform.h"

namespace {

using platform::HeadlessPlatform;
using namespace scene;

constexpr double kForever = std::numeric_limits<double>::infinity();

WindowOptions Options(const std::string& title, bool dialog = false) {
    WindowOptions s;
    s.title = title;
    s.clientWidth = 8;
    s.clientHeight = 4;
    s.dialog = dialog;
    return s;
}

TEST(HeadlessClock, WaitingMovesToTheNextEventOrTheDeadlineAndPollingNever) {
    HeadlessPlatform p;
    InputEvent ev;
    EXPECT_EQ(p.NowMs(), 0.0);
    EXPECT_FALSE(p.WaitEvent(ev, 0));
    EXPECT_FALSE(p.WaitEvent(ev, 250));
    EXPECT_EQ(p.NowMs(), 250.0);
    p.ScriptAfter(100);
    p.MouseMove(1, 2);
    EXPECT_FALSE(p.WaitEvent(ev, p.NowMs())) << "a poll takes only what is due now";
    EXPECT_TRUE(p.WaitEvent(ev, 1000));
    EXPECT_EQ(p.NowMs(), 350.0);
    EXPECT_EQ(ev.timeMs, 350.0);
    EXPECT_EQ(ev.x, 1);
    EXPECT_EQ(ev.y, 2);
    p.Wake();
    EXPECT_FALSE(p.WaitEvent(ev, 1000));
    EXPECT_EQ(p.NowMs(), 350.0) << "a wake ends the wait at once";
    EXPECT_THROW(p.WaitEvent(ev, kForever), std::logic_error);
    p.WhenIdle = [&p] { p.Key('q'); };
    EXPECT_TRUE(p.WaitEvent(ev, kForever));
    EXPECT_EQ(ev.key, 'q');
}

TEST(HeadlessInput, EventsComeInTimeOrderAndQueuedMotionCollapses) {
    HeadlessPlatform p;
    auto main = p.CreateWindow(Options("main"));
    p.ScriptAt(50);
    p.Click(5, 5);
    p.ScriptAt(10);
    p.MouseMove(1, 1);
    p.MouseMove(2, 2);
    p.MouseMove(3, 3, 7);  // another window: kept apart
    p.MouseMove(4, 4);
    InputEvent ev;
    std::string seen;
    while (p.WaitEvent(ev, 100)) {
        seen += std::to_string(static_cast<int>(ev.kind)) + "@" + std::to_string(ev.window) + ":" +
                std::to_string(ev.x) + " ";
    }
    // MouseMove=0, MouseDown=1, MouseUp=2.
    EXPECT_EQ(seen, "0@1:2 0@7:3 0@1:4 1@1:5 2@1:5 ");
}

TEST(HeadlessWindows, AddressesResolveWhenTakenAndRecordsOutliveTheWindow) {
    HeadlessPlatform p;
    p.Key(kReturn, 0, platform::kTopDialog);
    auto main = p.CreateWindow(Options("main"));
    auto box = p.CreateWindow(Options("box", true));
    InputEvent ev;
    ASSERT_TRUE(p.WaitEvent(ev, 0));
    EXPECT_EQ(ev.window, box->Id());
    EXPECT_EQ(p.MainWindowId(), main->Id());
    EXPECT_EQ(p.TopDialogId(), box->Id());
    box.reset();
    EXPECT_EQ(p.TopDialogId(), 0);
    EXPECT_FALSE(p.Window(2).alive);
    EXPECT_EQ(p.Window(2).options.title, "box");
    EXPECT_THROW(p.Window(3), std::out_of_range);
}

TEST(HeadlessWindows, FramePresentsCursorAndPicture) {
    HeadlessPlatform p;
    auto w = p.CreateWindow(Options("main"));
    const FrameBuffer f = w->Frame();
    ASSERT_EQ(f.width, 8);
    ASSERT_EQ(f.stride, 32);
    reinterpret_cast<std::uint32_t*>(f.pixels + f.stride)[3] = 0x00112233;
    EXPECT_EQ(p.Pixel(w->Id(), 3, 1), (Rgb{0x11, 0x22, 0x33}));
    w->Present({{0, 0, 2, 2}});
    w->Present({{1, 1, 3, 3}, {5, 0, 1, 1}});
    EXPECT_EQ(p.Window(w->Id()).presents, 2);
    EXPECT_EQ(p.Window(w->Id()).lastPresented.size(), 2u);
    EXPECT_EQ(p.Window(w->Id()).presented.size(), 3u);
    w->SetCursor(TCursor::crIBeam);
    EXPECT_EQ(p.Window(w->Id()).cursor, TCursor::crIBeam);

    const std::string path = ::testing::TempDir() + "headless_frame.png";
    ASSERT_TRUE(p.SavePng(w->Id(), path));
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    in.read(magic, 4);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
    std::remove(path.c_str());
}

TEST(HeadlessAudio, RendersWholeBlocksAsTheClockAdvancesUntilClosed) {
    HeadlessPlatform p;
    int calls = 0;
    auto out = p.OpenAudio([&calls](float* buf, int frames) {
        ++calls;
        for (int i = 0; i < frames; ++i) buf[i] = static_cast<float>(calls);
    });
    EXPECT_EQ(out->Format().sampleRate, 22050);
    EXPECT_EQ(out->Format().channels, 1);
    p.Advance(100);  // 2205 frames: eight whole blocks
    EXPECT_EQ(calls, 8);
    ASSERT_EQ(p.RenderedAudio().size(), 8u * HeadlessPlatform::kAudioBlockFrames);
    EXPECT_EQ(p.RenderedAudio().back(), 8.0f);
    p.Advance(12);  // 2469.6 frames: one more block is whole
    EXPECT_EQ(calls, 9);
    p.ClearRenderedAudio();
    out.reset();
    p.Advance(1000);
    EXPECT_EQ(calls, 9);
    EXPECT_TRUE(p.RenderedAudio().empty());
    p.SetClipboardText("abc");
    EXPECT_EQ(p.ClipboardText(), "abc");
}

}  // namespace
