// Windowed elements: they lie above every graphic element, draw themselves,
// take the keyboard focus and have a place in the tab order.
#pragma once

#include <string>

#include "scene/SceneElement.h"

namespace scene {

class TWinControl : public SceneElement {
public:
    // Registers the control at the end of the window's windowed list.
    TWinControl(Form& owner, std::string name, int defaultWidth, int defaultHeight);
    ~TWinControl() override;

    bool IsWindowed() const override { return true; }

    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int t) { tabOrder_ = t; }
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool t) { tabStop_ = t; }
    bool Focused() const;
    // Visible, enabled, and the window too.
    bool CanFocus() const;

    // Keyboard hooks; return true when the key was used.
    virtual bool KeyDown(int key, unsigned mods);
    virtual void TextInput(const std::string& utf8) { (void)utf8; }
    // Enter goes to the control itself instead of pressing the active button.
    virtual bool WantsReturn() const { return false; }
    // Typed characters go to the control; letters alone then press no accelerator.
    virtual bool TakesCharacters() const { return false; }
    virtual void FocusIn(FocusCause cause) {
        (void)cause;
        Invalidate();
    }
    virtual void FocusOut() { Invalidate(); }
    // Pointer shape over the control when its Cursor is crDefault.
    virtual TCursor DefaultCursor() const { return TCursor::crArrow; }

private:
    int tabOrder_ = 0;
    bool tabStop_ = true;
};

}  // namespace scene
