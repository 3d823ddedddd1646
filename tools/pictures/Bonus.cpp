// The five bonus pictures: a diagonal colour gradient with a big black numeral that
// tells the player the order of clicks, even when drawn at only 65 pixels.
#include "pictures/Drawings.h"

#include <array>
#include <stdexcept>

namespace pictures {

namespace {

struct BonusColours {
    std::uint32_t lightBgr = 0;
    std::uint32_t darkBgr = 0;
};

// Light at the top-left corner, dark at the bottom-right, as the layout gives them.
constexpr std::array<BonusColours, 5> kBonusColours{{
    {0x32FE33, 0x00B801},  // green
    {0xFF67FF, 0xBF00BD},  // magenta
    {0xFF6500, 0xA54E00},  // blue
    {0x45FFFF, 0x00E3E0},  // yellow
    {0x6866FF, 0x0201CD},  // red
}};

void Gradient(cairo_t* cr, double side, Rgb light, Rgb dark) {
    cairo_pattern_t* diagonal = cairo_pattern_create_linear(0.0, 0.0, side, side);
    cairo_pattern_add_color_stop_rgb(diagonal, 0.0, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(diagonal, 1.0, dark.r, dark.g, dark.b);
    cairo_set_source(cr, diagonal);
    cairo_paint(cr);
    cairo_pattern_destroy(diagonal);
}

// A bevel along the edges, lit from the top-left like the gradient, makes it a button.
void Bevel(cairo_t* cr, double side, Rgb light, Rgb dark) {
    const double width = side * 0.035;
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    SetColour(cr, Mix(light, FromRgb(0xFFFFFF), 0.55), 0.8);
    cairo_move_to(cr, width / 2.0, side - width);
    cairo_line_to(cr, width / 2.0, width / 2.0);
    cairo_line_to(cr, side - width, width / 2.0);
    cairo_stroke(cr);
    SetColour(cr, Scaled(dark, 0.55), 0.8);
    cairo_move_to(cr, side - width / 2.0, width);
    cairo_line_to(cr, side - width / 2.0, side - width / 2.0);
    cairo_line_to(cr, width, side - width / 2.0);
    cairo_stroke(cr);
}

void Numeral(cairo_t* cr, double side, int number) {
    const std::string text = std::to_string(number) + ".";
    TextStyle style{
        .family = "PT Sans", .weight = Weight::Bold, .pixelHeight = side * 0.78, .colour = FromRgb(0x000000)};
    const double centre = side / 2.0;
    // The faint shadow: several offset copies, weakest farthest out, read as a soft blur.
    TextStyle shadow = style;
    shadow.alpha = 0.07;
    for (int step = 4; step >= 1; --step) {
        const double offset = side * 0.009 * step + side * 0.006;
        DrawTextCentred(cr, text, shadow, centre + offset, centre + offset);
    }
    DrawTextCentred(cr, text, style, centre, centre);
}

}  // namespace

Canvas DrawBonus(int number) {
    if (number < 1 || number > static_cast<int>(kBonusColours.size())) {
        throw std::invalid_argument("no bonus picture numbered " + std::to_string(number));
    }
    constexpr int kSide = 1000;
    Canvas canvas(kSide, kSide);
    cairo_t* cr = canvas.Cr();
    const BonusColours& colours = kBonusColours[static_cast<std::size_t>(number - 1)];
    const Rgb light = FromBgr(colours.lightBgr);
    const Rgb dark = FromBgr(colours.darkBgr);
    Gradient(cr, kSide, light, dark);
    Bevel(cr, kSide, light, dark);
    Numeral(cr, kSide, number);
    return canvas;
}

}  // namespace pictures
