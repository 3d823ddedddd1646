#include "platform/sdl/SdlWindow.h"

#include <cstring>
#include <stdexcept>

#include "scene/Cp1252.h"

namespace platform {

namespace {

bool IsUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return false;
        }
        i += len;
    }
    return true;
}

// Titles come from the toolkit, whose text is Windows-1252; UTF-8 passes unchanged.
std::string TitleAsUtf8(const std::string& title) { return IsUtf8(title) ? title : scene::Cp1252ToUtf8(title); }

// Cairo's RGB24 is 32 bits a pixel with red, green and blue in the low three bytes.
bool IsCairoLayout(const SDL_PixelFormat* f) {
    return f->BytesPerPixel == 4 && f->Rmask == 0x00FF0000 && f->Gmask == 0x0000FF00 && f->Bmask == 0x000000FF;
}

// The changed rectangles' parts inside a frame of that size.
std::vector<SDL_Rect> ClippedRects(const std::vector<scene::TRect>& changed, int width, int height) {
    const scene::TRect whole{0, 0, width, height};
    std::vector<SDL_Rect> rects;
    rects.reserve(changed.size());
    for (const scene::TRect& r : changed) {
        const scene::TRect c = r.Intersect(whole);
        if (c.Empty()) continue;
        rects.push_back({c.Left, c.Top, c.Width, c.Height});
    }
    return rects;
}

int PositionOrCentred(int pos) { return pos < 0 ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : pos; }

constexpr const char* kSelf = "swoopy.window";

}  // namespace

SdlWindow::SdlWindow(WindowHost& host, const scene::WindowOptions& options) : host_(host), spec_(options) {
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (options.dialog) flags |= SDL_WINDOW_SKIP_TASKBAR;
    window_.reset(SDL_CreateWindow(TitleAsUtf8(options.title).c_str(), PositionOrCentred(options.left),
                                   PositionOrCentred(options.top), options.clientWidth, options.clientHeight, flags));
    if (!window_) throw std::runtime_error(std::string("Cannot create the window: ") + SDL_GetError());
    id_ = static_cast<int>(SDL_GetWindowID(window_.get()));
    SDL_SetWindowData(window_.get(), kSelf, this);
    wayland_ = WaylandFrame::For(window_.get(), host.PointScale());
    SetIcon(options);
    if (options.dialog && options.ownerId != 0) {
        // Not every video driver knows modal windows; the toolkit blocks input itself.
        if (SDL_Window* owner = SDL_GetWindowFromID(static_cast<Uint32>(options.ownerId))) {
            SDL_SetWindowModalFor(window_.get(), owner);
        }
    }
}

SdlWindow::~SdlWindow() {
    SetTextInput(TextInput::Off);
    host_.WindowClosed(id_);
}

SdlWindow* SdlWindow::Of(Uint32 windowId) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    return window != nullptr ? static_cast<SdlWindow*>(SDL_GetWindowData(window, kSelf)) : nullptr;
}

void SdlWindow::SetIcon(const scene::WindowOptions& options) {
    const int size = options.iconSize;
    if (size <= 0 || options.iconArgb.size() < static_cast<std::size_t>(size) * static_cast<std::size_t>(size)) return;
    // SDL copies the pixels, so the surface may borrow them for the call.
    SdlSurfaceHandle icon(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(options.iconArgb.data()), size,
                                                             size, 32, size * 4, SDL_PIXELFORMAT_ARGB8888));
    if (icon) SDL_SetWindowIcon(window_.get(), icon.get());
}

void SdlWindow::Show() {
    SDL_ShowWindow(window_.get());
    // SDL's Wayland driver tells the compositor nothing of a fixed size until
    // asked once its window is shown, and a tiling compositor would stretch the
    // window to its tile; a least and a greatest size alike make it float at its
    // own size. (SDL's X11 driver says so itself.)
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "wayland") == 0) {
        int w = 0, h = 0;
        SDL_GetWindowSize(window_.get(), &w, &h);
        SDL_SetWindowMinimumSize(window_.get(), w, h);
        SDL_SetWindowMaximumSize(window_.get(), w, h);
    }
    // A frame composed while the window was hidden reaches the compositor now.
    if (wayland_ && !wayland_->Present({})) host_.FrameHeldBack(*this);
    PlaceOuterCorner();
    if (spec_.dialog) {
        SDL_RaiseWindow(window_.get());
        SDL_SetWindowInputFocus(window_.get());
    }
}

