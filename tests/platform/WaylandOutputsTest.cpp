// Which scale a Wayland window presents at, from the outputs the compositor
// has and the one SDL says the window is on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sdl/WaylandOutputs.h"

namespace platform_test {
namespace {

using platform::OutputSeen;

TEST(WaylandOutputs, TheWindowTakesTheScaleOfTheOutputItIsOn) {
    const OutputSeen laptop{"Sharp 0x1453 (eDP-1)", 2}, monitor{"Dell P2419H (DP-1)", 1}, tv{"LG TV (HDMI-A-1)", 3};
    const struct {
        std::vector<OutputSeen> outputs;
        std::string on;
        int current, expected;
        const char* why;
    } cases[] = {
        {{laptop, monitor}, "Dell P2419H (DP-1)", 2, 1, "moved from the laptop's screen to the monitor"},
        {{laptop, monitor}, "Sharp 0x1453 (eDP-1)", 1, 2, "and back"},
        {{monitor, {"Dell P2419H (DP-1)", 2}}, "Dell P2419H (DP-1)", 1, 2, "two described alike: the larger"},
        {{{"Dell P2419H (DP-1)", 2}}, "Dell P2419H (DP-1)", 1, 2, "its scale changed to 2"},
        {{laptop, monitor, tv}, "", 1, 3, "on no output SDL knows: the largest"},
        {{laptop, monitor, tv}, "Unknown", 1, 3, "described otherwise than ours: the largest"},
        {{monitor}, "Unknown", 2, 1, "the only output there is"},
        {{}, "Dell P2419H (DP-1)", 2, 2, "no output known yet: as it was"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ChooseOutputScale(c.outputs, c.on, c.current), c.expected) << c.why;
    }
}

}  // namespace
}  // namespace platform_test
