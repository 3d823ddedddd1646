// Pictures: opaque, scaled nearest-neighbour to their box's device pixels from
// pixels decoded at the smallest eighth of the full size that still covers it.
// Those stay with the picture; the scaled copy for the size last drawn is kept
// beside them, so a repaint at the same size only copies. A picture decoded at
// its box's size is copied from the decoded pixels themselves.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "scene/Painter.h"
#include "scene/PainterImpl.h"
#include "scene/Picture.h"

namespace scene {

namespace {

struct ScaledPicture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

const ScaledPicture& ScaledFor(Picture& picture, const Picture::Decoding& decoded, int width, int height) {
    auto scaled = std::static_pointer_cast<ScaledPicture>(picture.cache);
    if (!scaled) {
        scaled = std::make_shared<ScaledPicture>();
        picture.cache = scaled;
    }
    if (scaled->width == width && scaled->height == height && !scaled->pixels.empty()) return *scaled;

    const std::vector<std::uint32_t>& src = decoded.pixels;
    const int sw = decoded.width, sh = decoded.height;
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

}  // namespace

void Painter::DrawPicture(const TRect& box, Picture& picture, PictureFit fit) {
    TRect layoutBox = box;
    if (fit == PictureFit::NaturalSize) {
        layoutBox.Width = picture.Width();
        layoutBox.Height = picture.Height();
    }
    const TRect b = impl_->ToDevice(layoutBox);
    const TRect c = b.Intersect(impl_->state.clip);
    if (c.Empty()) return;
    // The decoded pixels stay put while we draw: only a draw replaces them.
    const Picture::Decoding decoded = picture.PixelsForSize(b.Width, b.Height);
    const std::uint32_t* pixels = decoded.pixels.data();
    if (decoded.width != b.Width || decoded.height != b.Height)
        pixels = ScaledFor(picture, decoded, b.Width, b.Height).pixels.data();
    impl_->BeginDirect();
    for (int y = c.Top; y < c.Bottom(); ++y) {
        const std::uint32_t* src = pixels + static_cast<std::size_t>(y - b.Top) * b.Width + (c.Left - b.Left);
        std::memcpy(impl_->Row(y) + c.Left, src, static_cast<std::size_t>(c.Width) * 4);
    }
}

}  // namespace scene
