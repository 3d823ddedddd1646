#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>
#include <utility>

#include <cairo.h>

namespace platform {

using scene::EventKind;
using scene::InputEvent;
using scene::TMouseButton;

struct HeadlessPlatform::AudioState {
    scene::AudioRender render;
    scene::AudioFormat format;
    double openedMs = 0;
    long long framesRendered = 0;
    bool open = true;
    std::vector<float> rendered;
    std::recursive_mutex lock;
};

namespace {

// A real window's new surface holds whatever it holds: here a colour nothing
// paints, so that a pixel left unpainted shows.
constexpr std::uint32_t kUnpainted = 0x00FF00FF;

void ResizeFrame(HeadlessWindowState& state, int width, int height, std::uint32_t fill) {
    state.width = std::max(0, width);
    state.height = std::max(0, height);
    state.pixels.assign(static_cast<std::size_t>(state.width) * static_cast<std::size_t>(state.height), fill);
}

class HeadlessWindow : public scene::PlatformWindow {
public:
    HeadlessWindow(std::shared_ptr<HeadlessWindowState> state, std::shared_ptr<const std::pair<int, int>> screen,
                   std::shared_ptr<const bool> fullScreenRefused)
        : state_(std::move(state)), screen_(std::move(screen)), fullScreenRefused_(std::move(fullScreenRefused)) {
        state_->windowedWidth = state_->options.clientWidth;
        state_->windowedHeight = state_->options.clientHeight;
        Resize(state_->windowedWidth, state_->windowedHeight, 0);
    }
    ~HeadlessWindow() override { state_->alive = false; }

    int Id() const override { return state_->id; }
    scene::DisplayScale Scale() const override { return state_->scale; }
    void Show() override { state_->shown = true; }
    scene::FrameBuffer Frame() override {
        scene::FrameBuffer f;
        f.pixels = reinterpret_cast<std::uint8_t*>(state_->pixels.data());
        f.width = state_->width;
        f.height = state_->height;
        f.stride = f.width * 4;
        return f;
    }
    void Present(const std::vector<scene::TRect>& changed) override {
        ++state_->presents;
        state_->lastPresented = changed;
        state_->presented.insert(state_->presented.end(), changed.begin(), changed.end());
    }
    void SetCursor(scene::TCursor cursor) override {
        state_->cursor = cursor;
        ++state_->cursorChanges;
    }
    void StartTextInput() override { state_->textInput = true; }
    void StopTextInput() override { state_->textInput = false; }
    // At once, into a new surface.
    void SetMode(scene::WindowMode mode) override {
        if (mode == scene::WindowMode::FullScreen && *fullScreenRefused_)
            throw std::runtime_error("Cannot switch full screen: the desktop refused it");
        state_->mode = mode;
        if (mode == scene::WindowMode::FullScreen)
            Resize(screen_->first, screen_->second, kUnpainted);
        else
            Resize(state_->windowedWidth, state_->windowedHeight, kUnpainted);
    }

private:
    void Resize(int width, int height, std::uint32_t fill) { ResizeFrame(*state_, width, height, fill); }

