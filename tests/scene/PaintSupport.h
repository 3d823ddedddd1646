// A frame buffer owned by a test, with pixel lookups in the colours the game uses.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "scene/Platform.h"
#include "scene/Types.h"

namespace painttest {

// 0x00BBGGRR colour as the frame's 0x00RRGGBB pixel.
constexpr std::uint32_t Px(scene::TColor c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

class TestFrame {
public:
    TestFrame(int width, int height, scene::TColor fill)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, Px(fill)) {}

    scene::FrameBuffer Buffer() {
        return {reinterpret_cast<std::uint8_t*>(pixels_.data()), width_, height_, width_ * 4};
    }
    std::uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x] & 0xFFFFFF; }
    void Set(int x, int y, std::uint32_t pixel) { pixels_[static_cast<std::size_t>(y) * width_ + x] = pixel; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // How many pixels of r satisfy pred.
    int Count(const scene::TRect& r, const std::function<bool(std::uint32_t)>& pred) const {
        int n = 0;
        for (int y = r.Top; y < r.Bottom(); ++y)
            for (int x = r.Left; x < r.Right(); ++x)
                if (pred(At(x, y))) ++n;
        return n;
    }
    int CountNot(const scene::TRect& r, std::uint32_t px) const {
        return Count(r, [px](std::uint32_t p) { return p != px; });
    }
    bool SameAs(const TestFrame& o) const { return pixels_ == o.pixels_; }

private:
    int width_, height_;
    std::vector<std::uint32_t> pixels_;
};

// Dark enough to be ink of black text on a light ground.
inline bool Dark(std::uint32_t p) { return ((p >> 16) & 0xFF) < 96 && ((p >> 8) & 0xFF) < 96 && (p & 0xFF) < 96; }

}  // namespace painttest
