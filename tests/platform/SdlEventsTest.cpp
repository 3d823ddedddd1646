// How SDL's events reach the toolkit: merged pointer motion, buttons, keys,
// typed text, window events, waiting and waking.
#include <atomic>
#include <thread>

#include "platform/SdlTestSupport.h"
#include "platform/sdl/SdlEvents.h"

namespace platform_test {
namespace {

using scene::EventKind;
using scene::TMouseButton;

class SdlEvents : public SdlBackendTest {};

TEST_F(SdlEvents, MotionQueuedBackToBackArrivesOnceAtTheLatestPosition) {
    const int id = OpenWindow().Id();
    for (int i = 1; i <= 5; ++i) PushMotion(id, 10 * i, 20 * i);

    const scene::InputEvent e = Next();
    EXPECT_EQ(e.kind, EventKind::MouseMove);
    EXPECT_EQ(e.window, id);
    EXPECT_EQ(e.x, 50);
    EXPECT_EQ(e.y, 100);
    EXPECT_TRUE(QueueEmpty()) << "the earlier positions should have been dropped";
}

TEST_F(SdlEvents, MotionIsNotMergedAcrossOtherEventsOrWindows) {
    const int a = OpenWindow("a").Id();
    const int b = OpenWindow("b").Id();
    PushMotion(a, 1, 1);
    PushButton(a, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    PushMotion(a, 2, 2);
    PushMotion(a, 3, 3);
    PushMotion(b, 4, 4);
    PushMotion(a, 5, 5);

    struct Expected {
        EventKind kind;
        int window, x;
    };
    const Expected expected[] = {{EventKind::MouseMove, a, 1},
                                 {EventKind::MouseDown, a, 1},
                                 {EventKind::MouseMove, a, 3},
                                 {EventKind::MouseMove, b, 4},
                                 {EventKind::MouseMove, a, 5}};
    for (const Expected& want : expected) {
        const scene::InputEvent got = Next();
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(got.window, want.window);
        EXPECT_EQ(got.x, want.x);
    }
    EXPECT_TRUE(QueueEmpty());
}

TEST_F(SdlEvents, ButtonsArriveWithPositionAndWhichButton) {
    const int id = OpenWindow().Id();
    PushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 7, 8);
    PushButton(id, SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 9, 10);
    PushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 1);  // side buttons mean nothing
    PushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 11, 12);
    PushButton(id, SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 13, 14);

    struct Expected {
        EventKind kind;
        TMouseButton button;
        int x, y;
    };
    const Expected expected[] = {{EventKind::MouseDown, TMouseButton::mbLeft, 7, 8},
                                 {EventKind::MouseUp, TMouseButton::mbLeft, 9, 10},
                                 {EventKind::MouseDown, TMouseButton::mbRight, 11, 12},
                                 {EventKind::MouseUp, TMouseButton::mbMiddle, 13, 14}};
    for (const Expected& want : expected) {
        const scene::InputEvent got = Next();
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(got.window, id);
        EXPECT_EQ(got.button, want.button);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
    }
    EXPECT_TRUE(QueueEmpty());
}

