#include "scene/DisplayScale.h"

#include <cmath>
#include <numeric>

namespace scene {

DisplayScale DisplayScale::FromFactor(double factor) {
    if (!std::isfinite(factor)) return {};
    const double quarters = std::round(std::clamp(factor, 1.0, 4.0) * 4);
    return FromRatio(static_cast<int>(quarters), 4);
}

DisplayScale DisplayScale::FromRatio(int device, int layout) {
    if (device <= 0 || layout <= 0 || device > kMaxSide || layout > kMaxSide) return {};
    const int common = std::gcd(device, layout);
    return DisplayScale(device / common, layout / common);
}

TRect DisplayScale::Span(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    const int l = Clamp(left), t = Clamp(top), r = Clamp(right), b = Clamp(bottom);
    if (r <= l || b <= t) return {};
    return {l, t, r - l, b - t};
}

TRect DisplayScale::ToDevice(const TRect& r) const {
    if (IsOne() || r.Empty()) return r;
    return Span(CeilDiv(std::int64_t{r.Left} * device_, layout_), CeilDiv(std::int64_t{r.Top} * device_, layout_),
                CeilDiv(r.Right() * device_, layout_), CeilDiv(r.Bottom() * device_, layout_));
}

TRect DisplayScale::Outward(const TRect& r) const {
    if (IsOne() || r.Empty()) return r;
    return Span(FloorDiv(std::int64_t{r.Left} * device_, layout_), FloorDiv(std::int64_t{r.Top} * device_, layout_),
                CeilDiv(r.Right() * device_, layout_), CeilDiv(r.Bottom() * device_, layout_));
}

TRect DisplayScale::LayoutCovering(const TRect& d) const {
    if (IsOne() || d.Empty()) return d;
    const int left = ToLayout(d.Left), top = ToLayout(d.Top);
    const int right = ToLayout(static_cast<int>(d.Right() - 1)) + 1,
              bottom = ToLayout(static_cast<int>(d.Bottom() - 1)) + 1;
    return {left, top, right - left, bottom - top};
}

Placement FitOnScreen(int screenWidth, int screenHeight, int clientWidth, int clientHeight) {
    if (screenWidth <= 0 || screenHeight <= 0 || clientWidth <= 0 || clientHeight <= 0) return {};
    // The narrower of the two ratios, compared without rounding either.
    const bool widthDecides = std::int64_t{screenWidth} * clientHeight <= std::int64_t{screenHeight} * clientWidth;
    DisplayScale scale = widthDecides ? DisplayScale::FromRatio(screenWidth, clientWidth)
                                      : DisplayScale::FromRatio(screenHeight, clientHeight);
    if (scale.Factor() < 1) scale = {};
    const TRect area = scale.ToDevice(TRect{0, 0, clientWidth, clientHeight});
    return {scale, std::max(0, (screenWidth - area.Width) / 2), std::max(0, (screenHeight - area.Height) / 2)};
}

}  // namespace scene
