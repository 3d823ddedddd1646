#include "scene/TLabel.h"

#include <utility>

#include "scene/Form.h"

namespace scene {

TLabel::TLabel(Form& owner, std::string name) : SceneElement(owner, std::move(name), 65, 17), color_(owner.Color) {}

template <typename T>
void TLabel::Change(T& field, T value, bool remeasure) {
    if (field == value) return;
    field = value;
    if (remeasure) AdjustSize();
    Invalidate();
}

void TLabel::SetCaption(const std::string& text) { Change(caption_, text, true); }
void TLabel::SetAlignment(TAlignment a) { Change(options_.alignment, a, false); }
void TLabel::SetLayout(TTextLayout l) { Change(options_.layout, l, false); }
void TLabel::SetWordWrap(bool w) { Change(options_.wordWrap, w, true); }
void TLabel::SetShowAccelChar(bool s) { Change(options_.showAccelChar, s, true); }
void TLabel::SetAutoSize(bool a) { Change(autoSize_, a, true); }
void TLabel::SetTransparent(bool t) { Change(transparent_, t, false); }
void TLabel::SetColor(TColor c) { Change(color_, c, false); }

void TLabel::FontChanged() {
    AdjustSize();
    Invalidate();
}

void TLabel::Loaded() { AdjustSize(); }

TRect TLabel::BoundsFor(const std::string& text) const {
    if (!autoSize_) return BoundsRect();
    const TextSize size = MeasureText(text, Font(), options_.showAccelChar, options_.wordWrap ? Width() : 0);
    // A right-justified label grows to the left: its right edge stays.
    const int left = options_.alignment == TAlignment::taRightJustify ? Left() + Width() - size.width : Left();
    return {left, Top(), size.width, size.height};
}

void TLabel::AdjustSize() {
    if (!autoSize_) return;
    const TRect bounds = BoundsFor(caption_);
    SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
}

TextOptions TLabel::DrawnOptions() const {
    TextOptions options = options_;
    options.look = Enabled() ? TextLook::Normal : TextLook::Greyed;
    return options;
}

void TLabel::Paint(Painter& painter) {
    const TRect box{0, 0, Width(), Height()};
    if (!transparent_) painter.FillRect(box, color_);
    painter.DrawText(box, caption_, Font(), DrawnOptions());
}

void TLabel::PrepareCaption(const std::string& text) const {
    PrepareText(BoundsFor(text), text, Font(), DrawnOptions(), Owner().Scale());
}

}  // namespace scene