TEST_F(SdlEvents, KeysBecomeLowerCaseCharactersOrToolkitKeysWithModifiers) {
    const int id = OpenWindow().Id();
    struct Case {
        SDL_Keycode sym;
        Uint16 mods;
        int key;
        unsigned keyMods;
    };
    const Case cases[] = {
        {SDLK_a, KMOD_NONE, 'a', 0},
        {SDLK_s, KMOD_LSHIFT, 's', scene::kmShift},
        {SDLK_s, KMOD_RALT, 's', scene::kmAlt},
        {SDLK_v, KMOD_LCTRL | KMOD_CAPS, 'v', scene::kmCtrl},
        {SDLK_7, KMOD_NONE, '7', 0},
        {SDLK_MINUS, KMOD_NONE, '-', 0},
        {SDLK_RETURN, KMOD_NONE, scene::kReturn, 0},
        {SDLK_KP_ENTER, KMOD_NONE, scene::kReturn, 0},
        {SDLK_TAB, KMOD_LSHIFT, scene::kTab, scene::kmShift},
        {SDLK_ESCAPE, KMOD_NONE, scene::kEscape, 0},
        {SDLK_BACKSPACE, KMOD_NONE, scene::kBackspace, 0},
        {SDLK_DELETE, KMOD_NONE, scene::kDelete, 0},
        {SDLK_LEFT, KMOD_NONE, scene::kLeft, 0},
        {SDLK_RIGHT, KMOD_NONE, scene::kRight, 0},
        {SDLK_UP, KMOD_NONE, scene::kUp, 0},
        {SDLK_DOWN, KMOD_NONE, scene::kDown, 0},
        {SDLK_HOME, KMOD_NONE, scene::kHome, 0},
        {SDLK_END, KMOD_NONE, scene::kEnd, 0},
        {SDLK_SPACE, KMOD_NONE, scene::kSpace, 0},
        {SDLK_F4, KMOD_LALT | KMOD_LCTRL | KMOD_RSHIFT, scene::kF4, scene::kmAlt | scene::kmCtrl | scene::kmShift},
        {SDLK_F11, KMOD_NONE, scene::kF11, 0},
        {SDLK_PAUSE, KMOD_NONE, scene::kPause, 0},
        {SDLK_RETURN, KMOD_RALT, scene::kReturn, scene::kmAlt},
        {SDLK_F1, KMOD_NONE, scene::kUnknown, 0},
    };
    for (const Case& c : cases) {
        PushKey(id, SDL_KEYDOWN, c.sym, c.mods);
        const scene::InputEvent got = Next();
        EXPECT_EQ(got.kind, EventKind::KeyDown) << "SDL key " << c.sym;
        EXPECT_EQ(got.window, id);
        EXPECT_EQ(got.key, c.key) << "SDL key " << c.sym;
        EXPECT_EQ(got.mods, c.keyMods) << "SDL key " << c.sym;
        EXPECT_FALSE(got.repeat) << "SDL key " << c.sym;
    }
    PushKey(id, SDL_KEYDOWN, SDLK_F11, KMOD_NONE, 1);
    EXPECT_TRUE(Next().repeat) << "a held key's repeat";
    PushKey(id, SDL_KEYUP, SDLK_RETURN);
    const scene::InputEvent up = Next();
    EXPECT_EQ(up.kind, EventKind::KeyUp);
    EXPECT_EQ(up.key, scene::kReturn);
}

TEST_F(SdlEvents, TypedTextArrivesAsUtf8) {
    const int id = OpenWindow().Id();
    PushText(id, "\xC3\xA9\xE2\x82\xAC!");  // é€!

    const scene::InputEvent e = Next();
    EXPECT_EQ(e.kind, EventKind::TextInput);
    EXPECT_EQ(e.window, id);
    EXPECT_EQ(e.text, "\xC3\xA9\xE2\x82\xAC!");
}

TEST_F(SdlEvents, TextTypedWithAltOrCtrlAloneIsACommandNotText) {
    const int id = OpenWindow().Id();
    struct Case {
        SDL_Keymod mods;
        bool typed;
    };
    const Case cases[] = {
        {KMOD_LALT, false},   // Alt+S presses a button, it types no "s"
        {KMOD_LCTRL, false},  // Ctrl+1 types nothing
        {KMOD_RCTRL, false},
        {KMOD_NONE, true},
        {KMOD_LSHIFT, true},
        {KMOD_RALT, false},                                       // the key's own letter: plain Alt
        {static_cast<SDL_Keymod>(KMOD_LCTRL | KMOD_LALT), true},  // AltGr as Windows reads it
    };
    for (const Case& c : cases) {
        SDL_SetModState(c.mods);
        PushText(id, "s");
        scene::InputEvent e;
        const bool got = platform->WaitEvent(e, 0);
        EXPECT_EQ(got, c.typed) << "modifiers " << c.mods;
        if (got) {
            EXPECT_EQ(e.text, "s") << "modifiers " << c.mods;
        }
    }
    SDL_SetModState(KMOD_NONE);
    EXPECT_TRUE(QueueEmpty());
}

