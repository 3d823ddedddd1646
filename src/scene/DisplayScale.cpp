#include "scene/DisplayScale.h"

#include <cmath>

namespace scene {

DisplayScale DisplayScale::FromFactor(double factor)
{
    if (!std::isfinite(factor))
        return {};
    const double quarters = std::round(std::clamp(factor, 1.0, 4.0) * 4);
    return DisplayScale(static_cast<int>(quarters));
}

TRect DisplayScale::Span(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
{
    const int l = Clamp(left), t = Clamp(top), r = Clamp(right), b = Clamp(bottom);
    if (r <= l || b <= t)
        return {};
    return {l, t, r - l, b - t};
}

TRect DisplayScale::ToDevice(const TRect& r) const
{
    if (IsOne() || r.Empty())
        return r;
    return Span(CeilDiv(std::int64_t{r.Left} * quarters_, 4), CeilDiv(std::int64_t{r.Top} * quarters_, 4),
                CeilDiv(r.Right() * quarters_, 4), CeilDiv(r.Bottom() * quarters_, 4));
}

TRect DisplayScale::Outward(const TRect& r) const
{
    if (IsOne() || r.Empty())
        return r;
    return Span(FloorDiv(std::int64_t{r.Left} * quarters_, 4), FloorDiv(std::int64_t{r.Top} * quarters_, 4),
                CeilDiv(r.Right() * quarters_, 4), CeilDiv(r.Bottom() * quarters_, 4));
}

TRect DisplayScale::LayoutCovering(const TRect& d) const
{
    if (IsOne() || d.Empty())
        return d;
    const int left = ToLayout(d.Left), top = ToLayout(d.Top);
    const int right = ToLayout(static_cast<int>(d.Right() - 1)) + 1, bottom = ToLayout(static_cast<int>(d.Bottom() - 1)) + 1;
    return {left, top, right - left, bottom - top};
}

}  // namespace scene
