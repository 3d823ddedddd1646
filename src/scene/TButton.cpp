#include "scene/TButton.h"

#include <cctype>
#include <utility>

#include "scene/Form.h"
#include "scene/Painter.h"

namespace scene {

TButton::TButton(Form& owner, std::string name) : TWinControl(owner, std::move(name), 75, 25) {}

void TButton::SetCaption(const std::string& text) {
    if (text == caption_) return;
    caption_ = text;
    Invalidate();
}

void TButton::SetDefault(bool d) {
    if (d == default_) return;
    default_ = d;
    Invalidate();
}

char TButton::AccelChar() const {
    for (std::size_t i = 0; i + 1 < caption_.size(); ++i) {
        if (caption_[i] != '&') continue;
        if (caption_[i + 1] == '&') {
            ++i;  // "&&" is a plain ampersand
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(caption_[i + 1])));
    }
    return 0;
}

void TButton::Press() {
    if (CanFocus()) Click();
}

bool TButton::KeyDown(int key, unsigned mods) {
    if (key == kSpace && mods == 0) {
        Press();
        return true;
    }
    return false;
}

void TButton::SetPointerOver(bool over) {
    if (over == pointerOver_) return;
    pointerOver_ = over;
    if (held_) Invalidate();
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft && Enabled()) {
        held_ = true;
        pointerOver_ = true;
        Invalidate();
    }
    TWinControl::MouseDown(button, shift, x, y);
}

void TButton::MouseMove(TShiftState shift, int x, int y) {
    SetPointerOver(x >= 0 && x < Width() && y >= 0 && y < Height());
    TWinControl::MouseMove(shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft && held_) {
        held_ = false;
        Invalidate();
        const bool inside = x >= 0 && x < Width() && y >= 0 && y < Height();
        if (inside && Enabled()) Click();
    }
    TWinControl::MouseUp(button, shift, x, y);
}

void TButton::EnabledChanged() {
    if (!Enabled()) held_ = false;
    Invalidate();
}

void TButton::Paint(Painter& painter) {
    TRect face{0, 0, Width(), Height()};
    painter.FillRect(face, clBtnFace);
    // The window's active button carries a black frame around its bevel.
    if (Owner().ActiveButton() == this) {
        painter.DrawRect(face, clBlack, 1, clBtnFace);
        face = {1, 1, Width() - 2, Height() - 2};
    }
    int shift = 0;
    if (Pushed()) {
        painter.DrawRect(face, clBtnShadow, 1, clBtnFace);
        shift = 1;
    } else {
        painter.DrawEdge(face, EdgeStyle::Raised);
    }

    TextOptions options;
    options.alignment = TAlignment::taCenter;
    options.layout = TTextLayout::tlCenter;
    options.look = Enabled() ? TextLook::Normal : TextLook::Greyed;
    painter.DrawText({shift, shift, Width(), Height()}, caption_, Font(), options);

    if (Focused()) painter.DrawFocusRect({4, 4, Width() - 8, Height() - 8});
}

}  // namespace scene