// The right Alt is Alt on some keyboards and AltGr on others; what the chord
// types tells them apart, as SDL queues the text right behind its key.
TEST_F(SdlEvents, TheRightAltThatTypesAnotherCharacterIsAltGrNotAlt) {
    const int id = OpenWindow().Id();
    const struct {
        SDL_Keycode sym;
        Uint16 mods;
        const char* text;  // what the layout types, null for nothing
        unsigned keyMods;
        bool typed;
    } cases[] = {
        {SDLK_s, KMOD_RALT, "\xC5\x9B", scene::kmAltGr, true},  // Polish: an accented s
        {SDLK_q, KMOD_RALT, "@", scene::kmAltGr, true},         // German
        {SDLK_e, KMOD_RALT, "\xE2\x82\xAC", scene::kmAltGr, true},
        {SDLK_0, KMOD_RALT, "@", scene::kmAltGr, true},  // French, on the digit row
        {SDLK_s, KMOD_RALT | KMOD_LSHIFT, "\xC5\x9A", scene::kmAltGr | scene::kmShift, true},
        {SDLK_s, KMOD_MODE, "\xC5\x9B", scene::kmAltGr, true},  // a keymap SDL reads as a level-three shift
        {SDLK_s, KMOD_RALT, "s", scene::kmAlt, false},          // plain Alt on the right
        {SDLK_s, KMOD_RALT, nullptr, scene::kmAlt, false},
        {SDLK_s, KMOD_LALT, "s", scene::kmAlt, false},
        {SDLK_s, KMOD_LALT, "\xC5\x9B", scene::kmAlt, false},  // the left Alt is never AltGr
    };
    for (const auto& c : cases) {
        SDL_SetModState(static_cast<SDL_Keymod>(c.mods));
        PushKey(id, SDL_KEYDOWN, c.sym, c.mods);
        if (c.text != nullptr) PushText(id, c.text);
        const std::string what = std::string("key '") + static_cast<char>(c.sym) + "' typing " +
                                 (c.text ? c.text : "nothing") + ", SDL modifiers " + std::to_string(c.mods);
        const scene::InputEvent key = Next();
        EXPECT_EQ(key.kind, EventKind::KeyDown) << what;
        EXPECT_EQ(key.mods, c.keyMods) << what;
        scene::InputEvent text;
        const bool typed = platform->WaitEvent(text, 0);
        EXPECT_EQ(typed, c.typed) << what;
        if (typed) {
            EXPECT_EQ(text.text, c.text) << what;
        }
    }
    SDL_SetModState(KMOD_NONE);
    EXPECT_TRUE(QueueEmpty());
}

// Where the keymap makes the right Alt a level-three shift, it is AltGr
// whatever it types (a desktop's test keyboard may give the plain letter).
TEST_F(SdlEvents, AKeymapWhoseRightAltIsAltGrTypesWithItAndPressesNothing) {
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_s;
    key.key.keysym.mod = KMOD_RALT;
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    SDL_strlcpy(text.text.text, "s", sizeof text.text.text);
    platform::TranslateContext altGr;
    altGr.rightAltIsAltGr = true;
    SDL_SetModState(KMOD_RALT);
    scene::InputEvent out;
    ASSERT_TRUE(platform::TranslateEvent(key, altGr, out));
    EXPECT_EQ(out.mods, scene::kmAltGr);
    EXPECT_TRUE(platform::TranslateEvent(text, altGr, out)) << "AltGr types";
    ASSERT_TRUE(platform::TranslateEvent(key, platform::TranslateContext{}, out));
    EXPECT_EQ(out.mods, scene::kmAlt) << "elsewhere the right Alt is Alt";
    EXPECT_FALSE(platform::TranslateEvent(text, platform::TranslateContext{}, out)) << "Alt+S types nothing";
    SDL_SetModState(KMOD_NONE);
}

