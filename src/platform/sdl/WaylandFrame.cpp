#include "platform/sdl/WaylandFrame.h"

#include <SDL_syswm.h>

#if defined(SWOOPY_HAVE_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#endif

#include "platform/sdl/PresentStep.h"
#include "platform/sdl/StaleRects.h"
#include "platform/sdl/WaylandOutputs.h"

namespace platform {

#if defined(SWOOPY_HAVE_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)

namespace {

// Cairo's RGB24 in memory, little-endian: what wl_shm calls XRGB8888.
constexpr int kBytesPerPixel = 4;
struct Buffer {
    wl_buffer* buffer = nullptr;
    void* pixels = nullptr;
    std::size_t bytes = 0;
    bool busy = false;  // the compositor may be reading it
    StaleRects stale;   // where it differs from the frame
};

void Released(void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }
const wl_buffer_listener kBufferListener{Released};

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        *static_cast<wl_shm**>(data) = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    }
}
void GlobalRemoved(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener{Global, GlobalRemoved};

}  // namespace

struct WaylandFrame::Impl {
    SDL_Window* window = nullptr;
    int scale = 1;  // frame pixels a point of the window
    wl_display* display = nullptr;
    wl_surface* surface = nullptr;
    // Our own queue: the buffers' release events never meet SDL's dispatching.
    wl_event_queue* queue = nullptr;
    wl_shm* shm = nullptr;
    std::unique_ptr<WaylandOutputs> outputs;  // on our queue too
    bool entered = false;                     // SDL has put the window on an output
    int width = 0, height = 0;
    std::vector<std::uint8_t> frame;
    std::vector<std::unique_ptr<Buffer>> buffers;
    // Where what the compositor shows differs from the frame: all of it until
    // the window is shown, and what a held-back present left for the next one.
    StaleRects unshown;

    ~Impl() {
        DropBuffers();
        outputs.reset();
        if (shm != nullptr) wl_shm_destroy(shm);
        if (queue != nullptr) wl_event_queue_destroy(queue);
    }

    int Stride() const { return width * kBytesPerPixel; }

    void DropBuffers() {
        for (const auto& b : buffers) {
            wl_buffer_destroy(b->buffer);
            munmap(b->pixels, b->bytes);
        }
        buffers.clear();
    }

    void Resize() {
        int w = 0, h = 0;
        SDL_GetWindowSize(window, &w, &h);
        w *= scale;
        h *= scale;
        if (w == width && h == height && !frame.empty()) return;
        DropBuffers();
        width = std::max(w, 1);
        height = std::max(h, 1);
        frame.assign(static_cast<std::size_t>(Stride()) * static_cast<std::size_t>(height), 0);
        unshown.MarkWhole();
    }

