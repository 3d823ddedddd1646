#include "scene/TShape.h"

#include <algorithm>
#include <utility>

#include "scene/Painter.h"

namespace scene {

namespace {

bool IsSquareKind(TShapeType s) {
    return s == TShapeType::stSquare || s == TShapeType::stRoundSquare || s == TShapeType::stCircle;
}

// The box before the square kinds are squared: the pen's width stays inside the element.
TRect PenBox(int width, int height, int pen) {
    int w = width - pen + 1;
    int h = height - pen + 1;
    if (pen == 0) {
        --w;
        --h;
    }
    return {pen / 2, pen / 2, w, h};
}

}  // namespace

TShape::TShape(Form& owner, std::string name) : SceneElement(owner, std::move(name), 65, 65) {}

void TShape::SetShape(TShapeType s) {
    if (s == shape_) return;
    shape_ = s;
    Invalidate();
}

void TShape::SetBrushColor(TColor c) {
    if (c == brushColor_) return;
    brushColor_ = c;
    Invalidate();
}

void TShape::SetPen(const TPen& p) {
    if (p == pen_) return;
    pen_ = p;
    Invalidate();
}

TRect TShape::FigureBox() const {
    TRect box = PenBox(Width(), Height(), pen_.Width);
    if (IsSquareKind(shape_)) {
        const int s = std::min(box.Width, box.Height);
        box.Left += (box.Width - s) / 2;
        box.Top += (box.Height - s) / 2;
        box.Width = box.Height = s;
    }
    return box;
}

int TShape::CornerSize() const {
    const TRect box = PenBox(Width(), Height(), pen_.Width);
    return std::min(box.Width, box.Height) / 4;
}

TRect TShape::OpaqueRect() const {
    const bool square = shape_ == TShapeType::stRectangle || shape_ == TShapeType::stSquare;
    return square ? FigureBox() : TRect{};
}

void TShape::Paint(Painter& painter) {
    const TRect box = FigureBox();
    if (box.Empty()) return;
    switch (shape_) {
        case TShapeType::stRectangle:
        case TShapeType::stSquare:
            painter.DrawRect(box, pen_.Color, pen_.Width, brushColor_);
            break;
        case TShapeType::stRoundRect:
        case TShapeType::stRoundSquare:
            painter.DrawRoundRect(box, CornerSize(), CornerSize(), pen_.Color, pen_.Width, brushColor_);
            break;
        case TShapeType::stEllipse:
        case TShapeType::stCircle:
            painter.DrawEllipse(box, pen_.Color, pen_.Width, brushColor_);
            break;
    }
}

}  // namespace scene
