// A filled figure with an outline: rectangles, round rectangles, ellipses.
#pragma once

#include "scene/SceneElement.h"

namespace scene {

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    bool operator==(const TPen&) const = default;
};

class TShape : public SceneElement {
public:
    TShape(Form& owner, std::string name = {});

    bool IsWindowed() const override { return false; }
    void Paint(Painter& painter) override;
    // Rectangles and squares are filled edge to edge.
    TRect OpaqueRect() const override;

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType s);
    // Exactly the value last set; the shape is redrawn only when it differs.
    TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(TColor c);
    const TPen& Pen() const { return pen_; }
    void SetPen(const TPen& p);

    // The figure's box inside the element, after the pen and square-kind rules.
    TRect FigureBox() const;
    // Width and height of the ellipse each corner of a round kind is a quarter of.
    int CornerSize() const;

private:
    TShapeType shape_ = TShapeType::stRectangle;
    TColor brushColor_ = clWhite;
    TPen pen_;
};

}  // namespace scene