    std::shared_ptr<HeadlessWindowState> state_;
    std::shared_ptr<const std::pair<int, int>> screen_;
    std::shared_ptr<const bool> fullScreenRefused_;
};

class HeadlessAudio : public scene::AudioOut {
public:
    explicit HeadlessAudio(std::shared_ptr<HeadlessPlatform::AudioState> state) : state_(std::move(state)) {}
    ~HeadlessAudio() override {
        const std::lock_guard<std::recursive_mutex> guard(state_->lock);
        state_->open = false;
    }
    scene::AudioFormat Format() const override { return state_->format; }

private:
    std::shared_ptr<HeadlessPlatform::AudioState> state_;
};

}  // namespace

HeadlessPlatform::HeadlessPlatform() = default;
HeadlessPlatform::~HeadlessPlatform() = default;

// ---- Clock and events ----

void HeadlessPlatform::AdvanceTo(double ms) {
    if (ms <= nowMs_) return;
    nowMs_ = ms;
    RenderAudio();
}

bool HeadlessPlatform::WaitEvent(InputEvent& out, double deadlineMs) {
    if (TakeDue(out)) return true;
    if (deadlineMs <= nowMs_) return false;
    if (woken_.exchange(false)) return false;
    if (WhenIdle && !inIdleHook_) {
        inIdleHook_ = true;
        WhenIdle();
        inIdleHook_ = false;
        if (TakeDue(out)) return true;
    }
    const double next = queue_.empty() ? std::numeric_limits<double>::infinity() : queue_.front().timeMs;
    const double target = std::min(next, deadlineMs);
    if (std::isinf(target))
        throw std::logic_error(
            "headless platform: the loop would wait for ever; script input or run for a limited time");
    // Block by block, so a notice posted by the audio output (a sound that ended)
    // runs right after the block that produced it, as it would on a live device.
    while (nowMs_ < target) {
        const double blockEnd = NextAudioBlockMs();
        AdvanceTo(blockEnd > nowMs_ ? std::min(target, blockEnd) : target);
        if (woken_.exchange(false)) return false;
    }
    return TakeDue(out);
}

double HeadlessPlatform::NextAudioBlockMs() const {
    double next = std::numeric_limits<double>::infinity();
    for (const auto& a : audio_)
        if (a->open && a->render)
            next = std::min(next, a->openedMs + static_cast<double>(a->framesRendered + kAudioBlockFrames) * 1000.0 /
                                                    a->format.sampleRate);
    return next;
}

bool HeadlessPlatform::TakeDue(InputEvent& out) {
    if (queue_.empty() || queue_.front().timeMs > nowMs_) return false;
    out = std::move(queue_.front());
    queue_.pop_front();
    // Queued motion collapses to the latest position, as a real display delivers it.
    while (out.kind == EventKind::MouseMove && !queue_.empty() && queue_.front().kind == EventKind::MouseMove &&
           queue_.front().window == out.window && queue_.front().timeMs <= nowMs_) {
        out = std::move(queue_.front());
        queue_.pop_front();
    }
    out.window = Resolve(out.window);
    return true;
}

int HeadlessPlatform::Resolve(int window) const {
    if (window == kMainWindow) return MainWindowId();
    if (window == kTopDialog) return TopDialogId();
    return window;
}

void HeadlessPlatform::ScriptAfter(double ms) { scriptMs_ = ScriptTime() + ms; }

double HeadlessPlatform::ScriptTime() const { return std::max(scriptMs_, nowMs_); }

void HeadlessPlatform::Push(InputEvent ev) {
    ev.timeMs = ScriptTime();
    const auto at =
        std::find_if(queue_.begin(), queue_.end(), [&](const InputEvent& queued) { return queued.timeMs > ev.timeMs; });
    queue_.insert(at, std::move(ev));
}

void HeadlessPlatform::QueueMouse(EventKind kind, int x, int y, TMouseButton button, int window) {
    InputEvent ev;
    ev.kind = kind;
    ev.window = window;
    ev.x = x;
    ev.y = y;
    ev.button = button;
    Push(std::move(ev));
}

void HeadlessPlatform::MouseMove(int x, int y, int window) {
    QueueMouse(EventKind::MouseMove, x, y, TMouseButton::mbLeft, window);
}

void HeadlessPlatform::MouseDown(int x, int y, TMouseButton button, int window) {
    QueueMouse(EventKind::MouseDown, x, y, button, window);
}

void HeadlessPlatform::MouseUp(int x, int y, TMouseButton button, int window) {
    QueueMouse(EventKind::MouseUp, x, y, button, window);
}

void HeadlessPlatform::Click(int x, int y, int window) {
    MouseDown(x, y, TMouseButton::mbLeft, window);
    MouseUp(x, y, TMouseButton::mbLeft, window);
}

void HeadlessPlatform::Key(int key, unsigned mods, int window) {
    InputEvent ev;
    ev.kind = EventKind::KeyDown;
    ev.window = window;
    ev.key = key;
    ev.mods = mods;
    Push(ev);
    ev.kind = EventKind::KeyUp;
    Push(std::move(ev));
}

void HeadlessPlatform::Type(const std::string& utf8, int window) {
    InputEvent ev;
    ev.kind = EventKind::TextInput;
    ev.window = window;
    ev.text = utf8;
    Push(std::move(ev));
}

namespace {

InputEvent WindowEvent(EventKind kind, int window) {
    InputEvent ev;
    ev.kind = kind;
    ev.window = window;
    return ev;
}

}  // namespace

void HeadlessPlatform::Close(int window) { Push(WindowEvent(EventKind::CloseRequest, window)); }

void HeadlessPlatform::Expose(int window) { Push(WindowEvent(EventKind::Exposed, window)); }

void HeadlessPlatform::LeaveWindow(int window) { Push(WindowEvent(EventKind::PointerLeft, window)); }

// ---- Windows ----

std::unique_ptr<scene::PlatformWindow> HeadlessPlatform::CreateWindow(const scene::WindowOptions& options) {
    if (RefuseWindow && RefuseWindow(options))
        throw std::runtime_error("Cannot create the window: the platform refused it");
    auto state = std::make_shared<HeadlessWindowState>();
    state->id = static_cast<int>(windows_.size()) + 1;
    state->options = options;
    state->scale = scale_;
    windows_.push_back(state);
    return std::make_unique<HeadlessWindow>(std::move(state), screen_, fullScreenRefused_);
}

void HeadlessPlatform::ChangeWindowScale(scene::DisplayScale scale, int width, int height, int window) {
    const int id = Resolve(window);
    HeadlessWindowState& state = Window(id);
    if (!state.alive) return;
    state.scale = scale;
    state.windowedWidth = width;
    state.windowedHeight = height;
    if (state.mode == scene::WindowMode::Windowed) ResizeFrame(state, width, height, kUnpainted);
    Expose(id);
}

void HeadlessPlatform::SetScreenSize(int width, int height) { *screen_ = {width, height}; }

int HeadlessPlatform::MainWindowId() const {
    for (const auto& w : windows_)
        if (w->alive && !w->options.dialog) return w->id;
    return 0;
}

int HeadlessPlatform::TopDialogId() const {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if ((*it)->alive && (*it)->options.dialog) return (*it)->id;
    return 0;
}

std::vector<int> HeadlessPlatform::WindowIds() const {
    std::vector<int> ids;
    for (const auto& w : windows_) ids.push_back(w->id);
    return ids;
}

const HeadlessWindowState& HeadlessPlatform::Window(int id) const {
    if (id < 1 || id > static_cast<int>(windows_.size()))
        throw std::out_of_range("headless platform: no window " + std::to_string(id));
    return *windows_[static_cast<std::size_t>(id - 1)];
}

HeadlessWindowState& HeadlessPlatform::Window(int id) {
    return const_cast<HeadlessWindowState&>(static_cast<const HeadlessPlatform&>(*this).Window(id));
}

scene::Rgb HeadlessPlatform::Pixel(int id, int x, int y) const {
    const HeadlessWindowState& w = Window(id);
    if (x < 0 || y < 0 || x >= w.width || y >= w.height)
        throw std::out_of_range("headless platform: pixel outside the window");
    const std::uint32_t p = w.pixels[static_cast<std::size_t>(y) * w.width + x];
    return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p)};
}