// SDL places the client area; the layout gives the outer corner, so move by the
// frame's size once the window manager has framed the window.
void SdlWindow::PlaceOuterCorner() {
    int top = 0;
    int left = 0;
    if (SDL_GetWindowBordersSize(window_.get(), &top, &left, nullptr, nullptr) != 0) return;
    if (top == 0 && left == 0) return;
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window_.get(), &x, &y);
    if (spec_.left >= 0) x = spec_.left + left;
    if (spec_.top >= 0) y = spec_.top + top;
    SDL_SetWindowPosition(window_.get(), x, y);
}

SDL_Surface* SdlWindow::Surface() {
    // SDL hands out a new surface after the window's size changed; the old one is gone.
    SDL_Surface* surface = SDL_GetWindowSurface(window_.get());
    if (surface == nullptr)
        throw std::runtime_error(std::string("Cannot reach the window's pixels: ") + SDL_GetError());
    return surface;
}

scene::FrameBuffer SdlWindow::Frame() {
    if (wayland_) return wayland_->Frame();
    SDL_Surface* surface = Surface();
    if (IsCairoLayout(surface->format)) {
        shadow_.reset();
        return {static_cast<std::uint8_t*>(surface->pixels), surface->w, surface->h, surface->pitch};
    }
    if (!shadow_ || shadow_->w != surface->w || shadow_->h != surface->h) {
        shadow_.reset(SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 32, SDL_PIXELFORMAT_RGB888));
        if (!shadow_) throw std::runtime_error(std::string("Cannot make the window's frame: ") + SDL_GetError());
    }
    return {static_cast<std::uint8_t*>(shadow_->pixels), shadow_->w, shadow_->h, shadow_->pitch};
}

void SdlWindow::TouchFrame() {
    const scene::FrameBuffer frame = Frame();
    std::memset(frame.pixels, 0, static_cast<std::size_t>(frame.stride) * static_cast<std::size_t>(frame.height));
}

void SdlWindow::Present(const std::vector<scene::TRect>& changed) {
    if (wayland_) {
        const scene::FrameBuffer frame = wayland_->Frame();
        if (!wayland_->Present(ClippedRects(changed, frame.width, frame.height))) host_.FrameHeldBack(*this);
        return;
    }
    SDL_Surface* surface = Surface();
    const std::vector<SDL_Rect> rects = ClippedRects(changed, surface->w, surface->h);
    if (rects.empty()) return;
    if (shadow_) {
        for (SDL_Rect r : rects) {
            SDL_Rect dst = r;
            SDL_BlitSurface(shadow_.get(), &r, surface, &dst);
        }
    }
    // A surface made stale by a size change refuses the update; the Exposed event
    // that follows has the toolkit present everything again.
    SDL_UpdateWindowSurfaceRects(window_.get(), rects.data(), static_cast<int>(rects.size()));
}

bool SdlWindow::PresentHeldBack() { return !wayland_ || wayland_->Present({}); }

void SdlWindow::SetCursor(scene::TCursor cursor) { host_.SelectCursor(cursor); }

void SdlWindow::StartTextInput() { SetTextInput(TextInput::On); }

void SdlWindow::StopTextInput() { SetTextInput(TextInput::Off); }

// The desktop's own mode: no change of the screen's resolution. SDL keeps the
// window's place and size for the way back.
void SdlWindow::SetMode(scene::WindowMode mode) {
    const Uint32 flags = mode == scene::WindowMode::FullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    if (SDL_SetWindowFullscreen(window_.get(), flags) != 0)
        throw std::runtime_error(std::string("Cannot switch full screen: ") + SDL_GetError());
}

void SdlWindow::SetTextInput(TextInput wanted) {
    if (wanted == textInput_) return;
    textInput_ = wanted;
    host_.RequestTextInput(wanted == TextInput::On ? +1 : -1);
}

}  // namespace platform
