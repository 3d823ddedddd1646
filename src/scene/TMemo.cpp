#include "scene/TMemo.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "scene/Cp1252.h"
#include "scene/Painter.h"

namespace scene {

namespace {

constexpr int kBorder = 2;  // the sunken edge
constexpr int kMargin = 2;  // between the edge and the text

std::string Printable(std::string cp1252) {
    // A tab moves the focus on instead; other control characters are not typed.
    std::erase_if(cp1252, [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
    return cp1252;
}

// The part of a line the panel can show. A character is at least a pixel wide,
// so a row of the panel holds at most `width` of them; a megabyte line is then
// laid out only as far as the rows of the panel reach, not to its end.
std::string_view ShownPart(const std::string& line, int width, int rows) {
    const std::size_t most = static_cast<std::size_t>(std::max(1, width)) * static_cast<std::size_t>(std::max(1, rows));
    return std::string_view(line).substr(0, most);
}

}  // namespace

TMemo::TMemo(Form& owner, std::string name) : TWinControl(owner, std::move(name), 185, 89) {}

void TMemo::AddLine(const std::string& cp1252) {
    lines_.push_back(cp1252);
    Invalidate();
}

void TMemo::Clear() {
    if (lines_.empty()) return;
    lines_.clear();
    caretLine_ = caretCol_ = 0;
    Invalidate();
}

void TMemo::SetLines(std::vector<std::string> lines) {
    if (lines == lines_) return;
    lines_ = std::move(lines);
    SetCaret(caretLine_, caretCol_);
    Invalidate();
}

void TMemo::SetCaret(int line, int column) {
    if (lines_.empty()) {
        caretLine_ = caretCol_ = 0;
    } else {
        caretLine_ = std::clamp(line, 0, static_cast<int>(lines_.size()) - 1);
        caretCol_ = std::clamp(column, 0, static_cast<int>(CurrentLine().size()));
    }
    Invalidate();
}

void TMemo::EnsureLine() {
    if (lines_.empty()) lines_.emplace_back();
}

void TMemo::TextInput(const std::string& utf8) {
    const std::string typed = Printable(Utf8ToCp1252(utf8));
    if (typed.empty()) return;
    EnsureLine();
    CurrentLine().insert(static_cast<std::size_t>(caretCol_), typed);
    caretCol_ += static_cast<int>(typed.size());
    Invalidate();
}

void TMemo::InsertLineBreak() {
    EnsureLine();
    std::string rest = CurrentLine().substr(static_cast<std::size_t>(caretCol_));
    CurrentLine().resize(static_cast<std::size_t>(caretCol_));
    lines_.insert(lines_.begin() + caretLine_ + 1, std::move(rest));
    ++caretLine_;
    caretCol_ = 0;
    Invalidate();
}

void TMemo::DeleteBack() {
    if (lines_.empty()) return;
    if (caretCol_ > 0) {
        CurrentLine().erase(static_cast<std::size_t>(caretCol_ - 1), 1);
        --caretCol_;
    } else if (caretLine_ > 0) {
        // Joins this line to the end of the one above.
        const std::string rest = std::move(CurrentLine());
        lines_.erase(lines_.begin() + caretLine_);
        --caretLine_;
        caretCol_ = static_cast<int>(CurrentLine().size());
        CurrentLine() += rest;
    }
    Invalidate();
}

void TMemo::DeleteForward() {
    if (lines_.empty()) return;
    if (caretCol_ < static_cast<int>(CurrentLine().size())) {
        CurrentLine().erase(static_cast<std::size_t>(caretCol_), 1);
    } else if (caretLine_ + 1 < static_cast<int>(lines_.size())) {
        CurrentLine() += lines_[static_cast<std::size_t>(caretLine_ + 1)];
        lines_.erase(lines_.begin() + caretLine_ + 1);
    }
    Invalidate();
}

bool TMemo::KeyDown(int key, unsigned mods) {
    if (mods & (kmCtrl | kmAlt)) return false;
    const int lineSize = lines_.empty() ? 0 : static_cast<int>(CurrentLine().size());
    switch (key) {
        case kReturn: InsertLineBreak(); return true;
        case kBackspace: DeleteBack(); return true;
        case kDelete: DeleteForward(); return true;
        case kLeft:
            if (caretCol_ > 0)
                SetCaret(caretLine_, caretCol_ - 1);
            else if (caretLine_ > 0)
                SetCaret(caretLine_ - 1, static_cast<int>(lines_[static_cast<std::size_t>(caretLine_ - 1)].size()));
            return true;
        case kRight:
            if (caretCol_ < lineSize)
                SetCaret(caretLine_, caretCol_ + 1);
            else if (caretLine_ + 1 < static_cast<int>(lines_.size()))
                SetCaret(caretLine_ + 1, 0);
            return true;
        case kUp: SetCaret(caretLine_ - 1, caretCol_); return true;
        case kDown: SetCaret(caretLine_ + 1, caretCol_); return true;
        case kHome: SetCaret(caretLine_, 0); return true;
        case kEnd: SetCaret(caretLine_, lineSize); return true;
        default: return false;
    }
}

int TMemo::TextWidth() const { return std::max(1, Width() - 2 * (kBorder + kMargin)); }

TRect TMemo::OpaqueRect() const { return {kBorder, kBorder, Width() - 2 * kBorder, Height() - 2 * kBorder}; }

void TMemo::Paint(Painter& painter) {
    const TRect outer{0, 0, Width(), Height()};
    painter.DrawEdge(outer, EdgeStyle::Sunken);
    const TRect inner{kBorder, kBorder, Width() - 2 * kBorder, Height() - 2 * kBorder};
    painter.FillRect(inner, clWindow);

    painter.Save();
    painter.ClipRect(inner);
    TextOptions options;
    options.showAccelChar = false;
    options.wordWrap = true;
    const int width = TextWidth();
    const int rowHeight = std::max(1, MeasureText({}, Font(), false).height);
    int y = kBorder;
    for (std::size_t i = 0; i < lines_.size() && y < inner.Bottom(); ++i) {
        const std::string_view line = ShownPart(lines_[i], width, (inner.Bottom() - y) / rowHeight + 1);
        const TextSize size = MeasureText(line, Font(), false, width);
        const TRect box{kBorder + kMargin, y, width, size.height};
        if (static_cast<int>(i) == caretLine_ && Focused() && caretCol_ <= static_cast<int>(line.size())) {
            const CaretPlace caret = CaretPlaceIn(line, Font(), caretCol_, width);
            painter.DrawLine(box.Left + caret.x, y + caret.y, box.Left + caret.x, y + caret.y + caret.height - 1,
                             clBlack);
        }
        painter.DrawText(box, line, Font(), options);
        y += size.height;
    }
    if (lines_.empty() && Focused()) {
        const TextSize line = MeasureText({}, Font(), false);
        painter.DrawLine(kBorder + kMargin, kBorder, kBorder + kMargin, kBorder + line.height - 1, clBlack);
    }
    painter.Restore();
}

}  // namespace scene