bool HeadlessPlatform::SavePng(int id, const std::string& path) const {
    const HeadlessWindowState& w = Window(id);
    std::vector<std::uint32_t> copy = w.pixels;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(copy.data()),
                                                                   CAIRO_FORMAT_RGB24, w.width, w.height, w.width * 4);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    return status == CAIRO_STATUS_SUCCESS;
}

// ---- Audio ----

std::unique_ptr<scene::AudioOut> HeadlessPlatform::OpenAudio(scene::AudioRender render) {
    auto state = std::make_shared<AudioState>();
    state->render = std::move(render);
    state->format = audioFormat_;
    state->openedMs = nowMs_;
    audio_.push_back(state);
    return std::make_unique<HeadlessAudio>(std::move(state));
}

void HeadlessPlatform::RenderAudio() {
    for (const auto& a : audio_) {
        const std::lock_guard<std::recursive_mutex> guard(a->lock);
        if (!a->open || !a->render) continue;
        // The small margin keeps a clock set exactly to a block's end from missing it by rounding.
        const auto due = static_cast<long long>((nowMs_ - a->openedMs) * a->format.sampleRate / 1000.0 + 1e-6);
        const std::size_t blockSamples = static_cast<std::size_t>(kAudioBlockFrames) * a->format.channels;
        std::vector<float> block(blockSamples);
        while (a->framesRendered + kAudioBlockFrames <= due) {
            std::fill(block.begin(), block.end(), 0.0f);
            a->render(block.data(), kAudioBlockFrames);
            a->rendered.insert(a->rendered.end(), block.begin(), block.end());
            a->framesRendered += kAudioBlockFrames;
        }
    }
}

const std::vector<float>& HeadlessPlatform::RenderedAudio(int index) const {
    if (audio_.empty()) throw std::out_of_range("headless platform: no audio output opened");
    const std::size_t i = index < 0 ? audio_.size() - 1 : static_cast<std::size_t>(index);
    return audio_.at(i)->rendered;
}

void HeadlessPlatform::ClearRenderedAudio() {
    for (const auto& a : audio_) {
        const std::lock_guard<std::recursive_mutex> guard(a->lock);
        a->rendered.clear();
    }
}

}  // namespace platform
