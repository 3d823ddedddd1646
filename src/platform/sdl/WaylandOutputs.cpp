#include "platform/sdl/WaylandOutputs.h"

#include <algorithm>
#include <utility>

#if defined(SWOOPY_HAVE_WAYLAND)
#include <wayland-client.h>

#include <cstdint>
#include <cstring>
#endif

namespace platform {

int ChooseOutputScale(const std::vector<OutputSeen>& outputs, const std::string& windowOutput, int current) {
    if (outputs.empty()) return current;
    int on = 0, largest = 0;
    for (const OutputSeen& o : outputs) {
        if (!windowOutput.empty() && o.description == windowOutput) on = std::max(on, o.scale);
        largest = std::max(largest, o.scale);
    }
    return on > 0 ? on : largest;
}

#if defined(SWOOPY_HAVE_WAYLAND)

namespace {

struct Output {
    WaylandOutputs::Impl* owner = nullptr;
    std::uint32_t name = 0;  // the registry's
    wl_output* proxy = nullptr;
    // What the compositor says takes effect at its "done".
    OutputSeen pending, current;
    bool done = false;
};

}  // namespace

struct WaylandOutputs::Impl {
    wl_registry* registry = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;
    bool changed = false;

    ~Impl() {
        for (const auto& o : outputs) Release(*o);
        if (registry != nullptr) wl_registry_destroy(registry);
    }

    static void Release(Output& o) {
        if (wl_output_get_version(o.proxy) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
            wl_output_release(o.proxy);
        else
            wl_output_destroy(o.proxy);
    }
};

namespace {

Output& Of(void* data) { return *static_cast<Output*>(data); }

void Geometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*,
              const char*, std::int32_t) {}
void Mode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}
void Scale(void* data, wl_output*, std::int32_t factor) {
    Of(data).pending.scale = std::max(1, static_cast<int>(factor));
}
void Name(void*, wl_output*, const char*) {}
void Description(void* data, wl_output*, const char* text) { Of(data).pending.description = text; }
void Done(void* data, wl_output*) {
    Output& o = Of(data);
    if (o.done && o.current == o.pending) return;
    o.current = o.pending;
    o.done = true;
    o.owner->changed = true;
}

const wl_output_listener kOutputListener{Geometry, Mode, Done, Scale, Name, Description};

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
    // Scales came with version 2, descriptions with 4.
    if (std::strcmp(interface, wl_output_interface.name) != 0 || version < 2) return;
    auto* impl = static_cast<WaylandOutputs::Impl*>(data);
    auto o = std::make_unique<Output>();
    o->owner = impl;
    o->name = name;
    o->proxy = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 4u)));
    wl_output_add_listener(o->proxy, &kOutputListener, o.get());
    impl->outputs.push_back(std::move(o));
}

void GlobalRemoved(void* data, wl_registry*, std::uint32_t name) {
    auto* impl = static_cast<WaylandOutputs::Impl*>(data);
    const auto gone = std::find_if(impl->outputs.begin(), impl->outputs.end(),
                                   [name](const std::unique_ptr<Output>& o) { return o->name == name; });
    if (gone == impl->outputs.end()) return;
    WaylandOutputs::Impl::Release(**gone);
    impl->outputs.erase(gone);
    impl->changed = true;
}

const wl_registry_listener kRegistryListener{Global, GlobalRemoved};

}  // namespace

WaylandOutputs::WaylandOutputs(wl_display* display, wl_event_queue* queue) : impl_(std::make_unique<Impl>()) {
    impl_->registry = wl_display_get_registry(display);
    if (queue != nullptr) wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(impl_->registry), queue);
    wl_registry_add_listener(impl_->registry, &kRegistryListener, impl_.get());
}

std::vector<OutputSeen> WaylandOutputs::Seen() const {
    std::vector<OutputSeen> seen;
    for (const auto& o : impl_->outputs) {
        if (o->done) seen.push_back(o->current);
    }
    return seen;
}

bool WaylandOutputs::TakeChanged() { return std::exchange(impl_->changed, false); }

#else

struct WaylandOutputs::Impl {};

WaylandOutputs::WaylandOutputs(wl_display*, wl_event_queue*) {}
std::vector<OutputSeen> WaylandOutputs::Seen() const { return {}; }
bool WaylandOutputs::TakeChanged() { return false; }

#endif

WaylandOutputs::~WaylandOutputs() = default;

}  // namespace platform
