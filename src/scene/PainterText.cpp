// Text: Pango layouts of the game's Windows-1252 texts, built once per distinct
// text and font and kept; drawing, measuring and caret places.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "scene/Cp1252.h"
#include "scene/FontMap.h"
#include "scene/Fonts.h"
#include "scene/Painter.h"
#include "scene/PainterImpl.h"

namespace scene {

using painter_detail::BlendImage;
using painter_detail::CairoPtr;
using painter_detail::Pixel;
using painter_detail::SetSource;
using painter_detail::SurfacePtr;
using painter_detail::TextLayout;

namespace {

struct GObjectDeleter {
    void operator()(void* p) const { g_object_unref(p); }
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
using LayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;

}  // namespace

// A text drawn in one colour at one place of its box, at one density: the
// origin is the layout's, in device pixels from the box's corner.
struct TextImageKey {
    std::uint32_t pixel;
    double factor, originX, originY;
    int boxWidth, boxHeight;
    bool operator==(const TextImageKey&) const = default;
};

struct TextImage {
    TextImageKey key;
    bool made = false;       // false: drawn there once, from the scratch image
    int left = 0, top = 0;   // the image's place in the box: around its ink, cut to the box
    BlendImage image;
};

// Built once per distinct text and font and kept, since the same fifteen labels
// are drawn in every frame; so are its last few drawings, since movers pass
// under the labels and each pass draws them again.
struct painter_detail::TextLayout {
    LayoutPtr layout;
    int x = 0, y = 0, width = 0, height = 0;   // logical extents in pixels
    PangoRectangle ink{};                      // in Pango units
    std::vector<TextImage> images;             // oldest first
};

namespace {

// "&x" underlines x and "&&" is one "&"; the result is UTF-8 with the byte
// ranges to underline.
struct DisplayText {
    std::string utf8;
    std::vector<std::pair<int, int>> underlines;
};

// Control bytes other than the tab and the line ends show as their pictures
// (U+2400 on: a NUL as "NUL" in small letters, and so on): Pango would end the
// text at a NUL and draw the others as boxes of hex digits.
char32_t Shown(unsigned char c) {
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return 0x2400 + c;
    if (c == 0x7F) return 0x2421;
    return Cp1252ToUnicode(c);
}

DisplayText ToDisplay(std::string_view cp1252, bool showAccelChar) {
    DisplayText out;
    out.utf8.reserve(cp1252.size());
    for (std::size_t i = 0; i < cp1252.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(cp1252[i]);
        if (!showAccelChar || c != '&') {
            AppendUtf8(out.utf8, Shown(c));
            continue;
        }
        if (i + 1 >= cp1252.size()) break;   // a lone "&" at the end shows nothing
        ++i;
        const unsigned char next = static_cast<unsigned char>(cp1252[i]);
        const int start = static_cast<int>(out.utf8.size());
        AppendUtf8(out.utf8, Shown(next));
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
    TextLayout& Layout(std::string_view cp1252, const TFont& font, bool showAccelChar, int wrapWidth,
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
        ++work_.layouts;
        order_.push_front(key_);
        entry.place = order_.begin();
        return cache_.emplace(key_, std::move(entry)).first->second.text;
    }

    // Texts too large to keep are drawn straight into the frame.
    static bool Keepable(const TextImageKey& key) {
        return static_cast<long long>(key.boxWidth) * key.boxHeight <= kMaxImagePixels;
    }

    // The text's image for key, made when the text is drawn there a second time
    // (most texts are drawn once); null before. A first drawing goes through
    // Scratch() and is blended in to the same bit as the image will be: where two
    // strokes overlap (an underline and a descender, two lines of a panel), an
    // image rounds otherwise than drawing them one after the other into the
    // frame, and a text must look the same in every frame.
    const TextImage* Kept(TextLayout& text, const TextImageKey& key) {
        for (TextImage& image : text.images) {
            if (!(image.key == key)) continue;
            if (!image.made) {
                image = Scratch(text, key);
                image.made = true;
                imageBytes_ += image.image.Bytes();   // over the budget: trimmed at the next new drawing
            }
            return &image;
        }
        if (imageBytes_ > kImageBudget) DropOldImages();
        if (text.images.size() >= kImagesPerText) {
            imageBytes_ -= text.images.front().image.Bytes();
            text.images.erase(text.images.begin());
        }
        TextImage seen;
        seen.key = key;
        text.images.push_back(std::move(seen));
        return nullptr;
    }

    TextWork Work() const { return work_; }
    void CountDrawing() { ++work_.drawings; }

    // The text's image for key made now, as a second drawing would make it.
    void Prepare(TextLayout& text, const TextImageKey& key) {
        if (!Keepable(key) || Kept(text, key)) return;
        Kept(text, key);   // noted as drawn once just now: this call makes it
    }

    // The text drawn as key says, as it would be into the frame (the same glyph
    // places to the device pixel): an image covering the layout's ink with a
    // margin for the device's hinting and smoothing, within the box. It is the
    // engine's scratch, good until the next drawing.
    const TextImage& Scratch(const TextLayout& text, const TextImageKey& key) {
        const double scale = key.factor / PANGO_SCALE;
        const int margin = 2 + static_cast<int>(std::ceil(key.factor));
        const auto edge = [](double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); };
        const int inkLeft = edge(std::floor(key.originX + scale * text.ink.x)) - margin;
        const int inkTop = edge(std::floor(key.originY + scale * text.ink.y)) - margin;
        const int inkRight = edge(std::ceil(key.originX + scale * (text.ink.x + text.ink.width))) + margin;
        const int inkBottom = edge(std::ceil(key.originY + scale * (text.ink.y + text.ink.height))) + margin;
        scratch_.key = key;
        scratch_.left = std::max(0, inkLeft);
        scratch_.top = std::max(0, inkTop);
        const int width = std::max(0, std::min(key.boxWidth, inkRight) - scratch_.left);
        const int height = std::max(0, std::min(key.boxHeight, inkBottom) - scratch_.top);
        const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        scratchArgb_.assign(count, 0u);
        if (count > 0) {
            SurfacePtr surface(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(scratchArgb_.data()),
                                                                   CAIRO_FORMAT_ARGB32, width, height, width * 4));
            CairoPtr cr(cairo_create(surface.get()));
            SetSource(cr.get(), key.pixel);
            cairo_translate(cr.get(), key.originX - scratch_.left, key.originY - scratch_.top);
            if (key.factor != 1) cairo_scale(cr.get(), key.factor, key.factor);
            cairo_move_to(cr.get(), 0, 0);
            pango_cairo_show_layout(cr.get(), text.layout.get());
            cairo_surface_flush(surface.get());
            ++work_.drawings;
        }
        scratch_.image.Assign(scratchArgb_.data(), width, width, height);
        return scratch_;
    }

private:
    static constexpr std::size_t kCapacity = 512;
    // A text panel's line or a label is far smaller.
    static constexpr long long kMaxImagePixels = 1 << 20;
    static constexpr std::size_t kImagesPerText = 4;
    // A few dozen labels' images. The labels that stay (the lives, the score
    // line) are drawn again and again while a changing count leaves a new text
    // every second, so the images of the texts drawn least recently go first.
    static constexpr std::size_t kImageBudget = 1u << 20;

