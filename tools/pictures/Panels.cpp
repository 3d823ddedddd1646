// The shop panel and the two bars. Each is drawn in window coordinates over the
// rectangle where the layout stretches it, so plates land exactly under their labels.
#include "pictures/Drawings.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace pictures {

namespace {

const Rgb kPanelGrey = FromBgr(0x323232);
const Rgb kWhite = FromRgb(0xFFFFFF);
const Rgb kBlack = FromRgb(0x000000);

struct Box {
    double x0 = 0.0;
    double y0 = 0.0;
    double x1 = 0.0;
    double y1 = 0.0;
};

// The dark background with a faint vertical sheen, so the panels do not look flat.
void FillPanel(cairo_t* cr, Box area) {
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0.0, area.y0, 0.0, area.y1);
    cairo_pattern_add_color_stop_rgb(sheen, 0.0, 0.23, 0.23, 0.23);
    cairo_pattern_add_color_stop_rgb(sheen, 0.5, kPanelGrey.r, kPanelGrey.g, kPanelGrey.b);
    cairo_pattern_add_color_stop_rgb(sheen, 1.0, 0.17, 0.17, 0.17);
    cairo_set_source(cr, sheen);
    cairo_rectangle(cr, area.x0, area.y0, area.x1 - area.x0, area.y1 - area.y0);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen);
}

// A soft shadow falling down and to the right, built from a few translucent layers.
void DropShadow(cairo_t* cr, Box plate, double radius, double depth) {
    for (int layer = 3; layer >= 1; --layer) {
        const double grow = depth * layer / 3.0;
        RoundedRect(cr, plate.x0 - grow * 0.3 + depth * 0.4, plate.y0 - grow * 0.3 + depth * 0.6,
                    plate.x1 + grow * 0.6 + depth * 0.4, plate.y1 + grow + depth * 0.2, radius + grow);
        SetColour(cr, kBlack, 0.10);
        cairo_fill(cr);
    }
}

struct GradientStop {
    double offset, r, g, b;
};

// A rounded plate on its shadow, filled top to bottom through the stops and outlined.
void Plate(cairo_t* cr, Box plate, double radius, double shadow, std::initializer_list<GradientStop> stops,
           std::uint32_t edge) {
    DropShadow(cr, plate, radius, shadow);
    RoundedRect(cr, plate.x0, plate.y0, plate.x1, plate.y1, radius);
    cairo_pattern_t* body = cairo_pattern_create_linear(0.0, plate.y0, 0.0, plate.y1);
    for (const GradientStop& s : stops) cairo_pattern_add_color_stop_rgb(body, s.offset, s.r, s.g, s.b);
    cairo_set_source(cr, body);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(body);
    SetColour(cr, FromRgb(edge));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

// A white plate for dark text: a hint of grey at the bottom edge gives it some body.
void WhitePlate(cairo_t* cr, Box plate, double radius) {
    Plate(cr, plate, radius, 2.0, {{0.0, 1.0, 1.0, 1.0}, {0.75, 1.0, 1.0, 1.0}, {1.0, 0.90, 0.90, 0.91}}, 0xB8B8B8);
}

// A dark plate for white text, lit from above.
void DarkPlate(cairo_t* cr, Box plate, double radius) {
    Plate(cr, plate, radius, 2.5, {{0.0, 0.32, 0.32, 0.33}, {0.45, 0.22, 0.22, 0.23}, {1.0, 0.16, 0.16, 0.17}},
          0x141414);
    RoundedRect(cr, plate.x0 + 1.5, plate.y0 + 1.5, plate.x1 - 1.5, plate.y1 - 1.5, radius - 1.5);
    SetColour(cr, kWhite, 0.12);
    cairo_stroke(cr);
}

void TitleBox(cairo_t* cr, Box box) {
    const Rgb left = FromBgr(0xBA9344);
    const Rgb right = FromBgr(0xD8B282);
    RoundedRect(cr, box.x0, box.y0, box.x1, box.y1, 4.0);
    cairo_pattern_t* blue = cairo_pattern_create_linear(box.x0, 0.0, box.x1, 0.0);
    cairo_pattern_add_color_stop_rgb(blue, 0.0, left.r, left.g, left.b);
    cairo_pattern_add_color_stop_rgb(blue, 1.0, right.r, right.g, right.b);
    cairo_set_source(cr, blue);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(blue);
    SetColour(cr, FromRgb(0x1E4A66));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);

    DrawSquaresLogo(cr, box.x0 + 9.0, box.y0 + 10.0, box.x0 + 43.0, box.y0 + 44.0, FromRgb(0x1F2A33), kWhite);

    TextStyle title{.family = "PT Sans", .weight = Weight::Bold, .pixelHeight = 40.0, .colour = kWhite};
    const double titleX = (box.x0 + 48.0 + box.x1) / 2.0;
    TextStyle shadow = title;
    shadow.colour = FromRgb(0x1A3D55);
    shadow.alpha = 0.55;
    DrawTextCentred(cr, "Swoopy!", shadow, titleX + 1.5, box.y0 + 35.0);
    DrawTextCentred(cr, "Swoopy!", title, titleX, box.y0 + 33.5);

    TextStyle motto{.family = "PT Sans", .weight = Weight::Bold, .pixelHeight = 12.5, .colour = kWhite};
    DrawTextCentred(cr, "catch the black, dodge the red", motto, (box.x0 + box.x1) / 2.0, box.y1 - 17.0);
}

