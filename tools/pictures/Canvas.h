// Drawing helpers for the picture generator: owned Cairo surfaces, colours given the
// layout's way, rounded plates and Pango text with fixed font options so that every
// run draws the same pixels.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>

namespace pictures {

struct Rgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

// A colour written as the layout writes it: 0x00BBGGRR, blue in the high byte.
Rgb FromBgr(std::uint32_t bgr);
// A colour written the usual way: 0x00RRGGBB.
Rgb FromRgb(std::uint32_t rgb);
Rgb Mix(Rgb a, Rgb b, double t);
Rgb Scaled(Rgb c, double factor);

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

// A picture of the given pixel size, opaque or with alpha, with its drawing context.
class Canvas {
public:
    enum class Format { Opaque, WithAlpha };
    Canvas(int width, int height, Format format = Format::Opaque);

    int Width() const { return width_; }
    int Height() const { return height_; }
    cairo_t* Cr() const { return cr_.get(); }
    cairo_surface_t* Surface() const { return surface_.get(); }

private:
    int width_;
    int height_;
    SurfacePtr surface_;
    ContextPtr cr_;
};

// Maps a rectangle of window pixels onto the whole canvas, so that later drawing can
// use window coordinates and looks right once the picture is stretched to that rectangle.
void MapWindowRect(cairo_t* cr, const Canvas& canvas, double left, double top, double width, double height);

void SetColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void RoundedRect(cairo_t* cr, double x0, double y0, double x1, double y1, double radius);
void FillRect(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb c);
void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);

enum class Weight { Regular, Bold };
enum class Align { Left, Centre };

struct TextStyle {
    std::string family = "PT Sans";
    Weight weight = Weight::Bold;
    double pixelHeight = 12.0;  // the font's size in user units
    Rgb colour{1.0, 1.0, 1.0};
    double alpha = 1.0;
};

// Draws one line of UTF-8 text whose ink is centred on (cx, cy) in user units.
void DrawTextCentred(cairo_t* cr, const std::string& text, const TextStyle& style, double cx, double cy);
// The ink extent of a line of text: width and height in user units.
struct TextSize {
    double width = 0.0;
    double height = 0.0;
};
TextSize MeasureText(cairo_t* cr, const std::string& text, const TextStyle& style);

}  // namespace pictures
