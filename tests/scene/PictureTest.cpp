#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <thread>
#include <utility>

#include "FormSupport.h"
#include "PaintSupport.h"
#include "scene/Painter.h"
#include "scene/Picture.h"
#include "scene/TImage.h"

using namespace scene;
using painttest::TestFrame;

namespace {

constexpr std::uint32_t kDark = 0x202020, kLight = 0xE0E0E0;

// A picture of solid blocks, so JPEG's losses stay far from the colours compared.
std::vector<std::uint8_t> BlockJpeg(int blocksX, int blocksY, int blockSize, std::uint32_t a, std::uint32_t b) {
    const int w = blocksX * blockSize, h = blocksY * blockSize;
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[static_cast<std::size_t>(y) * w + x] = ((x / blockSize + y / blockSize) % 2) ? b : a;
    return EncodeJpeg(px.data(), w, h, 95);
}

bool Near(std::uint32_t p, std::uint32_t q, int tolerance = 24) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

}  // namespace

TEST(Picture, HeaderIsReadAtOnceAndPixelsOnlyWhenAsked) {
    Picture pic(BlockJpeg(3, 2, 16, kDark, kLight));
    EXPECT_EQ(pic.Width(), 48);
    EXPECT_EQ(pic.Height(), 32);
    EXPECT_FALSE(pic.Decoded());
    const std::vector<std::uint32_t>& px = pic.Pixels();
    EXPECT_TRUE(pic.Decoded());
    ASSERT_EQ(px.size(), 48u * 32u);
    EXPECT_TRUE(Near(px[8 * 48 + 8], kDark)) << std::hex << px[8 * 48 + 8];
    EXPECT_TRUE(Near(px[8 * 48 + 24], kLight)) << std::hex << px[8 * 48 + 24];
    EXPECT_EQ(px[0] >> 24, 0u) << "pixels carry no alpha byte";
    // A second call hands back the same decoded pixels.
    EXPECT_EQ(&pic.Pixels(), &px);
}

TEST(Picture, WhatIsNotAJpegIsRefused) {
    const std::uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_THROW(Picture(png, sizeof png), PictureError);
    EXPECT_THROW(Picture(nullptr, 0), PictureError);
    const std::uint8_t onlyStart[] = {0xFF, 0xD8, 0xFF};
    EXPECT_THROW(Picture(onlyStart, sizeof onlyStart), PictureError);
    std::vector<std::uint8_t> cut = BlockJpeg(2, 2, 8, kDark, kLight);
    cut.resize(20);
    EXPECT_THROW(Picture(std::move(cut)), PictureError);
}

TEST(PictureDrawing, ScalingRepeatsWholePixels) {
    // A 2 x 2 checker stretched to 20 x 20 must give four flat 10 x 10 blocks.
    const std::uint32_t checker[4] = {kDark, kLight, kLight, kDark};
    Picture pic(EncodeJpeg(checker, 2, 2, 100));
    TestFrame frame(40, 40, clRed);
    {
        Painter painter(frame.Buffer());
        painter.DrawPicture({10, 10, 20, 20}, pic);
    }
    for (int by = 0; by < 2; ++by) {
        for (int bx = 0; bx < 2; ++bx) {
            const std::uint32_t corner = frame.At(10 + bx * 10, 10 + by * 10);
            const TRect block{10 + bx * 10, 10 + by * 10, 10, 10};
            EXPECT_EQ(frame.CountNot(block, corner), 0) << "block " << bx << "," << by << " is not flat";
            EXPECT_TRUE(Near(corner, (bx + by) % 2 ? kLight : kDark, 16)) << std::hex << corner;
        }
    }
    // Opaque, and nothing outside its box.
    EXPECT_EQ(frame.CountNot({0, 0, 40, 10}, painttest::Px(clRed)), 0);
    EXPECT_EQ(frame.CountNot({0, 30, 40, 10}, painttest::Px(clRed)), 0);
    EXPECT_EQ(frame.CountNot({0, 10, 10, 20}, painttest::Px(clRed)), 0);
    EXPECT_EQ(frame.CountNot({30, 10, 10, 20}, painttest::Px(clRed)), 0);
}