    std::unique_ptr<Buffer> MakeBuffer() const {
        auto b = std::make_unique<Buffer>();
        b->bytes = static_cast<std::size_t>(Stride()) * static_cast<std::size_t>(height);
        const int fd = memfd_create("swoopy-frame", MFD_CLOEXEC);
        if (fd < 0) throw std::runtime_error("Cannot make the window's frame: no shared memory");
        if (ftruncate(fd, static_cast<off_t>(b->bytes)) != 0 ||
            (b->pixels = mmap(nullptr, b->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)) == MAP_FAILED) {
            close(fd);
            throw std::runtime_error("Cannot make the window's frame: no shared memory");
        }
        wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(b->bytes));
        b->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, Stride(), WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        wl_buffer_add_listener(b->buffer, &kBufferListener, b.get());
        return b;
    }

    // Our queue's events, as far as they have been read off the connection
    // (the loop's poll of SDL reads them).
    void Dispatch() {
        if (wl_display_dispatch_queue_pending(display, queue) < 0) throw std::runtime_error("Lost the display");
    }

    // SDL knows the output the window entered last, by its description;
    // we know every output's scale as it is now.
    bool FollowOutput(WindowMoved moved) {
        Dispatch();
        const bool outputsChanged = outputs->TakeChanged();
        entered = entered || moved == WindowMoved::Yes;
        if (!entered || !(moved == WindowMoved::Yes || outputsChanged)) return false;
        const int index = SDL_GetWindowDisplayIndex(window);
        const char* on = index >= 0 ? SDL_GetDisplayName(index) : nullptr;
        const int wanted = ChooseOutputScale(outputs->Seen(), on != nullptr ? on : "", scale);
        if (wanted == scale) return false;
        scale = wanted;
        Resize();
        return true;
    }

    // A buffer the compositor has given back.
    Buffer* FreeBuffer() {
        Dispatch();
        for (const auto& b : buffers) {
            if (!b->busy) return b.get();
        }
        return nullptr;
    }

    void Copy(Buffer& b, const StaleRect& r) {
        const std::size_t stride = static_cast<std::size_t>(Stride());
        auto* to = static_cast<std::uint8_t*>(b.pixels);
        for (int y = r.y; y < r.y + r.h; ++y) {
            const std::size_t at =
                static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(r.x) * kBytesPerPixel;
            std::memcpy(to + at, frame.data() + at, static_cast<std::size_t>(r.w) * kBytesPerPixel);
        }
    }

    bool Present(const std::vector<SDL_Rect>& changed) {
        // Before the window is shown its surface has no role yet, and a buffer
        // attached then would be a protocol error.
        if ((SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) == 0) {
            MarkWholeStale();
            return true;
        }
        std::vector<StaleRect> rects;
        for (const SDL_Rect& r : changed) rects.push_back({r.x, r.y, r.w, r.h});
        for (const auto& b : buffers) b->stale.Add(rects);
        unshown.Add(rects);
        Buffer* b = FreeBuffer();
        switch (ChoosePresentStep(unshown, b != nullptr, buffers.size())) {
            case PresentStep::Nothing: return true;
            case PresentStep::HoldBack: return false;
            case PresentStep::NewBuffer:
                buffers.push_back(MakeBuffer());
                b = buffers.back().get();
                break;
            case PresentStep::Reuse: break;
        }
        Show(*b);
        return true;
    }

    void MarkWholeStale() {
        unshown.MarkWhole();
        for (const auto& b : buffers) b->stale.MarkWhole();
    }

    void Show(Buffer& b) {
        const StaleRect whole{0, 0, width, height};
        if (b.stale.Whole()) {
            Copy(b, whole);
        } else {
            for (const StaleRect& r : b.stale.Rects()) Copy(b, r);
        }
        b.stale.Clear();
        b.busy = true;
        wl_surface_set_buffer_scale(surface, scale);
        wl_surface_attach(surface, b.buffer, 0, 0);
        const std::vector<StaleRect> damage = unshown.Whole() ? std::vector<StaleRect>{whole} : unshown.Rects();
        // In the window's points, every point a changed pixel touches.
        for (const StaleRect& r : damage) {
            const int left = r.x / scale, top = r.y / scale;
            wl_surface_damage(surface, left, top, (r.x + r.w + scale - 1) / scale - left,
                              (r.y + r.h + scale - 1) / scale - top);
        }
        wl_surface_commit(surface);
        wl_display_flush(display);
        unshown.Clear();
    }
};

std::unique_ptr<WaylandFrame> WaylandFrame::For(SDL_Window* window, int scale) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_WAYLAND) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->window = window;
    impl->scale = std::max(scale, 1);
    impl->display = info.info.wl.display;
    impl->surface = info.info.wl.surface;
    impl->queue = wl_display_create_queue(impl->display);
    impl->outputs = std::make_unique<WaylandOutputs>(impl->display, impl->queue);
    wl_registry* registry = wl_display_get_registry(impl->display);
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(registry), impl->queue);
    wl_registry_add_listener(registry, &kRegistryListener, &impl->shm);
    wl_display_roundtrip_queue(impl->display, impl->queue);
    wl_registry_destroy(registry);
    if (impl->shm == nullptr) return nullptr;
    if (impl->scale > 1) {
        // Asked for in device pixels, the window is as many points over the scale.
        int w = 0, h = 0;
        SDL_GetWindowSize(window, &w, &h);
        SDL_SetWindowSize(window, (w + impl->scale - 1) / impl->scale, (h + impl->scale - 1) / impl->scale);
    }
    impl->Resize();
    return std::unique_ptr<WaylandFrame>(new WaylandFrame(std::move(impl)));
}

WaylandFrame::WaylandFrame(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
WaylandFrame::~WaylandFrame() = default;

scene::FrameBuffer WaylandFrame::Frame() {
    impl_->Resize();
    return {impl_->frame.data(), impl_->width, impl_->height, impl_->Stride()};
}

bool WaylandFrame::Present(const std::vector<SDL_Rect>& changed) { return impl_->Present(changed); }

int WaylandFrame::PointScale() const { return impl_->scale; }

bool WaylandFrame::FollowOutput(WindowMoved moved) { return impl_->FollowOutput(moved); }

#else

struct WaylandFrame::Impl {};

std::unique_ptr<WaylandFrame> WaylandFrame::For(SDL_Window*, int) { return nullptr; }
WaylandFrame::WaylandFrame(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
WaylandFrame::~WaylandFrame() = default;
scene::FrameBuffer WaylandFrame::Frame() { return {}; }
bool WaylandFrame::Present(const std::vector<SDL_Rect>&) { return true; }
int WaylandFrame::PointScale() const { return 1; }
bool WaylandFrame::FollowOutput(WindowMoved) { return false; }

#endif

}  // namespace platform
