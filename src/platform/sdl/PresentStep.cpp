#include "platform/sdl/PresentStep.h"

namespace platform {

PresentStep ChoosePresentStep(const StaleRects& unshown, bool bufferFree, std::size_t buffers) {
    if (!unshown.Whole() && unshown.Rects().empty()) return PresentStep::Nothing;
    if (bufferFree) return PresentStep::Reuse;
    if (buffers < kMostBuffers) return PresentStep::NewBuffer;
    return PresentStep::HoldBack;
}

}  // namespace platform
