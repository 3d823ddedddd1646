#include "scene/Form.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "scene/Application.h"
#include "scene/Cp1252.h"
#include "scene/Painter.h"
#include "scene/TButton.h"
#include "scene/TShape.h"
#include "scene/TTimer.h"
#include "scene/TWinControl.h"

namespace scene {

namespace {

// More rectangles than this in the marked region collapse into their bounding box.
constexpr std::size_t kMaxDirtyRects = 24;
// Two marked rectangles merge when their bounding box wastes at most this many pixels.
constexpr long long kMergeSlackPixels = 1024;

long long Area(const TRect& r)
{
    return r.Empty() ? 0 : static_cast<long long>(r.Width) * r.Height;
}

bool WorthMerging(const TRect& a, const TRect& b)
{
    return Area(a.Union(b)) <= Area(a) + Area(b) + kMergeSlackPixels;
}

template <typename T>
void EraseOne(std::vector<T*>& list, const void* item)
{
    const auto it = std::find_if(list.begin(), list.end(), [item](T* p) { return p == item; });
    if (it != list.end())
        list.erase(it);
}

unsigned ButtonFlag(TMouseButton b)
{
    switch (b) {
    case TMouseButton::mbLeft: return ssLeft;
    case TMouseButton::mbRight: return ssRight;
    case TMouseButton::mbMiddle: return ssMiddle;
    }
    return 0;
}

TShiftState ShiftFromMods(unsigned mods)
{
    TShiftState s = 0;
    if (mods & kmShift)
        s |= ssShift;
    if (mods & kmCtrl)
        s |= ssCtrl;
    if (mods & kmAlt)
        s |= ssAlt;
    return s;
}

bool IsAcceleratorKey(int key)
{
    return (key >= 'a' && key <= 'z') || (key >= '0' && key <= '9');
}

void PaintElement(Painter& painter, SceneElement& e, const TRect& area)
{
    const TRect& b = e.BoundsRect();
    if (b.Intersect(area).Empty())
        return;
    painter.Save();
    painter.Translate(b.Left, b.Top);
    painter.ClipRect({0, 0, b.Width, b.Height});
    e.Paint(painter);
    painter.Restore();
}

}  // namespace

Form::Form(Application& app, std::string name) : app_(app), name_(std::move(name))
{
    if (!app_.MainForm())
        app_.SetMainForm(this);
}

Form::~Form()
{
    // Run-time shapes unregister while the lists still exist.
    madeShapes_.clear();
    if (app_.MainForm() == this)
        app_.SetMainForm(nullptr);
}

// ---- Registration and stacking ----

void Form::Register(SceneElement& e)
{
    created_.push_back(&e);
    stacking_.push_back(&e);
}

void Form::Unregister(SceneElement& e)
{
    Forget(e);
    EraseOne(created_, &e);
    EraseOne(stacking_, &e);
}

void Form::Register(TWinControl& c)
{
    created_.push_back(&c);
    windowed_.push_back(&c);
}

void Form::Unregister(TWinControl& c)
{
    Forget(c);
    EraseOne(created_, static_cast<SceneElement*>(&c));
    EraseOne(windowed_, &c);
}

void Form::Register(TTimer& t)
{
    timers_.push_back(&t);
}

void Form::Unregister(TTimer& t)
{
    EraseOne(timers_, &t);
}

int Form::StackIndex(const SceneElement& e) const
{
    const auto it = std::find(stacking_.begin(), stacking_.end(), &e);
    return it == stacking_.end() ? -1 : static_cast<int>(it - stacking_.begin());
}

TShape& Form::MakeShape()
{
    madeShapes_.push_back(std::make_unique<TShape>(*this));
    TShape& shape = *madeShapes_.back();
    shape.Invalidate();
    return shape;
}

void Form::SendToBack(SceneElement& e)
{
    const int index = StackIndex(e);
    if (index <= 0)
        return;
    std::rotate(stacking_.begin(), stacking_.begin() + index, stacking_.begin() + index + 1);
    e.Invalidate();
}

// ---- Life cycle ----

void Form::LoadAll()
{
    // A load step may make elements; walk a copy.
    const std::vector<SceneElement*> order = created_;
    for (SceneElement* e : order)
        e->Loaded();
    loaded_ = true;
    for (TTimer* t : std::vector<TTimer*>(timers_))
        t->Rearm();
}

void Form::DoCreate()
{
    if (OnCreate)
        app_.Guard([this] { OnCreate(*this); });
}

void Form::Show()
{
    if (window_)
        return;
    WindowOptions options;
    options.title = Cp1252ToUtf8(Caption);
    options.left = WindowLeft;
    options.top = WindowTop;
    options.clientWidth = ClientWidth;
    options.clientHeight = ClientHeight;
    options.iconArgb = IconArgb;
    options.iconSize = IconArgb.size() == 32 * 32 ? 32 : 0;
    window_ = app_.GetPlatform().CreateWindow(options);
    window_->Show();
    cursorShown_ = false;
    if (!app_.MainForm())
        app_.SetMainForm(this);
    InvalidateAll();
    if (!focused_)
        SelectNext(Direction::Forward);
}

void Form::Close()
{
    app_.Terminate();
}

// ---- Repainting ----

void Form::InvalidateRect(const TRect& r)
{
    TRect add = r.Intersect(ClientRect());
    if (add.Empty())
        return;
    for (bool merged = true; merged;) {
        merged = false;
        for (auto it = dirty_.begin(); it != dirty_.end(); ++it) {
            if (it->Intersect(add) == add)
                return;   // already marked
            if (WorthMerging(*it, add)) {
                add = add.Union(*it);
                dirty_.erase(it);
                merged = true;
                break;
            }
        }
    }
    dirty_.push_back(add);
    if (dirty_.size() > kMaxDirtyRects) {
        TRect all;
        for (const TRect& d : dirty_)
            all = all.Union(d);
        dirty_.assign(1, all);
    }
}

void Form::InvalidateAll()
{
    dirty_.assign(1, ClientRect());
    if (ClientRect().Empty())
        dirty_.clear();
}

void Form::Repaint()
{
    std::vector<TRect> region;
    region.swap(dirty_);
    if (!window_ || region.empty())
        return;
    const FrameBuffer frame = window_->Frame();
    for (const TRect& r : region)
        Compose(frame, r);
    window_->Present(region);
}

void Form::Compose(const FrameBuffer& frame, const TRect& clip)
{
    const TRect area = clip.Intersect(ClientRect()).Intersect({0, 0, frame.width, frame.height});
    if (area.Empty())
        return;
    Painter painter(frame);
    painter.ClipRect(area);
    painter.FillRect(area, Color);
    for (SceneElement* e : stacking_)
        if (e->Visible())
            PaintElement(painter, *e, area);
    for (TWinControl* c : windowed_)
        if (c->Visible())
            PaintElement(painter, *c, area);
}

// ---- Pointer ----

SceneElement* Form::HitTest(int x, int y) const
{
    if (!ClientRect().Contains(x, y))
        return nullptr;
    for (auto it = stacking_.rbegin(); it != stacking_.rend(); ++it) {
        SceneElement* e = *it;
        if (e->Visible() && e->Enabled() && e->BoundsRect().Contains(x, y))
            return e;
    }
    return nullptr;
}

// The topmost visible windowed element at (x, y), disabled ones included: a
// disabled control still covers what lies beneath it.
TWinControl* Form::WindowedAt(int x, int y) const
{
    if (!ClientRect().Contains(x, y))
        return nullptr;
    for (auto it = windowed_.rbegin(); it != windowed_.rend(); ++it) {
        TWinControl* c = *it;
        if (c->Visible() && c->BoundsRect().Contains(x, y))
            return c;
    }
    return nullptr;
}

void Form::HandleInput(const InputEvent& ev)
{
    switch (ev.kind) {
    case EventKind::MouseMove:
    case EventKind::MouseDown:
    case EventKind::MouseUp: DispatchMouse(ev); break;
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

void Form::DispatchMouse(const InputEvent& ev)
{
    pointerX_ = ev.x;
    pointerY_ = ev.y;
    pointerInside_ = ClientRect().Contains(ev.x, ev.y);
    if (ev.kind == EventKind::MouseDown)
        buttonsHeld_ |= ButtonFlag(ev.button);
    else if (ev.kind == EventKind::MouseUp)
        buttonsHeld_ &= ~ButtonFlag(ev.button);
    const TShiftState shift = ShiftFromMods(ev.mods) | buttonsHeld_;

    if (windowedCapture_) {
        DispatchToWindowed(*windowedCapture_, ev, shift);
        return;
    }
    if (windowCapture_) {
        // The window has no handlers, and what lies on it hears nothing until the release.
        if (ev.kind == EventKind::MouseUp && ev.button == TMouseButton::mbLeft)
            windowCapture_ = false;
        return;
    }
    if (!capture_) {
        UpdateCursor(ev.x, ev.y);
        if (TWinControl* c = WindowedAt(ev.x, ev.y)) {
            // The control's surface takes the report; nothing beneath sees it.
            if (c->Enabled())
                DispatchToWindowed(*c, ev, shift);
            if (ev.kind == EventKind::MouseDown)
                surfacePressed_ = false;   // a press elsewhere breaks a double click
            return;
        }
    }
    DispatchToGraphic(ev, shift);
}

void Form::DispatchToWindowed(TWinControl& c, const InputEvent& ev, TShiftState shift)
{
    const int x = ev.x - c.Left();
    const int y = ev.y - c.Top();
    const bool left = ev.button == TMouseButton::mbLeft;
    switch (ev.kind) {
    case EventKind::MouseMove: c.MouseMove(shift, x, y); break;
    case EventKind::MouseDown:
        if (left) {
            windowedCapture_ = &c;
            if (c.CanFocus())
                SetFocus(&c);
        }
        c.MouseDown(ev.button, shift, x, y);
        break;
    case EventKind::MouseUp:
        if (left && windowedCapture_ == &c)
            windowedCapture_ = nullptr;
        c.MouseUp(ev.button, shift, x, y);
        break;
    default: break;
    }
}

void Form::DispatchToGraphic(const InputEvent& ev, TShiftState shift)
{
    SceneElement* target = capture_ ? capture_ : HitTest(ev.x, ev.y);
    const bool left = ev.button == TMouseButton::mbLeft;
    if (ev.kind == EventKind::MouseDown && left) {
        PressGraphic(target, ev, shift);
        return;
    }
    if (ev.kind == EventKind::MouseUp && left) {
        ReleaseGraphic(target, ev, shift);
        return;
    }
    if (ev.kind == EventKind::MouseDown)
        surfacePressed_ = false;   // another button breaks a double click
    if (!target)
        return;
    const int x = ev.x - target->Left();
    const int y = ev.y - target->Top();
    if (ev.kind == EventKind::MouseMove)
        target->MouseMove(shift, x, y);
    else if (ev.kind == EventKind::MouseDown)
        target->MouseDown(ev.button, shift, x, y);
    else
        target->MouseUp(ev.button, shift, x, y);
}

// A second press on the window's surface within the double-click time and
// distance of the first is a double click, whatever lies under it now.
void Form::PressGraphic(SceneElement* target, const InputEvent& ev, TShiftState shift)
{
    const bool doubleClick = surfacePressed_ &&
                             ev.timeMs - lastDownMs_ <= kDoubleClickMs &&
                             std::abs(ev.x - lastDownX_) <= kDoubleClickDistance &&
                             std::abs(ev.y - lastDownY_) <= kDoubleClickDistance;
    if (doubleClick) {
        surfacePressed_ = false;   // a third press starts afresh
    } else {
        surfacePressed_ = true;
        lastDownMs_ = ev.timeMs;
        lastDownX_ = ev.x;
        lastDownY_ = ev.y;
    }
    if (!target) {
        windowCapture_ = true;
        return;
    }
    capture_ = target;
    const int x = ev.x - target->Left();
    const int y = ev.y - target->Top();
    if (doubleClick) {
        target->DblClick();
        target->MouseDown(TMouseButton::mbLeft, shift | ssDouble, x, y);
    } else {
        pressed_ = target;
        target->MouseDown(TMouseButton::mbLeft, shift, x, y);
    }
}

void Form::ReleaseGraphic(SceneElement* target, const InputEvent& ev, TShiftState shift)
{
    capture_ = nullptr;
    const bool wasPressed = target && pressed_ == target;
    pressed_ = nullptr;
    if (!target)
        return;
    const int x = ev.x - target->Left();
    const int y = ev.y - target->Top();
    // The rectangle as it is now; whether the element is still visible is not asked.
    if (wasPressed && x >= 0 && x < target->Width() && y >= 0 && y < target->Height())
        target->Click();
    target->MouseUp(TMouseButton::mbLeft, shift, x, y);
}

void Form::CancelCapture()
{
    const TShiftState shift = buttonsHeld_ & ~static_cast<unsigned>(ssLeft);
    windowCapture_ = false;
    if (SceneElement* e = capture_) {
        capture_ = nullptr;
        pressed_ = nullptr;
        e->MouseUp(TMouseButton::mbLeft, shift, -1, -1);
    }
    if (TWinControl* c = windowedCapture_) {
        windowedCapture_ = nullptr;
        c->MouseUp(TMouseButton::mbLeft, shift, -1, -1);
    }
}

void Form::PointerLeft()
{
    pointerInside_ = false;
}

void Form::IdleCheck()
{
    SceneElement* found = nullptr;
    if (pointerInside_ && window_) {
        found = WindowedAt(pointerX_, pointerY_);
        for (auto it = stacking_.rbegin(); !found && it != stacking_.rend(); ++it)
            if ((*it)->Visible() && (*it)->BoundsRect().Contains(pointerX_, pointerY_))
                found = *it;
    }
    if (found == hover_)
        return;
    SceneElement* old = hover_;
    hover_ = found;
    // While an element (or the bare window) holds the capture, only that element hears of it.
    const bool held = capture_ || windowCapture_;
    if (old && (!held || old == capture_))
        old->MouseLeave();
    if (found && (!held || found == capture_))
        found->MouseEnter();
}

void Form::UpdateCursor(int x, int y)
{
    if (!window_)
        return;
    TCursor shape = TCursor::crDefault;
    if (TWinControl* c = WindowedAt(x, y)) {
        shape = c->Cursor() != TCursor::crDefault ? c->Cursor() : c->DefaultCursor();
    } else {
        const SceneElement* e = HitTest(x, y);
        shape = e && e->Cursor() != TCursor::crDefault ? e->Cursor() : Cursor;
    }
    if (shape == TCursor::crDefault)
        shape = TCursor::crArrow;
    if (cursorShown_ && shape == shownCursor_)
        return;
    cursorShown_ = true;
    shownCursor_ = shape;
    window_->SetCursor(shape);
}

// ---- Keyboard ----

std::vector<TWinControl*> Form::TabCycle() const
{
    std::vector<TWinControl*> cycle;
    for (TWinControl* c : windowed_)
        if (c->TabStop() && c->CanFocus())
            cycle.push_back(c);
    std::stable_sort(cycle.begin(), cycle.end(),
                     [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
    return cycle;
}

void Form::SelectNext(Direction direction)
{
    const std::vector<TWinControl*> cycle = TabCycle();
    if (cycle.empty())
        return;
    const auto it = std::find(cycle.begin(), cycle.end(), focused_);
    const std::size_t n = cycle.size();
    std::size_t next = 0;
    if (it == cycle.end())
        next = direction == Direction::Forward ? 0 : n - 1;
    else {
        const std::size_t at = static_cast<std::size_t>(it - cycle.begin());
        next = direction == Direction::Forward ? (at + 1) % n : (at + n - 1) % n;
    }
    SetFocus(cycle[next]);
}

void Form::SetFocus(TWinControl* c)
{
    if (c == focused_ || (c && !c->CanFocus()))
        return;
    TWinControl* old = focused_;
    focused_ = c;
    const bool typedBefore = old && old->TakesCharacters();
    const bool typedNow = c && c->TakesCharacters();
    if (window_ && typedBefore && !typedNow)
        window_->StopTextInput();
    if (window_ && typedNow && !typedBefore)
        window_->StartTextInput();
    if (old)
        old->FocusOut();
    if (c)
        c->FocusIn();
    InvalidateDefaultButtons();
}

TButton* Form::ActiveButton() const
{
    if (auto* focusedButton = dynamic_cast<TButton*>(focused_))
        return focusedButton;
    for (TWinControl* c : windowed_)
        if (auto* b = dynamic_cast<TButton*>(c); b && b->Default())
            return b;
    return nullptr;
}

void Form::InvalidateDefaultButtons()
{
    for (TWinControl* c : windowed_)
        if (auto* b = dynamic_cast<TButton*>(c); b && b->Default())
            b->Invalidate();
}

bool Form::PressAccelerator(int key)
{
    if (!IsAcceleratorKey(key))
        return false;
    for (TWinControl* c : windowed_) {
        auto* b = dynamic_cast<TButton*>(c);
        if (b && b->AccelChar() == key && b->CanFocus()) {
            b->Press();
            return true;
        }
    }
    return false;
}

void Form::DispatchKey(const InputEvent& ev)
{
    if (ev.kind == EventKind::TextInput) {
        if (focused_ && focused_->TakesCharacters())
            focused_->TextInput(ev.text);
        return;
    }
    const unsigned mods = ev.mods;
    const bool ctrlOrAlt = (mods & (kmCtrl | kmAlt)) != 0;
    if (ev.key == kTab && !ctrlOrAlt) {
        SelectNext((mods & kmShift) ? Direction::Backward : Direction::Forward);
        return;
    }
    if (ev.key == kReturn) {
        if (focused_ && focused_->WantsReturn()) {
            focused_->KeyDown(kReturn, mods);
            return;
        }
        if (mods == 0) {
            if (TButton* b = ActiveButton(); b && b->CanFocus())
                b->Press();
            return;
        }
    }
    if ((mods & kmAlt) && !(mods & kmCtrl) && PressAccelerator(ev.key))
        return;
    if (focused_ && focused_->KeyDown(ev.key, mods))
        return;
    // A letter alone presses its button unless the focused control types it.
    if (!ctrlOrAlt && !(focused_ && focused_->TakesCharacters()))
        PressAccelerator(ev.key);
}

// ---- Element state ----

void Form::ElementStateChanged(SceneElement& e)
{
    if (e.Visible() && e.Enabled())
        return;
    // A graphic element keeps the pointer capture while hidden or disabled (the
    // release still goes to it); a windowed one loses the focus and the capture.
    if (windowedCapture_ == &e) {
        TWinControl* c = windowedCapture_;
        windowedCapture_ = nullptr;
        c->MouseUp(TMouseButton::mbLeft, 0, -1, -1);
    }
    if (focused_ == &e)
        SetFocus(nullptr);
}

void Form::Forget(SceneElement& e)
{
    if (capture_ == &e)
        capture_ = nullptr;
    if (pressed_ == &e)
        pressed_ = nullptr;
    if (hover_ == &e)
        hover_ = nullptr;
    if (windowedCapture_ == &e)
        windowedCapture_ = nullptr;
    if (focused_ == &e) {
        focused_ = nullptr;
        if (window_)
            window_->StopTextInput();
    }
}

}  // namespace scene
