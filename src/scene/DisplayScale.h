// How many device pixels one layout pixel takes on this display: a factor from
// 1 to 4 in steps of a quarter. Only the presentation scales; every position,
// size and rule stays in layout pixels.
//
// Layout pixel x covers device pixels [ToDevice(x), ToDevice(x + 1)), and device
// pixel d lies in layout pixel ToLayout(d), so the element drawn at a device
// pixel is the one a pointer there hits. Quarters keep the arithmetic exact.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "scene/Types.h"

namespace scene {

class DisplayScale {
public:
    static constexpr int kMinQuarters = 4, kMaxQuarters = 16;

    constexpr DisplayScale() = default;
    // The nearest quarter step, held within 1 to 4.
    static DisplayScale FromFactor(double factor);

    int Quarters() const { return quarters_; }
    double Factor() const { return quarters_ / 4.0; }
    bool IsOne() const { return quarters_ == 4; }

    // The first device pixel of layout pixel x.
    int ToDevice(std::int64_t x) const { return IsOne() ? ClampToInt(x) : Clamp(CeilDiv(x * quarters_, 4)); }
    // The layout pixel that device pixel d lies in.
    int ToLayout(int d) const { return static_cast<int>(FloorDiv(std::int64_t{d} * 4, quarters_)); }
    // The device pixels that the layout pixels of r cover.
    TRect ToDevice(const TRect& r) const;
    // Every device pixel that any part of r touches: r's edges rounded outwards.
    TRect Outward(const TRect& r) const;
    // The layout pixels that have a device pixel inside the device rectangle d.
    TRect LayoutCovering(const TRect& d) const;

    bool operator==(const DisplayScale&) const = default;

private:
    explicit constexpr DisplayScale(int quarters) : quarters_(quarters) {}

    static std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
    static std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }
    // Device edges far outside any frame are held where their spans still fit an int.
    static int Clamp(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, -kFar, kFar)); }
    static int ClampToInt(std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    static TRect Span(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);

    static constexpr std::int64_t kFar = std::int64_t{1} << 29;
    int quarters_ = 4;
};

}  // namespace scene
