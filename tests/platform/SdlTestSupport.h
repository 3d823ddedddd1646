// Runs the SDL backend on SDL's dummy video and audio drivers, so its tests need
// no display and no sound card, and feeds it synthetic SDL events.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "platform/sdl/SdlPlatform.h"

namespace platform_test {

class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        platform = platform::CreateSdlPlatform();
        Drain();
    }
    void TearDown() override {
        windows.clear();
        platform.reset();
    }

    scene::PlatformWindow& OpenWindow(const std::string& title = "Swoopy!", int w = 320, int h = 200) {
        scene::WindowOptions options;
        options.title = title;
        options.left = 192;
        options.top = 112;
        options.clientWidth = w;
        options.clientHeight = h;
        windows.push_back(platform->CreateWindow(options));
        windows.back()->Show();
        Drain();
        return *windows.back();
    }

    // Throws away whatever showing windows queued, so tests see only their own events.
    void Drain() {
        scene::InputEvent ignored;
        while (platform->WaitEvent(ignored, 0)) {
        }
    }

    // The next event already queued; fails the test when there is none.
    scene::InputEvent Next() {
        scene::InputEvent e;
        EXPECT_TRUE(platform->WaitEvent(e, 0)) << "expected a queued event, got none";
        return e;
    }

    bool QueueEmpty() {
        scene::InputEvent e;
        return !platform->WaitEvent(e, 0);
    }

    static SDL_Window* SdlWindowOf(const scene::PlatformWindow& w) {
        return SDL_GetWindowFromID(static_cast<Uint32>(w.Id()));
    }

    static void Push(SDL_Event ev) { ASSERT_EQ(SDL_PushEvent(&ev), 1) << SDL_GetError(); }
    static void PushMotion(int window, int x, int y) {
        SDL_Event ev{};
        ev.type = SDL_MOUSEMOTION;
        ev.motion.windowID = static_cast<Uint32>(window);
        ev.motion.x = x;
        ev.motion.y = y;
        Push(ev);
    }
    static void PushButton(int window, Uint32 type, Uint8 button, int x, int y) {
        SDL_Event ev{};
        ev.type = type;
        ev.button.windowID = static_cast<Uint32>(window);
        ev.button.button = button;
        ev.button.x = x;
        ev.button.y = y;
        Push(ev);
    }
    static void PushKey(int window, Uint32 type, SDL_Keycode sym, Uint16 mods = KMOD_NONE, Uint8 repeat = 0) {
        SDL_Event ev{};
        ev.type = type;
        ev.key.repeat = repeat;
        ev.key.windowID = static_cast<Uint32>(window);
        ev.key.keysym.sym = sym;
        ev.key.keysym.mod = mods;
        Push(ev);
    }
    static void PushText(int window, const std::string& utf8) {
        SDL_Event ev{};
        ev.type = SDL_TEXTINPUT;
        ev.text.windowID = static_cast<Uint32>(window);
        SDL_strlcpy(ev.text.text, utf8.c_str(), sizeof ev.text.text);
        Push(ev);
    }
    static void PushWindowEvent(int window, Uint8 what) {
        SDL_Event ev{};
        ev.type = SDL_WINDOWEVENT;
        ev.window.windowID = static_cast<Uint32>(window);
        ev.window.event = what;
        Push(ev);
    }

    std::unique_ptr<scene::Platform> platform;
    std::vector<std::unique_ptr<scene::PlatformWindow>> windows;
};

}  // namespace platform_test
