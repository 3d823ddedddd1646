// A one-line text field. It takes no control characters, and a paste keeps only
// its first line, so its text can never break a line of a text file.
#pragma once

#include "scene/TWinControl.h"

namespace scene {

class TEdit : public TWinControl {
public:
    TEdit(Form& owner, std::string name = {});

    void Paint(Painter& painter) override;
    bool KeyDown(int key, unsigned mods) override;
    void TextInput(const std::string& utf8) override;
    bool TakesCharacters() const override { return true; }
    TCursor DefaultCursor() const override { return TCursor::crIBeam; }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

    // Windows-1252 bytes. Setting it from code fires no OnChange.
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    int SelStart() const;
    int SelLength() const;
    int CaretPos() const { return caret_; }

    TNotifyEvent OnChange;

private:
    void ReplaceSelection(const std::string& cp1252);
    void Changed();

    std::string text_;
    int caret_ = 0;
    int anchor_ = 0;
};

}  // namespace scene
