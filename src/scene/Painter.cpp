#include "scene/Painter.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <list>
#include <unordered_map>
#include <vector>

#include "scene/Cp1252.h"
#include "scene/Fonts.h"
#include "scene/Picture.h"

namespace scene {

namespace {

// ---------------------------------------------------------------------------
// Owners of Cairo and Pango handles.

struct GObjectDeleter {
    void operator()(void* p) const { g_object_unref(p); }
};
struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct DescriptionDeleter {
    void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
struct AttrListDeleter {
    void operator()(PangoAttrList* a) const { pango_attr_list_unref(a); }
};
struct TabArrayDeleter {
    void operator()(PangoTabArray* t) const { pango_tab_array_free(t); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;
using LayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;

std::uint32_t Pixel(TColor color) {
    const Rgb c = ResolveColor(color);
    return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

void SetSource(cairo_t* cr, std::uint32_t pixel) {
    cairo_set_source_rgb(cr, ((pixel >> 16) & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0, (pixel & 0xFF) / 255.0);
}

// ---------------------------------------------------------------------------
// Text: Pango layouts, built once per distinct text and font and kept, since
// the same fifteen labels are drawn in every frame.

struct TextLayout {
    LayoutPtr layout;
    int x = 0, y = 0, width = 0, height = 0;   // logical extents in pixels
};

// "&x" underlines x and "&&" is one "&"; the result is UTF-8 with the byte
// ranges to underline.
struct DisplayText {
    std::string utf8;
    std::vector<std::pair<int, int>> underlines;
};

DisplayText ToDisplay(std::string_view cp1252, bool showAccelChar) {
    DisplayText out;
    out.utf8.reserve(cp1252.size());
    for (std::size_t i = 0; i < cp1252.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(cp1252[i]);
        if (!showAccelChar || c != '&') {
            AppendUtf8(out.utf8, Cp1252ToUnicode(c));
            continue;
        }
        if (i + 1 >= cp1252.size()) break;   // a lone "&" at the end shows nothing
        ++i;
        const unsigned char next = static_cast<unsigned char>(cp1252[i]);
        const int start = static_cast<int>(out.utf8.size());
        AppendUtf8(out.utf8, Cp1252ToUnicode(next));
        if (next != '&') out.underlines.emplace_back(start, static_cast<int>(out.utf8.size()));
    }
    return out;
}

class TextEngine {
public:
    static TextEngine& Get() {
        static TextEngine engine;
        return engine;
    }

    // wrapWidth < 0: no wrapping.
    const TextLayout& Layout(std::string_view cp1252, const TFont& font, bool showAccelChar, int wrapWidth,
                             TAlignment alignment) {
        key_.clear();
        AppendKey(font, showAccelChar, wrapWidth, alignment);
        key_.append(cp1252);
        auto it = cache_.find(key_);
        if (it != cache_.end()) {
            order_.splice(order_.begin(), order_, it->second.place);
            return it->second.text;
        }
        if (cache_.size() >= kCapacity) Evict();
        Entry entry;
        entry.text = Build(cp1252, font, showAccelChar, wrapWidth, alignment);
        order_.push_front(key_);
        entry.place = order_.begin();
        return cache_.emplace(key_, std::move(entry)).first->second.text;
    }

private:
    static constexpr std::size_t kCapacity = 512;

    struct Entry {
        TextLayout text;
        std::list<std::string>::iterator place;
    };

    TextEngine() : context_(pango_font_map_create_context(pango_cairo_font_map_get_default())) {
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(context_.get(), options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(context_.get(), 96);
    }

    void AppendKey(const TFont& font, bool showAccelChar, int wrapWidth, TAlignment alignment) {
        key_ += font.Name;
        key_ += '\x01';
        key_ += std::to_string(font.Height);
        key_ += '/';
        key_ += std::to_string(font.Style);
        key_ += '/';
        key_ += std::to_string(wrapWidth);
        key_ += showAccelChar ? 'a' : 'n';
        key_ += static_cast<char>('0' + static_cast<int>(alignment));
        key_ += '\x01';
    }

    void Evict() {
        // Drop the older half at once so eviction stays rare.
        while (cache_.size() > kCapacity / 2) {
            cache_.erase(order_.back());
            order_.pop_back();
        }
    }

    TextLayout Build(std::string_view cp1252, const TFont& font, bool showAccelChar, int wrapWidth,
                     TAlignment alignment) {
        const FontFace& face = MatchFont(font);
        const DisplayText text = ToDisplay(cp1252, showAccelChar);

        TextLayout out;
        out.layout.reset(pango_layout_new(context_.get()));
        PangoLayout* layout = out.layout.get();

        std::unique_ptr<PangoFontDescription, DescriptionDeleter> desc(pango_font_description_new());
        pango_font_description_set_family(desc.get(), face.family.c_str());
        pango_font_description_set_weight(desc.get(), static_cast<PangoWeight>(face.weight));
        pango_font_description_set_style(desc.get(), face.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        pango_font_description_set_absolute_size(desc.get(), face.emPixels * PANGO_SCALE);
        pango_layout_set_font_description(layout, desc.get());

        // Tabs stop at every eighth average character width.
        const int tab = 8 * MetricsOf(font).averageCharWidth;
        std::unique_ptr<PangoTabArray, TabArrayDeleter> tabs(pango_tab_array_new(2, TRUE));
        pango_tab_array_set_tab(tabs.get(), 0, PANGO_TAB_LEFT, tab);
        pango_tab_array_set_tab(tabs.get(), 1, PANGO_TAB_LEFT, 2 * tab);
        pango_layout_set_tabs(layout, tabs.get());

        switch (alignment) {
            case TAlignment::taLeftJustify: pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT); break;
            case TAlignment::taRightJustify: pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT); break;
            case TAlignment::taCenter: pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER); break;
        }
        if (wrapWidth >= 0) {
            pango_layout_set_width(layout, std::max(1, wrapWidth) * PANGO_SCALE);
            pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        }

        std::unique_ptr<PangoAttrList, AttrListDeleter> attrs(pango_attr_list_new());
        const bool wholeUnderline = (font.Style & fsUnderline) != 0;
        if (wholeUnderline) pango_attr_list_insert(attrs.get(), pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (font.Style & fsStrikeOut) pango_attr_list_insert(attrs.get(), pango_attr_strikethrough_new(TRUE));
        if (!wholeUnderline) {
            for (const auto& [start, end] : text.underlines) {
                PangoAttribute* u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
                u->start_index = static_cast<guint>(start);
                u->end_index = static_cast<guint>(end);
                pango_attr_list_insert(attrs.get(), u);
            }
        }
        pango_layout_set_attributes(layout, attrs.get());
        pango_layout_set_text(layout, text.utf8.data(), static_cast<int>(text.utf8.size()));

        PangoRectangle logical{};
        pango_layout_get_pixel_extents(layout, nullptr, &logical);
        out.x = logical.x;
        out.y = logical.y;
        out.width = logical.width;
        out.height = logical.height;
        return out;
    }

    std::unique_ptr<PangoContext, GObjectDeleter> context_;
    std::unordered_map<std::string, Entry> cache_;
    std::list<std::string> order_;   // most recently used first
    std::string key_;
};

// Byte index in UTF-8 of byte index `index` of a Windows-1252 text, and back.
int Utf8Index(std::string_view cp1252, int index) {
    int out = 0;
    std::string one;
    for (int i = 0; i < index && i < static_cast<int>(cp1252.size()); ++i) {
        one.clear();
        AppendUtf8(one, Cp1252ToUnicode(static_cast<unsigned char>(cp1252[static_cast<std::size_t>(i)])));
        out += static_cast<int>(one.size());
    }
    return out;
}

int Cp1252Index(std::string_view cp1252, int utf8Index) {
    int bytes = 0;
    std::string one;
    for (int i = 0; i < static_cast<int>(cp1252.size()); ++i) {
        if (bytes >= utf8Index) return i;
        one.clear();
        AppendUtf8(one, Cp1252ToUnicode(static_cast<unsigned char>(cp1252[static_cast<std::size_t>(i)])));
        bytes += static_cast<int>(one.size());
    }
    return static_cast<int>(cp1252.size());
}

// ---------------------------------------------------------------------------
// Round figures: drawn once per size and colours into a small premultiplied
// image, then blended in. Nine movers are drawn in every frame.

enum class Figure { RoundRect, Ellipse };

struct FigureKey {
    Figure figure;
    int width, height, roundW, roundH, penWidth;
    std::uint32_t pen, brush;
    bool operator==(const FigureKey&) const = default;
};

struct FigureKeyHash {
    std::size_t operator()(const FigureKey& k) const {
        std::size_t h = static_cast<std::size_t>(k.figure);
        for (std::uint64_t v : {std::uint64_t(k.width), std::uint64_t(k.height), std::uint64_t(k.roundW),
                                std::uint64_t(k.roundH), std::uint64_t(k.penWidth), std::uint64_t(k.pen),
                                std::uint64_t(k.brush)}) {
            h = h * 1000003u ^ static_cast<std::size_t>(v);
        }
        return h;
    }
};

struct FigureImage {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;   // premultiplied
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

FigureImage RenderFigure(const FigureKey& k) {
    FigureImage image;
    image.width = k.width;
    image.height = k.height;
    image.argb.assign(static_cast<std::size_t>(k.width) * k.height, 0);
    SurfacePtr surface(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(image.argb.data()),
                                                           CAIRO_FORMAT_ARGB32, k.width, k.height, k.width * 4));
    CairoPtr cr(cairo_create(surface.get()));
    // The pen's figure first, then the brush's inside it: the outline is the ring between.
    SetSource(cr.get(), k.pen);
    FigurePath(cr.get(), k, 0);
    cairo_fill(cr.get());
    SetSource(cr.get(), k.brush);
    FigurePath(cr.get(), k, std::max(1, k.penWidth));
    cairo_fill(cr.get());
    cairo_surface_flush(surface.get());
    return image;
}

class FigureCache {
public:
    static FigureCache& Get() {
        static FigureCache cache;
        return cache;
    }
    const FigureImage& Image(const FigureKey& k) {
        auto it = images_.find(k);
        if (it != images_.end()) return it->second;
        if (images_.size() >= 256) images_.clear();
        return images_.emplace(k, RenderFigure(k)).first->second;
    }

private:
    std::unordered_map<FigureKey, FigureImage, FigureKeyHash> images_;
};

// ---------------------------------------------------------------------------
// Pictures: the decoded pixels stay with the picture; the scaled copy for the
// size last drawn is kept beside them, so a repaint at the same size only copies.

struct ScaledPicture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

const ScaledPicture& ScaledFor(Picture& picture, int width, int height) {
    auto scaled = std::static_pointer_cast<ScaledPicture>(picture.cache);
    if (!scaled) {
        scaled = std::make_shared<ScaledPicture>();
        picture.cache = scaled;
    }
    if (scaled->width == width && scaled->height == height && !scaled->pixels.empty()) return *scaled;

    const std::vector<std::uint32_t>& src = picture.Pixels();
    const int sw = picture.Width(), sh = picture.Height();
    std::vector<int> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        columns[static_cast<std::size_t>(x)] =
            static_cast<int>((static_cast<std::int64_t>(2 * x + 1) * sw) / (2 * static_cast<std::int64_t>(width)));
    }
    scaled->pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>((static_cast<std::int64_t>(2 * y + 1) * sh) / (2 * static_cast<std::int64_t>(height)));
        const std::uint32_t* srow = src.data() + static_cast<std::size_t>(sy) * sw;
        std::uint32_t* drow = scaled->pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) drow[x] = srow[columns[static_cast<std::size_t>(x)]];
    }
    scaled->width = width;
    scaled->height = height;
    return *scaled;
}

TRect Offset(const TRect& r, int dx, int dy) { return {r.Left + dx, r.Top + dy, r.Width, r.Height}; }

}  // namespace

// ---------------------------------------------------------------------------

struct Painter::Impl {
    struct State {
        int dx = 0, dy = 0;
        TRect clip;   // frame coordinates
    };

    FrameBuffer frame;
    State state;
    std::vector<State> saved;

    SurfacePtr surface;
    CairoPtr cr;
    bool cairoDrew = false;      // Cairo wrote pixels since we last wrote our own
    bool directWrote = false;    // we wrote pixels since Cairo last drew

    std::uint32_t* Row(int y) const {
        return reinterpret_cast<std::uint32_t*>(frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.stride);
    }

    TRect ToFrame(const TRect& r) const { return Offset(r, state.dx, state.dy); }

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

    // Fills a rectangle given in frame coordinates, cut by the clip.
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

    void Blend(const FigureImage& image, int left, int top) {
        const TRect c = TRect{left, top, image.width, image.height}.Intersect(state.clip);
        if (c.Empty()) return;
        BeginDirect();
        for (int y = c.Top; y < c.Bottom(); ++y) {
            const std::uint32_t* src = image.argb.data() + static_cast<std::size_t>(y - top) * image.width + (c.Left - left);
            std::uint32_t* dst = Row(y) + c.Left;
            for (int x = 0; x < c.Width; ++x) {
                const std::uint32_t s = src[x];
                const std::uint32_t a = s >> 24;
                if (a == 255) {
                    dst[x] = s & 0x00FFFFFF;
                } else if (a != 0) {
                    const std::uint32_t d = dst[x], keep = 255 - a;
                    std::uint32_t out = 0;
                    for (int shift = 0; shift < 24; shift += 8) {
                        const std::uint32_t channel = ((s >> shift) & 0xFF) + (((d >> shift) & 0xFF) * keep + 127) / 255;
                        out |= std::min<std::uint32_t>(channel, 255) << shift;
                    }
                    dst[x] = out;
                }
            }
        }
    }

    void Plot(int x, int y, std::uint32_t pixel) {
        if (state.clip.Contains(x, y)) Row(y)[x] = pixel;
    }

    void RenderText(const TextLayout& text, int x, int y, const TRect& clip, std::uint32_t pixel) {
        cairo_t* c = BeginCairo();
        cairo_save(c);
        cairo_rectangle(c, clip.Left, clip.Top, clip.Width, clip.Height);
        cairo_clip(c);
        SetSource(c, pixel);
        cairo_move_to(c, x, y);
        pango_cairo_show_layout(c, text.layout.get());
        cairo_restore(c);
    }
};

Painter::Painter(const FrameBuffer& frame) : impl_(std::make_unique<Impl>()) {
    impl_->frame = frame;
    impl_->state.clip = {0, 0, frame.width, frame.height};
}

Painter::~Painter() {
    if (impl_->cairoDrew) cairo_surface_flush(impl_->surface.get());
}

void Painter::Save() { impl_->saved.push_back(impl_->state); }

void Painter::Restore() {
    if (impl_->saved.empty()) return;
    impl_->state = impl_->saved.back();
    impl_->saved.pop_back();
}

void Painter::Translate(int dx, int dy) {
    impl_->state.dx += dx;
    impl_->state.dy += dy;
}

void Painter::ClipRect(const TRect& r) { impl_->state.clip = impl_->state.clip.Intersect(impl_->ToFrame(r)); }

bool Painter::Visible(const TRect& r) const { return !impl_->ToFrame(r).Intersect(impl_->state.clip).Empty(); }

void Painter::FillRect(const TRect& r, TColor color) { impl_->Fill(impl_->ToFrame(r), Pixel(color)); }

void Painter::DrawRect(const TRect& box, TColor pen, int penWidth, TColor brush) {
    const TRect b = impl_->ToFrame(box);
    if (b.Empty() || b.Intersect(impl_->state.clip).Empty()) return;
    const int t = std::max(1, penWidth);
    const std::uint32_t penPixel = Pixel(pen);
    if (2 * t >= b.Width || 2 * t >= b.Height) {
        impl_->Fill(b, penPixel);
        return;
    }
    impl_->Fill({b.Left, b.Top, b.Width, t}, penPixel);
    impl_->Fill({b.Left, b.Bottom() - t, b.Width, t}, penPixel);
    // The rows between: pen, brush, pen, in one pass per row.
    const TRect middle = TRect{b.Left, b.Top + t, b.Width, b.Height - 2 * t}.Intersect(impl_->state.clip);
    if (middle.Empty()) return;
    impl_->BeginDirect();
    const std::uint32_t brushPixel = Pixel(brush);
    const int innerLeft = b.Left + t, innerRight = b.Right() - t;
    for (int y = middle.Top; y < middle.Bottom(); ++y) {
        std::uint32_t* row = impl_->Row(y);
        for (int x = middle.Left; x < std::min(innerLeft, middle.Right()); ++x) row[x] = penPixel;
        const int from = std::max(innerLeft, middle.Left), to = std::min(innerRight, middle.Right());
        if (to > from) {
            std::wmemset(reinterpret_cast<wchar_t*>(row + from), static_cast<wchar_t>(brushPixel),
                         static_cast<std::size_t>(to - from));
        }
        for (int x = std::max(innerRight, middle.Left); x < middle.Right(); ++x) row[x] = penPixel;
    }
}

void Painter::DrawRoundRect(const TRect& box, int roundW, int roundH, TColor pen, int penWidth, TColor brush) {
    const TRect b = impl_->ToFrame(box);
    if (b.Empty() || b.Intersect(impl_->state.clip).Empty()) return;
    const FigureKey key{Figure::RoundRect, b.Width, b.Height, std::max(0, roundW), std::max(0, roundH),
                        penWidth, Pixel(pen), Pixel(brush)};
    impl_->Blend(FigureCache::Get().Image(key), b.Left, b.Top);
}

void Painter::DrawEllipse(const TRect& box, TColor pen, int penWidth, TColor brush) {
    const TRect b = impl_->ToFrame(box);
    if (b.Empty() || b.Intersect(impl_->state.clip).Empty()) return;
    const FigureKey key{Figure::Ellipse, b.Width, b.Height, 0, 0, penWidth, Pixel(pen), Pixel(brush)};
    impl_->Blend(FigureCache::Get().Image(key), b.Left, b.Top);
}

void Painter::DrawEdge(const TRect& box, EdgeStyle style) {
    // Each ring: top and left in one colour, bottom and right in the other.
    const auto ring = [this](const TRect& r, TColor topLeft, TColor bottomRight) {
        if (r.Width <= 0 || r.Height <= 0) return;
        FillRect({r.Left, r.Top, r.Width - 1, 1}, topLeft);
        FillRect({r.Left, r.Top, 1, r.Height - 1}, topLeft);
        FillRect({r.Left, r.Bottom() - 1, r.Width, 1}, bottomRight);
        FillRect({r.Right() - 1, r.Top, 1, r.Height}, bottomRight);
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
    const auto invert = [this](int x, int y) {
        if (impl_->state.clip.Contains(x, y)) impl_->Row(y)[x] ^= 0x00FFFFFF;
    };
    for (int x = b.Left; x < b.Right(); x += 2) {
        invert(x, b.Top);
        if (b.Height > 1) invert(x, b.Bottom() - 1);
    }
    for (int y = b.Top + 2; y < b.Bottom() - 1; y += 2) {
        invert(b.Left, y);
        if (b.Width > 1) invert(b.Right() - 1, y);
    }
}

void Painter::DrawLine(int x0, int y0, int x1, int y1, TColor color) {
    const std::uint32_t pixel = Pixel(color);
    x0 += impl_->state.dx;
    x1 += impl_->state.dx;
    y0 += impl_->state.dy;
    y1 += impl_->state.dy;
    if (x0 == x1 || y0 == y1) {
        impl_->Fill({std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1}, pixel);
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
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

void Painter::DrawText(const TRect& box, std::string_view cp1252, const TFont& font, const TextOptions& opts,
                       TColor colorOverride) {
    const TRect b = impl_->ToFrame(box);
    const TRect clip = b.Intersect(impl_->state.clip);
    if (clip.Empty() || cp1252.empty()) return;
    const int wrapWidth = opts.wordWrap ? box.Width : -1;
    const TextLayout& text = TextEngine::Get().Layout(cp1252, font, opts.showAccelChar, wrapWidth, opts.alignment);

    int x = b.Left;
    if (!opts.wordWrap) {
        if (opts.alignment == TAlignment::taRightJustify) x += b.Width - text.width;
        if (opts.alignment == TAlignment::taCenter) x += (b.Width - text.width) / 2;
        x -= text.x;
    }
    int y = b.Top - text.y;
    if (opts.layout == TTextLayout::tlCenter) y += (b.Height - text.height) / 2;
    if (opts.layout == TTextLayout::tlBottom) y += b.Height - text.height;

    if (opts.look == TextLook::Greyed) {
        impl_->RenderText(text, x + 1, y + 1, clip, Pixel(clBtnHighlight));
        impl_->RenderText(text, x, y, clip, Pixel(clBtnShadow));
        return;
    }
    impl_->RenderText(text, x, y, clip, Pixel(colorOverride == kNoColor ? font.Color : colorOverride));
}

void Painter::DrawPicture(const TRect& box, Picture& picture, PictureFit fit) {
    TRect b = impl_->ToFrame(box);
    if (fit == PictureFit::NaturalSize) {
        b.Width = picture.Width();
        b.Height = picture.Height();
    }
    const TRect c = b.Intersect(impl_->state.clip);
    if (c.Empty()) return;
    const ScaledPicture& scaled = ScaledFor(picture, b.Width, b.Height);
    impl_->BeginDirect();
    for (int y = c.Top; y < c.Bottom(); ++y) {
        const std::uint32_t* src = scaled.pixels.data() + static_cast<std::size_t>(y - b.Top) * scaled.width + (c.Left - b.Left);
        std::memcpy(impl_->Row(y) + c.Left, src, static_cast<std::size_t>(c.Width) * 4);
    }
}

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