TEST(PictureDrawing, ShrinkingDropsWholeRowsAndColumns) {
    Picture pic(BlockJpeg(4, 4, 16, kDark, kLight));  // 64 x 64
    TestFrame frame(16, 16, clRed);
    {
        Painter painter(frame.Buffer());
        painter.DrawPicture({0, 0, 16, 16}, pic);
    }
    // Each 4 x 4 block of the result samples one 16 x 16 block of the picture.
    for (int by = 0; by < 4; ++by)
        for (int bx = 0; bx < 4; ++bx)
            EXPECT_TRUE(Near(frame.At(bx * 4 + 1, by * 4 + 1), (bx + by) % 2 ? kLight : kDark))
                << "block " << bx << "," << by;
}

TEST(PictureDrawing, DecodedOnceAtFirstDrawAndRescaledOnResize) {
    Picture pic(BlockJpeg(2, 1, 32, kDark, kLight));  // 64 x 32: dark left, light right
    TestFrame frame(100, 100, clWhite);
    {
        Painter painter(frame.Buffer());
        // Entirely clipped away: nothing to draw, so nothing is decoded.
        painter.ClipRect({0, 0, 10, 10});
        painter.DrawPicture({50, 50, 40, 40}, pic);
    }
    EXPECT_FALSE(pic.Decoded());
    {
        Painter painter(frame.Buffer());
        painter.DrawPicture({0, 0, 40, 20}, pic);
    }
    EXPECT_TRUE(pic.Decoded());
    EXPECT_TRUE(Near(frame.At(19, 10), kDark));
    EXPECT_TRUE(Near(frame.At(20, 10), kLight));
    {
        Painter painter(frame.Buffer());
        painter.DrawPicture({0, 0, 10, 30}, pic);
    }
    EXPECT_TRUE(Near(frame.At(4, 25), kDark));
    EXPECT_TRUE(Near(frame.At(5, 25), kLight));
    EXPECT_TRUE(Near(frame.At(20, 10), kLight)) << "outside the new box the old drawing stays";
}

// One picture shown at its own size in one place and stretched to two sizes in
// others (a picture is shared by the windows that show it): each drawing,
// clipped or not, is what a picture of its own would draw there, however they
// alternate.
TEST(PictureDrawing, OnePictureAtTwoSizesDrawsEachRight) {
    const std::vector<std::uint8_t> jpeg = BlockJpeg(3, 2, 8, kDark, kLight);  // 24 x 16
    Picture shared(jpeg.data(), jpeg.size());
    const TRect natural{3, 5, 24, 16}, stretched{40, 2, 37, 29}, wider{5, 22, 30, 15};
    const TRect clips[] = {{0, 0, 80, 40}, {10, 8, 50, 20}};
    for (int round = 0; round < 3; ++round) {
        for (const TRect& box : {natural, stretched, wider}) {
            for (const TRect& clip : clips) {
                SCOPED_TRACE(testing::Message()
                             << "round " << round << ", box at " << box.Left << ", clip at " << clip.Left);
                Picture own(jpeg.data(), jpeg.size());
                TestFrame got(80, 40, clRed), want(80, 40, clRed);
                for (auto [frame, picture] : {std::pair{&got, &shared}, std::pair{&want, &own}}) {
                    Painter painter(frame->Buffer());
                    painter.ClipRect(clip);
                    painter.DrawPicture(box, *picture);
                }
                EXPECT_TRUE(got.SameAs(want));
            }
        }
    }
}

TEST(PictureDrawing, NaturalSizeAndClipping) {
    Picture pic(BlockJpeg(2, 2, 8, kDark, kLight));  // 16 x 16
    TestFrame frame(40, 40, clWhite);
    {
        Painter painter(frame.Buffer());
        painter.Save();
        painter.Translate(5, 5);
        painter.ClipRect({0, 0, 12, 40});
        painter.DrawPicture({0, 0, 40, 40}, pic, PictureFit::NaturalSize);
        painter.Restore();
    }
    EXPECT_TRUE(Near(frame.At(6, 6), kDark));
    EXPECT_TRUE(Near(frame.At(14, 6), kLight));
    EXPECT_TRUE(Near(frame.At(6, 14), kLight));
    EXPECT_EQ(frame.At(17, 6), painttest::Px(clWhite)) << "cut at the clip";
    EXPECT_EQ(frame.At(6, 21), painttest::Px(clWhite)) << "natural size ends at 16 pixels";
}

// ---------------------------------------------------------------------------
// The picture element on a window.

namespace {

class ImageTest : public painttest::FormTest {
protected:
    std::shared_ptr<Picture> Blocks(int blocksX, int blocksY, int blockSize) {
        return std::make_shared<Picture>(BlockJpeg(blocksX, blocksY, blockSize, kDark, kLight));
    }
    TImage image{form, "Image1"};
};

}  // namespace

