// The end picture: an illustrated sunny seaside promenade with palm trees and a group
// of cheerful bathers, over a dark band with the closing words.
#include "pictures/Drawings.h"

#include <array>
#include <cmath>
#include <numbers>

namespace pictures {

namespace {

constexpr double kWidth = 343.0;
constexpr double kHeight = 480.0;
constexpr double kBandTop = 384.0;  // the bottom fifth carries the closing words
constexpr double kHorizon = 168.0;
constexpr double kShore = 236.0;
constexpr double kWallTop = 282.0;
constexpr double kPavingTop = 296.0;
constexpr double kPi = std::numbers::pi;

const Rgb kWhite = FromRgb(0xFFFFFF);
const Rgb kInk = FromRgb(0x2B2B2B);

// A small generator of our own with a fixed seed, so the scattered details never move.
class Scatter {
public:
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24);
    }
    double Between(double low, double high) { return low + (high - low) * Next(); }

private:
    std::uint32_t state_ = 20240611u;
};

void LinearFill(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom) {
    cairo_pattern_t* fill = cairo_pattern_create_linear(0.0, y0, 0.0, y1);
    cairo_pattern_add_color_stop_rgb(fill, 0.0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(fill, 1.0, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, fill);
    cairo_rectangle(cr, 0.0, y0, kWidth, y1 - y0);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
}

void Cloud(cairo_t* cr, double x, double y, double size) {
    const std::array<std::array<double, 3>, 5> puffs{{
        {-1.0, 0.15, 0.55},
        {-0.35, -0.25, 0.75},
        {0.4, -0.1, 0.65},
        {1.0, 0.2, 0.45},
        {0.0, 0.3, 0.6},
    }};
    SetColour(cr, FromRgb(0xB9D9EE), 0.7);
    for (const auto& p : puffs) {
        Ellipse(cr, x + p[0] * size, y + p[1] * size + size * 0.12, p[2] * size, p[2] * size * 0.8);
    }
    cairo_fill(cr);
    SetColour(cr, kWhite);
    for (const auto& p : puffs) {
        Ellipse(cr, x + p[0] * size, y + p[1] * size, p[2] * size, p[2] * size * 0.8);
    }
    cairo_fill(cr);
}

void Sun(cairo_t* cr, double x, double y, double radius) {
    cairo_pattern_t* glow = cairo_pattern_create_radial(x, y, radius * 0.8, x, y, radius * 3.0);
    cairo_pattern_add_color_stop_rgba(glow, 0.0, 1.0, 0.95, 0.6, 0.7);
    cairo_pattern_add_color_stop_rgba(glow, 1.0, 1.0, 0.95, 0.6, 0.0);
    cairo_set_source(cr, glow);
    cairo_arc(cr, x, y, radius * 3.0, 0.0, 2.0 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    SetColour(cr, FromRgb(0xFFC93C));
    cairo_set_line_width(cr, 4.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int ray = 0; ray < 12; ++ray) {
        const double angle = ray * kPi / 6.0 + 0.13;
        const double inner = radius * 1.25;
        const double outer = radius * (ray % 2 == 0 ? 1.75 : 1.55);
        cairo_move_to(cr, x + std::cos(angle) * inner, y + std::sin(angle) * inner);
        cairo_line_to(cr, x + std::cos(angle) * outer, y + std::sin(angle) * outer);
    }
    cairo_stroke(cr);
    cairo_pattern_t* disc = cairo_pattern_create_radial(x - radius * 0.3, y - radius * 0.3, radius * 0.1, x, y, radius);
    cairo_pattern_add_color_stop_rgb(disc, 0.0, 1.0, 0.97, 0.55);
    cairo_pattern_add_color_stop_rgb(disc, 1.0, 1.0, 0.80, 0.15);
    cairo_set_source(cr, disc);
    cairo_arc(cr, x, y, radius, 0.0, 2.0 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(disc);
}

void Sailboat(cairo_t* cr, double x, double y) {
    SetColour(cr, FromRgb(0x8A4B2A));
    cairo_move_to(cr, x - 11.0, y);
    cairo_line_to(cr, x + 11.0, y);
    cairo_line_to(cr, x + 7.0, y + 4.0);
    cairo_line_to(cr, x - 7.0, y + 4.0);
    cairo_close_path(cr);
    cairo_fill(cr);
    SetColour(cr, kWhite);
    cairo_move_to(cr, x, y - 1.0);
    cairo_line_to(cr, x, y - 22.0);
    cairo_line_to(cr, x + 10.0, y - 1.0);
    cairo_close_path(cr);
    cairo_fill(cr);
    SetColour(cr, FromRgb(0xE8473C));
    cairo_move_to(cr, x - 1.5, y - 1.0);
    cairo_line_to(cr, x - 1.5, y - 17.0);
    cairo_line_to(cr, x - 9.0, y - 1.0);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Gull(cairo_t* cr, double x, double y, double span) {
    SetColour(cr, FromRgb(0x34495E));
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x - span, y - span * 0.2);
    cairo_curve_to(cr, x - span * 0.6, y - span * 0.6, x - span * 0.2, y - span * 0.5, x, y);
    cairo_curve_to(cr, x + span * 0.2, y - span * 0.5, x + span * 0.6, y - span * 0.6, x + span, y - span * 0.2);
    cairo_stroke(cr);
}

void Sky(cairo_t* cr) {
    LinearFill(cr, 0.0, kHorizon, FromRgb(0x2F8FE0), FromRgb(0xBFE6FA));
    Sun(cr, 272.0, 58.0, 26.0);
    Cloud(cr, 62.0, 52.0, 22.0);
    Cloud(cr, 178.0, 104.0, 15.0);
    Cloud(cr, 318.0, 130.0, 11.0);
    Gull(cr, 132.0, 42.0, 7.0);
    Gull(cr, 152.0, 30.0, 5.5);
    Gull(cr, 212.0, 58.0, 4.5);
}

void Sea(cairo_t* cr, Scatter& scatter) {
    LinearFill(cr, kHorizon, kShore + 8.0, FromRgb(0x1670B8), FromRgb(0x3CC4D8));
    // Sun glitter on the water below the sun.
    for (int i = 0; i < 22; ++i) {
        const double y = scatter.Between(kHorizon + 3.0, kShore - 10.0);
        const double spread = (y - kHorizon) * 0.45 + 8.0;
        const double x = 272.0 + scatter.Between(-spread, spread);
        SetColour(cr, FromRgb(0xFFF4C0), 0.75);
        cairo_rectangle(cr, x, y, scatter.Between(4.0, 12.0), 1.4);
        cairo_fill(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int row = 0; row < 6; ++row) {
        const double y = kHorizon + 10.0 + row * row * 2.2 + row * 5.0;
        const double length = 8.0 + row * 3.0;
        cairo_set_line_width(cr, 1.0 + row * 0.3);
        SetColour(cr, kWhite, 0.55);
        for (double x = scatter.Between(-10.0, 10.0); x < kWidth; x += length * 3.2) {
            const double wobble = scatter.Between(-2.0, 2.0);
            cairo_move_to(cr, x, y + wobble);
            cairo_curve_to(cr, x + length * 0.3, y + wobble - 2.5, x + length * 0.7, y + wobble - 2.5, x + length,
                           y + wobble);
            cairo_stroke(cr);
        }
    }
    Sailboat(cr, 98.0, kHorizon + 6.0);
}

// The wet edge and the foam where the waves run up the beach.
void Beach(cairo_t* cr) {
    LinearFill(cr, kShore, kWallTop, FromRgb(0xF7DFA2), FromRgb(0xEBC67E));
    cairo_move_to(cr, 0.0, kShore - 4.0);
    for (double x = 0.0; x <= kWidth + 20.0; x += 20.0) {
        cairo_curve_to(cr, x + 5.0, kShore + 5.0, x + 15.0, kShore + 5.0, x + 20.0, kShore - 2.0);
    }
    cairo_line_to(cr, kWidth + 20.0, kShore - 12.0);
    cairo_line_to(cr, 0.0, kShore - 12.0);
    cairo_close_path(cr);
    SetColour(cr, kWhite, 0.9);
    cairo_fill(cr);
    SetColour(cr, FromRgb(0xD9B36A), 0.35);
    cairo_rectangle(cr, 0.0, kShore + 4.0, kWidth, 3.0);
    cairo_fill(cr);
}

void Umbrella(cairo_t* cr, double x, double groundY) {
    const double top = groundY - 52.0;
    SetColour(cr, FromRgb(0x6B4A2E));
    cairo_set_line_width(cr, 2.2);
    cairo_move_to(cr, x, groundY);
    cairo_line_to(cr, x + 4.0, top);
    cairo_stroke(cr);
    const std::array<Rgb, 2> stripes{FromRgb(0xF04A4A), kWhite};
    const double span = 34.0;
    for (int segment = 0; segment < 6; ++segment) {
        const double a = x + 4.0 - span + segment * span / 3.0;
        const double b = a + span / 3.0;
        SetColour(cr, stripes[static_cast<std::size_t>(segment % 2)]);
        cairo_move_to(cr, x + 4.0, top - 14.0);
        cairo_line_to(cr, a, top + 6.0);
        cairo_curve_to(cr, a + 3.0, top + 2.0, b - 3.0, top + 2.0, b, top + 6.0);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
}

// A low stone wall between beach and promenade, and the paving in front of it.
void Promenade(cairo_t* cr) {
    LinearFill(cr, kWallTop, kPavingTop, FromRgb(0xF4EEE2), FromRgb(0xCFC4B0));
    SetColour(cr, FromRgb(0xA89C86));
    cairo_set_line_width(cr, 1.0);
    for (double x = 10.0; x < kWidth; x += 26.0) {
        cairo_move_to(cr, x, kWallTop + 2.0);
        cairo_line_to(cr, x, kPavingTop);
    }
    cairo_stroke(cr);
    LinearFill(cr, kPavingTop, kBandTop, FromRgb(0xE9A77C), FromRgb(0xD98D62));
    // Paving tiles in perspective: rows widen toward the viewer.
    SetColour(cr, FromRgb(0xC47A52), 0.8);
    cairo_set_line_width(cr, 1.0);
    double y = kPavingTop + 8.0;
    for (double gap = 10.0; y < kBandTop; gap += 4.0, y += gap) {
        cairo_move_to(cr, 0.0, y);
        cairo_line_to(cr, kWidth, y);
    }
    for (double x = -200.0; x <= kWidth + 200.0; x += 30.0) {
        const double spread = (x - kWidth / 2.0) * 0.9;
        cairo_move_to(cr, x, kPavingTop);
        cairo_line_to(cr, x + spread, kBandTop);
    }
    cairo_stroke(cr);
}

void Frond(cairo_t* cr, double x, double y, double angle, double length) {
    const double dx = std::cos(angle);
    const double dy = std::sin(angle);
    const double nx = -dy;
    const double ny = dx;
    const double tipX = x + dx * length;
    const double tipY = y + dy * length + length * 0.35;  // leaves droop at the tip
    const double midX = x + dx * length * 0.55;
    const double midY = y + dy * length * 0.55 - length * 0.08;
    const double width = length * 0.2;
    cairo_move_to(cr, x, y);
    cairo_curve_to(cr, midX + nx * width, midY + ny * width, tipX + nx * width * 0.3, tipY + ny * width * 0.3, tipX,
                   tipY);
    cairo_curve_to(cr, tipX - nx * width * 0.3, tipY - ny * width * 0.3, midX - nx * width, midY - ny * width, x, y);
    cairo_close_path(cr);
    cairo_pattern_t* green = cairo_pattern_create_linear(x, y, tipX, tipY);
    cairo_pattern_add_color_stop_rgb(green, 0.0, 0.16, 0.55, 0.22);
    cairo_pattern_add_color_stop_rgb(green, 1.0, 0.35, 0.75, 0.28);
    cairo_set_source(cr, green);
    cairo_fill(cr);
    cairo_pattern_destroy(green);
    SetColour(cr, FromRgb(0x1C5A26));
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, x, y);
    cairo_curve_to(cr, midX, midY, tipX, tipY, tipX, tipY);
    cairo_stroke(cr);
}

void PalmTree(cairo_t* cr, double baseX, double baseY, double topX, double topY, double scale) {
    const double bend = (topX - baseX) * 0.2;
    const double trunk = 7.0 * scale;
    cairo_move_to(cr, baseX - trunk, baseY);
    cairo_curve_to(cr, baseX - trunk + bend, (baseY + topY) / 2.0, topX - trunk * 0.6 - bend, topY + 30.0 * scale,
                   topX - trunk * 0.5, topY);
    cairo_line_to(cr, topX + trunk * 0.5, topY);
    cairo_curve_to(cr, topX + trunk * 0.6 - bend, topY + 30.0 * scale, baseX + trunk + bend, (baseY + topY) / 2.0,
                   baseX + trunk, baseY);
    cairo_close_path(cr);
    cairo_pattern_t* bark = cairo_pattern_create_linear(baseX - trunk, 0.0, baseX + trunk, 0.0);
    cairo_pattern_add_color_stop_rgb(bark, 0.0, 0.62, 0.43, 0.25);
    cairo_pattern_add_color_stop_rgb(bark, 1.0, 0.45, 0.29, 0.15);
    cairo_set_source(cr, bark);
    cairo_fill(cr);
    cairo_pattern_destroy(bark);
    // Rings on the trunk.
    SetColour(cr, FromRgb(0x5E3F22), 0.7);
    cairo_set_line_width(cr, 1.2 * scale);
    for (double t = 0.08; t < 0.95; t += 0.085) {
        const double cx = baseX + (topX - baseX) * t * t * 0.6 + (topX - baseX) * t * 0.4;
        const double cy = baseY + (topY - baseY) * t;
        const double half = trunk * (1.0 - 0.45 * t);
        cairo_move_to(cr, cx - half, cy);
        cairo_curve_to(cr, cx - half * 0.3, cy + 2.5 * scale, cx + half * 0.3, cy + 2.5 * scale, cx + half, cy);
    }
    cairo_stroke(cr);
    const std::array<double, 7> angles{-3.0, -2.45, -1.95, -1.3, -0.75, -0.2, 0.25};
    for (const double angle : angles) {
        Frond(cr, topX, topY, angle, 46.0 * scale);
    }
    SetColour(cr, FromRgb(0x5A3A1C));
    for (int nut = 0; nut < 3; ++nut) {
        Ellipse(cr, topX - 4.0 * scale + nut * 4.0 * scale, topY + 4.0 * scale + (nut % 2) * 2.0, 3.6 * scale,
                3.6 * scale);
    }
    cairo_fill(cr);
}

void BeachBall(cairo_t* cr, double x, double y, double radius) {
    const std::array<Rgb, 4> colours{FromRgb(0xE8383D), kWhite, FromRgb(0x2F7FE0), FromRgb(0xFFD23F)};
    for (int segment = 0; segment < 6; ++segment) {
        const double a0 = segment * kPi / 3.0 + 0.4;
        cairo_move_to(cr, x, y);
        cairo_arc(cr, x, y, radius, a0, a0 + kPi / 3.0);
        cairo_close_path(cr);
        SetColour(cr, colours[static_cast<std::size_t>(segment % 4)]);
        cairo_fill(cr);
    }
    cairo_pattern_t* shine = cairo_pattern_create_radial(x - radius * 0.4, y - radius * 0.4, 0.0, x, y, radius);
    cairo_pattern_add_color_stop_rgba(shine, 0.0, 1.0, 1.0, 1.0, 0.55);
    cairo_pattern_add_color_stop_rgba(shine, 0.6, 1.0, 1.0, 1.0, 0.0);
    cairo_pattern_add_color_stop_rgba(shine, 1.0, 0.0, 0.0, 0.0, 0.25);
    cairo_set_source(cr, shine);
    cairo_arc(cr, x, y, radius, 0.0, 2.0 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(shine);
    SetColour(cr, kInk, 0.6);
    cairo_set_line_width(cr, 1.0);
    cairo_arc(cr, x, y, radius, 0.0, 2.0 * kPi);
    cairo_stroke(cr);
}

enum class Hair { Short, Long, Bun, Curly };
enum class Wear { Trunks, Swimsuit, Bikini };
enum class Pose { BothUp, Waving, HandsOnHips };

struct Bather {
    double x = 0.0;
    double footY = 0.0;
    double height = 0.0;
    Rgb skin;
    Rgb hair;
    Hair hairStyle = Hair::Short;
    Wear wear = Wear::Trunks;
    Rgb wearColour;
    Rgb wearAccent;
    Pose pose = Pose::BothUp;
};

// Where a bather's body parts sit, in proportion to their height.
struct Figure {
    double unit = 0.0;  // a hundredth of the height
    double headY = 0.0;
    double headRadius = 0.0;
    double shoulderY = 0.0;
    double hipY = 0.0;
};

Figure Measure(const Bather& b) {
    Figure f;
    f.unit = b.height / 100.0;
    f.headRadius = 11.0 * f.unit;
    f.headY = b.footY - b.height + f.headRadius;
    f.shoulderY = f.headY + f.headRadius + 3.0 * f.unit;
    f.hipY = b.footY - 46.0 * f.unit;
    return f;
}

void Limb(cairo_t* cr, double x0, double y0, double xm, double ym, double x1, double y1, double width, Rgb colour) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, width + 1.6);
    SetColour(cr, Scaled(colour, 0.72));
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, xm, ym);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
    cairo_set_line_width(cr, width);
    SetColour(cr, colour);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, xm, ym);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

void Legs(cairo_t* cr, const Bather& b, const Figure& f) {
    const double u = f.unit;
    for (const double side : {-1.0, 1.0}) {
        Limb(cr, b.x + side * 6.0 * u, f.hipY, b.x + side * 8.0 * u, f.hipY + 22.0 * u, b.x + side * 10.0 * u,
             b.footY - 3.0 * u, 8.0 * u, b.skin);
        SetColour(cr, Scaled(b.skin, 0.8));
        Ellipse(cr, b.x + side * 12.0 * u, b.footY - 1.5 * u, 5.0 * u, 2.4 * u);
        cairo_fill(cr);
    }
}

void TorsoPath(cairo_t* cr, const Bather& b, const Figure& f) {
    const double u = f.unit;
    const double shoulder = 15.0 * u;
    const double waist = 11.0 * u;
    const double hip = 13.0 * u;
    const double waistY = (f.shoulderY + f.hipY) / 2.0 + 4.0 * u;
    cairo_move_to(cr, b.x - shoulder + 3.0 * u, f.shoulderY);
    cairo_line_to(cr, b.x + shoulder - 3.0 * u, f.shoulderY);
    cairo_curve_to(cr, b.x + shoulder + 1.0 * u, f.shoulderY, b.x + shoulder, f.shoulderY + 5.0 * u,
                   b.x + shoulder - 1.0 * u, f.shoulderY + 8.0 * u);
    cairo_curve_to(cr, b.x + waist, waistY - 4.0 * u, b.x + waist, waistY, b.x + hip, f.hipY + 6.0 * u);
    cairo_line_to(cr, b.x - hip, f.hipY + 6.0 * u);
    cairo_curve_to(cr, b.x - waist, waistY, b.x - waist, waistY - 4.0 * u, b.x - shoulder + 1.0 * u,
                   f.shoulderY + 8.0 * u);
    cairo_curve_to(cr, b.x - shoulder, f.shoulderY + 5.0 * u, b.x - shoulder - 1.0 * u, f.shoulderY,
                   b.x - shoulder + 3.0 * u, f.shoulderY);
    cairo_close_path(cr);
}

void Torso(cairo_t* cr, const Bather& b, const Figure& f) {
    TorsoPath(cr, b, f);
    SetColour(cr, b.skin);
    cairo_fill_preserve(cr);
    SetColour(cr, Scaled(b.skin, 0.72));
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
}

void Polka(cairo_t* cr, const Bather& b, const Figure& f, double top, double bottom) {
    const double u = f.unit;
    SetColour(cr, b.wearAccent);
    for (double y = top + 3.0 * u; y < bottom - 1.5 * u; y += 5.0 * u) {
        const double shift = std::fmod((y - top) / (5.0 * u), 2.0) < 1.0 ? 0.0 : 2.5 * u;
        for (double x = b.x - 14.0 * u + shift; x < b.x + 14.0 * u; x += 5.0 * u) {
            cairo_arc(cr, x, y, 1.1 * u, 0.0, 2.0 * kPi);
            cairo_fill(cr);
        }
    }
}

// Swimwear is clipped to the torso and the tops of the legs so that it follows the body.
void Swimwear(cairo_t* cr, const Bather& b, const Figure& f) {
    const double u = f.unit;
    cairo_save(cr);
    TorsoPath(cr, b, f);
    cairo_rectangle(cr, b.x - 16.0 * u, f.hipY, 32.0 * u, 12.0 * u);
    cairo_clip(cr);
    const double chest = f.shoulderY + 9.0 * u;
    switch (b.wear) {
        case Wear::Trunks:
            FillRect(cr, b.x - 18.0 * u, f.hipY - 5.0 * u, b.x + 18.0 * u, f.hipY + 11.0 * u, b.wearColour);
            FillRect(cr, b.x - 18.0 * u, f.hipY - 5.0 * u, b.x + 18.0 * u, f.hipY - 3.0 * u, b.wearAccent);
            FillRect(cr, b.x - 0.6 * u, f.hipY + 4.0 * u, b.x + 0.6 * u, f.hipY + 12.0 * u, Scaled(b.wearColour, 0.7));
            break;
        case Wear::Swimsuit:
            FillRect(cr, b.x - 18.0 * u, chest, b.x + 18.0 * u, f.hipY + 7.0 * u, b.wearColour);
            Polka(cr, b, f, chest, f.hipY + 7.0 * u);
            break;
        case Wear::Bikini:
            FillRect(cr, b.x - 18.0 * u, chest, b.x + 18.0 * u, chest + 6.0 * u, b.wearColour);
            FillRect(cr, b.x - 18.0 * u, f.hipY - 1.0 * u, b.x + 18.0 * u, f.hipY + 7.0 * u, b.wearColour);
            FillRect(cr, b.x - 18.0 * u, chest + 2.5 * u, b.x + 18.0 * u, chest + 3.5 * u, b.wearAccent);
            break;
    }
    cairo_restore(cr);
    if (b.wear != Wear::Trunks) {
        SetColour(cr, b.wearColour);
        cairo_set_line_width(cr, 1.6 * u);
        for (const double side : {-1.0, 1.0}) {
            cairo_move_to(cr, b.x + side * 7.0 * u, chest + 1.0 * u);
            cairo_line_to(cr, b.x + side * 9.0 * u, f.shoulderY + 0.5 * u);
        }
        cairo_stroke(cr);
    }
}

void Arms(cairo_t* cr, const Bather& b, const Figure& f) {
    const double u = f.unit;
    const double shoulderX = 13.0 * u;
    const double y = f.shoulderY + 3.0 * u;
    for (const double side : {-1.0, 1.0}) {
        const bool raised = b.pose == Pose::BothUp || (b.pose == Pose::Waving && side > 0.0);
        if (raised) {
            Limb(cr, b.x + side * shoulderX, y, b.x + side * 24.0 * u, y - 10.0 * u, b.x + side * 27.0 * u,
                 y - 28.0 * u, 6.5 * u, b.skin);
            SetColour(cr, b.skin);
            cairo_arc(cr, b.x + side * 27.5 * u, y - 30.0 * u, 3.8 * u, 0.0, 2.0 * kPi);
            cairo_fill(cr);
        } else {
            Limb(cr, b.x + side * shoulderX, y, b.x + side * 21.0 * u, y + 12.0 * u, b.x + side * 12.0 * u,
                 f.hipY - 2.0 * u, 6.5 * u, b.skin);
        }
    }
}

void HairBack(cairo_t* cr, const Bather& b, const Figure& f) {
    const double r = f.headRadius;
    SetColour(cr, b.hair);
    if (b.hairStyle == Hair::Long) {
        RoundedRect(cr, b.x - r * 1.15, f.headY - r * 0.5, b.x + r * 1.15, f.headY + r * 1.7, r * 0.6);
        cairo_fill(cr);
    } else if (b.hairStyle == Hair::Bun) {
        cairo_arc(cr, b.x + r * 0.2, f.headY - r * 1.1, r * 0.55, 0.0, 2.0 * kPi);
        cairo_fill(cr);
    }
}

void HairFront(cairo_t* cr, const Bather& b, const Figure& f) {
    const double r = f.headRadius;
    SetColour(cr, b.hair);
    if (b.hairStyle == Hair::Curly) {
        for (int curl = 0; curl < 7; ++curl) {
            const double angle = kPi + curl * kPi / 6.0;
            cairo_arc(cr, b.x + std::cos(angle) * r * 0.85, f.headY + std::sin(angle) * r * 0.85, r * 0.38, 0.0,
                      2.0 * kPi);
            cairo_fill(cr);
        }
        return;
    }
    // A cap of hair over the top of the head with a fringe swept to one side.
    cairo_arc(cr, b.x, f.headY, r * 1.04, kPi * 1.0, kPi * 2.0);
    cairo_curve_to(cr, b.x + r * 0.9, f.headY - r * 0.2, b.x + r * 0.2, f.headY - r * 0.55, b.x - r * 0.3,
                   f.headY - r * 0.35);
    cairo_curve_to(cr, b.x - r * 0.7, f.headY - r * 0.2, b.x - r * 0.95, f.headY + r * 0.1, b.x - r * 1.04, f.headY);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Face(cairo_t* cr, const Bather& b, const Figure& f) {
    const double r = f.headRadius;
    SetColour(cr, kInk);
    for (const double side : {-1.0, 1.0}) {
        Ellipse(cr, b.x + side * r * 0.36, f.headY + r * 0.05, r * 0.1, r * 0.14);
        cairo_fill(cr);
    }
    // A wide open smile.
    cairo_move_to(cr, b.x - r * 0.42, f.headY + r * 0.35);
    cairo_curve_to(cr, b.x - r * 0.3, f.headY + r * 0.85, b.x + r * 0.3, f.headY + r * 0.85, b.x + r * 0.42,
                   f.headY + r * 0.35);
    cairo_close_path(cr);
    SetColour(cr, FromRgb(0x8E2B2B));
    cairo_fill(cr);
    SetColour(cr, FromRgb(0xFF6F7D), 0.35);
    for (const double side : {-1.0, 1.0}) {
        Ellipse(cr, b.x + side * r * 0.62, f.headY + r * 0.38, r * 0.18, r * 0.12);
        cairo_fill(cr);
    }
}

void Head(cairo_t* cr, const Bather& b, const Figure& f) {
    HairBack(cr, b, f);
    SetColour(cr, b.skin);
    FillRect(cr, b.x - 3.0 * f.unit, f.headY + f.headRadius * 0.6, b.x + 3.0 * f.unit, f.shoulderY + 1.0 * f.unit,
             b.skin);
    cairo_arc(cr, b.x, f.headY, f.headRadius, 0.0, 2.0 * kPi);
    SetColour(cr, b.skin);
    cairo_fill_preserve(cr);
    SetColour(cr, Scaled(b.skin, 0.72));
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
    HairFront(cr, b, f);
    Face(cr, b, f);
}

void DrawBather(cairo_t* cr, const Bather& b) {
    const Figure f = Measure(b);
    SetColour(cr, FromRgb(0x000000), 0.18);
    Ellipse(cr, b.x + 3.0 * f.unit, b.footY, 20.0 * f.unit, 3.5 * f.unit);
    cairo_fill(cr);
    Legs(cr, b, f);
    Torso(cr, b, f);
    Swimwear(cr, b, f);
    Arms(cr, b, f);
    Head(cr, b, f);
}

void Bathers(cairo_t* cr) {
    const std::array<Bather, 4> group{{
        {.x = 72.0,
         .footY = 368.0,
         .height = 112.0,
         .skin = FromRgb(0xF2C29B),
         .hair = FromRgb(0xE0A526),
         .hairStyle = Hair::Long,
         .wear = Wear::Swimsuit,
         .wearColour = FromRgb(0xFFD23F),
         .wearAccent = FromRgb(0xE8383D),
         .pose = Pose::Waving},
        {.x = 134.0,
         .footY = 374.0,
         .height = 124.0,
         .skin = FromRgb(0x9C6640),
         .hair = FromRgb(0x2A1A10),
         .hairStyle = Hair::Curly,
         .wear = Wear::Trunks,
         .wearColour = FromRgb(0xE8383D),
         .wearAccent = kWhite,
         .pose = Pose::BothUp},
        {.x = 196.0,
         .footY = 370.0,
         .height = 80.0,
         .skin = FromRgb(0xE7B48A),
         .hair = FromRgb(0x7A3E1C),
         .hairStyle = Hair::Short,
         .wear = Wear::Trunks,
         .wearColour = FromRgb(0x2F7FE0),
         .wearAccent = FromRgb(0xFFD23F),
         .pose = Pose::BothUp},
        {.x = 258.0,
         .footY = 372.0,
         .height = 116.0,
         .skin = FromRgb(0xC98E63),
         .hair = FromRgb(0x1E1E1E),
         .hairStyle = Hair::Bun,
         .wear = Wear::Bikini,
         .wearColour = FromRgb(0xEE4FA5),
         .wearAccent = kWhite,
         .pose = Pose::HandsOnHips},
    }};
    for (const Bather& bather : group) {
        DrawBather(cr, bather);
    }
}

void ClosingWords(cairo_t* cr) {
    FillRect(cr, 0.0, kBandTop, kWidth, kHeight, FromBgr(0x313131));
    SetColour(cr, FromRgb(0x5A5A5A));
    cairo_rectangle(cr, 0.0, kBandTop, kWidth, 2.0);
    cairo_fill(cr);
    const TextStyle end{.family = "PT Sans", .weight = Weight::Bold, .pixelHeight = 40.0, .colour = kWhite};
    DrawTextCentred(cr, "THE END", end, kWidth / 2.0, kBandTop + 34.0);
    const TextStyle thanks{.family = "PT Sans", .weight = Weight::Regular, .pixelHeight = 18.0, .colour = kWhite};
    DrawTextCentred(cr, "Thanks for playing Swoopy!", thanks, kWidth / 2.0, kBandTop + 72.0);
}

}  // namespace

Canvas DrawFinale() {
    Canvas canvas(static_cast<int>(kWidth), static_cast<int>(kHeight));
    cairo_t* cr = canvas.Cr();
    Scatter scatter;
    Sky(cr);
    Sea(cr, scatter);
    Beach(cr);
    PalmTree(cr, 236.0, 262.0, 228.0, 196.0, 0.55);
    Umbrella(cr, 112.0, 266.0);
    Promenade(cr);
    PalmTree(cr, 24.0, 352.0, 52.0, 126.0, 1.15);
    PalmTree(cr, 324.0, 340.0, 298.0, 150.0, 1.0);
    Bathers(cr);
    BeachBall(cr, 166.0, 214.0, 13.0);
    ClosingWords(cr);
    return canvas;
}

}  // namespace pictures
