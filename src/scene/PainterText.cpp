// Text: drawing, measuring and caret places, from the layouts the text-layout
// cache (TextEngine.h) keeps.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "scene/Painter.h"
#include "scene/PainterImpl.h"
#include "scene/TextEngine.h"

namespace scene {

using painter_detail::Cp1252Index;
using painter_detail::Pixel;
using painter_detail::SetSource;
using painter_detail::TextEngine;
using painter_detail::TextImage;
using painter_detail::TextImageKey;
using painter_detail::TextLayout;
using painter_detail::Utf8Index;

namespace {

// Text at layout point (x, y) of the frame, in device box at the scale's density.
TextImageKey KeyOf(std::uint32_t pixel, double factor, int x, int y, const TRect& box) {
    return {pixel, factor, factor * x - box.Left, factor * y - box.Top, box.Width, box.Height};
}

// Where DrawText puts a text in frame box b (layout pixels): its layout and origin.
struct PlacedText {
    TextLayout& text;
    int x, y;
};

PlacedText Place(const TRect& b, std::string_view cp1252, const TFont& font, const TextOptions& opts) {
    const int wrapWidth = opts.wordWrap ? b.Width : -1;
    TextLayout& text = TextEngine::Get().Layout(cp1252, font, opts.showAccelChar, wrapWidth, opts.alignment);
    int x = b.Left;
    if (!opts.wordWrap) {
        if (opts.alignment == TAlignment::taRightJustify) x += b.Width - text.width;
        if (opts.alignment == TAlignment::taCenter) x += (b.Width - text.width) / 2;
        x -= text.x;
    }
    int y = b.Top - text.y;
    if (opts.layout == TTextLayout::tlCenter) y += (b.Height - text.height) / 2;
    if (opts.layout == TTextLayout::tlBottom) y += b.Height - text.height;
    return {text, x, y};
}

// The colours a text is drawn in, with their offsets: a greyed text is drawn twice.
struct Stroke {
    int dx, dy;
    TColor color;
};
struct Strokes {
    Stroke stroke[2];
    int count;
    const Stroke* begin() const { return stroke; }
    const Stroke* end() const { return stroke + count; }
};
Strokes StrokesOf(const TFont& font, const TextOptions& opts, TColor colorOverride) {
    if (opts.look == TextLook::Greyed) return {{{1, 1, clBtnHighlight}, {0, 0, clBtnShadow}}, 2};
    return {{{0, 0, colorOverride == Painter::kNoColor ? font.Color : colorOverride}, {}}, 1};
}

}  // namespace

void Painter::Impl::RenderText(TextLayout& text, int x, int y, const TRect& box, const TRect& clip,
                               std::uint32_t pixel) {
    const double factor = scale.Factor();
    const TextImageKey key = KeyOf(pixel, factor, x, y, box);
    TextEngine& engine = TextEngine::Get();
    if (TextEngine::Keepable(key)) {
        // The image lies inside the box; the clip cuts it further.
        const TRect outer = state.clip;
        state.clip = clip;
        const TextImage* kept = engine.Kept(text, key);
        const TextImage& image = kept ? *kept : engine.Scratch(text, key);
        Blend(image.image, box.Left + image.left, box.Top + image.top);
        state.clip = outer;
        return;
    }
    cairo_t* c = BeginCairo();
    cairo_save(c);
    cairo_rectangle(c, clip.Left, clip.Top, clip.Width, clip.Height);
    cairo_clip(c);
    SetSource(c, pixel);
    // The glyphs keep their layout places and are drawn from their outlines at
    // the device's density, so they are as sharp as text made for it.
    if (!scale.IsOne()) cairo_scale(c, factor, factor);
    cairo_move_to(c, x, y);
    pango_cairo_show_layout(c, text.layout.get());
    cairo_restore(c);
    engine.CountDrawing();
}

void Painter::DrawText(const TRect& box, std::string_view cp1252, const TFont& font, const TextOptions& opts,
                       TColor colorOverride) {
    const TRect b = impl_->ToFrame(box);
    const TRect device = impl_->scale.ToDevice(b);
    const TRect clip = device.Intersect(impl_->state.clip);
    if (clip.Empty() || cp1252.empty()) return;
    const PlacedText placed = Place(b, cp1252, font, opts);
    for (const Stroke& stroke : StrokesOf(font, opts, colorOverride))
        impl_->RenderText(placed.text, placed.x + stroke.dx, placed.y + stroke.dy, device, clip, Pixel(stroke.color));
}

void PrepareText(const TRect& frameBox, std::string_view cp1252, const TFont& font, const TextOptions& opts,
                 DisplayScale scale, TColor colorOverride) {
    const TRect device = scale.ToDevice(frameBox);
    if (device.Empty() || cp1252.empty()) return;
    const PlacedText placed = Place(frameBox, cp1252, font, opts);
    for (const Stroke& stroke : StrokesOf(font, opts, colorOverride)) {
        const TextImageKey key =
            KeyOf(Pixel(stroke.color), scale.Factor(), placed.x + stroke.dx, placed.y + stroke.dy, device);
        TextEngine::Get().Prepare(placed.text, key);
    }
}

TextWork TextWorkDone() { return TextEngine::Get().Work(); }

TextSize MeasureText(std::string_view cp1252, const TFont& font, bool showAccelChar, int wrapWidth) {
    if (cp1252.empty()) cp1252 = " ";
    const TextLayout& text = TextEngine::Get().Layout(cp1252, font, showAccelChar, wrapWidth > 0 ? wrapWidth : -1,
                                                      TAlignment::taLeftJustify);
    return {text.width, text.height};
}

int CaretOffset(std::string_view cp1252, const TFont& font, int index) {
    const TextLayout& text = TextEngine::Get().Layout(cp1252, font, false, -1, TAlignment::taLeftJustify);
    PangoRectangle pos{};
    pango_layout_index_to_pos(text.layout.get(), Utf8Index(cp1252, index), &pos);
    return PANGO_PIXELS(pos.x);
}

CaretPlace CaretPlaceIn(std::string_view cp1252, const TFont& font, int index, int wrapWidth) {
    const TextLayout& text =
        TextEngine::Get().Layout(cp1252, font, false, std::max(1, wrapWidth), TAlignment::taLeftJustify);
    PangoRectangle pos{};
    pango_layout_index_to_pos(text.layout.get(), Utf8Index(cp1252, index), &pos);
    return {PANGO_PIXELS(pos.x), PANGO_PIXELS(pos.y), PANGO_PIXELS(pos.height)};
}

int CaretIndexAt(std::string_view cp1252, const TFont& font, int x) {
    const TextLayout& text = TextEngine::Get().Layout(cp1252, font, false, -1, TAlignment::taLeftJustify);
    int index = 0, trailing = 0;
    pango_layout_xy_to_index(text.layout.get(), x * PANGO_SCALE, 0, &index, &trailing);
    return std::min(static_cast<int>(cp1252.size()), Cp1252Index(cp1252, index) + (trailing > 0 ? 1 : 0));
}

}  // namespace scene
