#include "scene/TEdit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "scene/Application.h"
#include "scene/Cp1252.h"
#include "scene/Fonts.h"
#include "scene/Form.h"
#include "scene/Painter.h"

namespace scene {

namespace {

constexpr int kBorder = 2;  // the sunken edge
constexpr int kMargin = 1;  // between the edge and the text
constexpr TColor kHighlight = 0xD77800;
constexpr TColor kHighlightText = clWhite;

// Control characters never enter the field.
std::string Printable(std::string cp1252) {
    std::erase_if(cp1252, [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
    return cp1252;
}

// The clipboard's first line as the field takes it, at most `most` bytes of it,
// converted a piece at a time: a clipboard of gigabytes costs a scan for its
// first line end and the pieces the field keeps, not a copy of it all. A piece
// ends where a character begins, so the pieces convert as the whole would.
std::string PastedLine(std::string_view utf8, std::size_t most) {
    const auto* lf = static_cast<const char*>(std::memchr(utf8.data(), '\n', utf8.size()));
    const std::size_t toLf = lf ? static_cast<std::size_t>(lf - utf8.data()) : utf8.size();
    const auto* cr = static_cast<const char*>(std::memchr(utf8.data(), '\r', toLf));
    utf8 = utf8.substr(0, cr ? static_cast<std::size_t>(cr - utf8.data()) : toLf);
    constexpr std::size_t kPiece = 65536;
    std::string out;
    while (!utf8.empty() && out.size() < most) {
        std::size_t end = std::min(kPiece, utf8.size());
        while (end < utf8.size() && end > 1 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
        out += Printable(Utf8ToCp1252(utf8.substr(0, end)));
        utf8.remove_prefix(end);
    }
    if (out.size() > most) out.resize(most);
    return out;
}

}  // namespace

TEdit::TEdit(Form& owner, std::string name) : TWinControl(owner, std::move(name), 121, 25) {}

void TEdit::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    caret_ = anchor_ = 0;
    // The layout's own text is set while the window is being made: no change yet.
    if (Owner().Loaded()) {
        Changed();
        return;
    }
    ScrollToCaret();
    Invalidate();
}

int TEdit::SelStart() const { return std::min(caret_, anchor_); }
int TEdit::SelLength() const { return std::abs(caret_ - anchor_); }

void TEdit::SelectAll() {
    anchor_ = 0;
    MoveCaret(static_cast<int>(text_.size()), Extend::Yes);
}

void TEdit::FontChanged() {
    ScrollToCaret();
    Invalidate();
}

void TEdit::Changed() {
    ScrollToCaret();
    Invalidate();
    if (OnChange) OnChange(*this);
}

void TEdit::ReplaceSelection(const std::string& cp1252) {
    const int start = SelStart();
    // What does not fit within the limit is dropped, from its end.
    const std::size_t kept = text_.size() - static_cast<std::size_t>(SelLength());
    const std::string inserted = cp1252.substr(0, kTypedLimit - std::min(kept, kTypedLimit));
    const std::string next = text_.substr(0, static_cast<std::size_t>(start)) + inserted +
                             text_.substr(static_cast<std::size_t>(start + SelLength()));
    caret_ = anchor_ = start + static_cast<int>(inserted.size());
    if (next == text_) {
        ScrollToCaret();
        Invalidate();
        return;
    }
    text_ = next;
    Changed();
}

void TEdit::MoveCaret(int to, Extend extend) {
    caret_ = std::clamp(to, 0, static_cast<int>(text_.size()));
    if (extend == Extend::No) anchor_ = caret_;
    ScrollToCaret();
    Invalidate();
}

void TEdit::TextInput(const std::string& utf8) {
    const std::string typed = Printable(Utf8ToCp1252(utf8));
    if (!typed.empty()) ReplaceSelection(typed);
}

void TEdit::CopySelection() {
    if (SelLength() == 0) return;
    const std::string selected =
        text_.substr(static_cast<std::size_t>(SelStart()), static_cast<std::size_t>(SelLength()));
    Owner().App().GetPlatform().SetClipboardText(Cp1252ToUtf8(selected));
}

void TEdit::Paste() {
    const std::string pasted = PastedLine(Owner().App().ClipboardText(), kTypedLimit);
    if (!pasted.empty() || SelLength() > 0) ReplaceSelection(pasted);
}

bool TEdit::KeyDown(int key, unsigned mods) {
    const Extend extend = (mods & kmShift) ? Extend::Yes : Extend::No;
    const bool ctrl = (mods & kmCtrl) != 0;
    const int size = static_cast<int>(text_.size());
    switch (key) {
        case kLeft: MoveCaret(extend == Extend::No && SelLength() > 0 ? SelStart() : caret_ - 1, extend); return true;
        case kRight:
            MoveCaret(extend == Extend::No && SelLength() > 0 ? SelStart() + SelLength() : caret_ + 1, extend);
            return true;
        case kHome: MoveCaret(0, extend); return true;
        case kEnd: MoveCaret(size, extend); return true;
        case kBackspace:
            if (SelLength() == 0 && caret_ > 0) anchor_ = caret_ - 1;
            if (SelLength() > 0) ReplaceSelection({});
            return true;
        case kDelete:
            if (extend == Extend::Yes) {  // Shift+Delete cuts
                CopySelection();
            } else if (SelLength() == 0 && caret_ < size) {
                anchor_ = caret_ + 1;
            }
            if (SelLength() > 0) ReplaceSelection({});
            return true;
        default: break;
    }
    if (!ctrl || (mods & kmAlt)) return false;
    switch (key) {
        case 'a': SelectAll(); return true;
        case 'c': CopySelection(); return true;
        case 'x':
            CopySelection();
            if (SelLength() > 0) ReplaceSelection({});
            return true;
        case 'v': Paste(); return true;
        default: return false;
    }
}

TRect TEdit::TextBox() const {
    const int inset = kBorder + kMargin;
    return {inset, kBorder, Width() - 2 * inset, Height() - 2 * kBorder};
}

int TEdit::IndexAt(int x) const { return CaretIndexAt(text_, Font(), x - TextBox().Left + scroll_); }

void TEdit::ScrollToCaret() {
    const int visible = std::max(0, TextBox().Width);
    const int caretX = CaretOffset(text_, Font(), caret_);
    const int textWidth = CaretOffset(text_, Font(), static_cast<int>(text_.size()));
    if (caretX - scroll_ > visible - 1) scroll_ = caretX - visible + 1;
    if (caretX < scroll_) scroll_ = caretX;
    // Never leave blank room on the right while text is hidden on the left.
    scroll_ = std::clamp(scroll_, 0, std::max(0, textWidth - visible + 1));
}

void TEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft) {
        dragging_ = true;
        MoveCaret(IndexAt(x), (shift & ssShift) ? Extend::Yes : Extend::No);
    }
    TWinControl::MouseDown(button, shift, x, y);
}

void TEdit::MouseMove(TShiftState shift, int x, int y) {
    if (dragging_) MoveCaret(IndexAt(x), Extend::Yes);
    TWinControl::MouseMove(shift, x, y);
}

void TEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft) dragging_ = false;
    TWinControl::MouseUp(button, shift, x, y);
}

