// The window itself: its life cycle, the registration of its elements, the
// routing of input to pointer or keyboard dispatch, and forgetting elements that
// are hidden, disabled or destroyed. Stacking and repaint live in
// FormStacking.cpp, pointer dispatch in FormPointer.cpp, keyboard focus in
// FormKeyboard.cpp.
#include "scene/Form.h"

#include <algorithm>
#include <utility>

#include "scene/Application.h"
#include "scene/Cp1252.h"
#include "scene/TShape.h"
#include "scene/TTimer.h"
#include "scene/TWinControl.h"

namespace scene {

namespace {

template <typename T>
void EraseOne(std::vector<T*>& list, const void* item) {
    const auto it = std::find_if(list.begin(), list.end(), [item](T* p) { return p == item; });
    if (it != list.end()) list.erase(it);
}

}  // namespace

Form::Form(Application& app, std::string name) : app_(app), name_(std::move(name)) {
    if (!app_.MainForm()) app_.SetMainForm(this);
}

Form::~Form() {
    stopDecodingAhead_ = true;
    WaitForPicturesAhead();
    app_.DropIdleWork(this);
    // Run-time shapes unregister while the lists still exist.
    madeShapes_.clear();
    if (app_.MainForm() == this) app_.SetMainForm(nullptr);
}

// ---- Registration ----

void Form::Register(SceneElement& e) {
    created_.push_back(&e);
    stacking_.push_back(&e);
}

void Form::Unregister(SceneElement& e) {
    Forget(e);
    EraseOne(created_, &e);
    EraseOne(stacking_, &e);
}

void Form::Register(TWinControl& c) {
    created_.push_back(&c);
    windowed_.push_back(&c);
}

void Form::Unregister(TWinControl& c) {
    Forget(c);
    EraseOne(created_, static_cast<SceneElement*>(&c));
    EraseOne(windowed_, &c);
}

void Form::Register(TTimer& t) { timers_.push_back(&t); }

void Form::Unregister(TTimer& t) { EraseOne(timers_, &t); }

// ---- Life cycle ----

void Form::LoadAll() {
    // A load step may make elements; walk a copy.
    const std::vector<SceneElement*> order = created_;
    for (SceneElement* e : order) e->Loaded();
    loaded_ = true;
    for (TTimer* t : std::vector<TTimer*>(timers_)) t->Rearm();
}

void Form::DoCreate() {
    if (OnCreate) app_.Guard([this] { OnCreate(*this); });
}

WindowOptions Form::OptionsForWindow(const std::string& caption, int left, int top, int clientWidth, int clientHeight,
                                     const std::vector<std::uint32_t>& iconArgb, DisplayScale scale) {
    WindowOptions options;
    options.title = Cp1252ToUtf8(caption);
    options.left = scale.ToDevice(left);
    options.top = scale.ToDevice(top);
    const TRect client = scale.ToDevice(TRect{0, 0, clientWidth, clientHeight});
    options.clientWidth = client.Width;
    options.clientHeight = client.Height;
    options.iconArgb = iconArgb;
    options.iconSize = iconArgb.size() == 32 * 32 ? 32 : 0;
    return options;
}

void Form::Show() {
    if (window_) return;
    scale_ = app_.GetPlatform().PresentationScale();
    window_ = app_.GetPlatform().CreateWindow(
        OptionsForWindow(Caption, WindowLeft, WindowTop, ClientWidth, ClientHeight, IconArgb, scale_));
    window_->Show();
    if (mode_ == WindowMode::FullScreen) window_->SetMode(mode_);
    cursorShown_ = false;
    if (!app_.MainForm()) app_.SetMainForm(this);
    InvalidateAll();
    if (!focused_) SelectNext(Direction::Forward);
}

void Form::SetMode(WindowMode mode) {
    if (mode == mode_) return;
    if (window_) window_->SetMode(mode);  // a platform that refuses leaves the mode as it was
    mode_ = mode;
    // The next repaint places the client area in the frame as it is then.
    InvalidateAll();
}

void Form::Close() { app_.Terminate(); }

// ---- Input ----

void Form::HandleInput(const InputEvent& ev) {
    const bool pointer =
        ev.kind == EventKind::MouseMove || ev.kind == EventKind::MouseUp || ev.kind == EventKind::MouseDown;
    HandleLayoutInput(pointer ? InLayout(ev) : ev);
}

void Form::HandleLayoutInput(const InputEvent& ev) {
    switch (ev.kind) {
        case EventKind::MouseMove:
        case EventKind::MouseUp: DispatchMouse(ev); break;
        case EventKind::MouseDown:
            // Only full screen has room around the client area: a press there is nobody's.
            if (ClientRect().Contains(ev.x, ev.y)) DispatchMouse(ev);
            break;
        case EventKind::KeyDown:
        case EventKind::TextInput: DispatchKey(ev); break;
        case EventKind::KeyUp:
        case EventKind::FocusGained: break;
        case EventKind::FocusLost: CancelCapture(); break;
        case EventKind::CloseRequest: Close(); break;
        case EventKind::Exposed: InvalidateAll(); break;
        case EventKind::PointerLeft: PointerLeft(); break;
    }
}

// ---- Element state ----

void Form::ElementStateChanged(SceneElement& e) {
    if (e.Visible() && e.Enabled()) return;
    // A graphic element keeps the pointer capture while hidden or disabled (the
    // release still goes to it); a windowed one loses the focus and the capture.
    if (windowedCapture_ == &e) {
        TWinControl* c = windowedCapture_;
        windowedCapture_ = nullptr;
        c->MouseUp(TMouseButton::mbLeft, 0, -1, -1);
    }
    if (focused_ == &e) SetFocus(nullptr);
}

void Form::Forget(SceneElement& e) {
    if (capture_ == &e) capture_ = nullptr;
    if (pressed_ == &e) pressed_ = nullptr;
    if (hover_ == &e) hover_ = nullptr;
    if (windowedCapture_ == &e) windowedCapture_ = nullptr;
    if (focused_ == &e) {
        focused_ = nullptr;
        if (window_) window_->StopTextInput();
    }
}

}  // namespace scene
