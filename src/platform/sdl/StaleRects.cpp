#include "platform/sdl/StaleRects.h"

#include <algorithm>

namespace platform {

namespace {

long long Area(const StaleRect& r) { return static_cast<long long>(r.w) * r.h; }

StaleRect Bounds(const StaleRect& a, const StaleRect& b) {
    const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.w, b.x + b.w), bottom = std::max(a.y + a.h, b.y + b.h);
    return {left, top, right - left, bottom - top};
}

}  // namespace

void StaleRects::Add(const StaleRect& r) {
    if (whole_ || r.w <= 0 || r.h <= 0) return;
    // The same places change present after present (a mover's old and new
    // place, the clock's text): a rectangle joins one listed when their bounds
    // cost no more to copy than the two apart, so a pixel is copied once.
    for (StaleRect& listed : rects_) {
        const StaleRect joined = Bounds(listed, r);
        if (Area(joined) <= Area(listed) + Area(r)) {
            listed = joined;
            return;
        }
    }
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
