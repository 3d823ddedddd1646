// A multi-line text panel: wraps at its width, Enter breaks the line, no scroll bars.
#pragma once

#include <string>
#include <vector>

#include "scene/TWinControl.h"

namespace scene {

class TMemo : public TWinControl {
public:
    TMemo(Form& owner, std::string name = {});

    void Paint(Painter& painter) override;
    // Inside its edge, the panel is filled edge to edge.
    TRect OpaqueRect() const override;
    bool KeyDown(int key, unsigned mods) override;
    void TextInput(const std::string& utf8) override;
    bool WantsReturn() const override { return true; }
    bool TakesCharacters() const override { return true; }
    TCursor DefaultCursor() const override { return TCursor::crIBeam; }

    // The text cut at line breaks (Windows-1252 bytes); an empty text has no lines.
    const std::vector<std::string>& Lines() const { return lines_; }
    void AddLine(const std::string& cp1252);
    void Clear();
    void SetLines(std::vector<std::string> lines);

    // The caret: a line of Lines() and a byte within it.
    int CaretLine() const { return caretLine_; }
    int CaretColumn() const { return caretCol_; }
    void SetCaret(int line, int column);

private:
    void InsertLineBreak();
    void DeleteBack();
    void DeleteForward();
    void EnsureLine();
    std::string& CurrentLine() { return lines_[static_cast<std::size_t>(caretLine_)]; }
    int TextWidth() const;

    std::vector<std::string> lines_;
    int caretLine_ = 0;
    int caretCol_ = 0;
};

}  // namespace scene
