// The embedded pictures: that each is a JPEG the toolkit can read at its stated size, and
// that what the labels lie on is where the layout puts the labels.
#include "layout/Pictures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cstdlib>
#include <array>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Decoded {
    int width = 0;
    int height = 0;
    int components = 0;
    int precision = 0;
    bool progressive = false;
    std::vector<std::uint8_t> rgb;  // filled only when asked to decode
};

struct Decompressor {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    Decompressor() {
        info.err = jpeg_std_error(&errors);
        errors.error_exit = [](j_common_ptr common) {
            char message[JMSG_LENGTH_MAX] = {};
            (*common->err->format_message)(common, message);
            throw std::runtime_error(message);
        };
        jpeg_create_decompress(&info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

enum class Pixels { HeaderOnly, Decode };

Decoded ReadJpeg(const layout::EmbeddedJpeg& jpeg, Pixels pixels) {
    Decompressor d;
    jpeg_mem_src(&d.info, jpeg.data, static_cast<unsigned long>(jpeg.size));
    jpeg_read_header(&d.info, TRUE);
    Decoded out;
    out.width = static_cast<int>(d.info.image_width);
    out.height = static_cast<int>(d.info.image_height);
    out.components = d.info.num_components;
    out.precision = d.info.data_precision;
    out.progressive = d.info.progressive_mode != 0;
    if (pixels == Pixels::HeaderOnly) {
        return out;
    }
    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.info);
    const std::size_t rowBytes = static_cast<std::size_t>(out.width) * 3;
    out.rgb.resize(rowBytes * static_cast<std::size_t>(out.height));
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = out.rgb.data() + rowBytes * d.info.output_scanline;
        jpeg_read_scanlines(&d.info, &row, 1);
    }
    jpeg_finish_decompress(&d.info);
    return out;
}

// The first frame marker tells baseline (SOF0) from extended or progressive coding.
int FrameMarker(const layout::EmbeddedJpeg& jpeg) {
    for (std::size_t i = 2; i + 3 < jpeg.size;) {
        if (jpeg.data[i] != 0xFF) {
            return -1;
        }
        const int marker = jpeg.data[i + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            return marker;
        }
        i += 2 + static_cast<std::size_t>((jpeg.data[i + 2] << 8) | jpeg.data[i + 3]);
    }
    return -1;
}

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    int Luma() const { return (299 * r + 587 * g + 114 * b) / 1000; }
    // Luma hardly tells a light blue from a dark one; the channel sum does.
    int Sum() const { return r + g + b; }
};

Rgb At(const Decoded& picture, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * picture.width + x) * 3;
    return {picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]};
}

// Where a picture element lies in the window; pixels are looked up by window position.
struct Placement {
    const char* name = "";
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
};

Rgb AtWindow(const Decoded& picture, const Placement& place, double wx, double wy) {
    const int x = static_cast<int>((wx - place.left) * picture.width / place.width);
    const int y = static_cast<int>((wy - place.top) * picture.height / place.height);
    return At(picture, std::clamp(x, 0, picture.width - 1), std::clamp(y, 0, picture.height - 1));
}

Decoded DecodeByName(const char* name) { return ReadJpeg(layout::PictureData(name), Pixels::Decode); }

struct PictureSize {
    const char* name;
    int width;
    int height;
};

constexpr std::array<PictureSize, 9> kSizes{{
    {"MenuRechts", 600, 1200},
    {"Livesbar", 1600, 500},
    {"Image5", 1600, 300},
    {"BONUS1", 1000, 1000},
    {"Bonus2", 1000, 1000},
    {"Bonus3", 1000, 1000},
    {"Bonus4", 1000, 1000},
    {"Bonus5", 1000, 1000},
    {"Finale", 343, 480},
}};

const Placement kShopPanel{"MenuRechts", 885, 0, 233, 513};
const Placement kTopBar{"Livesbar", 296, 0, 305, 73};
const Placement kBottomBar{"Image5", -10, 506, 1121, 105};

TEST(PicturesTest, EachPictureIsABaselineRgbJpegOfItsStatedSize) {
    std::size_t total = 0;
    for (const PictureSize& expected : kSizes) {
        SCOPED_TRACE(expected.name);
        const layout::EmbeddedJpeg jpeg = layout::PictureData(expected.name);
        ASSERT_NE(jpeg.data, nullptr);
        ASSERT_GT(jpeg.size, 100u);
        total += jpeg.size;
        EXPECT_EQ(jpeg.data[0], 0xFF);
        EXPECT_EQ(jpeg.data[1], 0xD8) << "expected a JPEG start-of-image marker";
        EXPECT_EQ(FrameMarker(jpeg), 0xC0) << "expected a baseline (SOF0) frame";
        const Decoded header = ReadJpeg(jpeg, Pixels::HeaderOnly);
        EXPECT_EQ(header.width, expected.width);
        EXPECT_EQ(header.height, expected.height);
        EXPECT_EQ(header.components, 3);
        EXPECT_EQ(header.precision, 8);
        EXPECT_FALSE(header.progressive);
    }
    // Kept small so the embedding source compiles quickly.
    EXPECT_LT(total, 1'500'000u);
}

