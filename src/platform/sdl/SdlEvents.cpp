#include "platform/sdl/SdlEvents.h"

#include <cstring>
#include <string>
#include <utility>

#ifdef SWOOPY_HAVE_XLIB
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#endif

namespace platform {

namespace {

using scene::EventKind;
using scene::InputEvent;

constexpr std::pair<SDL_Keycode, int> kSpecialKeys[] = {
    // clang-format off
    {SDLK_RETURN, scene::kReturn},  {SDLK_KP_ENTER, scene::kReturn},
    {SDLK_ESCAPE, scene::kEscape},  {SDLK_TAB, scene::kTab},
    {SDLK_BACKSPACE, scene::kBackspace}, {SDLK_DELETE, scene::kDelete},
    {SDLK_LEFT, scene::kLeft},      {SDLK_RIGHT, scene::kRight},
    {SDLK_UP, scene::kUp},          {SDLK_DOWN, scene::kDown},
    {SDLK_HOME, scene::kHome},      {SDLK_END, scene::kEnd},
    {SDLK_SPACE, scene::kSpace},    {SDLK_F4, scene::kF4},
    {SDLK_F11, scene::kF11},        {SDLK_PAUSE, scene::kPause},
    // clang-format on
};

// SDL dates events with its 32-bit millisecond ticks; move that age onto our clock.
double EventTime(Uint32 timestamp, const TranslateContext& ctx) {
    const auto age = static_cast<Sint32>(ctx.nowTicks - timestamp);
    return age > 0 ? ctx.nowMs - age : ctx.nowMs;
}

InputEvent Base(EventKind kind, int window, Uint32 timestamp, const TranslateContext& ctx) {
    InputEvent e;
    e.kind = kind;
    e.window = window;
    e.timeMs = EventTime(timestamp, ctx);
    return e;
}

bool Motion(const SDL_MouseMotionEvent& m, const TranslateContext& ctx, InputEvent& out) {
    out = Base(EventKind::MouseMove, static_cast<int>(m.windowID), m.timestamp, ctx);
    out.x = m.x * ctx.pointScale;
    out.y = m.y * ctx.pointScale;
    out.mods = TranslateMods(static_cast<Uint16>(SDL_GetModState()));
    return true;
}

bool Button(const SDL_MouseButtonEvent& b, const TranslateContext& ctx, InputEvent& out) {
    scene::TMouseButton button = scene::TMouseButton::mbLeft;
    switch (b.button) {
        case SDL_BUTTON_LEFT: button = scene::TMouseButton::mbLeft; break;
        case SDL_BUTTON_RIGHT: button = scene::TMouseButton::mbRight; break;
        case SDL_BUTTON_MIDDLE: button = scene::TMouseButton::mbMiddle; break;
        default: return false;  // side buttons mean nothing to the game
    }
    const EventKind kind = b.type == SDL_MOUSEBUTTONDOWN ? EventKind::MouseDown : EventKind::MouseUp;
    out = Base(kind, static_cast<int>(b.windowID), b.timestamp, ctx);
    out.x = b.x * ctx.pointScale;
    out.y = b.y * ctx.pointScale;
    out.button = button;
    out.mods = TranslateMods(static_cast<Uint16>(SDL_GetModState()));
    return true;
}

// A letter or digit typed as itself: what the right Alt gives when it is plain
// Alt, where X11 hands out the key's own character.
bool IsKeysOwnText(const std::string& text) {
    if (text.size() != 1) return false;
    const char c = text[0];
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// On Polish, German or French keyboards the right Alt is AltGr, and SDL often
// reports it as the right Alt. It types another character (AltGr+S gives "s"
// with an accent), so it must press no button; plain Alt types the key's own.
bool IsAltGr(Uint16 mods, const std::string& typed, bool rightAltIsAltGr) {
    const bool rightAltOnly = (mods & KMOD_RALT) != 0 && (mods & (KMOD_LALT | KMOD_CTRL)) == 0;
    return rightAltOnly && (rightAltIsAltGr || (!typed.empty() && !IsKeysOwnText(typed)));
}

bool Keyboard(const SDL_KeyboardEvent& k, const TranslateContext& ctx, InputEvent& out) {
    const EventKind kind = k.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
    out = Base(kind, static_cast<int>(k.windowID), k.timestamp, ctx);
    out.key = TranslateKey(k.keysym.sym);
    out.mods = TranslateMods(k.keysym.mod);
    if (IsAltGr(k.keysym.mod, kind == EventKind::KeyDown ? ctx.followingText : "", ctx.rightAltIsAltGr))
        out.mods = (out.mods & ~scene::kmAlt) | scene::kmAltGr;
    out.repeat = k.repeat != 0;
    return true;
}

// X11 hands out the character of Alt+letter and Ctrl+digit as typed text. Those
// keys are commands (Alt+letter presses a button), not typing. Ctrl with Alt is
// how AltGr reads on Windows, and the right Alt that is AltGr types another
// character than the key's own: both still type.
bool IsCommandChord(Uint16 mods, const std::string& text, bool rightAltIsAltGr) {
    const bool ctrl = (mods & KMOD_CTRL) != 0;
    const bool alt = (mods & KMOD_ALT) != 0;
    if (ctrl) return !alt;
    return (mods & KMOD_LALT) != 0 || ((mods & KMOD_RALT) != 0 && !IsAltGr(mods, text, rightAltIsAltGr));
}

bool Text(const SDL_TextInputEvent& t, const TranslateContext& ctx, InputEvent& out) {
    if (IsCommandChord(static_cast<Uint16>(SDL_GetModState()), t.text, ctx.rightAltIsAltGr)) return false;
    out = Base(EventKind::TextInput, static_cast<int>(t.windowID), t.timestamp, ctx);
    out.text = t.text;
    return !out.text.empty();
}

bool Window(const SDL_WindowEvent& w, const TranslateContext& ctx, InputEvent& out) {
    EventKind kind = EventKind::Exposed;
    switch (w.event) {
        case SDL_WINDOWEVENT_CLOSE: kind = EventKind::CloseRequest; break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: kind = EventKind::FocusGained; break;
        case SDL_WINDOWEVENT_FOCUS_LOST: kind = EventKind::FocusLost; break;
        case SDL_WINDOWEVENT_LEAVE: kind = EventKind::PointerLeft; break;
        // A new size means a new window surface, whose pixels start out undefined.
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_EXPOSED: kind = EventKind::Exposed; break;
        default: return false;
    }
    out = Base(kind, static_cast<int>(w.windowID), w.timestamp, ctx);
    return true;
}

}  // namespace

int TranslateKey(SDL_Keycode sym) {
    for (const auto& [sdl, key] : kSpecialKeys) {
        if (sdl == sym) return key;
    }
    // SDL's key codes of printable keys are their unshifted characters, letters in lower case.
    if (sym > ' ' && sym < 0x7F) return sym;
    return scene::kUnknown;
}

unsigned TranslateMods(Uint16 sdlMods) {
    unsigned mods = 0;
    if (sdlMods & KMOD_SHIFT) mods |= scene::kmShift;
    if (sdlMods & KMOD_CTRL) mods |= scene::kmCtrl;
    if (sdlMods & KMOD_ALT) mods |= scene::kmAlt;
    // Where the keymap makes the right Alt a level-three shift, SDL says so.
    if (sdlMods & KMOD_MODE) mods |= scene::kmAltGr;
    return mods;
}

bool TranslateEvent(const SDL_Event& ev, const TranslateContext& ctx, InputEvent& out) {
    switch (ev.type) {
        case SDL_MOUSEMOTION: return Motion(ev.motion, ctx, out);
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: return Button(ev.button, ctx, out);
        case SDL_KEYDOWN:
        case SDL_KEYUP: return Keyboard(ev.key, ctx, out);
        case SDL_TEXTINPUT: return Text(ev.text, ctx, out);
        case SDL_WINDOWEVENT: return Window(ev.window, ctx, out);
        case SDL_QUIT:
            // A signal or the session ending: the main window is asked to close.
            out = Base(EventKind::CloseRequest, ctx.mainWindow, ev.quit.timestamp, ctx);
            return true;
        default: return false;
    }
}

bool RightAltIsAltGr() {
#ifdef SWOOPY_HAVE_XLIB
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) return false;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    // 108 is the right Alt's key among the evdev key codes X servers use today.
    const KeySym sym = XkbKeycodeToKeysym(display, 108, 0, 0);
    XCloseDisplay(display);
    return sym == XK_ISO_Level3_Shift || sym == XK_Mode_switch;
#else
    return false;
#endif
}

std::string FollowingText() {
    SDL_PumpEvents();
    SDL_Event next{};
    if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1) return {};
    return next.type == SDL_TEXTINPUT ? std::string(next.text.text) : std::string();
}

void CoalesceMotion(SDL_Event& ev) {
    SDL_PumpEvents();
    SDL_Event next{};
    while (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 &&
           next.type == SDL_MOUSEMOTION && next.motion.windowID == ev.motion.windowID) {
        // Events are only ever appended, so the first motion in the queue is the one peeked.
        if (SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION) != 1) break;
        ev = next;
    }
}

}  // namespace platform
