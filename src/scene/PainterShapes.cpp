// Shapes: rectangles written straight into the frame's pixels, round figures
// drawn once per size and colours through Cairo at the device's density and
// blended in, bevels, focus rectangles and lines.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <list>
#include <unordered_map>
#include <utility>
#include <vector>

#include "scene/Painter.h"
#include "scene/PainterImpl.h"

namespace scene {

using painter_detail::BlendImage;
using painter_detail::CairoPtr;
using painter_detail::Edge;
using painter_detail::Pixel;
using painter_detail::SetSource;
using painter_detail::SurfacePtr;

void BlendImage::Assign(const std::uint32_t* argb, int stride, int w, int h) {
    width = w;
    height = h;
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    rgb.resize(count);
    alpha.resize(count);
    solid.resize(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* row = argb + static_cast<std::ptrdiff_t>(y) * stride;
        const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        for (int x = 0; x < w; ++x) {
            // No channel above the coverage, as premultiplied colour should be:
            // the blend adds them up without clamping.
            const std::uint32_t a = row[x] >> 24;
            const std::uint32_t r = std::min((row[x] >> 16) & 0xFF, a), g = std::min((row[x] >> 8) & 0xFF, a),
                                b = std::min(row[x] & 0xFF, a);
            rgb[at + static_cast<std::size_t>(x)] = (r << 16) | (g << 8) | b;
            alpha[at + static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(a);
        }
        int first = 0;
        while (first < w && (row[first] >> 24) != 255) ++first;
        int end = first;
        while (end < w && (row[end] >> 24) == 255) ++end;
        solid[static_cast<std::size_t>(y)] = {first, end};
    }
}

namespace {

// Round figures: drawn once per size and colours into a small premultiplied
// image, then blended in. Nine movers are drawn in every frame.

enum class Figure { RoundRect, Ellipse };

// The figure's measures are layout pixels; the image is deviceWidth x
// deviceHeight, the device pixels its box covers.
struct FigureKey {
    Figure figure;
    int width, height, roundW, roundH, penWidth;
    std::uint32_t pen, brush;
    int deviceWidth, deviceHeight;
    bool operator==(const FigureKey&) const = default;
};

struct FigureKeyHash {
    std::size_t operator()(const FigureKey& k) const {
        std::size_t h = static_cast<std::size_t>(k.figure);
        for (std::uint64_t v : {std::uint64_t(k.width), std::uint64_t(k.height), std::uint64_t(k.roundW),
                                std::uint64_t(k.roundH), std::uint64_t(k.penWidth), std::uint64_t(k.pen),
                                std::uint64_t(k.brush), std::uint64_t(k.deviceWidth), std::uint64_t(k.deviceHeight)}) {
            h = h * 1000003u ^ static_cast<std::size_t>(v);
        }
        return h;
    }
};

void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double rx, double ry) {
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    rx = std::min(rx, w / 2);
    ry = std::min(ry, h / 2);
    cairo_new_sub_path(cr);
    const double corners[4][3] = {{x + w - rx, y + ry, -M_PI / 2},
                                  {x + w - rx, y + h - ry, 0},
                                  {x + rx, y + h - ry, M_PI / 2},
                                  {x + rx, y + ry, M_PI}};
    for (const auto& c : corners) {
        cairo_save(cr);
        cairo_translate(cr, c[0], c[1]);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, c[2], c[2] + M_PI / 2);
        cairo_restore(cr);
    }
    cairo_close_path(cr);
}

void EllipsePath(cairo_t* cr, double x, double y, double w, double h) {
    if (w <= 0 || h <= 0) return;
    cairo_save(cr);
    cairo_translate(cr, x + w / 2, y + h / 2);
    cairo_scale(cr, w / 2, h / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

void FigurePath(cairo_t* cr, const FigureKey& k, double inset) {
    const double w = k.width - 2 * inset, h = k.height - 2 * inset;
    if (w <= 0 || h <= 0) return;
    if (k.figure == Figure::Ellipse) {
        EllipsePath(cr, inset, inset, w, h);
    } else {
        RoundRectPath(cr, inset, inset, w, h, std::max(0.0, k.roundW / 2.0 - inset),
                      std::max(0.0, k.roundH / 2.0 - inset));
    }
}

BlendImage RenderFigure(const FigureKey& k) {
    const int width = k.deviceWidth, height = k.deviceHeight;
    std::vector<std::uint32_t> argb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    SurfacePtr surface(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(argb.data()),
                                                           CAIRO_FORMAT_ARGB32, width, height, width * 4));
    CairoPtr cr(cairo_create(surface.get()));
    // Layout measures, drawn over the device pixels the box covers.
    if (width != k.width || height != k.height) {
        cairo_scale(cr.get(), static_cast<double>(width) / k.width, static_cast<double>(height) / k.height);
    }
    // The pen's figure first, then the brush's inside it: the outline is the ring between.
    SetSource(cr.get(), k.pen);
    FigurePath(cr.get(), k, 0);
    cairo_fill(cr.get());
    SetSource(cr.get(), k.brush);
    FigurePath(cr.get(), k, std::max(1, k.penWidth));
    cairo_fill(cr.get());
    cairo_surface_flush(surface.get());
    BlendImage image;
    image.Assign(argb.data(), width, width, height);
    return image;
}

// The movers take on a few hundred figures in a game: their sizes and colours,
// and at a fractional scale up to four device sizes of each as they move. The
// budget, in layout pixels so that a denser screen keeps as many figures, holds
// them all, so each is drawn once; should more come, the least recently drawn
// make way (and are drawn again if they come back).
class FigureCache {
public:
    static FigureCache& Get() {
        static FigureCache cache;
        return cache;
    }
    const BlendImage& Image(const FigureKey& k) {
        if (auto it = images_.find(k); it != images_.end()) {
            recent_.splice(recent_.begin(), recent_, it->second.place);
            return it->second.image;
        }
        recent_.push_front(k);
        const BlendImage& made = images_.emplace(k, Entry{RenderFigure(k), recent_.begin()}).first->second.image;
        area_ += Area(k);
        // The image just made is the most recent, so it always stays.
        while (area_ > kBudgetLayoutPixels && recent_.size() > 1) {
            area_ -= Area(recent_.back());
            images_.erase(recent_.back());
            recent_.pop_back();
        }
        return made;
    }

private:
    static constexpr std::int64_t kBudgetLayoutPixels = 1000000;
    static std::int64_t Area(const FigureKey& k) { return std::int64_t{k.width} * k.height; }

    struct Entry {
        BlendImage image;
        std::list<FigureKey>::iterator place;  // in recent_
    };
    std::unordered_map<FigureKey, Entry, FigureKeyHash> images_;
    std::list<FigureKey> recent_;  // most recently drawn first
    std::int64_t area_ = 0;
};

}  // namespace

namespace {

// A premultiplied colour s with coverage a over the frame's pixel d: each
// channel s + d * (255 - a) / 255, rounded. Red and blue share one word, each in
// 16 bits, green has its own; (v + 1 + (v >> 8)) >> 8 is v / 255 exactly for
// every v these reach, and no channel of s exceeds a, so no sum passes 255.
inline std::uint32_t Over(std::uint32_t s, std::uint32_t a, std::uint32_t d) {
    if (a == 255) return s;
    if (a == 0) return d;
    const std::uint32_t keep = 255 - a;
    std::uint32_t rb = (d & 0x00FF00FFu) * keep + 0x007F007Fu;
    std::uint32_t g = ((d >> 8) & 0xFFu) * keep + 0x7Fu;
    rb = ((rb + 0x00010001u + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    g = ((g + 1 + (g >> 8)) >> 8) & 0xFFu;
    return s + (rb | (g << 8));
}

void BlendRun(const std::uint32_t* rgb, const std::uint8_t* alpha, std::uint32_t* dst, int count) {
    for (int x = 0; x < count; ++x) dst[x] = Over(rgb[x], alpha[x], dst[x]);
}

}  // namespace

void Painter::Impl::Blend(const BlendImage& image, int left, int top) {
    const TRect c = TRect{left, top, image.width, image.height}.Intersect(state.clip);
    if (c.Empty()) return;
    BeginDirect();
    const int right = static_cast<int>(c.Right());  // within the frame
    for (int y = c.Top; y < c.Bottom(); ++y) {
        // Image columns from the clip's left edge on; frame columns in dst.
        const std::size_t at = static_cast<std::size_t>(y - top) * static_cast<std::size_t>(image.width) +
                               static_cast<std::size_t>(c.Left - left);
        const std::uint32_t* rgb = image.rgb.data() + at;
        const std::uint8_t* alpha = image.alpha.data() + at;
        std::uint32_t* dst = Row(y) + c.Left;
        // Blended edges either side of the fully covered inside, which is only copied.
        const auto [first, end] = image.solid[static_cast<std::size_t>(y - top)];
        const int solidFrom = std::clamp(left + first, c.Left, right) - c.Left;
        const int solidTo = std::clamp(left + end, c.Left + solidFrom, right) - c.Left;
        BlendRun(rgb, alpha, dst, solidFrom);
        std::memcpy(dst + solidFrom, rgb + solidFrom, static_cast<std::size_t>(solidTo - solidFrom) * 4);
        BlendRun(rgb + solidTo, alpha + solidTo, dst + solidTo, right - c.Left - solidTo);
    }
}

void Painter::DrawRect(const TRect& box, TColor pen, int penWidth, TColor brush) {
    const TRect b = impl_->ToFrame(box);
    const DisplayScale& scale = impl_->scale;
    const TRect d = scale.ToDevice(b);
    if (b.Empty() || d.Intersect(impl_->state.clip).Empty()) return;
    const int t = std::max(1, penWidth);
    const std::uint32_t penPixel = Pixel(pen);
    if (2 * t >= b.Width || 2 * t >= b.Height) {
        impl_->Fill(d, penPixel);
        return;
    }
    // The pen's edges in device pixels: t layout pixels in from each side.
    const int innerTop = scale.ToDevice(std::int64_t{b.Top} + t), innerBottom = scale.ToDevice(b.Bottom() - t);
    const int innerLeft = scale.ToDevice(std::int64_t{b.Left} + t), innerRight = scale.ToDevice(b.Right() - t);
    impl_->Fill({d.Left, d.Top, d.Width, innerTop - d.Top}, penPixel);
    impl_->Fill({d.Left, innerBottom, d.Width, Edge(d.Bottom() - innerBottom)}, penPixel);
    // The rows between: pen, brush, pen, in one pass per row.
    const TRect middle = TRect{d.Left, innerTop, d.Width, innerBottom - innerTop}.Intersect(impl_->state.clip);
    if (middle.Empty()) return;
    impl_->BeginDirect();
    const std::uint32_t brushPixel = Pixel(brush);
    const int middleRight = Edge(middle.Right());
    for (int y = middle.Top; y < middle.Bottom(); ++y) {
        std::uint32_t* row = impl_->Row(y);
        for (int x = middle.Left; x < std::min(innerLeft, middleRight); ++x) row[x] = penPixel;
        const int from = std::max(innerLeft, middle.Left), to = std::min(innerRight, middleRight);
        if (to > from) {
            std::wmemset(reinterpret_cast<wchar_t*>(row + from), static_cast<wchar_t>(brushPixel),
                         static_cast<std::size_t>(to - from));
        }
        for (int x = std::max(innerRight, middle.Left); x < middleRight; ++x) row[x] = penPixel;
    }
}

void Painter::DrawRoundRect(const TRect& box, int roundW, int roundH, TColor pen, int penWidth, TColor brush) {
    const TRect d = impl_->ToDevice(box);
    if (box.Empty() || d.Intersect(impl_->state.clip).Empty()) return;
    const FigureKey key{
        Figure::RoundRect, box.Width, box.Height, std::max(0, roundW), std::max(0, roundH), penWidth, Pixel(pen),
        Pixel(brush),      d.Width,   d.Height};
    impl_->Blend(FigureCache::Get().Image(key), d.Left, d.Top);
}

void Painter::DrawEllipse(const TRect& box, TColor pen, int penWidth, TColor brush) {
    const TRect d = impl_->ToDevice(box);
    if (box.Empty() || d.Intersect(impl_->state.clip).Empty()) return;
    const FigureKey key{Figure::Ellipse, box.Width,  box.Height,   0,       0,
                        penWidth,        Pixel(pen), Pixel(brush), d.Width, d.Height};
    impl_->Blend(FigureCache::Get().Image(key), d.Left, d.Top);
}

void Painter::DrawEdge(const TRect& box, EdgeStyle style) {
    // Each ring: top and left in one colour, bottom and right in the other.
    const auto ring = [this](const TRect& r, TColor topLeft, TColor bottomRight) {
        if (r.Width <= 0 || r.Height <= 0) return;
        FillRect({r.Left, r.Top, r.Width - 1, 1}, topLeft);
        FillRect({r.Left, r.Top, 1, r.Height - 1}, topLeft);
        FillRect({r.Left, Edge(r.Bottom() - 1), r.Width, 1}, bottomRight);
        FillRect({Edge(r.Right() - 1), r.Top, 1, r.Height}, bottomRight);
    };
    constexpr TColor kDarkShadow = 0x404040;
    const TRect inner{box.Left + 1, box.Top + 1, box.Width - 2, box.Height - 2};
    if (style == EdgeStyle::Sunken) {
        ring(box, clBtnShadow, clBtnHighlight);
        ring(inner, kDarkShadow, clBtnFace);
    } else {
        ring(box, clBtnFace, kDarkShadow);
        ring(inner, clBtnHighlight, clBtnShadow);
    }
}

void Painter::DrawFocusRect(const TRect& box) {
    const TRect b = impl_->ToFrame(box);
    if (b.Empty()) return;
    impl_->BeginDirect();
    // Layout pixel (x, y): the device pixels it covers, inside the clip.
    const auto invert = [this](int x, int y) {
        const TRect& deviceClip = impl_->state.clip;
        const TRect pixels = impl_->scale.ToDevice(TRect{x, y, 1, 1}).Intersect(deviceClip);
        for (int row = pixels.Top; row < pixels.Bottom(); ++row) {
            std::uint32_t* p = impl_->Row(row);
            for (int col = pixels.Left; col < pixels.Right(); ++col) p[col] ^= 0x00FFFFFF;
        }
    };
    // Every second pixel from the corner, walked only as far as the clip reaches.
    const TRect clip = impl_->scale.LayoutCovering(impl_->state.clip);
    const int right = Edge(std::min(b.Right(), clip.Right())), bottom = Edge(std::min(b.Bottom() - 1, clip.Bottom()));
    const int farX = Edge(b.Right() - 1), farY = Edge(b.Bottom() - 1);
    const auto firstFrom = [](std::int64_t start, int clipStart) {
        return start >= clipStart ? start : clipStart + ((clipStart - start) & 1);
    };
    for (int x = Edge(firstFrom(b.Left, clip.Left)); x < right; x += 2) {
        invert(x, b.Top);
        if (b.Height > 1) invert(x, farY);
    }
    for (int y = Edge(firstFrom(std::int64_t{b.Top} + 2, clip.Top)); y < bottom; y += 2) {
        invert(b.Left, y);
        if (b.Width > 1) invert(farX, y);
    }
}

void Painter::DrawLine(int x0, int y0, int x1, int y1, TColor color) {
    const std::uint32_t pixel = Pixel(color);
    x0 += impl_->state.dx;
    x1 += impl_->state.dx;
    y0 += impl_->state.dy;
    y1 += impl_->state.dy;
    if (x0 == x1 || y0 == y1) {
        const TRect line{std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1};
        impl_->Fill(impl_->scale.ToDevice(line), pixel);
        return;
    }
    impl_->BeginDirect();
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (true) {
        impl_->Plot(x0, y0, pixel);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

}  // namespace scene
