#include "scene/TImage.h"

#include <utility>

#include "scene/Painter.h"

namespace scene {

TImage::TImage(Form& owner, std::string name) : SceneElement(owner, std::move(name), 105, 105) {}

void TImage::SetPicture(std::shared_ptr<Picture> p) {
    if (p == picture_) return;
    picture_ = std::move(p);
    Invalidate();
}

void TImage::Change(bool& field, bool value) {
    if (field == value) return;
    field = value;
    Invalidate();
}

void TImage::SetStretch(bool s) { Change(stretch_, s); }
void TImage::SetCenter(bool c) { Change(center_, c); }
void TImage::SetProportional(bool p) { Change(proportional_, p); }

TRect TImage::DestRect() const {
    if (!picture_) return {};
    const int boxW = Width(), boxH = Height();
    int w = picture_->Width(), h = picture_->Height();
    const bool larger = w > boxW || h > boxH;
    if (proportional_ && (stretch_ || larger) && w > 0 && h > 0) {
        // Fit inside the box with the picture's aspect kept.
        if (static_cast<long long>(boxW) * h <= static_cast<long long>(boxH) * w) {
            h = static_cast<int>(static_cast<long long>(h) * boxW / w);
            w = boxW;
        } else {
            w = static_cast<int>(static_cast<long long>(w) * boxH / h);
            h = boxH;
        }
    } else if (stretch_) {
        w = boxW;
        h = boxH;
    }
    TRect dest{0, 0, w, h};
    if (center_) {
        dest.Left = (boxW - w) / 2;
        dest.Top = (boxH - h) / 2;
    }
    return dest;
}

void TImage::Paint(Painter& painter) {
    if (!picture_) return;
    const TRect dest = DestRect();
    painter.Save();
    painter.ClipRect({0, 0, Width(), Height()});
    if (painter.Visible(dest)) painter.DrawPicture(dest, *picture_);
    painter.Restore();
}

}  // namespace scene
