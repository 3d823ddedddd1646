// Stacking and repaint: the stacking list's order, the marked region, and
// composing frames from the background and the visible elements bottom up.
#include <algorithm>
#include <cstring>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "scene/AheadThread.h"
#include "scene/Application.h"
#include "scene/Form.h"
#include "scene/Painter.h"
#include "scene/Picture.h"
#include "scene/TImage.h"
#include "scene/TShape.h"
#include "scene/TWinControl.h"

namespace scene {

namespace {

// More rectangles than this in the marked region collapse into their bounding box.
constexpr std::size_t kMaxDirtyRects = 24;
// Two marked rectangles merge when their bounding box wastes at most this many pixels.
constexpr long long kMergeSlackPixels = 1024;
// An element shown through more pieces than this is painted once over their bounding box.
constexpr std::size_t kMaxShownParts = 8;

// Paints black the frame's pixels outside the client area's device rectangle.
void BlackAround(const FrameBuffer& frame, const TRect& area) {
    for (int y = 0; y < frame.height; ++y) {
        std::uint8_t* row = frame.pixels + static_cast<std::size_t>(y) * frame.stride;
        const bool beside = y >= area.Top && y < area.Bottom();
        const int left = beside ? std::clamp(area.Left, 0, frame.width) : frame.width;
        const int right =
            beside ? static_cast<int>(std::clamp<std::int64_t>(area.Right(), left, frame.width)) : frame.width;
        std::memset(row, 0, static_cast<std::size_t>(left) * 4);
        std::memset(row + static_cast<std::size_t>(right) * 4, 0, static_cast<std::size_t>(frame.width - right) * 4);
    }
}

long long Area(const TRect& r) { return r.Empty() ? 0 : static_cast<long long>(r.Width) * r.Height; }

bool WorthMerging(const TRect& a, const TRect& b) { return Area(a.Union(b)) <= Area(a) + Area(b) + kMergeSlackPixels; }

// Takes cut out of every rectangle of parts, leaving at most four bands of each.
void CutOut(std::vector<TRect>& parts, const TRect& cut) {
    const std::size_t before = parts.size();
    for (std::size_t i = 0; i < before; ++i) {
        const TRect r = parts[i];
        const TRect in = r.Intersect(cut);
        if (in.Empty()) continue;
        parts[i] = {};
        const int inRight = static_cast<int>(in.Right()), inBottom = static_cast<int>(in.Bottom());
        if (in.Top > r.Top) parts.push_back({r.Left, r.Top, r.Width, in.Top - r.Top});
        if (inBottom < r.Bottom())
            parts.push_back({r.Left, inBottom, r.Width, static_cast<int>(r.Bottom() - inBottom)});
        if (in.Left > r.Left) parts.push_back({r.Left, in.Top, in.Left - r.Left, in.Height});
        if (inRight < r.Right()) parts.push_back({inRight, in.Top, static_cast<int>(r.Right() - inRight), in.Height});
    }
    std::erase_if(parts, [](const TRect& r) { return r.Empty(); });
}

// Adds to parts the pieces of bounds that open leaves uncovered; false when
// there are none. Where the uncovered area is in many pieces (a whole frame cut
// up by the tiles), finding an element's would cost more than it saves: it is
// painted over its bounds, as are elements torn into many pieces. What it paints
// beyond what it shows, whatever lies above paints over again.
bool AddShownParts(const std::vector<TRect>& open, const TRect& bounds, std::vector<TRect>& parts) {
    if (open.size() > kMaxShownParts) {
        parts.push_back(bounds);
        return true;
    }
    const std::size_t begin = parts.size();
    TRect all;
    for (const TRect& r : open) {
        const TRect part = r.Intersect(bounds);
        if (part.Empty()) continue;
        parts.push_back(part);
        all = all.Union(part);
    }
    if (parts.size() == begin) return false;
    if (parts.size() - begin > kMaxShownParts) {
        parts.resize(begin);
        parts.push_back(all);
    }
    return true;
}

// Paints e where it shows in part (layout pixels, inside e's bounds). Each
// device pixel goes with the one layout pixel it lies in, so neighbouring parts'
// pixels never overlap: a smoothed edge is blended once.
void PaintElement(Painter& painter, SceneElement& e, const TRect& part) {
    painter.Save();
    painter.ClipRect(part);
    painter.Translate(e.Left(), e.Top());
    e.Paint(painter);
    painter.Restore();
}

}  // namespace

// ---- Stacking ----

int Form::StackIndex(const SceneElement& e) const {
    const auto it = std::find(stacking_.begin(), stacking_.end(), &e);
    return it == stacking_.end() ? -1 : static_cast<int>(it - stacking_.begin());
}

TShape& Form::MakeShape() {
    madeShapes_.push_back(std::make_unique<TShape>(*this));
    TShape& shape = *madeShapes_.back();
    shape.Invalidate();
    return shape;
}

void Form::SendToBack(SceneElement& e) {
    const int index = StackIndex(e);
    if (index <= 0) return;
    std::rotate(stacking_.begin(), stacking_.begin() + index, stacking_.begin() + index + 1);
    e.Invalidate();
}

void Form::BringToFront(SceneElement& e) {
    const int index = StackIndex(e);
    if (index < 0 || index + 1 == static_cast<int>(stacking_.size())) return;
    std::rotate(stacking_.begin() + index, stacking_.begin() + index + 1, stacking_.end());
    e.Invalidate();
}

// ---- Repainting ----

void Form::InvalidateRect(const TRect& r) {
    TRect add = r.Intersect(ClientRect());
    if (add.Empty()) return;
    ++marks_;
    for (bool merged = true; merged;) {
        merged = false;
        for (auto it = dirty_.begin(); it != dirty_.end(); ++it) {
            if (it->Intersect(add) == add) return;  // already marked
            if (WorthMerging(*it, add)) {
                add = add.Union(*it);
                dirty_.erase(it);
                merged = true;
                break;
            }
        }
    }
    dirty_.push_back(add);
    if (dirty_.size() > kMaxDirtyRects) {
        TRect all;
        for (const TRect& d : dirty_) all = all.Union(d);
        dirty_.assign(1, all);
    }
}

void Form::InvalidateAll() {
    ++marks_;
    dirty_.assign(1, ClientRect());
    if (ClientRect().Empty()) dirty_.clear();
}

Form::RepaintCost Form::Repaint() {
    // The marks are taken and the last repaint's emptied list put in their place,
    // so a beat's marks find their room made instead of growing a list anew.
    std::vector<TRect> region;
    region.swap(spareDirty_);
    region.swap(dirty_);
    const RepaintCost cost = RepaintRegion(region);
    region.clear();
    spareDirty_.swap(region);
    return cost;
}

Form::RepaintCost Form::RepaintRegion(const std::vector<TRect>& region) {
    if (!window_ || region.empty()) return {};
    const double start = app_.NowMs();
    const FrameBuffer whole = window_->Frame();
    const TRect client = ClientRect();
    const bool anew = PlaceIn(whole);
    const std::span<const TRect> parts = anew ? std::span<const TRect>(&client, 1) : std::span<const TRect>(region);
    const FrameBuffer frame = ClientFrame(whole);
    std::vector<TRect> changed;
    changed.reserve(parts.size());
    {
        Painter painter(frame, scale_);  // one for the frame: its state is set up once
        for (const TRect& r : parts) {
            Compose(painter, frame, r);
            const TRect device = scale_.Outward(r);
            changed.push_back({device.Left + originX_, device.Top + originY_, device.Width, device.Height});
        }
    }
    if (anew) changed.assign(1, TRect{0, 0, whole.width, whole.height});
    const double composed = app_.NowMs();
    window_->Present(changed);
    return {composed - start, app_.NowMs() - composed, true};
}

bool Form::PlaceIn(const FrameBuffer& whole) {
    const Placement at = mode_ == WindowMode::FullScreen
                             ? FitOnScreen(whole.width, whole.height, ClientWidth, ClientHeight)
                             : Placement{window_->Scale(), 0, 0};
    if (at == ShownAt() && whole.width == frameWidth_ && whole.height == frameHeight_) return false;
    scale_ = at.scale;
    originX_ = at.left;
    originY_ = at.top;
    frameWidth_ = whole.width;
    frameHeight_ = whole.height;
    const TRect area = scale_.ToDevice(ClientRect());
    BlackAround(whole, {area.Left + originX_, area.Top + originY_, area.Width, area.Height});
    return true;
}

FrameBuffer Form::ClientFrame(const FrameBuffer& whole) const {
    const TRect device = scale_.ToDevice(ClientRect());
    const TRect area =
        TRect{originX_, originY_, device.Width, device.Height}.Intersect({0, 0, whole.width, whole.height});
    if (area.Empty()) return {};
    return {whole.pixels + static_cast<std::size_t>(area.Top) * whole.stride + static_cast<std::size_t>(area.Left) * 4,
            area.Width, area.Height, whole.stride};
}

void Form::DecodePicturesAhead() {
    app_.AfterNextPresent([this] { StartDecodingAhead(); }, this);
}

void Form::WaitForPicturesAhead() {
    if (decodingAhead_.joinable()) decodingAhead_.join();
}

void Form::StartDecodingAhead() {
    if (decodingAhead_.joinable()) return;
    struct Job {
        std::shared_ptr<Picture> picture;
        int width, height;
    };
    std::vector<Job> shown, hidden;
    for (SceneElement* e : stacking_) {
        const auto* image = dynamic_cast<const TImage*>(e);
        if (!image || !image->SharedPicture() || image->SharedPicture()->Decoded()) continue;
        const TRect dest = image->DestRect();
        const TRect device = scale_.ToDevice({e->Left() + dest.Left, e->Top() + dest.Top, dest.Width, dest.Height});
        if (device.Empty()) continue;
        (e->Visible() ? shown : hidden).push_back({image->SharedPicture(), device.Width, device.Height});
    }
    shown.insert(shown.end(), hidden.begin(), hidden.end());
    // The thread keeps its own hold on the pictures: the elements may go first.
    decodingAhead_ = std::thread([jobs = std::move(shown), this] {
        BeginThreadAhead("swoopy decoding");
        for (const Job& job : jobs) {
            if (stopDecodingAhead_) break;
            job.picture->DecodeAhead(job.width, job.height);
        }
    });
}

TRect Form::CoverOf(const SceneElement& e) const {
    TRect cover = e.OpaqueRect();
    cover.Left += e.Left();
    cover.Top += e.Top();
    // Between scales an edge may fall inside a device pixel, which is then blended
    // with what lies below: only the layout pixels inside the edges count.
    if (!scale_.IsOne()) {
        ++cover.Left;
        ++cover.Top;
        cover.Width -= 2;
        cover.Height -= 2;
    }
    return cover.Empty() ? TRect{} : cover;
}

SceneElement* Form::PaintedAt(std::size_t i) const {
    return i < stacking_.size() ? stacking_[i] : windowed_[i - stacking_.size()];
}

void Form::Compose(const FrameBuffer& frame, const TRect& clip) {
    Painter painter(frame, scale_);
    Compose(painter, frame, clip);
}

void Form::Compose(Painter& painter, const FrameBuffer& frame, const TRect& clip) {
    const TRect device = scale_.Outward(clip.Intersect(ClientRect())).Intersect({0, 0, frame.width, frame.height});
    if (device.Empty()) return;
    // Rounded outwards, the device pixels may reach into the layout pixels
    // beside clip: whatever lies there is drawn too, so no pixel goes stale.
    FindShownParts(scale_.LayoutCovering(device));
    painter.Save();
    painter.ClipDeviceRect(device);
    for (const TRect& r : bareParts_) painter.FillRect(r, Color);
    for (auto it = shown_.rbegin(); it != shown_.rend(); ++it) {
        SceneElement& e = *PaintedAt(it->index);
        for (std::size_t p = it->begin; p < it->end; ++p) PaintElement(painter, e, shownParts_[p]);
    }
    painter.Restore();
}

void Form::FindShownParts(const TRect& area) {
    // Top down, each element is given the parts of the area that no opaque
    // element above it hides: the tiles under a moving square are not painted
    // only to be painted over, nor is anything under the introduction panel.
    // What no opaque element covers at all is left in bareParts_.
    bareParts_.assign(1, area);
    shownParts_.clear();
    shown_.clear();
    const std::size_t count = stacking_.size() + windowed_.size();
    for (std::size_t i = count; i-- > 0 && !bareParts_.empty();) {
        const SceneElement& e = *PaintedAt(i);
        if (!e.Visible()) continue;
        // Most elements lie elsewhere: their bounds tell at once.
        const TRect bounds = e.BoundsRect().Intersect(area);
        if (bounds.Empty()) continue;
        const std::size_t begin = shownParts_.size();
        if (!AddShownParts(bareParts_, bounds, shownParts_)) continue;  // wholly hidden
        shown_.push_back({i, begin, shownParts_.size()});
        const TRect cover = CoverOf(e);
        if (!cover.Empty()) CutOut(bareParts_, cover);
    }
}
}  // namespace scene