TEST_F(SdlEvents, WindowEventsReachTheirWindow) {
    const int id = OpenWindow().Id();
    PushWindowEvent(id, SDL_WINDOWEVENT_MOVED);  // means nothing to the toolkit
    PushWindowEvent(id, SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(id, SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(id, SDL_WINDOWEVENT_ENTER);  // the next motion says where
    PushWindowEvent(id, SDL_WINDOWEVENT_LEAVE);
    PushWindowEvent(id, SDL_WINDOWEVENT_EXPOSED);
    PushWindowEvent(id, SDL_WINDOWEVENT_CLOSE);

    for (EventKind want : {EventKind::FocusGained, EventKind::FocusLost, EventKind::PointerLeft, EventKind::Exposed,
                           EventKind::CloseRequest}) {
        const scene::InputEvent got = Next();
        EXPECT_EQ(got.kind, want);
        EXPECT_EQ(got.window, id);
    }
    EXPECT_TRUE(QueueEmpty());
}

TEST_F(SdlEvents, QuitAsksTheOldestOpenWindowToClose) {
    const int first = OpenWindow("first").Id();
    const int second = OpenWindow("second").Id();
    SDL_Event quit{};
    quit.type = SDL_QUIT;

    Push(quit);
    scene::InputEvent e = Next();
    EXPECT_EQ(e.kind, EventKind::CloseRequest);
    EXPECT_EQ(e.window, first);

    windows.erase(windows.begin());
    Push(quit);
    e = Next();
    EXPECT_EQ(e.kind, EventKind::CloseRequest);
    EXPECT_EQ(e.window, second);
}

// Without the display's socket to sleep on, the date is the last moment the
// queue was seen empty: never later than the event's arrival.
TEST_F(SdlEvents, EventsAreDatedOnThePlatformClockBetweenTheLastEmptyLookAndTheirTaking) {
    const int id = OpenWindow().Id();
    const double emptyAt = platform->NowMs();
    ASSERT_TRUE(QueueEmpty());
    const double pushedAt = platform->NowMs();
    PushMotion(id, 1, 1);
    const scene::InputEvent e = Next();
    const double after = platform->NowMs();
    EXPECT_GE(e.timeMs, emptyAt);
    EXPECT_LE(e.timeMs, pushedAt);
    EXPECT_LE(e.timeMs, after);
}

// SDL dates events on its 32-bit millisecond counter; translation moves each
// event's age onto the platform clock.
TEST(SdlEventTime, AnEventIsDatedItsAgeBeforeTheTranslation) {
    struct Case {
        Uint32 nowTicks, timestamp;
        double expectedMs;
    };
    const Case cases[] = {
        {5000, 4960, 960.0},  // 40 ms old
        {5000, 5000, 1000.0},
        {5000, 5030, 1000.0},      // stamped a little ahead: never dated in the future
        {20, 0xFFFFFFF0u, 964.0},  // 36 ms old, across the counter's wrap
    };
    for (const Case& c : cases) {
        SDL_Event ev{};
        ev.type = SDL_KEYDOWN;
        ev.key.timestamp = c.timestamp;
        ev.key.keysym.sym = SDLK_a;
        platform::TranslateContext ctx;
        ctx.nowMs = 1000;
        ctx.nowTicks = c.nowTicks;
        scene::InputEvent out;
        ASSERT_TRUE(platform::TranslateEvent(ev, ctx, out));
        EXPECT_EQ(out.timeMs, c.expectedMs) << "stamped at tick " << c.timestamp << ", translated at " << c.nowTicks;
    }
}

TEST_F(SdlEvents, WaitingWithoutEventsLastsUntilTheDeadline) {
    OpenWindow();
    scene::InputEvent e;
    EXPECT_FALSE(platform->WaitEvent(e, platform->NowMs() - 5)) << "a past deadline only polls";

    const double deadline = platform->NowMs() + 30;
    EXPECT_FALSE(platform->WaitEvent(e, deadline));
    EXPECT_GE(platform->NowMs(), deadline) << "the wait ended before its deadline";
}

TEST_F(SdlEvents, WakeEndsAWaitFromAnotherThread) {
    OpenWindow();
    std::atomic<bool> waiting = false;
    std::thread waker([&] {
        while (!waiting) std::this_thread::yield();
        platform->Wake();
    });
    waiting = true;
    const double deadline = platform->NowMs() + 20000;
    scene::InputEvent e;
    EXPECT_FALSE(platform->WaitEvent(e, deadline));
    waker.join();
    EXPECT_LT(platform->NowMs(), deadline - 10000) << "the wake-up did not end the wait";
}

TEST_F(SdlEvents, WakeUpsTogetherEndOneWaitAndAPollLeavesThemForIt) {
    const int id = OpenWindow().Id();
    platform->Wake();
    platform->Wake();
    platform->Wake();
    PushMotion(id, 3, 4);

    scene::InputEvent e;
    ASSERT_TRUE(platform->WaitEvent(e, 0)) << "a wake-up is no event: the poll finds the motion";
    EXPECT_EQ(e.kind, EventKind::MouseMove);
    EXPECT_EQ(e.x, 3);

    double start = platform->NowMs();
    EXPECT_FALSE(platform->WaitEvent(e, start + 20000));
    EXPECT_LT(platform->NowMs() - start, 10000) << "the wake-ups did not end the next wait";
    start = platform->NowMs();
    EXPECT_FALSE(platform->WaitEvent(e, start + 30));
    EXPECT_GE(platform->NowMs(), start + 30) << "three wake-ups ended more than one wait";

    platform->Wake();  // a wake-up after the last one was taken counts again
    start = platform->NowMs();
    EXPECT_FALSE(platform->WaitEvent(e, start + 20000));
    EXPECT_LT(platform->NowMs() - start, 10000);
    EXPECT_TRUE(QueueEmpty());
}

}  // namespace
}  // namespace platform_test
