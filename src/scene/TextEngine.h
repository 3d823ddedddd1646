// The text-layout cache: Pango layouts of the game's Windows-1252 texts, built
// once per distinct text and font and kept, with the last few images each was
// drawn into. Used by the painter's text drawing (PainterText.cpp).
#pragma once

#include <pango/pangocairo.h>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "scene/Painter.h"
#include "scene/PainterImpl.h"

namespace scene {

namespace painter_detail {

struct GObjectDeleter {
    void operator()(void* p) const { g_object_unref(p); }
};
using LayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;

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
    bool made = false;      // false: drawn there once, from the scratch image
    int left = 0, top = 0;  // the image's place in the box: around its ink, cut to the box
    BlendImage image;
};

// Built once per distinct text and font and kept, since the same fifteen labels
// are drawn in every frame; so are its last few drawings, since movers pass
// under the labels and each pass draws them again.
struct TextLayout {
    LayoutPtr layout;
    int x = 0, y = 0, width = 0, height = 0;  // logical extents in pixels
    PangoRectangle ink{};                     // in Pango units
    std::vector<TextImage> images;            // oldest first
};

class TextEngine {
public:
    static TextEngine& Get();

    // wrapWidth < 0: no wrapping.
    TextLayout& Layout(std::string_view cp1252, const TFont& font, bool showAccelChar, int wrapWidth,
                       TAlignment alignment);

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
    const TextImage* Kept(TextLayout& text, const TextImageKey& key);

    TextWork Work() const { return work_; }
    void CountDrawing() { ++work_.drawings; }

    // The text's image for key made now, as a second drawing would make it.
    void Prepare(TextLayout& text, const TextImageKey& key);

    // The text drawn as key says, as it would be into the frame (the same glyph
    // places to the device pixel): an image covering the layout's ink with a
    // margin for the device's hinting and smoothing, within the box. It is the
    // engine's scratch, good until the next drawing.
    const TextImage& Scratch(const TextLayout& text, const TextImageKey& key);

private:
    // A screen's texts and a minute's changing captions (two a second, with
    // the ones readied ahead): the cache is full within the first minute of a
    // game and its memory stays flat from then on, where a larger bound would
    // go on growing for minutes before its first eviction.
    static constexpr std::size_t kCapacity = 96;
    // A text panel's line or a label is far smaller.
    static constexpr long long kMaxImagePixels = 1 << 20;
    static constexpr std::size_t kImagesPerText = 4;
    // A few dozen labels' images. The labels that stay (the lives, the score
    // line) are drawn again and again while a changing count leaves a new text
    // every second, so the images of the texts drawn least recently go first.
    // Room for the eight coming times and scores readied ahead, which a smaller
    // budget would drop before they show; the counts' images still reach it
    // within a game's first seconds.
    static constexpr std::size_t kImageBudget = 1u << 20;

    struct Entry {
        TextLayout text;
        std::list<std::string>::iterator place;
    };

    TextEngine();
    void AppendKey(const TFont& font, bool showAccelChar, int wrapWidth, TAlignment alignment);
    void Evict();
    void DropOldImages();
    TextLayout Build(std::string_view cp1252, const TFont& font, bool showAccelChar, int wrapWidth,
                     TAlignment alignment);

    std::unique_ptr<PangoContext, GObjectDeleter> context_;
    std::unordered_map<std::string, Entry> cache_;
    std::list<std::string> order_;  // most recently used first
    std::string key_;
    std::size_t imageBytes_ = 0;
    // Both keep their room from one drawing to the next.
    std::vector<std::uint32_t> scratchArgb_;
    TextImage scratch_;
    TextWork work_;
};

// Byte index in UTF-8 of byte index `index` of a Windows-1252 text as drawn, and back.
int Utf8Index(std::string_view cp1252, int index);
int Cp1252Index(std::string_view cp1252, int utf8Index);

}  // namespace painter_detail

}  // namespace scene
