#include "scene/TextEngine.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "scene/Cp1252.h"
#include "scene/FontMap.h"
#include "scene/Fonts.h"

namespace scene::painter_detail {

namespace {

struct DescriptionDeleter {
    void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
struct AttrListDeleter {
    void operator()(PangoAttrList* a) const { pango_attr_list_unref(a); }
};
struct TabArrayDeleter {
    void operator()(PangoTabArray* t) const { pango_tab_array_free(t); }
};

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
        if (i + 1 >= cp1252.size()) break;  // a lone "&" at the end shows nothing
        ++i;
        const unsigned char next = static_cast<unsigned char>(cp1252[i]);
        const int start = static_cast<int>(out.utf8.size());
        AppendUtf8(out.utf8, Shown(next));
        if (next != '&') out.underlines.emplace_back(start, static_cast<int>(out.utf8.size()));
    }
    return out;
}

// Pango breaks a word too long for the line by measuring the rest of its
// shaping run again for every line it fills, which costs the square of the
// word's length. A run without spaces longer than two pieces is cut into
// separate shaping runs of this many bytes, by a letter spacing of 0 on every
// second piece: the lines break where they did, and the cost becomes linear.
constexpr std::size_t kRunPieceBytes = 64;

void SplitLongRuns(const std::string& utf8, PangoAttrList* attrs) {
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

void SetFont(PangoLayout* layout, const TFont& font) {
    const FontFace& face = MatchFont(font);
    std::unique_ptr<PangoFontDescription, DescriptionDeleter> desc(pango_font_description_new());
    pango_font_description_set_family(desc.get(), face.family.c_str());
    pango_font_description_set_weight(desc.get(), static_cast<PangoWeight>(face.weight));
    pango_font_description_set_style(desc.get(), face.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(desc.get(), face.emPixels * PANGO_SCALE);
    pango_layout_set_font_description(layout, desc.get());
}

// Tabs stop at every eighth average character width.
void SetTabs(PangoLayout* layout, const TFont& font) {
    const int tab = 8 * AverageCharWidth(font);
    std::unique_ptr<PangoTabArray, TabArrayDeleter> tabs(pango_tab_array_new(2, TRUE));
    pango_tab_array_set_tab(tabs.get(), 0, PANGO_TAB_LEFT, tab);
    pango_tab_array_set_tab(tabs.get(), 1, PANGO_TAB_LEFT, 2 * tab);
    pango_layout_set_tabs(layout, tabs.get());
}

void SetLines(PangoLayout* layout, TAlignment alignment, int wrapWidth) {
    switch (alignment) {
        case TAlignment::taLeftJustify: pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT); break;
        case TAlignment::taRightJustify: pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT); break;
        case TAlignment::taCenter: pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER); break;
    }
    if (wrapWidth >= 0) {
        pango_layout_set_width(layout, std::max(1, wrapWidth) * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
}

// The font's underline and strike-out, the accelerators' underlines, and the
// long runs cut for wrapping.
void SetAttributes(PangoLayout* layout, const DisplayText& text, const TFont& font, bool wraps) {
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
    if (wraps) SplitLongRuns(text.utf8, attrs.get());
    pango_layout_set_attributes(layout, attrs.get());
}

}  // namespace

TextEngine& TextEngine::Get() {
    static TextEngine engine;
    return engine;
}

TextEngine::TextEngine() : context_(pango_font_map_create_context(SharedFontMap())) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context_.get(), options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(context_.get(), 96);
}

TextLayout& TextEngine::Layout(std::string_view cp1252, const TFont& font, bool showAccelChar, int wrapWidth,
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

const TextImage* TextEngine::Kept(TextLayout& text, const TextImageKey& key) {
    for (TextImage& image : text.images) {
        if (!(image.key == key)) continue;
        if (!image.made) {
            image = Scratch(text, key);
            image.made = true;
            imageBytes_ += image.image.Bytes();  // over the budget: trimmed at the next new drawing
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

void TextEngine::Prepare(TextLayout& text, const TextImageKey& key) {
    if (!Keepable(key) || Kept(text, key)) return;
    Kept(text, key);  // noted as drawn once just now: this call makes it
}

const TextImage& TextEngine::Scratch(const TextLayout& text, const TextImageKey& key) {
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

void TextEngine::AppendKey(const TFont& font, bool showAccelChar, int wrapWidth, TAlignment alignment) {
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

void TextEngine::Evict() {
    // Drop the older half at once so eviction stays rare.
    while (cache_.size() > kCapacity / 2) {
        const auto it = cache_.find(order_.back());
        for (const TextImage& image : it->second.text.images) imageBytes_ -= image.image.Bytes();
        cache_.erase(it);
        order_.pop_back();
    }
}

// Down to half the budget, so that trimming stays rare.
void TextEngine::DropOldImages() {
    for (auto it = order_.rbegin(); it != order_.rend() && imageBytes_ > kImageBudget / 2; ++it) {
        std::vector<TextImage>& images = cache_.find(*it)->second.text.images;
        for (const TextImage& image : images) imageBytes_ -= image.image.Bytes();
        images.clear();
    }
}

TextLayout TextEngine::Build(std::string_view cp1252, const TFont& font, bool showAccelChar, int wrapWidth,
                             TAlignment alignment) {
    const DisplayText text = ToDisplay(cp1252, showAccelChar);
    TextLayout out;
    out.layout.reset(pango_layout_new(context_.get()));
    PangoLayout* layout = out.layout.get();
    SetFont(layout, font);
    if (text.utf8.find('\t') != std::string::npos) SetTabs(layout, font);
    SetLines(layout, alignment, wrapWidth);
    SetAttributes(layout, text, font, wrapWidth >= 0);
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

}  // namespace scene::painter_detail
