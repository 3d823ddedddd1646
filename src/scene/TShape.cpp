#include "scene/TShape.h"

#include <algorithm>
#include <cmath>
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

// The part of box that arcs of radii rx and ry in its corners leave whole: the
// rectangle whose corners meet the arcs halfway round, one pixel further in for
// the arcs' smoothed edge.
TRect Inscribed(const TRect& box, double rx, double ry) {
    const double inward = 1 - std::sqrt(0.5);
    const int dx = static_cast<int>(std::ceil(rx * inward)) + 1;
    const int dy = static_cast<int>(std::ceil(ry * inward)) + 1;
    const TRect r{box.Left + dx, box.Top + dy, box.Width - 2 * dx, box.Height - 2 * dy};
    return r.Empty() ? TRect{} : r;
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
    const TRect box = FigureBox();
    switch (shape_) {
        case TShapeType::stRectangle:
        case TShapeType::stSquare: return box;
        case TShapeType::stRoundRect:
        case TShapeType::stRoundSquare: return Inscribed(box, CornerSize() / 2.0, CornerSize() / 2.0);
        case TShapeType::stEllipse:
        case TShapeType::stCircle: return Inscribed(box, box.Width / 2.0, box.Height / 2.0);
    }
    return {};
}

void TShape::Paint(Painter& painter) {
    const TRect box = FigureBox();
    if (box.Empty()) return;
    switch (shape_) {
        case TShapeType::stRectangle:
        case TShapeType::stSquare: painter.DrawRect(box, pen_.Color, pen_.Width, brushColor_); break;
        case TShapeType::stRoundRect:
        case TShapeType::stRoundSquare:
            painter.DrawRoundRect(box, CornerSize(), CornerSize(), pen_.Color, pen_.Width, brushColor_);
            break;
        case TShapeType::stEllipse:
        case TShapeType::stCircle: painter.DrawEllipse(box, pen_.Color, pen_.Width, brushColor_); break;
    }
}

}  // namespace scene