TEST(PicturesTest, UnknownNamesHaveNoPicture) {
    for (const char* name : {"", "Bonus1", "menurechts", "Image4", "Finale "}) {
        const layout::EmbeddedJpeg jpeg = layout::PictureData(name);
        EXPECT_EQ(jpeg.data, nullptr) << name;
        EXPECT_EQ(jpeg.size, 0u) << name;
    }
}

TEST(PicturesTest, ShopPanelHasDarkPlatesOnALightInsetUnderTheTitleBox) {
    const Decoded panel = DecodeByName("MenuRechts");
    ASSERT_FALSE(panel.rgb.empty());
    const std::array<double, 4> plateMiddles{170.0, 253.0, 335.0, 417.0};
    for (const double y : plateMiddles) {
        for (const double x : {925.0, 1002.0, 1080.0}) {
            const Rgb plate = AtWindow(panel, kShopPanel, x, y);
            EXPECT_LT(plate.Luma(), 100) << "plate at window (" << x << ", " << y << ")";
        }
    }
    EXPECT_LT(AtWindow(panel, kShopPanel, 1002, 473).Luma(), 100) << "sound plate";
    // Between and beside the plates the beige inset shows.
    for (const double y : {212.0, 294.0, 376.0}) {
        const Rgb inset = AtWindow(panel, kShopPanel, 1002, y);
        EXPECT_GT(inset.Luma(), 180) << "inset at y " << y;
        EXPECT_GT(inset.r, inset.b + 10) << "beige, not grey, at y " << y;
    }
    EXPECT_GT(AtWindow(panel, kShopPanel, 920, 473).Luma(), 180) << "inset beside the sound plate";
    // The panel itself is dark grey, and the title box is blue.
    const Rgb edge = AtWindow(panel, kShopPanel, 892, 300);
    EXPECT_LT(edge.Luma(), 80);
    EXPECT_LT(std::abs(edge.r - edge.b), 12) << "the panel is grey";
    const Rgb titleLeft = AtWindow(panel, kShopPanel, 903, 100);
    const Rgb titleRight = AtWindow(panel, kShopPanel, 1103, 100);
    EXPECT_GT(titleLeft.b, titleLeft.r + 80) << "expected blue at the title box's left";
    EXPECT_GT(titleRight.Luma(), titleLeft.Luma()) << "the blue lightens to the right";
}

// Counts pixels of a window rectangle of a picture that pass a test, on a one-pixel grid.
template <typename Test>
int CountInWindow(const Decoded& picture, const Placement& place, double x0, double y0, double x1, double y1,
                  Test test) {
    int count = 0;
    for (double y = y0; y < y1; y += 1.0) {
        for (double x = x0; x < x1; x += 1.0) {
            count += test(AtWindow(picture, place, x, y)) ? 1 : 0;
        }
    }
    return count;
}

TEST(PicturesTest, ShopTitleBoxCarriesWhiteTitleAndADarkSquare) {
    const Decoded panel = DecodeByName("MenuRechts");
    const auto white = [](const Rgb& c) { return c.Luma() > 235; };
    const auto dark = [](const Rgb& c) { return c.Luma() < 70; };
    const int title = CountInWindow(panel, kShopPanel, 950, 20, 1104, 70, white);
    const int motto = CountInWindow(panel, kShopPanel, 902, 80, 1104, 106, white);
    EXPECT_GT(title, 600) << "expected the title in large white letters";
    EXPECT_GT(motto, 150) << "expected a line of white text under the title";
    EXPECT_LT(motto, title) << "the line under the title is the smaller text";
    EXPECT_GT(CountInWindow(panel, kShopPanel, 902, 16, 950, 64, dark), 40)
        << "expected the logo's dark square at the upper left";
}

