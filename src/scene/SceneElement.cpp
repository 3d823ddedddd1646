#include "scene/SceneElement.h"

#include <utility>

#include "scene/Form.h"

namespace scene {

SceneElement::SceneElement(Form& owner, std::string name, int defaultWidth, int defaultHeight, ElementFamily family)
    : owner_(owner),
      name_(std::move(name)),
      family_(family),
      bounds_{0, 0, defaultWidth, defaultHeight},
      font_(owner.Font) {
    if (family_ == ElementFamily::Graphic) owner_.Register(*this);
}

SceneElement::~SceneElement() {
    if (family_ == ElementFamily::Graphic) {
        // What lay beneath shows again.
        Invalidate();
        owner_.Unregister(*this);
    }
}

void SceneElement::SetLeft(int v) { SetBounds(v, bounds_.Top, bounds_.Width, bounds_.Height); }
void SceneElement::SetTop(int v) { SetBounds(bounds_.Left, v, bounds_.Width, bounds_.Height); }
void SceneElement::SetWidth(int v) { SetBounds(bounds_.Left, bounds_.Top, v, bounds_.Height); }
void SceneElement::SetHeight(int v) { SetBounds(bounds_.Left, bounds_.Top, bounds_.Width, v); }

void SceneElement::SetBounds(int left, int top, int width, int height) {
    const TRect next{left, top, width, height};
    if (next == bounds_) return;
    Invalidate();
    bounds_ = next;
    Invalidate();
    BoundsChanged();
}

void SceneElement::SetVisible(bool v) {
    if (v == visible_) return;
    // Mark while visible, so that both showing and hiding repaint the rectangle.
    if (visible_) Invalidate();
    visible_ = v;
    Invalidate();
    VisibilityChanged();
    owner_.ElementStateChanged(*this);
}

void SceneElement::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    EnabledChanged();
    owner_.ElementStateChanged(*this);
}

void SceneElement::SetFont(const TFont& f) {
    parentFont_ = false;
    if (f == font_) return;
    font_ = f;
    FontChanged();
}

void SceneElement::Invalidate() {
    if (visible_) owner_.InvalidateRect(bounds_);
}

void SceneElement::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void SceneElement::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void SceneElement::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void SceneElement::Click() {
    if (OnClick) OnClick(*this);
}

void SceneElement::DblClick() {
    if (OnDblClick) OnDblClick(*this);
}

void SceneElement::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(*this);
}

void SceneElement::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(*this);
}

}  // namespace scene
