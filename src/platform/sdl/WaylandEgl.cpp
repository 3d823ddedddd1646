#include "platform/sdl/WaylandEgl.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include <SDL.h>

namespace platform {

namespace {

// A file descriptor closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool WriteAll(int fd, std::span<const unsigned char> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

// An environment variable set for the scope and put back as it was after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

bool LoadSdlGlLibrary(std::span<const unsigned char> library) {
    // The library is loaded from memory: the program is often run as a lone
    // file copied anywhere, with nothing beside it.
    const Fd fd(memfd_create("swoopy-egl", MFD_CLOEXEC));
    if (fd.get() < 0 || !WriteAll(fd.get(), library)) {
        SDL_SetError("cannot hold the EGL library in memory: %s", std::strerror(errno));
        return false;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd.get());
    // SDL opens a GL library before its EGL one, libGL unless told otherwise;
    // the same file serves, so nothing of the system's GL is mapped. Read only
    // while the library loads: the game's children do not inherit it.
    const ScopedEnv gl("SDL_VIDEO_GL_DRIVER", path);
    return SDL_GL_LoadLibrary(path.c_str()) == 0;
}

WaylandEgl::WaylandEgl() {
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "wayland") != 0) return;
    loaded_ = LoadSdlGlLibrary(SurfaceOnlyEglLibrary());
    // Not fatal: SDL then loads the system's EGL as it would have.
    if (!loaded_) SDL_LogWarn(SDL_LOG_CATEGORY_VIDEO, "Using the system's EGL: %s", SDL_GetError());
}

WaylandEgl::~WaylandEgl() {
    if (loaded_) SDL_GL_UnloadLibrary();
}

}  // namespace platform
