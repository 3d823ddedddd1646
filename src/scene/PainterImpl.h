// What the painter's files share: the painter's state over its frame, the pixel
// helpers and the Cairo handles. Shapes are drawn in PainterShapes.cpp, text in
// PainterText.cpp (its layouts kept by TextEngine.cpp), pictures in
// PainterPictures.cpp. Not for element kinds.
#pragma once

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "scene/Painter.h"

namespace scene {

namespace painter_detail {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;

inline std::uint32_t Pixel(TColor color) {
    const Rgb c = ResolveColor(color);
    return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

inline void SetSource(cairo_t* cr, std::uint32_t pixel) {
    cairo_set_source_rgb(cr, ((pixel >> 16) & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0, (pixel & 0xFF) / 255.0);
}

// A far edge as an int: one beyond the int range lies outside every frame anyway.
inline int Edge(std::int64_t v) {
    return static_cast<int>(
        std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

inline TRect Offset(const TRect& r, int dx, int dy) { return {r.Left + dx, r.Top + dy, r.Width, r.Height}; }

// A premultiplied image blended into the frame: a round figure drawn once per
// size and colours, a text drawn once per colour and place. Colour and coverage
// are kept apart so that a fully covered run is a plain copy.
struct BlendImage {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;  // premultiplied, the top byte clear as in the frame
    std::vector<std::uint8_t> alpha;
    // Per row, the first run of fully covered pixels [first, end): a round
    // figure's inside. Empty when the row has none.
    std::vector<std::pair<int, int>> solid;

    // Becomes width x height premultiplied ARGB32 pixels, `stride` pixels a row
    // (keeping its room).
    void Assign(const std::uint32_t* argb, int stride, int width, int height);
    std::size_t Bytes() const { return rgb.size() * 5 + solid.size() * sizeof(solid[0]); }
};

struct TextLayout;  // TextEngine.h

}  // namespace painter_detail

struct Painter::Impl {
    using SurfacePtr = painter_detail::SurfacePtr;
    using CairoPtr = painter_detail::CairoPtr;

    struct State {
        int dx = 0, dy = 0;  // layout pixels
        TRect clip;          // the frame's device pixels
    };

    FrameBuffer frame;
    DisplayScale scale;
    State state;
    std::vector<State> saved;

    SurfacePtr surface;
    CairoPtr cr;
    bool cairoDrew = false;    // Cairo wrote pixels since we last wrote our own
    bool directWrote = false;  // we wrote pixels since Cairo last drew

    std::uint32_t* Row(int y) const {
        return reinterpret_cast<std::uint32_t*>(frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.stride);
    }

    // A rectangle in current coordinates, in the frame's layout pixels.
    TRect ToFrame(const TRect& r) const { return painter_detail::Offset(r, state.dx, state.dy); }
    // The same, in the frame's device pixels.
    TRect ToDevice(const TRect& r) const { return scale.ToDevice(ToFrame(r)); }

    void BeginDirect() {
        if (cairoDrew) {
            cairo_surface_flush(surface.get());
            cairoDrew = false;
        }
        directWrote = true;
    }

    cairo_t* BeginCairo() {
        if (!cr) {
            surface.reset(cairo_image_surface_create_for_data(frame.pixels, CAIRO_FORMAT_RGB24, frame.width,
                                                              frame.height, frame.stride));
            cr.reset(cairo_create(surface.get()));
        }
        if (directWrote) {
            cairo_surface_mark_dirty(surface.get());
            directWrote = false;
        }
        cairoDrew = true;
        return cr.get();
    }

    // Fills a rectangle of device pixels, cut by the clip.
    void Fill(const TRect& r, std::uint32_t pixel) {
        const TRect c = r.Intersect(state.clip);
        if (c.Empty()) return;
        BeginDirect();
        // wmemset is glibc's vectorised fill of 32-bit units, the same size as our pixels.
        static_assert(sizeof(wchar_t) == sizeof(std::uint32_t));
        for (int y = c.Top; y < c.Bottom(); ++y) {
            std::wmemset(reinterpret_cast<wchar_t*>(Row(y) + c.Left), static_cast<wchar_t>(pixel),
                         static_cast<std::size_t>(c.Width));
        }
    }

    // A premultiplied image blended in at device pixel (left, top).
    void Blend(const painter_detail::BlendImage& image, int left, int top);

    // One layout pixel at (x, y) of the frame.
    void Plot(int x, int y, std::uint32_t pixel) {
        if (scale.IsOne()) {
            if (state.clip.Contains(x, y)) Row(y)[x] = pixel;
            return;
        }
        Fill(scale.ToDevice(TRect{x, y, 1, 1}), pixel);
    }

    // Text laid out in layout pixels with its origin at layout point (x, y) of the
    // frame, drawn at the device's density inside box, within clip (both device
    // pixels, clip inside box).
    void RenderText(painter_detail::TextLayout& text, int x, int y, const TRect& box, const TRect& clip,
                    std::uint32_t pixel);
};

}  // namespace scene
