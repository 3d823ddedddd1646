#include "pictures/Canvas.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace pictures {

namespace {

struct GObjectDeleter {
    void operator()(void* object) const { g_object_unref(object); }
};
struct FontDescriptionDeleter {
    void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
struct FontOptionsDeleter {
    void operator()(cairo_font_options_t* o) const { cairo_font_options_destroy(o); }
};
using LayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;

double Channel(std::uint32_t value, int shift) { return static_cast<double>((value >> shift) & 0xFFu) / 255.0; }

// Hinting would snap glyphs to the device grid, which differs between pictures drawn
// through a stretch; without it every picture renders the same glyph outlines.
LayoutPtr MakeLayout(cairo_t* cr, const std::string& text, const TextStyle& style) {
    LayoutPtr layout(pango_cairo_create_layout(cr));
    std::unique_ptr<cairo_font_options_t, FontOptionsDeleter> options(cairo_font_options_create());
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout.get()), options.get());
    pango_layout_context_changed(layout.get());

    std::unique_ptr<PangoFontDescription, FontDescriptionDeleter> font(pango_font_description_new());
    pango_font_description_set_family(font.get(), style.family.c_str());
    pango_font_description_set_weight(font.get(),
                                      style.weight == Weight::Bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(font.get(), style.pixelHeight * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), font.get());
    pango_layout_set_text(layout.get(), text.c_str(), static_cast<int>(text.size()));
    return layout;
}

PangoRectangle InkExtent(PangoLayout* layout) {
    PangoRectangle ink{};
    pango_layout_get_extents(layout, &ink, nullptr);
    return ink;
}

}  // namespace

Rgb FromBgr(std::uint32_t bgr) { return {Channel(bgr, 0), Channel(bgr, 8), Channel(bgr, 16)}; }

Rgb FromRgb(std::uint32_t rgb) { return {Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0)}; }

Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Rgb Scaled(Rgb c, double factor) {
    auto clamp = [](double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); };
    return {clamp(c.r * factor), clamp(c.g * factor), clamp(c.b * factor)};
}

Canvas::Canvas(int width, int height, Format format)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(format == Format::Opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, width,
                                          height)),
      cr_(cairo_create(surface_.get())) {
    if (cairo_surface_status(surface_.get()) != CAIRO_STATUS_SUCCESS ||
        cairo_status(cr_.get()) != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error("cannot make a drawing surface of " + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels");
    }
}

void MapWindowRect(cairo_t* cr, const Canvas& canvas, double left, double top, double width, double height) {
    cairo_identity_matrix(cr);
    cairo_scale(cr, canvas.Width() / width, canvas.Height() / height);
    cairo_translate(cr, -left, -top);
}

void SetColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void RoundedRect(cairo_t* cr, double x0, double y0, double x1, double y1, double radius) {
    constexpr double kQuarter = std::numbers::pi / 2.0;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x1 - radius, y0 + radius, radius, -kQuarter, 0.0);
    cairo_arc(cr, x1 - radius, y1 - radius, radius, 0.0, kQuarter);
    cairo_arc(cr, x0 + radius, y1 - radius, radius, kQuarter, 2.0 * kQuarter);
    cairo_arc(cr, x0 + radius, y0 + radius, radius, 2.0 * kQuarter, 3.0 * kQuarter);
    cairo_close_path(cr);
}

void FillRect(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb c) {
    SetColour(cr, c);
    cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
    cairo_fill(cr);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * std::numbers::pi);
    cairo_restore(cr);
}

void DrawTextCentred(cairo_t* cr, const std::string& text, const TextStyle& style, double cx, double cy) {
    LayoutPtr layout = MakeLayout(cr, text, style);
    const PangoRectangle ink = InkExtent(layout.get());
    const double inkX = static_cast<double>(ink.x) / PANGO_SCALE;
    const double inkY = static_cast<double>(ink.y) / PANGO_SCALE;
    const double inkW = static_cast<double>(ink.width) / PANGO_SCALE;
    const double inkH = static_cast<double>(ink.height) / PANGO_SCALE;
    cairo_move_to(cr, cx - inkX - inkW / 2.0, cy - inkY - inkH / 2.0);
    SetColour(cr, style.colour, style.alpha);
    pango_cairo_show_layout(cr, layout.get());
}

TextSize MeasureText(cairo_t* cr, const std::string& text, const TextStyle& style) {
    LayoutPtr layout = MakeLayout(cr, text, style);
    const PangoRectangle ink = InkExtent(layout.get());
    return {static_cast<double>(ink.width) / PANGO_SCALE, static_cast<double>(ink.height) / PANGO_SCALE};
}

}  // namespace pictures
