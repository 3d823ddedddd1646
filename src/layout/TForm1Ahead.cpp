// Work the first frame needs, done ahead on other threads while the window is
// made (the captions shaped and drawn, the shown pictures decoded), and, when
// the loop is idle, the glyphs of later captions and the clock's next captions.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "layout/LayoutRows.h"
#include "layout/TForm1.h"
#include "scene/Application.h"
#include "scene/Painter.h"

namespace layout {

using namespace scene;

namespace {

// Draws text into a scratch frame of its own size at scale: the face loads and
// the glyphs are rendered into the caches the window's own drawing uses.
void RenderOffscreen(std::string_view text, const TFont& font, const TextOptions& options, DisplayScale scale) {
    const TextSize size = MeasureText(text, font, options.showAccelChar);
    const TRect box{0, 0, size.width + 2, size.height + 2};
    const int width = scale.ToDevice(box.Width), height = scale.ToDevice(box.Height);
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(width) * height * 4);
    Painter painter(FrameBuffer{scratch.data(), width, height, width * 4}, scale);
    painter.DrawText(box, text, font, options);
}

}  // namespace

void TForm1::PrepareText(const std::function<DisplayScale()>& scale) {
    // Every caption measured in its font, as the window's load measures it (the
    // faces load, the captions are shaped), then the shown ones drawn as well.
    // An empty caption of a fixed size waits for the idle glyph rendering.
    const std::vector<LayoutCaption> captions = LayoutCaptions();
    TextOptions options;
    for (const LayoutCaption& c : captions) MeasureText(c.text, c.font, options.showAccelChar);
    const DisplayScale at = scale();
    for (const LayoutCaption& c : captions) {
        if (!c.shown) continue;
        options.alignment = c.alignment;
        RenderOffscreen(c.text, c.font, options, at);
    }
}

void TForm1::RenderGlyphsWhenIdle() {
    // A dozen glyphs a step: well under a millisecond even in the largest font.
    constexpr int kGlyphsPerStep = 12;
    const DisplayScale scale = Scale();
    for (const TFont& font : LayoutFonts()) {
        for (int first = ' '; first <= '~'; first += kGlyphsPerStep) {
            std::string chars;
            for (int c = first; c <= '~' && c < first + kGlyphsPerStep; ++c) chars += static_cast<char>(c);
            App().PostWhenIdle([scale, font, chars] {
                TextOptions options;
                options.showAccelChar = false;
                RenderOffscreen(chars, font, options, scale);
            });
        }
    }
}

void TForm1::DecodeShownPictures(DisplayScale scale) {
    for (const LayoutPictureBox& shown : ShownLayoutPictures()) {
        const TRect device = scale.ToDevice(shown.bounds);
        LayoutPicture(shown.name)->DecodeAhead(device.Width, device.Height);
    }
}

// Each second shows a new time and a new score. A caption drawn a second after
// the last text costs a millisecond or more, the text library's code and data
// gone from the caches by then, so the next few of each are laid out and drawn
// into the text cache in one go while the loop is idle: one cold start in eight
// seconds rather than two a second. A catch or a bought minute leaves the run;
// the next second readies a new one.
void TForm1::ReadyClockCounts() {
    constexpr int kAhead = 8;
    const int time = State.timeLeft;  // the next second shows it; below zero the game is over
    const int score = State.score;    // shown at the next beat, then one more a second
    if (time < 0) return;
    const bool readyTime = !timeReady.Holds(time);
    const bool readyScore = !scoreReady.Holds(score + 1);
    if (readyTime) timeReady = {std::max(0, time - kAhead + 1), time};
    if (readyScore) scoreReady = {score, score + kAhead - 1};
    const scene::Form* owner = this;  // the form drops the steps when it goes
    for (int i = 0; i < kAhead; ++i) {
        if (readyTime && time - i >= 0)
            App().PostWhenIdle([this, n = time - i] { Label7.PrepareCaption(TimeCaption(n)); }, owner);
        if (readyScore)
            App().PostWhenIdle([this, n = score + i] { FINALSCORE.PrepareCaption(ScoreCaption(n)); }, owner);
    }
}

}  // namespace layout