TEST(PicturesTest, PlatesHaveRoundedCorners) {
    const Decoded panel = DecodeByName("MenuRechts");
    const Decoded top = DecodeByName("Livesbar");
    const Decoded bottom = DecodeByName("Image5");
    // Just inside each corner the background shows; halfway along the edge the plate does.
    EXPECT_GT(AtWindow(panel, kShopPanel, 913, 141).Luma(), 150) << "shop plate corner";
    EXPECT_LT(AtWindow(panel, kShopPanel, 1002, 142).Luma(), 100) << "shop plate top edge";
    EXPECT_GT(AtWindow(panel, kShopPanel, 1091, 446).Luma(), 150) << "shop plate corner";
    EXPECT_LT(AtWindow(top, kTopBar, 316, 18).Luma(), 120) << "lives plate corner";
    EXPECT_GT(AtWindow(top, kTopBar, 446, 19).Luma(), 220) << "lives plate top edge";
    EXPECT_LT(AtWindow(bottom, kBottomBar, 465, 587).Luma(), 120) << "status plate corner";
    EXPECT_GT(AtWindow(bottom, kBottomBar, 247, 586).Luma(), 200) << "status plate bottom edge";
}

TEST(PicturesTest, BarsHaveWhitePlatesOnDarkGrey) {
    const Decoded top = DecodeByName("Livesbar");
    const Decoded bottom = DecodeByName("Image5");
    ASSERT_FALSE(top.rgb.empty());
    ASSERT_FALSE(bottom.rgb.empty());
    for (const double x : {325.0, 446.0, 567.0}) {
        EXPECT_GT(AtWindow(top, kTopBar, x, 30).Luma(), 235) << "lives plate at x " << x;
    }
    EXPECT_LT(AtWindow(top, kTopBar, 305, 36).Luma(), 80) << "left of the lives plate";
    EXPECT_LT(AtWindow(top, kTopBar, 446, 8).Luma(), 80) << "above the lives plate";

    for (const double x : {40.0, 247.0, 455.0, 510.0, 718.0, 925.0}) {
        EXPECT_GT(AtWindow(bottom, kBottomBar, x, 550).Luma(), 235) << "status plate at x " << x;
    }
    EXPECT_LT(AtWindow(bottom, kBottomBar, 482, 558).Luma(), 80) << "between the plates";
    EXPECT_LT(AtWindow(bottom, kBottomBar, 247, 598).Luma(), 80) << "below the plates";
    EXPECT_LT(AtWindow(bottom, kBottomBar, 970, 558).Luma(), 80) << "left of the logo";
}

TEST(PicturesTest, BottomBarLogoHasAWhiteSquareBehindABlackOne) {
    const Decoded bottom = DecodeByName("Image5");
    int white = 0;
    int black = 0;
    for (double y = 537; y <= 579; y += 1.0) {
        for (double x = 991; x <= 1049; x += 1.0) {
            const int luma = AtWindow(bottom, kBottomBar, x, y).Luma();
            white += luma > 230 ? 1 : 0;
            black += luma < 20 ? 1 : 0;
        }
    }
    EXPECT_GT(white, 150) << "expected a white square in the logo";
    EXPECT_GT(black, 300) << "expected a black square in the logo";
    // The black square lies over the lower right, the white one shows at the upper left.
    EXPECT_GT(AtWindow(bottom, kBottomBar, 1004, 549).Luma(), 230);
    EXPECT_LT(AtWindow(bottom, kBottomBar, 1032, 566).Luma(), 20);
}

// Which channels are strong in a bonus picture's dark corner: that is its colour.
struct BonusColour {
    const char* name;
    std::array<bool, 3> strong;  // red, green, blue
};

TEST(PicturesTest, BonusPicturesRunLightToDarkWithADarkNumeralInTheMiddle) {
    const std::array<BonusColour, 5> bonuses{{
        {"BONUS1", {false, true, false}},  // green
        {"Bonus2", {true, false, true}},   // magenta
        {"Bonus3", {false, false, true}},  // blue
        {"Bonus4", {true, true, false}},   // yellow
        {"Bonus5", {true, false, false}},  // red
    }};
    for (const BonusColour& bonus : bonuses) {
        SCOPED_TRACE(bonus.name);
        const Decoded picture = DecodeByName(bonus.name);
        ASSERT_EQ(picture.width, 1000);
        const Rgb topLeft = At(picture, 80, 80);
        const Rgb bottomRight = At(picture, 920, 920);
        EXPECT_GT(topLeft.Sum(), bottomRight.Sum() + 45) << "expected the top-left lighter than the bottom-right";
        const std::array<int, 3> channels{bottomRight.r, bottomRight.g, bottomRight.b};
        for (std::size_t c = 0; c < 3; ++c) {
            if (bonus.strong[c]) {
                EXPECT_GT(channels[c], 150) << "channel " << c << " should be strong";
            } else {
                EXPECT_LT(channels[c], 100) << "channel " << c << " should be weak";
            }
        }
        int dark = 0;
        int samples = 0;
        for (int y = 300; y < 700; y += 10) {
            for (int x = 300; x < 700; x += 10) {
                dark += At(picture, x, y).Sum() < 60 ? 1 : 0;
                ++samples;
            }
        }
        EXPECT_GT(dark * 100 / samples, 20) << "expected a black numeral in the middle";
        long sumX = 0;
        long sumY = 0;
        long count = 0;
        for (int y = 0; y < 1000; y += 5) {
            for (int x = 0; x < 1000; x += 5) {
                if (At(picture, x, y).Sum() < 60) {  // black ink, not the darker edges
                    sumX += x;
                    sumY += y;
                    ++count;
                }
            }
        }
        ASSERT_GT(count, 0);
        EXPECT_NEAR(static_cast<double>(sumX) / count, 500.0, 80.0) << "numeral off centre";
        EXPECT_NEAR(static_cast<double>(sumY) / count, 500.0, 80.0) << "numeral off centre";
        EXPECT_GT(At(picture, 80, 500).Sum(), 250) << "no numeral at the left edge";
    }
}

