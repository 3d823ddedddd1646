// How many device pixels one layout pixel takes on this display: a factor from
// 1 to 4 in steps of a quarter in a window, and in full screen whatever ratio
// fits the screen. Only the presentation scales; every position, size and rule
// stays in layout pixels.
//
// Layout pixel x covers device pixels [ToDevice(x), ToDevice(x + 1)), and device
// pixel d lies in layout pixel ToLayout(d), so the element drawn at a device
// pixel is the one a pointer there hits. A ratio of whole numbers keeps the
// arithmetic exact.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "scene/Types.h"

namespace scene {

class DisplayScale {
public:
    static constexpr int kMinQuarters = 4, kMaxQuarters = 16;
    // The largest side a ratio may name: far beyond any screen, and small
    // enough that every product below fits 64 bits.
    static constexpr int kMaxSide = 1 << 16;

    constexpr DisplayScale() = default;
    // The nearest quarter step, held within 1 to 4.
    static DisplayScale FromFactor(double factor);
    // Exactly `device` device pixels for `layout` layout pixels, both above 0
    // and at most kMaxSide (else factor 1).
    static DisplayScale FromRatio(int device, int layout);

    double Factor() const { return static_cast<double>(device_) / layout_; }
    // n times as many device pixels a layout pixel (n above 0), beyond 4 too.
    DisplayScale Times(int n) const { return FromRatio(device_ * n, layout_); }
    bool IsOne() const { return device_ == layout_; }

    // The first device pixel of layout pixel x.
    int ToDevice(std::int64_t x) const { return IsOne() ? ClampToInt(x) : Clamp(CeilDiv(x * device_, layout_)); }
    // The layout pixel that device pixel d lies in.
    int ToLayout(int d) const { return static_cast<int>(FloorDiv(std::int64_t{d} * layout_, device_)); }
    // The device pixels that the layout pixels of r cover.
    TRect ToDevice(const TRect& r) const;
    // Every device pixel that any part of r touches: r's edges rounded outwards.
    TRect Outward(const TRect& r) const;
    // The layout pixels that have a device pixel inside the device rectangle d.
    TRect LayoutCovering(const TRect& d) const;

    bool operator==(const DisplayScale&) const = default;

private:
    constexpr DisplayScale(int device, int layout) : device_(device), layout_(layout) {}

    static std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
    static std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }
    // Device edges far outside any frame are held where their spans still fit an int.
    static int Clamp(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, -kFar, kFar)); }
    static int ClampToInt(std::int64_t v) {
        return static_cast<int>(
            std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    static TRect Span(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);

    static constexpr std::int64_t kFar = std::int64_t{1} << 29;
    // In lowest terms, so that equal scales compare equal.
    int device_ = 1, layout_ = 1;
};

// Where the client area lies in a frame: drawn at `scale`, its top-left corner
// `left` and `top` device pixels in.
struct Placement {
    DisplayScale scale;
    int left = 0, top = 0;
    bool operator==(const Placement&) const = default;
};

// Full screen: the largest scale at which a client area of clientWidth x
// clientHeight layout pixels fits a screen of screenWidth x screenHeight device
// pixels, centred. Never below 1: a smaller screen shows the area's top left.
Placement FitOnScreen(int screenWidth, int screenHeight, int clientWidth, int clientHeight);

}  // namespace scene
