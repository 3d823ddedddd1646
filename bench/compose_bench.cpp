// Composing the window: a full frame of the playing screen, and a frame in which
// only the nine movers moved, composed over the region they marked; each at
// presentation scale 1 and 2 (the argument).

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "scene/Application.h"
#include "scene/Form.h"
#include "scene/Picture.h"
#include "scene/TImage.h"
#include "scene/TLabel.h"
#include "scene/TShape.h"

using namespace scene;

namespace {

constexpr int kClientWidth = 1109, kClientHeight = 607;

// A smooth two-way gradient: JPEG-friendly, like the game's panels.
std::shared_ptr<Picture> GradientPicture(int w, int h) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[static_cast<std::size_t>(y) * w + x] =
                (static_cast<std::uint32_t>(x * 255 / w) << 16) | (static_cast<std::uint32_t>(y * 255 / h) << 8) | 0x40;
    return std::make_shared<Picture>(EncodeJpeg(px.data(), w, h, 85));
}

TFont LabelFont(int height, unsigned style, TColor color) {
    TFont f;
    f.Name = "Trebuchet MS";
    f.Height = height;
    f.Style = style;
    f.Color = color;
    f.Charset = ANSI_CHARSET;
    return f;
}

struct Mover {
    int left, top, size;
    TShapeType shape;
    TColor color;
};

// The playing screen: tiles, movers, the three panel pictures and the texts.
class PlayScreen {
public:
    explicit PlayScreen(DisplayScale scale) {
        platform_.SetPresentationScale(scale);
        form_.ClientWidth = kClientWidth;
        form_.ClientHeight = kClientHeight;
        form_.Color = clSilver;
        MakeTiles();
        MakeMovers();
        MakePictures();
        MakeLabels();
        form_.LoadAll();
        form_.Show();
        // Pictures are decoded at the first drawing, not in the measured frames.
        form_.Repaint();
    }

    void ComposeAll() { form_.Compose(form_.Window()->Frame(), form_.ClientRect()); }

    // Moves the movers a step (back and forth, so they stay in view) and repaints
    // what that marked: composed, and presented to the headless window, which
    // only notes the rectangles.
    void MoveAndCompose() {
        step_ = -step_;
        for (TShape* m : movers_) m->SetBounds(m->Left() + step_, m->Top() + step_, m->Width(), m->Height());
        form_.Repaint();
        platform_.Window(form_.WindowId()).presented.clear();
    }

    // Device pixels of a movement frame.
    long long MarkedPixels() {
        step_ = -step_;
        for (TShape* m : movers_) m->SetBounds(m->Left() + step_, m->Top() + step_, m->Width(), m->Height());
        long long n = 0;
        for (const TRect& r : form_.DirtyRegion()) {
            const TRect device = form_.Scale().Outward(r);
            n += static_cast<long long>(device.Width) * device.Height;
        }
        form_.Repaint();
        return n;
    }

    std::size_t Elements() const { return form_.Stacking().size(); }

private:
    void MakeTiles() {
        for (int row = 0; row < 8; ++row) {
            for (int col = 0; col < 14; ++col) {
                TShape& tile = form_.MakeShape();
                tile.SetBounds(col * 65, row * 65, 65, 65);
                tile.SetBrushColor((row + col) % 3 ? clGray : clSilver);
            }
        }
    }

    void MakeMovers() {
        const Mover movers[] = {
            // clang-format off
            {120, 192, 65, TShapeType::stRoundRect, clBlack},  {216, 80, 65, TShapeType::stRoundRect, clBlack},
            {528, 332, 41, TShapeType::stRoundSquare, clBlack}, {639, 400, 65, TShapeType::stRoundSquare, clBlack},
            {723, 72, 49, TShapeType::stRoundRect, clRed},     {80, 120, 33, TShapeType::stRoundRect, clRed},
            {552, 180, 49, TShapeType::stRoundRect, clRed},    {224, 348, 65, TShapeType::stRoundRect, clRed},
            {400, 220, 60, TShapeType::stCircle, clLime},
            // clang-format on
        };
        for (const Mover& m : movers) {
            auto& shape = shapes_.emplace_back(std::make_unique<TShape>(form_));
            shape->SetBounds(m.left, m.top, m.size, m.size);
            shape->SetShape(m.shape);
            shape->SetBrushColor(m.color);
            movers_.push_back(shape.get());
        }
    }

