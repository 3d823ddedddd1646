// Drawing primitives over a frame buffer, backed by Cairo and Pango. Element kinds
// decide what to draw; the painter knows how. Coordinates are in the frame's pixels.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "scene/Platform.h"
#include "scene/Types.h"

namespace scene {

class Picture;

struct TextOptions {
    TAlignment alignment = TAlignment::taLeftJustify;
    TTextLayout layout = TTextLayout::tlTop;
    bool wordWrap = false;
    bool showAccelChar = true;   // "&x" underlines x, "&&" is one "&"
};

struct TextSize {
    int width = 0, height = 0;
};

class Painter {
public:
    explicit Painter(const FrameBuffer& frame);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    // Clip and origin are a stack: Save() before, Restore() after.
    void Save();
    void Restore();
    void Translate(int dx, int dy);
    void ClipRect(const TRect& r);
    // Whether anything of r survives the current clip; lets callers skip work.
    bool Visible(const TRect& r) const;

    void FillRect(const TRect& r, TColor color);
    // A figure of the given kind on the box, outline along the inside with the pen.
    // roundW/roundH: the corner ellipse for round rectangles.
    void DrawRect(const TRect& box, TColor pen, int penWidth, TColor brush);
    void DrawRoundRect(const TRect& box, int roundW, int roundH, TColor pen, int penWidth, TColor brush);
    void DrawEllipse(const TRect& box, TColor pen, int penWidth, TColor brush);
    // Sunken 2-pixel border used by text fields and panels, or a raised one for buttons.
    void DrawEdge(const TRect& box, bool sunken);
    void DrawFocusRect(const TRect& box);
    void DrawLine(int x0, int y0, int x1, int y1, TColor color);

    // Text in the Windows-1252 bytes the game keeps, drawn inside box.
    void DrawText(const TRect& box, std::string_view cp1252, const TFont& font, const TextOptions& opts,
                  TColor colorOverride = 0xFFFFFFFF);
    // Picture scaled nearest-neighbour to box.
    void DrawPicture(const TRect& box, Picture& picture);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Measures text with the same fonts the painter uses; wrapWidth > 0 wraps at it.
TextSize MeasureText(std::string_view cp1252, const TFont& font, bool showAccelChar, int wrapWidth = 0);

}  // namespace scene
