#include "scene/ErrorBox.h"

#include <algorithm>
#include <utility>

#include "scene/Cp1252.h"
#include "scene/Painter.h"

namespace scene {

namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kMaxTextWidth = 420;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kMinWidth = 180;
constexpr TColor kStopRed = 0x2020D0;

std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

}  // namespace

ErrorBox::ErrorBox(Platform& platform, std::string caption, std::string text, int ownerId)
    : caption_(std::move(caption)),
      text_(std::move(text)),
      shownText_(WithoutCarriageReturns(text_)),
      scale_(platform.PresentationScale()) {
    font_.Name = "Tahoma";
    font_.Height = -11;
    font_.Color = clWindowText;

    const TextSize size = MeasureText(shownText_.empty() ? " " : shownText_, font_, false, kMaxTextWidth);
    const int textLeft = kMargin + kIconSize + kMargin;
    const int upperHeight = kMargin + std::max(kIconSize, size.height) + kMargin;
    width_ = std::max(kMinWidth, textLeft + size.width + 2 * kMargin);
    height_ = upperHeight + kMargin + kButtonHeight + kMargin;
    icon_ = {kMargin, kMargin, kIconSize, kIconSize};
    textBox_ = {textLeft, kMargin + std::max(0, (kIconSize - size.height) / 2), size.width + 1, size.height};
    okButton_ = {width_ - kMargin - kButtonWidth, upperHeight + kMargin, kButtonWidth, kButtonHeight};

    WindowOptions options;
    options.title = Cp1252ToUtf8(caption_);
    options.left = -1;
    options.top = -1;
    const TRect client = scale_.ToDevice(TRect{0, 0, width_, height_});
    options.clientWidth = client.Width;
    options.clientHeight = client.Height;
    options.ownerId = ownerId;
    options.dialog = true;
    window_ = platform.CreateWindow(options);
    window_->Show();
}

ErrorBox::~ErrorBox() = default;

void ErrorBox::HandleInput(const InputEvent& deviceEvent) {
    InputEvent ev = deviceEvent;
    ev.x = window_->Scale().ToLayout(ev.x);
    ev.y = window_->Scale().ToLayout(ev.y);
    const bool left = ev.button == TMouseButton::mbLeft;
    switch (ev.kind) {
        case EventKind::KeyDown:
            if (ev.key == kReturn || ev.key == kSpace || ev.key == kEscape) Close();
            break;
        case EventKind::MouseDown:
            if (left && okButton_.Contains(ev.x, ev.y)) {
                okDown_ = true;
                dirty_ = true;
            }
            break;
        case EventKind::MouseUp:
            if (left && okDown_) {
                okDown_ = false;
                dirty_ = true;
                if (okButton_.Contains(ev.x, ev.y)) Close();
            }
            break;
        case EventKind::CloseRequest: Close(); break;
        case EventKind::Exposed: dirty_ = true; break;
        default: break;
    }
}

void ErrorBox::Repaint() {
    if (!dirty_) return;
    dirty_ = false;
    const FrameBuffer frame = window_->Frame();
    {
        Painter painter(frame, window_->Scale());
        Paint(painter);
    }
    window_->Present({window_->Scale().ToDevice(TRect{0, 0, width_, height_})});
}

void ErrorBox::Paint(Painter& painter) const {
    const int stripTop = okButton_.Top - kMargin;
    painter.FillRect({0, 0, width_, stripTop}, clWindow);
    painter.FillRect({0, stripTop, width_, height_ - stripTop}, clBtnFace);
    PaintStopIcon(painter);

    TextOptions text;
    text.wordWrap = true;
    text.showAccelChar = false;
    painter.DrawText(textBox_, shownText_, font_, text);

    painter.FillRect(okButton_, clBtnFace);
    painter.DrawEdge(okButton_, okDown_ ? EdgeStyle::Sunken : EdgeStyle::Raised);
    TextOptions centred;
    centred.alignment = TAlignment::taCenter;
    centred.layout = TTextLayout::tlCenter;
    centred.showAccelChar = false;
    painter.DrawText(okButton_, "OK", font_, centred);
    const TRect focus{okButton_.Left + 3, okButton_.Top + 3, okButton_.Width - 6, okButton_.Height - 6};
    painter.DrawFocusRect(focus);
}

// A red disc with a white cross.
void ErrorBox::PaintStopIcon(Painter& painter) const {
    painter.DrawEllipse(icon_, kStopRed, 1, kStopRed);
    const int x0 = icon_.Left + 10, y0 = icon_.Top + 10;
    const int x1 = icon_.Right() - 11, y1 = icon_.Bottom() - 11;
    for (int d = -1; d <= 1; ++d) {
        painter.DrawLine(x0 + d, y0, x1 + d, y1, clWhite);
        painter.DrawLine(x1 + d, y0, x0 + d, y1, clWhite);
    }
}

}  // namespace scene