    struct Entry {
        TextLayout text;
        std::list<std::string>::iterator place;
    };

    TextEngine() : context_(pango_font_map_create_context(SharedFontMap())) {
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
            const auto it = cache_.find(order_.back());
            for (const TextImage& image : it->second.text.images) imageBytes_ -= image.image.Bytes();
            cache_.erase(it);
            order_.pop_back();
        }
    }

    // Down to half the budget, so that trimming stays rare.
    void DropOldImages() {
        for (auto it = order_.rbegin(); it != order_.rend() && imageBytes_ > kImageBudget / 2; ++it) {
            std::vector<TextImage>& images = cache_.find(*it)->second.text.images;
            for (const TextImage& image : images) imageBytes_ -= image.image.Bytes();
            images.clear();
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
        if (text.utf8.find('\t') != std::string::npos) {
            const int tab = 8 * AverageCharWidth(font);
            std::unique_ptr<PangoTabArray, TabArrayDeleter> tabs(pango_tab_array_new(2, TRUE));
            pango_tab_array_set_tab(tabs.get(), 0, PANGO_TAB_LEFT, tab);
            pango_tab_array_set_tab(tabs.get(), 1, PANGO_TAB_LEFT, 2 * tab);
            pango_layout_set_tabs(layout, tabs.get());
        }

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
        if (wrapWidth >= 0) SplitLongRuns(text.utf8, attrs.get());
        pango_layout_set_attributes(layout, attrs.get());
        pango_layout_set_text(layout, text.utf8.data(), static_cast<int>(text.utf8.size()));

        PangoRectangle logical{};
        pango_layout_get_extents(layout, &out.ink, nullptr);
        pango_layout_get_pixel_extents(layout, nullptr, &logical);
        out.x = logical.x;
        out.y = logical.y;
        out.width = logical.width;
        out.height = logical.height;
        return out;
    }

    // Pango breaks a word too long for the line by measuring the rest of its
    // shaping run again for every line it fills, which costs the square of the
    // word's length. A run without spaces longer than two pieces is cut into
    // separate shaping runs of this many bytes, by a letter spacing of 0 on every
    // second piece: the lines break where they did, and the cost becomes linear.
    static constexpr std::size_t kRunPieceBytes = 64;

    static void SplitLongRuns(const std::string& utf8, PangoAttrList* attrs) {
        // Only the text's own characters are drawn: no hyphen where a word breaks.
        pango_attr_list_insert(attrs, pango_attr_insert_hyphens_new(FALSE));
        const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
        const auto isCharStart = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; };
        std::size_t runStart = 0;
        for (std::size_t i = 0; i <= utf8.size(); ++i) {
            if (i < utf8.size() && !isSpace(utf8[i])) continue;
            if (i - runStart > 2 * kRunPieceBytes) {
                bool marked = false;
                for (std::size_t from = runStart; from < i;) {
                    std::size_t to = std::min(i, from + kRunPieceBytes);
                    while (to < i && !isCharStart(utf8[to])) ++to;
                    if (marked) {
                        PangoAttribute* piece = pango_attr_letter_spacing_new(0);
                        piece->start_index = static_cast<guint>(from);
                        piece->end_index = static_cast<guint>(to);
                        pango_attr_list_insert(attrs, piece);
                    }
                    marked = !marked;
                    from = to;
                }
            }
            runStart = i + 1;
        }
    }

    std::unique_ptr<PangoContext, GObjectDeleter> context_;
    std::unordered_map<std::string, Entry> cache_;
    std::list<std::string> order_;   // most recently used first
    std::string key_;
    std::size_t imageBytes_ = 0;
    // Both keep their room from one drawing to the next.
    std::vector<std::uint32_t> scratchArgb_;
    TextImage scratch_;
    TextWork work_;
};

// Byte index in UTF-8 of byte index `index` of a Windows-1252 text, and back.
int Utf8Index(std::string_view cp1252, int index) {
    int out = 0;
    std::string one;
    for (int i = 0; i < index && i < static_cast<int>(cp1252.size()); ++i) {
        one.clear();
        AppendUtf8(one, Shown(static_cast<unsigned char>(cp1252[static_cast<std::size_t>(i)])));
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
        AppendUtf8(one, Shown(static_cast<unsigned char>(cp1252[static_cast<std::size_t>(i)])));
        bytes += static_cast<int>(one.size());
    }
    return static_cast<int>(cp1252.size());
}

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
