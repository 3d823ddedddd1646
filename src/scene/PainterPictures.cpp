// Pictures: opaque, copied from the picture's pixels at their box's device size
// (see Picture::PixelsAt), so a repaint only copies.
#include <cstdint>
#include <cstring>

#include "scene/Painter.h"
#include "scene/PainterImpl.h"
#include "scene/Picture.h"

namespace scene {

void Painter::DrawPicture(const TRect& box, Picture& picture, PictureFit fit) {
    TRect layoutBox = box;
    if (fit == PictureFit::NaturalSize) {
        layoutBox.Width = picture.Width();
        layoutBox.Height = picture.Height();
    }
    const TRect b = impl_->ToDevice(layoutBox);
    const TRect c = b.Intersect(impl_->state.clip);
    if (c.Empty()) return;
    // The pixels stay put while we draw: only a draw replaces them.
    const std::uint32_t* pixels = picture.PixelsAt(b.Width, b.Height).pixels.data();
    impl_->BeginDirect();
    for (int y = c.Top; y < c.Bottom(); ++y) {
        const std::uint32_t* src = pixels + static_cast<std::size_t>(y - b.Top) * b.Width + (c.Left - b.Left);
        std::memcpy(impl_->Row(y) + c.Left, src, static_cast<std::size_t>(c.Width) * 4);
    }
}

}  // namespace scene
