// Where one of the window's buffers differs from the frame the toolkit composes
// into: every present adds its changed rectangles to each buffer it does not
// draw into, joined where they overlap enough. A buffer the compositor seldom
// gives back would collect them for ever, so past a few dozen it is taken as
// wholly stale and collects no more.
#pragma once

#include <cstddef>
#include <vector>

namespace platform {

struct StaleRect {
    int x = 0, y = 0, w = 0, h = 0;
};

class StaleRects {
public:
    // More rectangles than this cost more to copy one by one than the whole frame.
    static constexpr std::size_t kBound = 64;

    // A new buffer holds nothing of the frame.
    bool Whole() const { return whole_; }
    // Empty once the buffer is wholly stale.
    const std::vector<StaleRect>& Rects() const { return rects_; }

    void Add(const StaleRect& r);
    void Add(const std::vector<StaleRect>& rs);
    void MarkWhole();
    // The buffer has just been brought up to date with the frame.
    void Clear();

private:
    std::vector<StaleRect> rects_;
    bool whole_ = true;
};

}  // namespace platform
