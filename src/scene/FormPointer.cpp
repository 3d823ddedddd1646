// Pointer dispatch: hit-testing, the capture between press and release, when a
// click counts, double clicks, enter and leave at idle time, and the pointer shape.
#include <cstdlib>

#include "scene/Form.h"
#include "scene/TWinControl.h"

namespace scene {

namespace {

unsigned ButtonFlag(TMouseButton b) {
    switch (b) {
        case TMouseButton::mbLeft: return ssLeft;
        case TMouseButton::mbRight: return ssRight;
        case TMouseButton::mbMiddle: return ssMiddle;
    }
    return 0;
}

TShiftState ShiftFromMods(unsigned mods) {
    TShiftState s = 0;
    if (mods & kmShift) s |= ssShift;
    if (mods & kmCtrl) s |= ssCtrl;
    if (mods & kmAlt) s |= ssAlt;
    return s;
}

}  // namespace

InputEvent Form::InLayout(InputEvent ev) const {
    ev.x = scale_.ToLayout(ev.x - originX_);
    ev.y = scale_.ToLayout(ev.y - originY_);
    return ev;
}

SceneElement* Form::HitTest(int x, int y) const {
    if (!ClientRect().Contains(x, y)) return nullptr;
    for (auto it = stacking_.rbegin(); it != stacking_.rend(); ++it) {
        SceneElement* e = *it;
        if (e->Visible() && e->Enabled() && e->BoundsRect().Contains(x, y)) return e;
    }
    return nullptr;
}

// The topmost visible windowed element at (x, y), disabled ones included: a
// disabled control still covers what lies beneath it.
TWinControl* Form::WindowedAt(int x, int y) const {
    if (!ClientRect().Contains(x, y)) return nullptr;
    for (auto it = windowed_.rbegin(); it != windowed_.rend(); ++it) {
        TWinControl* c = *it;
        if (c->Visible() && c->BoundsRect().Contains(x, y)) return c;
    }
    return nullptr;
}

void Form::DispatchMouse(const InputEvent& ev) {
    pointerX_ = ev.x;
    pointerY_ = ev.y;
    pointerInside_ = ClientRect().Contains(ev.x, ev.y);
    if (ev.kind == EventKind::MouseDown)
        buttonsHeld_ |= ButtonFlag(ev.button);
    else if (ev.kind == EventKind::MouseUp)
        buttonsHeld_ &= ~ButtonFlag(ev.button);
    const TShiftState shift = ShiftFromMods(ev.mods) | buttonsHeld_;
    const bool held = capture_ || windowCapture_ || windowedCapture_;
    DispatchToHolderOrTarget(ev, shift);
    if (held && ev.kind == EventKind::MouseMove) MoveUnderHeldPointer(ev, shift);
}

void Form::DispatchToHolderOrTarget(const InputEvent& ev, TShiftState shift) {
    if (windowedCapture_) {
        DispatchToWindowed(*windowedCapture_, ev, shift);
        return;
    }
    if (windowCapture_) {
        // The window has no handlers, and what lies on it hears nothing until the
        // release but for the elements that never hold the pointer.
        if (ev.kind == EventKind::MouseUp && ev.button == TMouseButton::mbLeft) windowCapture_ = false;
        return;
    }
    if (!capture_) {
        UpdateCursor(ev.x, ev.y);
        if (TWinControl* c = WindowedAt(ev.x, ev.y)) {
            // The control's surface takes the report; nothing beneath sees it.
            if (c->Enabled()) DispatchToWindowed(*c, ev, shift);
            if (ev.kind == EventKind::MouseDown) surfacePressed_ = false;  // a press elsewhere breaks a double click
            return;
        }
    }
    DispatchToGraphic(ev, shift);
}

// An element that never holds the pointer hears every movement over it, even
// while another element holds the pointer; what lies above it still shields it.
void Form::MoveUnderHeldPointer(const InputEvent& ev, TShiftState shift) {
    if (WindowedAt(ev.x, ev.y)) return;
    SceneElement* e = HitTest(ev.x, ev.y);
    if (e && e->Hold() == PointerHold::Never && e != capture_) e->MouseMove(shift, ev.x - e->Left(), ev.y - e->Top());
}

void Form::DispatchToWindowed(TWinControl& c, const InputEvent& ev, TShiftState shift) {
    const int x = ev.x - c.Left();
    const int y = ev.y - c.Top();
    const bool left = ev.button == TMouseButton::mbLeft;
    switch (ev.kind) {
        case EventKind::MouseMove: c.MouseMove(shift, x, y); break;
        case EventKind::MouseDown:
            if (left) {
                windowedCapture_ = &c;
                if (c.CanFocus()) SetFocus(&c, FocusCause::Pointer);
            }
            c.MouseDown(ev.button, shift, x, y);
            break;
        case EventKind::MouseUp:
            if (left && windowedCapture_ == &c) windowedCapture_ = nullptr;
            c.MouseUp(ev.button, shift, x, y);
            break;
        default: break;
    }
}

void Form::DispatchToGraphic(const InputEvent& ev, TShiftState shift) {
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
    if (ev.kind == EventKind::MouseDown) surfacePressed_ = false;  // another button breaks a double click
    if (!target) return;
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
void Form::PressGraphic(SceneElement* target, const InputEvent& ev, TShiftState shift) {
    const bool doubleClick = surfacePressed_ && ev.timeMs - lastDownMs_ <= kDoubleClickMs &&
                             std::abs(ev.x - lastDownX_) <= kDoubleClickDistance &&
                             std::abs(ev.y - lastDownY_) <= kDoubleClickDistance;
    if (doubleClick) {
        surfacePressed_ = false;  // a third press starts afresh
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
    const bool holds = target->Hold() == PointerHold::OnPress;
    if (holds) capture_ = target;
    const int x = ev.x - target->Left();
    const int y = ev.y - target->Top();
    if (doubleClick) {
        // One that never holds the pointer is never clicked, once or twice: two
        // quick passes of the pointer with the button down are no double click.
        if (holds) target->DblClick();
        target->MouseDown(TMouseButton::mbLeft, shift | ssDouble, x, y);
    } else {
        if (holds) pressed_ = target;
        target->MouseDown(TMouseButton::mbLeft, shift, x, y);
    }
}

void Form::ReleaseGraphic(SceneElement* target, const InputEvent& ev, TShiftState shift) {
    capture_ = nullptr;
    const bool wasPressed = target && pressed_ == target;
    pressed_ = nullptr;
    if (!target) return;
    const int x = ev.x - target->Left();
    const int y = ev.y - target->Top();
    // The rectangle as it is now; whether the element is still visible is not asked.
    if (wasPressed && x >= 0 && x < target->Width() && y >= 0 && y < target->Height()) target->Click();
    target->MouseUp(TMouseButton::mbLeft, shift, x, y);
}

// The pointer is taken away (an error box opens, the window loses the focus):
// the releases that follow go elsewhere, so no button counts as held any more.
void Form::CancelCapture() {
    buttonsHeld_ = 0;
    const TShiftState shift = 0;
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

void Form::PointerLeft() { pointerInside_ = false; }

void Form::IdleCheck() {
    SceneElement* found = nullptr;
    if (pointerInside_ && window_) {
        found = WindowedAt(pointerX_, pointerY_);
        for (auto it = stacking_.rbegin(); !found && it != stacking_.rend(); ++it)
            if ((*it)->Visible() && (*it)->BoundsRect().Contains(pointerX_, pointerY_)) found = *it;
    }
    if (found == hover_) return;
    SceneElement* old = hover_;
    hover_ = found;
    // While an element, graphic or windowed, (or the bare window) holds the
    // pointer, only that element and those that never hold it hear of it.
    SceneElement* holder = capture_ ? capture_ : windowedCapture_;
    const bool held = holder || windowCapture_;
    const auto told = [&](const SceneElement* e) { return !held || e == holder || e->Hold() == PointerHold::Never; };
    if (old && told(old)) old->MouseLeave();
    if (found && told(found)) found->MouseEnter();
}

void Form::UpdateCursor(int x, int y) {
    if (!window_) return;
    TCursor shape = TCursor::crDefault;
    if (TWinControl* c = WindowedAt(x, y)) {
        shape = c->Cursor() != TCursor::crDefault ? c->Cursor() : c->DefaultCursor();
    } else {
        const SceneElement* e = HitTest(x, y);
        shape = e && e->Cursor() != TCursor::crDefault ? e->Cursor() : Cursor;
    }
    if (shape == TCursor::crDefault) shape = TCursor::crArrow;
    if (cursorShown_ && shape == shownCursor_) return;
    cursorShown_ = true;
    shownCursor_ = shape;
    window_->SetCursor(shape);
}

}  // namespace scene
