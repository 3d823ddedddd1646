// Encodes a drawn picture as a baseline JPEG: 8 bits, three components, 4:2:0.
#pragma once

#include <cstdint>
#include <vector>

#include "pictures/Canvas.h"

namespace pictures {

std::vector<std::uint8_t> EncodeJpeg(const Canvas& canvas, int quality = 85);

}  // namespace pictures
