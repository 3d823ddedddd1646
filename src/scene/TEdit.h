// A one-line text field. It takes no control characters, and a paste keeps only
// its first line, so its text can never break a line of a text file.
#pragma once

#include <cstddef>

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
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // From the keyboard the whole text is selected, as in any one-line edit field.
    void FocusIn(FocusCause cause) override;

    // The most characters typing and pasting bring the text to, as in a plain
    // one-line edit box: every key press lays the whole line out again, and a
    // pasted file of megabytes would stall each one for seconds. Text set from
    // code is not held to it.
    static constexpr std::size_t kTypedLimit = 32767;

    // Windows-1252 bytes. Setting it from code is a change like typing (OnChange
    // fires), except for the layout's text, set before the window is loaded.
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    int SelStart() const;
    int SelLength() const;
    void SelectAll();
    int CaretPos() const { return caret_; }
    // How far the text is scrolled to the left to keep the caret in view, in pixels.
    int ScrollOffset() const { return scroll_; }

    TNotifyEvent OnChange;

protected:
    void FontChanged() override;

private:
    enum class Extend { No, Yes };

    void ReplaceSelection(const std::string& cp1252);
    void MoveCaret(int to, Extend extend);
    void CopySelection();
    void Paste();
    void Changed();
    void ScrollToCaret();
    TRect TextBox() const;
    int IndexAt(int x) const;

    std::string text_;
    int caret_ = 0;
    int anchor_ = 0;  // the other end of the selection
    int scroll_ = 0;
    bool dragging_ = false;
};

}  // namespace scene
