#include "platform/sdl/StaleRects.h"

namespace platform {

void StaleRects::Add(const StaleRect& r) {
    if (whole_ || r.w <= 0 || r.h <= 0) return;
    if (rects_.size() == kBound) {
        MarkWhole();
        return;
    }
    rects_.push_back(r);
}

void StaleRects::Add(const std::vector<StaleRect>& rs) {
    for (const StaleRect& r : rs) Add(r);
}

void StaleRects::MarkWhole() {
    whole_ = true;
    // Released, not only emptied: the list may have been long.
    std::vector<StaleRect>().swap(rects_);
}

void StaleRects::Clear() {
    rects_.clear();
    whole_ = false;
}

}  // namespace platform
