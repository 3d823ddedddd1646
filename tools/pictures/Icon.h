// The 32 x 32 program icon in the standard 16 colours with a transparency mask.
#pragma once

#include <array>
#include <cstdint>

#include "pictures/Canvas.h"

namespace pictures {

constexpr int kIconSide = 32;

struct Icon {
    std::array<std::uint32_t, 16> palette{};                    // 0x00RRGGBB
    std::array<std::uint8_t, kIconSide * kIconSide> indices{};  // into the palette
    std::array<std::uint8_t, kIconSide * kIconSide> mask{};     // 1 = transparent
};

// The standard 16 colours in their usual order, black first and white last.
std::array<std::uint32_t, 16> StandardPalette();
// A bold yellow star with a dark outline and a white glint.
Icon DrawIcon();
// The icon enlarged on a checkerboard, for looking at it.
Canvas IconPreview(const Icon& icon, int zoom);
// The icon at side x side pixels with its transparency, for desktop menus: each
// pixel grown to a block, then blocks averaged down to the size wanted, so whole
// multiples of 32 stay sharp and other sizes blend only at colour edges.
Canvas IconAtSize(const Icon& icon, int side);

}  // namespace pictures