TEST(PicturesTest, DistinctBonusPicturesAreNotCopies) {
    std::set<std::vector<std::uint8_t>> seen;
    for (const char* name : {"BONUS1", "Bonus2", "Bonus3", "Bonus4", "Bonus5"}) {
        const layout::EmbeddedJpeg jpeg = layout::PictureData(name);
        EXPECT_TRUE(seen.emplace(jpeg.data, jpeg.data + jpeg.size).second) << name;
    }
}

TEST(PicturesTest, FinaleIsAColourfulSceneOverADarkBandWithWhiteWords) {
    const Decoded finale = DecodeByName("Finale");
    ASSERT_EQ(finale.height, 480);
    const Rgb band = At(finale, 6, 470);
    EXPECT_NEAR(band.r, 0x31, 10);
    EXPECT_NEAR(band.g, 0x31, 10);
    EXPECT_NEAR(band.b, 0x31, 10);
    int whiteInBand = 0;
    for (int y = 390; y < 480; ++y) {
        for (int x = 0; x < 343; ++x) {
            whiteInBand += At(finale, x, y).Luma() > 220 ? 1 : 0;
        }
    }
    EXPECT_GT(whiteInBand, 1000) << "expected the closing words in white";
    // Two lines of words: rows with white ink form two runs, each centred.
    int runs = 0;
    bool inRun = false;
    for (int y = 386; y < 480; ++y) {
        long sumX = 0;
        int count = 0;
        for (int x = 0; x < 343; ++x) {
            if (At(finale, x, y).Luma() > 200) {
                sumX += x;
                ++count;
            }
        }
        const bool inked = count > 2;
        runs += inked && !inRun ? 1 : 0;
        inRun = inked;
        if (count > 20) {
            EXPECT_NEAR(static_cast<double>(sumX) / count, 171.0, 30.0) << "row " << y;
        }
    }
    EXPECT_EQ(runs, 2) << "expected two lines of words in the band";
    const Rgb sky = At(finale, 170, 10);
    EXPECT_GT(sky.b, sky.r + 60) << "expected a blue sky at the top";
    std::set<int> hues;
    for (int y = 0; y < 380; y += 8) {
        for (int x = 0; x < 343; x += 8) {
            const Rgb c = At(finale, x, y);
            hues.insert((c.r / 64) * 16 + (c.g / 64) * 4 + c.b / 64);
        }
    }
    EXPECT_GE(hues.size(), 12u) << "expected a colourful picture above the band";
}

TEST(PicturesTest, IconUsesTheStandardSixteenColoursAndAPartialMask) {
    const std::array<std::uint32_t, 16> standard{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                                 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                                 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (std::size_t i = 0; i < standard.size(); ++i) {
        EXPECT_EQ(layout::kIconPalette[i], standard[i]) << "palette entry " << i;
    }
    int transparent = 0;
    std::set<int> opaqueColours;
    for (std::size_t i = 0; i < 32 * 32; ++i) {
        ASSERT_LE(layout::kIconMask[i], 1) << "mask entry " << i;
        ASSERT_LT(layout::kIconIndices[i], 16) << "index " << i;
        if (layout::kIconMask[i] == 1) {
            ++transparent;
        } else {
            opaqueColours.insert(layout::kIconIndices[i]);
        }
    }
    EXPECT_GT(transparent, 0) << "expected some transparent pixels";
    EXPECT_LT(transparent, 32 * 32) << "expected some opaque pixels";
    EXPECT_GE(opaqueColours.size(), 2u) << "expected a drawn motif, not one flat colour";
}

}  // namespace
