#include "scene/Fonts.h"
#include "scene/FontMap.h"

#include <pango/pangocairo.h>
#include <hb-ot.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace scene {

namespace {

// Faces measured on this system's fonts: same build and proportions as the faces
// the layout names, which Debian does not ship.
struct StandIn {
    const char* face;
    const char* family;
};
constexpr StandIn kStandIns[] = {
    {"Trebuchet MS", "PT Sans"},
    {"MS Sans Serif", "Liberation Sans"},
};

// Proportions of a face per pixel of em.
struct FaceShape {
    double ascent = 0.9;
    double descent = 0.2;
    double averageCharWidth = 0;  // measured the first time a tab is laid out
    std::string loadedFamily;
};

struct GObjectDeleter {
    void operator()(void* p) const { g_object_unref(p); }
};
struct DescriptionDeleter {
    void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
struct MetricsDeleter {
    void operator()(PangoFontMetrics* m) const { pango_font_metrics_unref(m); }
};

PangoContext* MeasuringContext() {
    static std::unique_ptr<PangoContext, GObjectDeleter> context(pango_font_map_create_context(SharedFontMap()));
    return context.get();
}

constexpr double kProbe = 1000;

// The face at 1000 pixels, where whole-pixel rounding costs its proportions nothing.
std::unique_ptr<PangoFont, GObjectDeleter> LoadProbe(const std::string& family, int weight, bool italic) {
    std::unique_ptr<PangoFontDescription, DescriptionDeleter> desc(pango_font_description_new());
    pango_font_description_set_family(desc.get(), family.c_str());
    pango_font_description_set_weight(desc.get(), static_cast<PangoWeight>(weight));
    pango_font_description_set_style(desc.get(), italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(desc.get(), kProbe * PANGO_SCALE);
    return std::unique_ptr<PangoFont, GObjectDeleter>(
        pango_font_map_load_font(SharedFontMap(), MeasuringContext(), desc.get()));
}

// Reads the face's Windows cell (the OS/2 clipping ascent and descent), falling
// back to Pango's own metrics for fonts without one. Those shape a sample text
// (a millisecond a face at start-up), so only such fonts ask for them.
FaceShape MeasureFace(const std::string& family, int weight, bool italic) {
    FaceShape shape;
    const auto font = LoadProbe(family, weight, italic);
    if (!font) return shape;

    hb_font_t* hb = pango_font_get_hb_font(font.get());
    hb_position_t ascent = 0, descent = 0;
    int scaleX = 0, scaleY = 0;
    hb_font_get_scale(hb, &scaleX, &scaleY);
    if (scaleY > 0 && hb_ot_metrics_get_position(hb, HB_OT_METRICS_TAG_HORIZONTAL_CLIPPING_ASCENT, &ascent) &&
        hb_ot_metrics_get_position(hb, HB_OT_METRICS_TAG_HORIZONTAL_CLIPPING_DESCENT, &descent) &&
        ascent + descent > 0) {
        shape.ascent = static_cast<double>(ascent) / scaleY;
        shape.descent = static_cast<double>(std::abs(descent)) / scaleY;
    } else {
        std::unique_ptr<PangoFontMetrics, MetricsDeleter> metrics(pango_font_get_metrics(font.get(), nullptr));
        const double unit = kProbe * PANGO_SCALE;
        shape.ascent = pango_font_metrics_get_ascent(metrics.get()) / unit;
        shape.descent = pango_font_metrics_get_descent(metrics.get()) / unit;
    }

    std::unique_ptr<PangoFontDescription, DescriptionDeleter> loaded(pango_font_describe(font.get()));
    const char* name = pango_font_description_get_family(loaded.get());
    shape.loadedFamily = name ? name : family;
    return shape;
}

// Pango's approximate character width per pixel of em; only tabs need it.
double MeasureAverageCharWidth(const std::string& family, int weight, bool italic) {
    const auto font = LoadProbe(family, weight, italic);
    if (!font) return 0.5;
    std::unique_ptr<PangoFontMetrics, MetricsDeleter> metrics(pango_font_get_metrics(font.get(), nullptr));
    return pango_font_metrics_get_approximate_char_width(metrics.get()) / (kProbe * PANGO_SCALE);
}

using ShapeKey = std::tuple<std::string, int, bool>;

FaceShape& ShapeOf(const std::string& family, int weight, bool italic) {
    static std::map<ShapeKey, FaceShape> cache;
    const ShapeKey key{family, weight, italic};
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, MeasureFace(family, weight, italic)).first;
    return it->second;
}

using FontKey = std::tuple<std::string, int, unsigned>;

FontKey KeyOf(const TFont& font) { return {font.Name, font.Height, font.Style & (fsBold | fsItalic)}; }

struct MatchedFont {
    FontFace face;
    FontMetrics metrics;
    std::string loadedFamily;
};

MatchedFont Match(const TFont& font) {
    MatchedFont m;
    m.face.family = StandInFamily(font.Name);
    m.face.weight = (font.Style & fsBold) ? 700 : 400;
    m.face.italic = (font.Style & fsItalic) != 0;
    const FaceShape& shape = ShapeOf(m.face.family, m.face.weight, m.face.italic);
    m.loadedFamily = shape.loadedFamily;

    const double cellPerEm = shape.ascent + shape.descent;
    if (font.Height < 0) {
        m.face.emPixels = -font.Height;
    } else if (font.Height > 0) {
        m.face.emPixels = font.Height / cellPerEm;
    } else {
        // Height 0 asks for the platform's default size; the window font's is 13.
        m.face.emPixels = 13 / cellPerEm;
    }

    const double em = m.face.emPixels;
    m.metrics.ascent = static_cast<int>(std::lround(shape.ascent * em));
    m.metrics.descent = static_cast<int>(std::lround(shape.descent * em));
    m.metrics.cellHeight = m.metrics.ascent + m.metrics.descent;
    m.metrics.internalLeading = m.metrics.cellHeight - static_cast<int>(std::lround(em));
    return m;
}

const MatchedFont& Lookup(const TFont& font) {
    static std::map<FontKey, MatchedFont> cache;
    const FontKey key = KeyOf(font);
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, Match(font)).first;
    return it->second;
}

}  // namespace

PangoFontMap* SharedFontMap() {
    static PangoFontMap* const map = pango_cairo_font_map_new();
    return map;
}

std::string StandInFamily(const std::string& face) {
    const std::string name = (face == "Default") ? std::string("MS Sans Serif") : face;
    for (const StandIn& s : kStandIns) {
        if (name == s.face) return s.family;
    }
    return name;
}

const FontFace& MatchFont(const TFont& font) { return Lookup(font).face; }

const FontMetrics& MetricsOf(const TFont& font) { return Lookup(font).metrics; }

std::string LoadedFamily(const TFont& font) { return Lookup(font).loadedFamily; }

int AverageCharWidth(const TFont& font) {
    const FontFace& face = MatchFont(font);
    FaceShape& shape = ShapeOf(face.family, face.weight, face.italic);
    if (shape.averageCharWidth == 0)
        shape.averageCharWidth = MeasureAverageCharWidth(face.family, face.weight, face.italic);
    return std::max(1, static_cast<int>(std::lround(shape.averageCharWidth * face.emPixels)));
}

}  // namespace scene