void TEdit::FocusIn(FocusCause cause) {
    if (cause == FocusCause::Keyboard) SelectAll();
    TWinControl::FocusIn(cause);
}

void TEdit::Paint(Painter& painter) {
    const TRect outer{0, 0, Width(), Height()};
    painter.DrawEdge(outer, EdgeStyle::Sunken);
    const TRect inner{kBorder, kBorder, Width() - 2 * kBorder, Height() - 2 * kBorder};
    painter.FillRect(inner, Enabled() ? clWindow : clBtnFace);

    const TRect box = TextBox();
    TextOptions options;
    options.showAccelChar = false;
    options.layout = TTextLayout::tlCenter;
    const int textWidth = CaretOffset(text_, Font(), static_cast<int>(text_.size()));
    const TRect line{box.Left - scroll_, box.Top, std::max(textWidth, 1) + 1, box.Height};

    painter.Save();
    painter.ClipRect(inner);
    painter.DrawText(line, text_, Font(), options, Enabled() ? Painter::kNoColor : clBtnShadow);
    if (Focused() && SelLength() > 0) {
        const int x0 = line.Left + CaretOffset(text_, Font(), SelStart());
        const int x1 = line.Left + CaretOffset(text_, Font(), SelStart() + SelLength());
        const TRect selection{x0, box.Top, x1 - x0, box.Height};
        painter.FillRect(selection, kHighlight);
        painter.ClipRect(selection);
        painter.DrawText(line, text_, Font(), options, kHighlightText);
    } else if (Focused()) {
        const int x = line.Left + CaretOffset(text_, Font(), caret_);
        const int height = std::min(box.Height, MetricsOf(Font()).cellHeight);
        const int top = box.Top + (box.Height - height) / 2;
        painter.DrawLine(x, top, x, top + height - 1, clBlack);
    }
    painter.Restore();
}

}  // namespace scene
