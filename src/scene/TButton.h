// A push button with an accelerator in its caption and an optional default frame.
#pragma once

#include "scene/TWinControl.h"

namespace scene {

class TButton : public TWinControl {
public:
    TButton(Form& owner, std::string name = {});

    void Paint(Painter& painter) override;
    bool KeyDown(int key, unsigned mods) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

    // Windows-1252 bytes; "&x" marks x as the accelerator.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text);
    bool Default() const { return default_; }
    void SetDefault(bool d);
    // The lower-case letter after a single "&", or 0.
    char AccelChar() const;
    // Same as a click, when the button can take the focus.
    void Press();
    // Drawn pushed in: the left button went down on it and is held with the pointer over it.
    bool Pushed() const { return held_ && pointerOver_; }

protected:
    void EnabledChanged() override;

private:
    void SetPointerOver(bool over);

    std::string caption_;
    bool default_ = false;
    bool held_ = false;
    bool pointerOver_ = false;
};

}  // namespace scene
