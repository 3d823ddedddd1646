#include "scene/Types.h"

#include <algorithm>
#include <limits>

namespace scene {

namespace {

// The desktop colours of a default light theme.
Rgb SystemColor(unsigned index)
{
    switch (index) {
    case 5: return {0xFF, 0xFF, 0xFF};    // window background
    case 8: return {0x00, 0x00, 0x00};    // window text
    case 15: return {0xF0, 0xF0, 0xF0};   // button face
    case 16: return {0xA0, 0xA0, 0xA0};   // button shadow
    case 20: return {0xFF, 0xFF, 0xFF};   // button highlight
    default: return {0x00, 0x00, 0x00};
    }
}

}  // namespace

Rgb ResolveColor(TColor color)
{
    if ((color & 0xFF000000u) == 0xFF000000u)
        return SystemColor(color & 0xFFu);
    return {static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
            static_cast<std::uint8_t>((color >> 16) & 0xFF)};
}

TRect TRect::Intersect(const TRect& o) const
{
    const int left = std::max(Left, o.Left);
    const int top = std::max(Top, o.Top);
    const std::int64_t right = std::min(Right(), o.Right());
    const std::int64_t bottom = std::min(Bottom(), o.Bottom());
    if (right <= left || bottom <= top)
        return {};
    // No wider than either rectangle, so within range.
    return {left, top, static_cast<int>(right - left), static_cast<int>(bottom - top)};
}

TRect TRect::Union(const TRect& o) const
{
    if (o.Empty())
        return *this;
    if (Empty())
        return o;
    const int left = std::min(Left, o.Left);
    const int top = std::min(Top, o.Top);
    // Far apart, the box may be larger than an int holds: it keeps what it can.
    const auto extent = [](std::int64_t from, std::int64_t to) {
        return static_cast<int>(std::min<std::int64_t>(to - from, std::numeric_limits<int>::max()));
    };
    return {left, top, extent(left, std::max(Right(), o.Right())), extent(top, std::max(Bottom(), o.Bottom()))};
}

}  // namespace scene
