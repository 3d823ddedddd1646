// The painter's state: clip and origin as a stack over one frame, and plain fills.
#include "scene/Painter.h"

#include "scene/PainterImpl.h"

namespace scene {

using painter_detail::Pixel;

Painter::Painter(const FrameBuffer& frame, DisplayScale scale) : impl_(std::make_unique<Impl>()) {
    impl_->frame = frame;
    impl_->scale = scale;
    impl_->state.clip = {0, 0, frame.width, frame.height};
    impl_->saved.reserve(8);  // deeper than any element nests
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

void Painter::ClipRect(const TRect& r) { impl_->state.clip = impl_->state.clip.Intersect(impl_->ToDevice(r)); }

void Painter::ClipDeviceRect(const TRect& r) { impl_->state.clip = impl_->state.clip.Intersect(r); }

bool Painter::Visible(const TRect& r) const { return !impl_->ToDevice(r).Intersect(impl_->state.clip).Empty(); }

void Painter::FillRect(const TRect& r, TColor color) { impl_->Fill(impl_->ToDevice(r), Pixel(color)); }

}  // namespace scene
