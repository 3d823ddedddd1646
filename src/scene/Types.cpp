#include "scene/Types.h"

#include <algorithm>
#include <limits>

namespace scene {

TRect TRect::Union(const TRect& o) const {
    if (o.Empty()) return *this;
    if (Empty()) return o;
    const int left = std::min(Left, o.Left);
    const int top = std::min(Top, o.Top);
    // Far apart, the box may be larger than an int holds: it keeps what it can.
    const auto extent = [](std::int64_t from, std::int64_t to) {
        return static_cast<int>(std::min<std::int64_t>(to - from, std::numeric_limits<int>::max()));
    };
    return {left, top, extent(left, std::max(Right(), o.Right())), extent(top, std::max(Bottom(), o.Bottom()))};
}

}  // namespace scene