TEST_F(ImageTest, WhereThePictureLandsInTheElement) {
    EXPECT_EQ(image.Width(), 105);
    EXPECT_EQ(image.Height(), 105);
    EXPECT_EQ(image.DestRect(), (TRect{})) << "no picture, nothing to draw";
    image.SetPicture(Blocks(4, 2, 20));  // 80 x 40
    image.SetBounds(0, 0, 100, 100);
    EXPECT_EQ(image.DestRect(), (TRect{0, 0, 80, 40})) << "natural size at the top left";
    image.SetCenter(true);
    EXPECT_EQ(image.DestRect(), (TRect{10, 30, 80, 40}));
    image.SetStretch(true);
    EXPECT_EQ(image.DestRect(), (TRect{0, 0, 100, 100})) << "stretched, proportions not kept";
    image.SetProportional(true);
    EXPECT_EQ(image.DestRect(), (TRect{0, 25, 100, 50}));
    image.SetStretch(false);
    image.SetBounds(0, 0, 40, 100);
    EXPECT_EQ(image.DestRect(), (TRect{0, 40, 40, 20})) << "a larger picture is scaled down";
    image.SetBounds(0, 0, 200, 200);
    EXPECT_EQ(image.DestRect(), (TRect{60, 80, 80, 40})) << "a smaller one is not scaled up";
}

TEST_F(ImageTest, StretchedPictureCoversItsElementAndFollowsItsSize) {
    image.SetPicture(Blocks(2, 2, 16));
    image.SetStretch(true);
    image.SetBounds(20, 20, 60, 40);
    Start();
    TestFrame f = Compose();
    EXPECT_TRUE(Near(f.At(20, 20), kDark));
    EXPECT_TRUE(Near(f.At(79, 20), kLight));
    EXPECT_TRUE(Near(f.At(79, 59), kDark));
    EXPECT_EQ(f.At(80, 20), painttest::Px(clSilver));
    EXPECT_EQ(f.At(20, 60), painttest::Px(clSilver));

    image.SetBounds(20, 20, 30, 30);  // the bonus pictures shrink this way
    f = Compose();
    EXPECT_TRUE(Near(f.At(49, 49), kDark));
    EXPECT_TRUE(Near(f.At(49, 20), kLight));
    EXPECT_EQ(f.At(50, 20), painttest::Px(clSilver));
}

TEST_F(ImageTest, DecodedOnlyWhenFirstDrawn) {
    auto shown = Blocks(2, 2, 8), hidden = Blocks(2, 2, 8), outside = Blocks(2, 2, 8);
    image.SetPicture(shown);
    TImage other(form), away(form);
    other.SetPicture(hidden);
    other.SetVisible(false);
    away.SetPicture(outside);
    away.SetBounds(200, -200, 105, 105);
    EXPECT_FALSE(shown->Decoded());
    Start();
    Compose();
    EXPECT_TRUE(shown->Decoded());
    EXPECT_FALSE(hidden->Decoded()) << "a hidden picture is not drawn";
    EXPECT_FALSE(outside->Decoded()) << "nor one outside the window";
}

// Asked to, a window decodes every picture it has not drawn yet once its first
// frame is up, on a thread of its own, at the size each will be drawn; drawing
// one later finds its pixels there, and a draw that comes while one is being
// decoded waits for it rather than decoding it again.
TEST_F(ImageTest, PicturesAheadAreDecodedAfterTheFirstFrameAtTheirDrawnSize) {
    auto shown = Blocks(8, 8, 64), hidden = Blocks(8, 8, 64), second = Blocks(8, 8, 64);
    image.SetPicture(shown);
    TImage later(form), also(form);
    later.SetPicture(hidden);
    later.SetBounds(10, 10, 60, 60);
    later.SetStretch(true);
    later.SetVisible(false);
    also.SetPicture(second);
    also.SetVisible(false);
    form.DecodePicturesAhead();
    EXPECT_FALSE(hidden->Decoded()) << "nothing before the first frame";
    form.LoadAll();
    form.Show();
    app.RunFor(0);  // the loop presents the first frame, then starts the decoding
    form.WaitForPicturesAhead();
    ASSERT_TRUE(hidden->Decoded());
    ASSERT_TRUE(second->Decoded());
    EXPECT_TRUE(hidden->ReadyAt(60, 60)) << "scaled ahead to the 60 pixels it is drawn at";
    const std::uint32_t* pixels = hidden->PixelsAt(60, 60).pixels.data();
    later.SetVisible(true);
    const TestFrame f = Compose();
    EXPECT_EQ(hidden->PixelsAt(60, 60).pixels.data(), pixels) << "drawn from the copy scaled ahead";
    EXPECT_TRUE(Near(f.At(12, 12), kDark));
    EXPECT_TRUE(Near(f.At(12 + 8, 12), kLight));
}