    void MakePictures() {
        const TRect boxes[] = {{885, 0, 233, 513}, {296, 0, 305, 73}, {-10, 506, 1121, 105}};
        const int sizes[][2] = {{600, 1200}, {1600, 500}, {1600, 300}};
        for (int i = 0; i < 3; ++i) {
            auto& image = images_.emplace_back(std::make_unique<TImage>(form_));
            image->SetPicture(GradientPicture(sizes[i][0], sizes[i][1]));
            image->SetStretch(true);
            image->SetBounds(boxes[i].Left, boxes[i].Top, boxes[i].Width, boxes[i].Height);
        }
    }

    void MakeLabels() {
        struct Text {
            const char* caption;
            int left, top, width, height, fontHeight;
            unsigned style;
            TColor color;
            bool autoSize;
            TAlignment alignment;
        };
        const unsigned bu = fsBold | fsUnderline;
        const Text texts[] = {
            {"Time 30 $", 944, 152, 113, 29, -24, bu, clWhite, true, TAlignment::taLeftJustify},
            {"No-red 20 $", 936, 240, 133, 29, -24, bu, clWhite, true, TAlignment::taLeftJustify},
            {"Bonus 50$", 944, 320, 115, 29, -24, bu, clWhite, true, TAlignment::taLeftJustify},
            {"+1 life 80 $", 936, 400, 128, 29, -24, bu, clWhite, true, TAlignment::taLeftJustify},
            {"Player One", 952, 460, 105, 18, -13, fsBold, clWhite, false, TAlignment::taCenter},
            {"BONUS gehaald +1000!", 320, 224, 255, 29, -24, fsBold, clWindowText, true, TAlignment::taLeftJustify},
            {"NO BONUS!", 344, 256, 124, 29, -24, fsBold, clWindowText, true, TAlignment::taLeftJustify},
            {"Score: 123456", 64, 536, 385, 49, -37, fsBold, clWindowText, false, TAlignment::taLeftJustify},
            {"$ 17", 712, 536, 10, 40, -32, fsBold, clWindowText, true, TAlignment::taLeftJustify},
            {"Time:  60 s", 520, 536, 177, 40, -32, fsBold, clWindowText, false, TAlignment::taLeftJustify},
            {"5", 352, 440, 151, 61, -48, bu, clBlack, true, TAlignment::taLeftJustify},
            {"Lives: 3", 336, 24, 225, 33, -27, fsBold, clWindowText, false, TAlignment::taCenter},
            {"You hit a red square!", 328, 64, 237, 29, -24, fsBold, clWindowText, true, TAlignment::taLeftJustify},
            {"You ran out of time!", 328, 96, 230, 29, -24, fsBold, clWindowText, true, TAlignment::taLeftJustify},
            {"Your score: 123456", 264, 144, 377, 65, -29, fsBold, clWindowText, false, TAlignment::taLeftJustify},
        };
        for (const Text& t : texts) {
            auto& label = labels_.emplace_back(std::make_unique<TLabel>(form_));
            label->SetTransparent(true);
            label->SetAutoSize(t.autoSize);
            label->SetAlignment(t.alignment);
            label->SetBounds(t.left, t.top, t.width, t.height);
            label->SetFont(LabelFont(t.fontHeight, t.style, t.color));
            label->SetCaption(t.caption);
        }
    }

    platform::HeadlessPlatform platform_;
    Application app_{platform_, "/games/SWOOPY.EXE"};
    Form form_{app_, "Form1"};
    std::vector<std::unique_ptr<TShape>> shapes_;
    std::vector<std::unique_ptr<TImage>> images_;
    std::vector<std::unique_ptr<TLabel>> labels_;
    std::vector<TShape*> movers_;
    int step_ = 3;
};

// The screen at presentation scale `factor`.
PlayScreen& Screen(int factor) {
    static std::map<int, std::unique_ptr<PlayScreen>> screens;
    auto& screen = screens[factor];
    if (!screen) screen = std::make_unique<PlayScreen>(DisplayScale::FromFactor(factor));
    return *screen;
}

void BM_FullFrame(benchmark::State& state) {
    PlayScreen& screen = Screen(static_cast<int>(state.range(0)));
    for (auto _ : state) screen.ComposeAll();
    state.counters["elements"] = static_cast<double>(screen.Elements());
}
BENCHMARK(BM_FullFrame)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(0.5);

void BM_MoversOnly(benchmark::State& state) {
    PlayScreen& screen = Screen(static_cast<int>(state.range(0)));
    for (auto _ : state) screen.MoveAndCompose();
    state.counters["marked_px"] = static_cast<double>(screen.MarkedPixels());
}
BENCHMARK(BM_MoversOnly)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(0.5);

}  // namespace

BENCHMARK_MAIN();
