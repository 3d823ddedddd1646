// Where the presentation scale comes from: the game's own variable, then the
// desktop's settings in order, each rounded to a quarter step within 1 to 4.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/sdl/SdlDisplayScale.h"

namespace platform_test {
namespace {

using Dpi = std::optional<double>;

TEST(SdlDisplayScale, FirstSourceThatSaysAnythingDecides) {
    const struct {
        const char* swoopy;
        const char* gdk;
        Dpi xft, display;
        double expected;
        bool dpiAsked;
        int reports = 0;  // a SWOOPY_SCALE left out is said once
    } cases[] = {
        {"2", "3", 144, 200, 2, false},          {"1.5", nullptr, {}, {}, 1.5, false},
        {" 1.3 ", nullptr, {}, {}, 1.25, false}, {"4", nullptr, {}, {}, 4, false},
        {"9", nullptr, {}, {}, 1, true, 1},  // out of range: the desktop decides
        {"0.5", nullptr, 144, {}, 1.5, true, 1}, {"inf", "2", {}, {}, 2, false, 1},
        {"abc", "2", 144, {}, 2, false, 1},  // not a number either
        {"0", nullptr, 144, {}, 1.5, true, 1},   {"", nullptr, {}, 192, 2, true, 1},
        {"2x", nullptr, {}, {}, 1, true, 1},     {nullptr, "2", 96, {}, 2, false},
        {nullptr, "9", {}, {}, 4, false},  // the desktop's own is held within range
        {nullptr, nullptr, 192, 96, 2, true},    {nullptr, nullptr, 120, {}, 1.25, true},
        {nullptr, nullptr, 0, 282, 3, true},   // a 4K laptop screen
        {nullptr, nullptr, {}, 100, 1, true},  // Xvfb's own
        {nullptr, nullptr, {}, {}, 1, true},
    };
    for (const auto& c : cases) {
        int asked = 0;
        platform::ScaleSources sources;
        sources.swoopyScale = c.swoopy;
        sources.gdkScale = c.gdk;
        sources.xftDpi = [&] {
            ++asked;
            return c.xft;
        };
        sources.displayDpi = [&] {
            ++asked;
            return c.display;
        };
        std::vector<std::string> reports;
        sources.report = [&](const std::string& why) { reports.push_back(why); };
        const std::string what = std::string("SWOOPY_SCALE ") + (c.swoopy ? c.swoopy : "unset") + ", GDK_SCALE " +
                                 (c.gdk ? c.gdk : "unset") + ", Xft.dpi " + (c.xft ? std::to_string(*c.xft) : "unset");
        EXPECT_EQ(platform::ChooseDisplayScale(sources).Factor(), c.expected) << what;
        EXPECT_EQ(asked > 0, c.dpiAsked) << what;
        ASSERT_EQ(static_cast<int>(reports.size()), c.reports) << what;
        if (c.reports > 0) {
            EXPECT_NE(reports[0].find(std::string("'") + c.swoopy + "'"), std::string::npos) << what;
            EXPECT_NE(reports[0].find("1 to 4"), std::string::npos) << reports[0];
        }
    }
}

// On Wayland the factor sizes the window in the compositor's points, which the
// compositor already scales for the screen's density: only the game's own
// setting says anything there.
TEST(SdlDisplayScale, OnWaylandOnlySwoopyScaleSizesTheWindow) {
    const struct {
        const char* swoopy;
        double expected;
    } cases[] = {{"1", 1}, {"1.5", 1.5}, {nullptr, 1}, {"9", 1}};
    for (const auto& c : cases) {
        int asked = 0;
        platform::ScaleSources sources;
        sources.wayland = true;
        sources.swoopyScale = c.swoopy;
        sources.gdkScale = "2";
        sources.xftDpi = sources.displayDpi = [&] {
            ++asked;
            return std::optional<double>(192);
        };
        EXPECT_EQ(platform::ChooseDisplayScale(sources).Factor(), c.expected)
            << "SWOOPY_SCALE " << (c.swoopy ? c.swoopy : "unset");
        EXPECT_EQ(asked, 0) << "the desktop's density is the compositor's business";
    }
}

}  // namespace
}  // namespace platform_test
