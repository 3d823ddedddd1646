#include "pictures/Icon.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>

namespace pictures {

namespace {

constexpr std::uint8_t kBlackIndex = 0;

// A five-pointed star, points up, filling most of the icon.
void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner) {
    for (int corner = 0; corner < 10; ++corner) {
        const double radius = corner % 2 == 0 ? outer : inner;
        const double angle = -std::numbers::pi / 2.0 + corner * std::numbers::pi / 5.0;
        const double x = cx + std::cos(angle) * radius;
        const double y = cy + std::sin(angle) * radius;
        if (corner == 0) {
            cairo_move_to(cr, x, y);
        } else {
            cairo_line_to(cr, x, y);
        }
    }
    cairo_close_path(cr);
}

std::uint8_t NearestIndex(const std::array<std::uint32_t, 16>& palette, std::uint32_t rgb) {
    auto channel = [](std::uint32_t v, int shift) { return static_cast<int>((v >> shift) & 0xFFu); };
    std::uint8_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        int distance = 0;
        for (const int shift : {0, 8, 16}) {
            const int d = channel(palette[i], shift) - channel(rgb, shift);
            distance += d * d;
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<std::uint8_t>(i);
        }
    }
    return best;
}

// Drawn without smoothing, so every pixel is exactly one of the palette's colours or clear.
Canvas RenderStar() {
    Canvas canvas(kIconSide, kIconSide, Canvas::Format::WithAlpha);
    cairo_t* cr = canvas.Cr();
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    StarPath(cr, 16.0, 17.2, 15.6, 6.6);
    SetColour(cr, FromRgb(0x000000));
    cairo_fill(cr);
    StarPath(cr, 16.0, 17.2, 13.2, 5.4);
    SetColour(cr, FromRgb(0x808000));
    cairo_fill(cr);
    StarPath(cr, 15.6, 16.6, 11.6, 4.7);
    SetColour(cr, FromRgb(0xFFFF00));
    cairo_fill(cr);
    SetColour(cr, FromRgb(0xFFFFFF));
    cairo_rectangle(cr, 14.0, 8.0, 2.0, 4.0);
    cairo_rectangle(cr, 11.0, 13.0, 2.0, 2.0);
    cairo_fill(cr);
    cairo_surface_flush(canvas.Surface());
    return canvas;
}

}  // namespace

std::array<std::uint32_t, 16> StandardPalette() {
    return {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
            0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
}

Icon DrawIcon() {
    Icon icon;
    icon.palette = StandardPalette();
    const Canvas star = RenderStar();
    const unsigned char* data = cairo_image_surface_get_data(star.Surface());
    const int stride = cairo_image_surface_get_stride(star.Surface());
    for (int y = 0; y < kIconSide; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < kIconSide; ++x) {
            const std::size_t at = static_cast<std::size_t>(y * kIconSide + x);
            const bool clear = (row[x] >> 24) < 0x80u;
            icon.mask[at] = clear ? 1 : 0;
            icon.indices[at] = clear ? kBlackIndex : NearestIndex(icon.palette, row[x] & 0xFFFFFFu);
        }
    }
    return icon;
}

Canvas IconPreview(const Icon& icon, int zoom) {
    Canvas canvas(kIconSide * zoom, kIconSide * zoom);
    cairo_t* cr = canvas.Cr();
    for (int y = 0; y < kIconSide; ++y) {
        for (int x = 0; x < kIconSide; ++x) {
            const std::size_t at = static_cast<std::size_t>(y * kIconSide + x);
            const Rgb checker = FromRgb((x + y) % 2 == 0 ? 0xDDDDDD : 0xAAAAAA);
            const Rgb colour = icon.mask[at] != 0 ? checker : FromRgb(icon.palette[icon.indices[at]]);
            FillRect(cr, x * zoom, y * zoom, (x + 1) * zoom, (y + 1) * zoom, colour);
        }
    }
    return canvas;
}

Canvas IconAtSize(const Icon& icon, int side) {
    // The icon grown by `grow` is exactly `shrink` times the size wanted.
    const int grow = side / std::gcd(side, kIconSide);
    const int shrink = kIconSide * grow / side;
    Canvas canvas(side, side, Canvas::Format::WithAlpha);
    cairo_surface_flush(canvas.Surface());
    unsigned char* data = cairo_image_surface_get_data(canvas.Surface());
    const int stride = cairo_image_surface_get_stride(canvas.Surface());
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < side; ++x) {
            // Premultiplied sums: clear pixels add nothing to the colour.
            std::uint32_t sum[4] = {};
            for (int by = 0; by < shrink; ++by) {
                for (int bx = 0; bx < shrink; ++bx) {
                    const int iy = (y * shrink + by) / grow;
                    const int ix = (x * shrink + bx) / grow;
                    const std::size_t at = static_cast<std::size_t>(iy * kIconSide + ix);
                    if (icon.mask[at] != 0) continue;
                    const std::uint32_t rgb = icon.palette[icon.indices[at]];
                    sum[0] += 255;
                    sum[1] += (rgb >> 16) & 0xFFu;
                    sum[2] += (rgb >> 8) & 0xFFu;
                    sum[3] += rgb & 0xFFu;
                }
            }
            const auto area = static_cast<std::uint32_t>(shrink * shrink);
            auto average = [&](int i) { return (sum[i] + area / 2) / area; };
            row[x] = average(0) << 24 | average(1) << 16 | average(2) << 8 | average(3);
        }
    }
    cairo_surface_mark_dirty(canvas.Surface());
    return canvas;
}

}  // namespace pictures
