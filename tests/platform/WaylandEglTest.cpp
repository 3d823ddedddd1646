// The EGL the game carries for SDL's Wayland windows: loaded from memory it
// brings no other library with it, and it answers SDL's calls for making and
// destroying a window while refusing anything that would draw.
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/sdl/WaylandEgl.h"

namespace platform_test {
namespace {

std::set<std::string> MappedFiles() {
    std::set<std::string> files;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const auto slash = line.find('/');
        if (slash != std::string::npos) files.insert(line.substr(slash));
    }
    return files;
}

void* OpenCarried() {
    const int fd = memfd_create("egl-test", MFD_CLOEXEC);
    const auto bytes = platform::SurfaceOnlyEglLibrary();
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    void* lib = dlopen(("/proc/self/fd/" + std::to_string(fd)).c_str(), RTLD_NOW | RTLD_LOCAL);
    close(fd);
    return lib;
}

template <typename Fn>
Fn Get(void* lib, const char* name) {
    auto fn = reinterpret_cast<Fn>(dlsym(lib, name));
    EXPECT_NE(fn, nullptr) << "expected the library to define " << name;
    return fn;
}

TEST(WaylandEgl, LoadsFromMemoryAndMapsNothingElse) {
    const std::set<std::string> before = MappedFiles();
    void* lib = OpenCarried();
    ASSERT_NE(lib, nullptr) << dlerror();
    for (const std::string& file : MappedFiles()) {
        if (before.count(file) == 0) {
            EXPECT_NE(file.find("memfd:"), std::string::npos)
                << "expected only the library's own file, also mapped: " << file;
        }
    }
    dlclose(lib);
}

TEST(WaylandEgl, MakesWindowSurfacesAndRefusesToDraw) {
    void* lib = OpenCarried();
    ASSERT_NE(lib, nullptr) << dlerror();
    using Handle = void*;
    auto getDisplay = Get<Handle (*)(Handle)>(lib, "eglGetDisplay");
    auto initialize = Get<unsigned (*)(Handle, int*, int*)>(lib, "eglInitialize");
    auto choose = Get<unsigned (*)(Handle, const int*, Handle*, int, int*)>(lib, "eglChooseConfig");
    auto createSurface = Get<Handle (*)(Handle, Handle, Handle, const int*)>(lib, "eglCreateWindowSurface");
    auto createContext = Get<Handle (*)(Handle, Handle, Handle, const int*)>(lib, "eglCreateContext");
    auto makeCurrent = Get<unsigned (*)(Handle, Handle, Handle, Handle)>(lib, "eglMakeCurrent");
    auto destroySurface = Get<unsigned (*)(Handle, Handle)>(lib, "eglDestroySurface");
    auto queryString = Get<const char* (*)(Handle, int)>(lib, "eglQueryString");
    auto getError = Get<int (*)()>(lib, "eglGetError");
    constexpr int kSuccess = 0x3000, kNotInitialized = 0x3001, kBadMatch = 0x3009, kExtensions = 0x3055;

    EXPECT_STREQ(queryString(nullptr, kExtensions), "") << "expected no client extensions";
    int nativeDisplay = 0, nativeWindow = 0;
    Handle dpy = getDisplay(&nativeDisplay);
    ASSERT_NE(dpy, nullptr);
    Handle config = nullptr;
    int count = 0;
    EXPECT_EQ(choose(dpy, nullptr, &config, 1, &count), 0u) << "expected a refusal before eglInitialize";
    EXPECT_EQ(getError(), kNotInitialized);

    int major = 0, minor = 0;
    ASSERT_EQ(initialize(dpy, &major, &minor), 1u);
    EXPECT_EQ(major * 10 + minor, 14) << "expected EGL 1.4, got " << major << "." << minor;
    ASSERT_EQ(choose(dpy, nullptr, &config, 1, &count), 1u);
    ASSERT_EQ(count, 1);
    Handle surface = createSurface(dpy, config, &nativeWindow, nullptr);
    EXPECT_NE(surface, nullptr);
    EXPECT_EQ(getError(), kSuccess);

    EXPECT_EQ(createContext(dpy, config, nullptr, nullptr), nullptr) << "expected no context to draw with";
    EXPECT_EQ(getError(), kBadMatch);
    EXPECT_EQ(makeCurrent(dpy, surface, surface, nullptr), 0u);
    EXPECT_EQ(makeCurrent(dpy, nullptr, nullptr, nullptr), 1u) << "expected letting go of nothing to succeed";
    EXPECT_EQ(destroySurface(dpy, surface), 1u);
    dlclose(lib);
}

}  // namespace
}  // namespace platform_test
