// Drawing primitives over a frame buffer, backed by Cairo and Pango. Element kinds
// decide what to draw; the painter knows how. Coordinates are layout pixels,
// moved by Translate and cut by ClipRect; the frame holds device pixels, as many
// to a layout pixel as the display scale says.
//
// Axis-aligned rectangles are written straight into the frame's pixels, each
// layout pixel as the block of device pixels it covers, so they are exact to the
// pixel and cheap; round figures and text go through Cairo and Pango at the
// device's density and are anti-aliased. Text is laid out at the layout's own
// density, so it measures the same at every scale. Shapes are drawn in
// PainterShapes.cpp, text in PainterText.cpp, pictures in PainterPictures.cpp.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "scene/DisplayScale.h"
#include "scene/Platform.h"
#include "scene/Types.h"

namespace scene {

class Picture;

enum class TextLook { Normal, Greyed };
enum class EdgeStyle { Sunken, Raised };

struct TextOptions {
    TAlignment alignment = TAlignment::taLeftJustify;
    TTextLayout layout = TTextLayout::tlTop;
    bool wordWrap = false;
    bool showAccelChar = true;  // "&x" underlines x, "&&" is one "&"
    // Greyed: drawn once one pixel right and down in clBtnHighlight, then in place in clBtnShadow.
    TextLook look = TextLook::Normal;
};

struct TextSize {
    int width = 0, height = 0;
};

// How a picture's pixels are mapped to a box.
enum class PictureFit { Stretch, NaturalSize };

class Painter {
public:
    explicit Painter(const FrameBuffer& frame, DisplayScale scale = {});
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    // Clip and origin are a stack: Save() before, Restore() after.
    void Save();
    void Restore();
    void Translate(int dx, int dy);
    // Narrows the clip to r (in current coordinates).
    void ClipRect(const TRect& r);
    // Narrows the clip to r in the frame's own device pixels.
    void ClipDeviceRect(const TRect& r);
    // Whether anything of r survives the current clip; lets callers skip work.
    bool Visible(const TRect& r) const;

    void FillRect(const TRect& r, TColor color);
    // Figures on a box, outline of the pen's width along the inside, filled with the brush.
    void DrawRect(const TRect& box, TColor pen, int penWidth, TColor brush);
    // roundW x roundH is the ellipse each corner is a quarter of.
    void DrawRoundRect(const TRect& box, int roundW, int roundH, TColor pen, int penWidth, TColor brush);
    void DrawEllipse(const TRect& box, TColor pen, int penWidth, TColor brush);
    // Two-pixel bevel: sunken for text fields and panels, raised for buttons.
    void DrawEdge(const TRect& box, EdgeStyle style);
    void DrawEdge(const TRect& box, bool sunken) { DrawEdge(box, sunken ? EdgeStyle::Sunken : EdgeStyle::Raised); }
    // Dotted outline that inverts the pixels under it.
    void DrawFocusRect(const TRect& box);
    // A one-pixel line from (x0, y0) to (x1, y1), both ends included.
    void DrawLine(int x0, int y0, int x1, int y1, TColor color);

    // Text in the Windows-1252 bytes the game keeps, drawn and clipped inside box.
    // colorOverride, when not kNoColor, replaces the font's colour.
    static constexpr TColor kNoColor = 0xFFFFFFFF;
    void DrawText(const TRect& box, std::string_view cp1252, const TFont& font, const TextOptions& opts,
                  TColor colorOverride = kNoColor);
    // Opaque picture on box, scaled nearest-neighbour (Stretch) or at its own size
    // from box's top-left corner (NaturalSize). Decodes the picture on first use.
    void DrawPicture(const TRect& box, Picture& picture, PictureFit fit = PictureFit::Stretch);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Readies a text that DrawText is about to draw in box (the frame's layout
// pixels) at scale: laid out and drawn into the cache now, it costs no text work
// when drawn. For counts whose next values are known; draws nothing.
void PrepareText(const TRect& frameBox, std::string_view cp1252, const TFont& font, const TextOptions& opts,
                 DisplayScale scale, TColor colorOverride = Painter::kNoColor);

// The text library's share of text so far, its costly part: layouts made and
// texts drawn through it (a kept text's image is blended in without it).
struct TextWork {
    std::size_t layouts = 0, drawings = 0;
    bool operator==(const TextWork&) const = default;
};
TextWork TextWorkDone();

// Measures text with the same fonts the painter uses; wrapWidth > 0 wraps at it.
// An empty text measures as one space: a space wide, one line high.
TextSize MeasureText(std::string_view cp1252, const TFont& font, bool showAccelChar, int wrapWidth = 0);

// For one line of text without accelerators: the x offset of the caret before
// byte index (0..size), and the caret index nearest to x.
int CaretOffset(std::string_view cp1252, const TFont& font, int index);
int CaretIndexAt(std::string_view cp1252, const TFont& font, int x);

// The caret before byte index of a text wrapped at wrapWidth (> 0), without
// accelerators: its top-left point and height.
struct CaretPlace {
    int x = 0, y = 0, height = 0;
};
CaretPlace CaretPlaceIn(std::string_view cp1252, const TFont& font, int index, int wrapWidth);

}  // namespace scene