TEST(Picture, ADrawDuringADecodeAheadWaitsForItsPixels) {
    for (int round = 0; round < 20; ++round) {
        Picture pic(BlockJpeg(8, 8, 64, kDark, kLight));
        std::thread ahead([&pic] { pic.DecodeAhead(100, 100); });
        // 128 pixels decoded (a quarter of 512), scaled to the 100 drawn.
        const Picture::Decoding drawn = pic.PixelsAt(100, 100);
        ahead.join();
        EXPECT_TRUE(pic.ReadyAt(100, 100));
        EXPECT_FALSE(pic.ReadyAt(120, 120)) << "another size is scaled when it is drawn";
        ASSERT_EQ(drawn.width, 100);
        ASSERT_EQ(drawn.pixels.size(), 100u * 100u);
        EXPECT_TRUE(Near(drawn.pixels[6 * 100 + 6], kDark));
        EXPECT_TRUE(Near(drawn.pixels[6 * 100 + 19], kLight));
        EXPECT_EQ(pic.PixelsAt(100, 100).pixels.data(), drawn.pixels.data()) << "decoded and scaled once";
    }
}

// A picture drawn small is decoded small: at the smallest of its whole, half,
// quarter and eighth sizes that still covers the box, showing the same picture,
// and larger again when asked.
TEST(Picture, DecodesOnlyAsLargeAsItIsDrawn) {
    Picture pic(BlockJpeg(8, 8, 64, kDark, kLight));  // 512 x 512, blocks of 64
    const Picture::Decoding small = pic.PixelsForSize(60, 60);
    EXPECT_EQ(small.width, 64);
    EXPECT_EQ(small.height, 64);
    ASSERT_EQ(small.pixels.size(), 64u * 64u);
    EXPECT_TRUE(Near(small.pixels[4 * 64 + 4], kDark)) << std::hex << small.pixels[4 * 64 + 4];
    EXPECT_TRUE(Near(small.pixels[4 * 64 + 12], kLight)) << std::hex << small.pixels[4 * 64 + 12];
    EXPECT_EQ(pic.PixelsForSize(30, 64).width, 64) << "a smaller box takes what is decoded";

    const Picture::Decoding wider = pic.PixelsForSize(200, 100);
    EXPECT_EQ(wider.width, 256);
    EXPECT_EQ(wider.height, 256);
    EXPECT_EQ(pic.PixelsForSize(300, 100).width, 512)
        << "five eighths would cover it, but decode slower than the whole";
    EXPECT_EQ(pic.PixelsForSize(2000, 2000).width, 512) << "never beyond the full size";
    EXPECT_EQ(pic.Pixels().size(), 512u * 512u);
}

// Whichever size a picture is first drawn at, the copy drawn at each size must
// be, pixel for pixel, the copy made from a decode for that size alone.
TEST(Picture, ACopyIsTheSameWhicheverSizeCameFirst) {
    const std::vector<std::uint8_t> jpeg = BlockJpeg(7, 5, 24, kDark, kLight);  // 168 x 120
    const struct { int width, height; } sizes[] = {{100, 100}, {37, 29}, {168, 7}, {300, 250}, {84, 60}, {1, 1}};
    for (const auto first : sizes) {
        Picture straight(jpeg.data(), jpeg.size());
        for (const auto size : {first, sizes[0], sizes[3], first}) {
            SCOPED_TRACE(testing::Message() << "first " << first.width << "x" << first.height << ", then " << size.width
                                            << "x" << size.height);
            Picture whole(jpeg.data(), jpeg.size());
            whole.PixelsForSize(size.width, size.height);
            const Picture::Decoding want = whole.PixelsAt(size.width, size.height);
            const Picture::Decoding got = straight.PixelsAt(size.width, size.height);
            ASSERT_EQ(got.width, size.width);
            ASSERT_EQ(got.height, size.height);
            EXPECT_EQ(got.pixels, want.pixels);
            EXPECT_TRUE(straight.ReadyAt(size.width, size.height));
        }
    }
}
