// The base of every element on the window: bounds, visibility, enabled state,
// pointer shape, font and the pointer events. Setters follow one rule: an
// unchanged value does nothing; a change marks what must be repainted.
#pragma once

#include <functional>
#include <string>

#include "scene/Types.h"

namespace scene {

class Form;
class Painter;
struct InputEvent;

class SceneElement;

// Graphic elements are painted onto the window and stack; windowed ones lie above them.
enum class ElementFamily { Graphic, Windowed };

// Whether a left-button press on a graphic element makes it hold the pointer
// until the release. One that never holds it is never clicked nor double
// clicked; it hears presses and releases over it as reports like any other,
// and a movement exactly when it is the topmost element under the pointer,
// whatever element holds the pointer then.
enum class PointerHold { OnPress, Never };

using TNotifyEvent = std::function<void(SceneElement& Sender)>;
using TMouseMoveEvent = std::function<void(SceneElement& Sender, TShiftState Shift, int X, int Y)>;
using TMouseEvent = std::function<void(SceneElement& Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

class SceneElement {
public:
    // A graphic element registers with its window at the top of the stacking list;
    // a windowed one is registered by TWinControl.
    SceneElement(Form& owner, std::string name, int defaultWidth, int defaultHeight,
                 ElementFamily family = ElementFamily::Graphic);
    virtual ~SceneElement();
    SceneElement(const SceneElement&) = delete;
    SceneElement& operator=(const SceneElement&) = delete;

    const std::string& Name() const { return name_; }
    Form& Owner() const { return owner_; }

    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width; }
    int Height() const { return bounds_.Height; }
    const TRect& BoundsRect() const { return bounds_; }
    void SetLeft(int v);
    void SetTop(int v);
    void SetWidth(int v);
    void SetHeight(int v);
    virtual void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c) { cursor_ = c; }

    PointerHold Hold() const { return hold_; }
    void SetHold(PointerHold h) { hold_ = h; }

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& f);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v) { parentFont_ = v; }

    virtual bool IsWindowed() const = 0;
    // Draws in the element's own coordinates; the caller has translated and clipped.
    virtual void Paint(Painter& painter) = 0;
    // The part of the element, in its own coordinates, that its painting covers
    // in opaque colour whatever lies below; empty when there is none for sure.
    virtual TRect OpaqueRect() const { return {}; }
    // The load step, once every element of the layout exists.
    virtual void Loaded() {}

    // Pointer hooks, called by the form's dispatch with element coordinates.
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseEnter();
    virtual void MouseLeave();

    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // Marks the element's current rectangle for repaint (nothing while hidden).
    void Invalidate();

protected:
    virtual void FontChanged() { Invalidate(); }
    virtual void BoundsChanged() {}
    virtual void VisibilityChanged() {}
    virtual void EnabledChanged() { Invalidate(); }

private:
    friend class Form;

    Form& owner_;
    std::string name_;
    ElementFamily family_;
    TRect bounds_;
    bool visible_ = true;
    bool enabled_ = true;
    TCursor cursor_ = TCursor::crDefault;
    PointerHold hold_ = PointerHold::OnPress;
    TFont font_;
    bool parentFont_ = true;
};

}  // namespace scene
