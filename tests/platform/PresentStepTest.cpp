// A Wayland window's present never waits for the compositor: it reuses a buffer
// given back, makes one more while it may, and otherwise holds its damage back
// for the next present, which shows that damage with its own.
#include <gtest/gtest.h>

#include "platform/sdl/PresentStep.h"

namespace platform_test {
namespace {

using platform::ChoosePresentStep;
using platform::kMostBuffers;
using platform::PresentStep;
using platform::StaleRect;
using platform::StaleRects;

const char* Name(PresentStep s) {
    switch (s) {
        case PresentStep::Nothing: return "Nothing";
        case PresentStep::Reuse: return "Reuse";
        case PresentStep::NewBuffer: return "NewBuffer";
        case PresentStep::HoldBack: return "HoldBack";
    }
    return "?";
}

StaleRects Shown() {
    StaleRects s;
    s.Clear();
    return s;
}

TEST(PresentStep, AFreeBufferFirstThenANewOneAndOnlyWithEveryBufferHeldAHoldBack) {
    StaleRects changed = Shown();
    changed.Add(StaleRect{0, 0, 8, 8});
    const StaleRects neverShown;
    const StaleRects shown = Shown();
    const struct {
        const StaleRects& unshown;
        bool bufferFree;
        std::size_t buffers;
        PresentStep expected;
    } cases[] = {
        {shown, true, 1, PresentStep::Nothing},  // nothing changed since the last present
        {shown, false, kMostBuffers, PresentStep::Nothing},
        {neverShown, false, 0, PresentStep::NewBuffer},
        {changed, true, kMostBuffers, PresentStep::Reuse},
        {changed, false, 1, PresentStep::NewBuffer},
        {changed, false, kMostBuffers - 1, PresentStep::NewBuffer},
        {changed, false, kMostBuffers, PresentStep::HoldBack},
        {neverShown, false, kMostBuffers, PresentStep::HoldBack},
    };
    for (const auto& c : cases) {
        const PresentStep got = ChoosePresentStep(c.unshown, c.bufferFree, c.buffers);
        EXPECT_EQ(got, c.expected) << "with " << c.buffers << " buffers, free " << c.bufferFree << ": expected "
                                   << Name(c.expected) << ", got " << Name(got);
    }
}

TEST(PresentStep, HeldBackDamageIsShownWithTheNextPresentAndStaysBoundedWhileHeld) {
    StaleRects unshown = Shown();
    // Two presents while the compositor holds every buffer.
    unshown.Add(StaleRect{1, 1, 2, 2});
    ASSERT_EQ(ChoosePresentStep(unshown, false, kMostBuffers), PresentStep::HoldBack);
    unshown.Add(StaleRect{5, 5, 2, 2});
    ASSERT_EQ(ChoosePresentStep(unshown, false, kMostBuffers), PresentStep::HoldBack);
    // A buffer comes back: the next present, empty or not, shows both.
    EXPECT_EQ(ChoosePresentStep(unshown, true, kMostBuffers), PresentStep::Reuse);
    ASSERT_EQ(unshown.Rects().size(), 2u);
    EXPECT_EQ(unshown.Rects()[0].x, 1);
    EXPECT_EQ(unshown.Rects()[1].x, 5);

    // A compositor that holds on through a played minute: the damage turns into
    // the whole frame, and the game goes on presenting into nothing.
    for (int frame = 0; frame < 3600; ++frame) {
        unshown.Add(StaleRect{frame % 100 * 3, frame / 100 * 3, 1, 1});  // apart: none joins another
        ASSERT_EQ(ChoosePresentStep(unshown, false, kMostBuffers), PresentStep::HoldBack);
    }
    EXPECT_TRUE(unshown.Whole());
    EXPECT_EQ(ChoosePresentStep(unshown, true, kMostBuffers), PresentStep::Reuse);
}

}  // namespace
}  // namespace platform_test
