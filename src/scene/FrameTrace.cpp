#include "scene/FrameTrace.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "scene/Application.h"

namespace scene {

namespace {

const char* KindName(EventKind kind) {
    switch (kind) {
        case EventKind::MouseMove: return "move";
        case EventKind::MouseDown: return "down";
        case EventKind::MouseUp: return "up";
        case EventKind::KeyDown: return "key";
        case EventKind::KeyUp: return "keyup";
        case EventKind::TextInput: return "text";
        case EventKind::CloseRequest: return "close";
        case EventKind::FocusGained: return "focus";
        case EventKind::FocusLost: return "blur";
        case EventKind::Exposed: return "expose";
        case EventKind::PointerLeft: return "leave";
    }
    return "other";
}

}  // namespace

void TraceFramesAsAsked(Application& app) {
    const char* path = std::getenv("SWOOPY_TRACE");
    if (path == nullptr || *path == '\0') return;
    try {
        app.TraceFrames(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", Application::FileNameOf(app.ProgramPath()).c_str(), e.what());
    }
}

FrameTrace::FrameTrace(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {
    if (!file_) throw std::runtime_error("cannot write the frame trace " + path + ": " + std::strerror(errno));
}

void FrameTrace::InputHandled(EventKind kind, double arrivedMs, bool marked) {
    pending_.push_back({KindName(kind), arrivedMs, marked});
}

void FrameTrace::FramePresented(double atMs, double composeMs, double presentMs, double periodMs) {
    ++frames_;
    std::string inputs;
    for (const Input& in : pending_) {
        char one[64];
        std::snprintf(one, sizeof one, "%s%s/%.3f/%s", inputs.empty() ? "" : ",", in.kind, atMs - in.arrivedMs,
                      in.marked ? "shown" : "none");
        inputs += one;
    }
    const auto beat = static_cast<long long>(std::floor(atMs / kClockBeatMs));
    char period[32] = "-";
    if (periodMs > 0) std::snprintf(period, sizeof period, "%.3f", periodMs);
    std::fprintf(file_.get(),
                 "frame=%lld beat=%lld at=%.3f ticks=%d period=%s input=%s handlers=%.3f compose=%.3f present=%.3f\n",
                 frames_, beat, atMs, ticks_, period, inputs.empty() ? "-" : inputs.c_str(), handlersMs_, composeMs,
                 presentMs);
    std::fflush(file_.get());
    pending_.clear();
    ticks_ = 0;
    handlersMs_ = 0;
}

}  // namespace scene
