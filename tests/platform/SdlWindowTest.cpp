// The SDL window: its size, place and title, the frame the toolkit composes
// into, a new frame after a size change, typed-text requests and the clipboard.
#include <gmock/gmock.h>

#include "platform/SdlTestSupport.h"

namespace platform_test {
namespace {

using scene::EventKind;

class SdlWindows : public SdlBackendTest {
protected:
    static std::uint32_t PixelOnScreen(const scene::PlatformWindow& w, int x, int y) {
        SDL_Surface* s = SDL_GetWindowSurface(SdlWindowOf(w));
        const auto* row = static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch;
        Uint8 r = 0, g = 0, b = 0;
        SDL_GetRGB(reinterpret_cast<const Uint32*>(row)[x], s->format, &r, &g, &b);
        return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | b;
    }
    static void PutPixel(const scene::FrameBuffer& f, int x, int y, std::uint32_t rgb) {
        reinterpret_cast<std::uint32_t*>(f.pixels + y * f.stride)[x] = rgb;
    }
};

TEST(SdlDisplay, WithoutADisplayThePlatformRefusesToRunInvisibly) {
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    try {
        platform::CreateSdlPlatform();
        ADD_FAILURE() << "expected an error for a missing display, got a platform";
    } catch (const std::runtime_error& e) {
        EXPECT_THAT(e.what(), ::testing::StartsWith("Cannot open the display: "));
    }
}

TEST_F(SdlWindows, WindowHasTheClientSizePlaceAndTitleAskedForAndCannotBeResized) {
    scene::WindowOptions options;
    options.title = "Swoopy!";
    options.left = 192;
    options.top = 112;
    options.clientWidth = 1109;
    options.clientHeight = 607;
    windows.push_back(platform->CreateWindow(options));
    SDL_Window* w = SdlWindowOf(*windows.back());
    ASSERT_NE(w, nullptr) << "the window's id is not SDL's";
    EXPECT_EQ(SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN, 0u) << "a window stays hidden until shown";

    windows.back()->Show();
    int width = 0, height = 0, x = 0, y = 0;
    SDL_GetWindowSize(w, &width, &height);
    SDL_GetWindowPosition(w, &x, &y);
    EXPECT_EQ(width, 1109);
    EXPECT_EQ(height, 607);
    EXPECT_EQ(x, 192);  // this driver draws no frame, so the client corner is the outer one
    EXPECT_EQ(y, 112);
    EXPECT_STREQ(SDL_GetWindowTitle(w), "Swoopy!");
    EXPECT_NE(SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN, 0u);
    EXPECT_EQ(SDL_GetWindowFlags(w) & SDL_WINDOW_RESIZABLE, 0u);
}

// The hidden window of that title, if SDL has one (ids count up from 1 per start).
SDL_Window* HiddenWindowTitled(const char* title) {
    for (Uint32 id = 1; id < 64; ++id) {
        SDL_Window* w = SDL_GetWindowFromID(id);
        if (w && std::string(SDL_GetWindowTitle(w)) == title && !(SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN)) return w;
    }
    return nullptr;
}

TEST_F(SdlWindows, AWindowMadeAheadIsHandedOverOnceAndOnlyForTheOptionsItWasMadeWith) {
    scene::WindowOptions options;
    options.title = "ahead";
    options.clientWidth = 320;
    options.clientHeight = 200;
    platform->MakeWindowAhead(options);
    SDL_Window* ahead = HiddenWindowTitled("ahead");
    ASSERT_NE(ahead, nullptr) << "no hidden window was made ahead";
    windows.push_back(platform->CreateWindow(options));
    EXPECT_EQ(SdlWindowOf(*windows.back()), ahead);
    windows.back()->Show();
    EXPECT_NE(SDL_GetWindowFlags(ahead) & SDL_WINDOW_SHOWN, 0u);
    windows.push_back(platform->CreateWindow(options));
    EXPECT_NE(SdlWindowOf(*windows.back()), ahead) << "a window made ahead was handed over twice";

    // Asked for another window, the platform makes it and lets the one made ahead go.
    options.title = "unused";
    platform->MakeWindowAhead(options);
    ASSERT_NE(HiddenWindowTitled("unused"), nullptr);
    options.title = "asked";
    options.clientWidth = 200;
    windows.push_back(platform->CreateWindow(options));
    int width = 0, height = 0;
    SDL_GetWindowSize(SdlWindowOf(*windows.back()), &width, &height);
    EXPECT_STREQ(SDL_GetWindowTitle(SdlWindowOf(*windows.back())), "asked");
    EXPECT_EQ(width, 200);
    EXPECT_EQ(HiddenWindowTitled("unused"), nullptr);
}

TEST_F(SdlWindows, NegativePositionLetsThePlatformCentreTheWindow) {
    scene::WindowOptions options;
    options.left = -1;
    options.top = -1;
    options.clientWidth = 200;
    options.clientHeight = 100;
    options.dialog = true;
    windows.push_back(platform->CreateWindow(options));
    windows.back()->Show();
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0) << SDL_GetError();
    int x = 0, y = 0;
    SDL_GetWindowPosition(SdlWindowOf(*windows.back()), &x, &y);
    EXPECT_EQ(x, (desktop.w - 200) / 2);
    EXPECT_EQ(y, (desktop.h - 100) / 2);
}

TEST_F(SdlWindows, TitlesInWindows1252AreShownInUtf8AndUtf8StaysAsItIs) {
    const scene::PlatformWindow& cp1252 = OpenWindow("Caf\xE9 \x80");
    const scene::PlatformWindow& utf8 = OpenWindow("Caf\xC3\xA9");
    EXPECT_STREQ(SDL_GetWindowTitle(SdlWindowOf(cp1252)), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_STREQ(SDL_GetWindowTitle(SdlWindowOf(utf8)), "Caf\xC3\xA9");
}

TEST_F(SdlWindows, FrameIsTheWholeClientAreaInCairoRgb24AndKeepsItsPixels) {
    scene::PlatformWindow& w = OpenWindow("frame", 320, 200);
    const scene::FrameBuffer f = w.Frame();
    ASSERT_NE(f.pixels, nullptr);
    EXPECT_EQ(f.width, 320);
    EXPECT_EQ(f.height, 200);
    EXPECT_GE(f.stride, 320 * 4);

    PutPixel(f, 10, 5, 0x112233);
    PutPixel(f, 319, 199, 0xA0B0C0);
    w.Present({{0, 0, 320, 200}});
    EXPECT_EQ(PixelOnScreen(w, 10, 5), 0x112233u);
    EXPECT_EQ(PixelOnScreen(w, 319, 199), 0xA0B0C0u);

    const scene::FrameBuffer again = w.Frame();
    EXPECT_EQ(reinterpret_cast<std::uint32_t*>(again.pixels + 5 * again.stride)[10] & 0xFFFFFF, 0x112233u)
        << "the frame lost its contents between frames";
}

TEST_F(SdlWindows, ASizeChangeReportsExposedAndTheNextFrameHasTheNewSize) {
    scene::PlatformWindow& w = OpenWindow("resized", 320, 200);
    w.Frame();
    SDL_SetWindowSize(SdlWindowOf(w), 160, 90);

    bool exposed = false;
    scene::InputEvent e;
    while (platform->WaitEvent(e, 0)) exposed = exposed || (e.kind == EventKind::Exposed && e.window == w.Id());
    EXPECT_TRUE(exposed) << "expected an Exposed event for the window";
    const scene::FrameBuffer f = w.Frame();
    EXPECT_EQ(f.width, 160);
    EXPECT_EQ(f.height, 90);
}

TEST_F(SdlWindows, TypedTextIsOnWhileAnyWindowAsksForIt) {
    scene::PlatformWindow& a = OpenWindow("a");
    scene::PlatformWindow& b = OpenWindow("b");
    EXPECT_FALSE(SDL_IsTextInputActive()) << "typed text should be off until a window asks";

    a.StartTextInput();
    EXPECT_TRUE(SDL_IsTextInputActive());
    b.StartTextInput();
    a.StopTextInput();
    a.StopTextInput();  // a second stop from the same window must not count twice
    EXPECT_TRUE(SDL_IsTextInputActive()) << "b still asks for typed text";
    b.StopTextInput();
    EXPECT_FALSE(SDL_IsTextInputActive());

    b.StartTextInput();
    windows.pop_back();  // closing the window withdraws its request
    EXPECT_FALSE(SDL_IsTextInputActive());
}

TEST_F(SdlWindows, ClipboardKeepsUtf8Text) {
    OpenWindow();
    platform->SetClipboardText("na\xC3\xAFve \xE2\x82\xAC");
    EXPECT_EQ(platform->ClipboardText(), "na\xC3\xAFve \xE2\x82\xAC");
    platform->SetClipboardText("");
    EXPECT_EQ(platform->ClipboardText(), "");
}

}  // namespace
}  // namespace platform_test