// The beige inset looks pressed into the panel: dark on its upper and left edge.
void BeigeInset(cairo_t* cr, Box inset) {
    FillRect(cr, inset.x0, inset.y0, inset.x1, inset.y1, FromBgr(0xC9DEDF));
    cairo_set_line_width(cr, 2.0);
    SetColour(cr, FromRgb(0x1C1C1C));
    cairo_move_to(cr, inset.x0 + 1.0, inset.y1);
    cairo_line_to(cr, inset.x0 + 1.0, inset.y0 + 1.0);
    cairo_line_to(cr, inset.x1, inset.y0 + 1.0);
    cairo_stroke(cr);
    SetColour(cr, FromRgb(0x5A5A5A));
    cairo_move_to(cr, inset.x1 - 1.0, inset.y0 + 2.0);
    cairo_line_to(cr, inset.x1 - 1.0, inset.y1 - 1.0);
    cairo_line_to(cr, inset.x0 + 2.0, inset.y1 - 1.0);
    cairo_stroke(cr);
}

}  // namespace

void DrawSquaresLogo(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb back, Rgb front) {
    // Two squares offset by under half their side, centred in the box as one group.
    const double side = 0.7 * std::min(x1 - x0, y1 - y0);
    const double offset = 0.45 * side;
    const double left = (x0 + x1 - side - offset) / 2.0;
    const double top = (y0 + y1 - side - offset) / 2.0;
    const double radius = side * 0.12;
    const Rgb outline = FromRgb(0x9A9A9A);
    cairo_set_line_width(cr, 1.0);
    RoundedRect(cr, left, top, left + side, top + side, radius);
    SetColour(cr, back);
    cairo_fill_preserve(cr);
    SetColour(cr, outline);
    cairo_stroke(cr);
    const Box covering{left + offset, top + offset, left + offset + side, top + offset + side};
    DropShadow(cr, covering, radius, 1.5);
    RoundedRect(cr, covering.x0, covering.y0, covering.x1, covering.y1, radius);
    SetColour(cr, front);
    cairo_fill_preserve(cr);
    SetColour(cr, outline);
    cairo_stroke(cr);
}

Canvas DrawShopPanel() {
    Canvas canvas(600, 1200);
    cairo_t* cr = canvas.Cr();
    MapWindowRect(cr, canvas, 885.0, 0.0, 233.0, 513.0);
    FillPanel(cr, {885.0, 0.0, 1118.0, 513.0});
    TitleBox(cr, {900.0, 14.0, 1106.0, 108.0});
    BeigeInset(cr, {900.0, 123.0, 1105.0, 497.0});
    for (const double top : {140.0, 223.0, 305.0, 387.0}) {
        DarkPlate(cr, {912.0, top, 1092.0, top + 60.0}, 10.0);
    }
    DarkPlate(cr, {943.0, 456.0, 1061.0, 490.0}, 8.0);
    return canvas;
}

Canvas DrawTopBar() {
    Canvas canvas(1600, 500);
    cairo_t* cr = canvas.Cr();
    MapWindowRect(cr, canvas, 296.0, 0.0, 305.0, 73.0);
    FillPanel(cr, {296.0, 0.0, 601.0, 73.0});
    // A lighter rim along the bar's three open edges sets it off from the playfield.
    SetColour(cr, FromRgb(0x5C5C5C));
    cairo_set_line_width(cr, 2.0);
    cairo_move_to(cr, 297.0, 0.0);
    cairo_line_to(cr, 297.0, 72.0);
    cairo_line_to(cr, 600.0, 72.0);
    cairo_line_to(cr, 600.0, 0.0);
    cairo_stroke(cr);
    WhitePlate(cr, {315.0, 17.0, 577.0, 59.0}, 10.0);
    return canvas;
}

Canvas DrawBottomBar() {
    Canvas canvas(1600, 300);
    cairo_t* cr = canvas.Cr();
    MapWindowRect(cr, canvas, -10.0, 506.0, 1121.0, 105.0);
    FillPanel(cr, {-10.0, 506.0, 1111.0, 611.0});
    SetColour(cr, FromRgb(0x5C5C5C));
    cairo_set_line_width(cr, 2.0);
    cairo_move_to(cr, -10.0, 507.0);
    cairo_line_to(cr, 1111.0, 507.0);
    cairo_stroke(cr);
    WhitePlate(cr, {28.0, 528.0, 466.0, 588.0}, 12.0);
    WhitePlate(cr, {499.0, 528.0, 937.0, 588.0}, 12.0);
    DrawSquaresLogo(cr, 991.0, 537.0, 1049.0, 579.0, kWhite, kBlack);
    return canvas;
}

}  // namespace pictures
