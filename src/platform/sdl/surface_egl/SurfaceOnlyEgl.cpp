// An EGL that makes window surfaces and nothing to draw with, for SDL's Wayland
// driver. SDL 2.26 gives every Wayland window that is not a Vulkan one an EGL
// window surface, loading the system's EGL and with it Mesa and LLVM (over
// 50 MB resident), though the game never draws through GL: its windows present
// through shared-memory buffers of their own (WaylandFrame). This library is
// built on its own, carried inside the program and handed to SDL in place of
// the system's (WaylandEgl). It links against nothing, not even the C library,
// so that loading it maps this file alone.
//
// It answers what SDL asks while it makes and destroys windows: a display that
// initialises, one configuration, surfaces that are only handles. Contexts are
// refused, so anything that tries to draw through GL fails at once with
// EGL_BAD_MATCH rather than drawing nowhere.

using EGLBoolean = unsigned int;
using EGLenum = unsigned int;
using EGLint = int;
using EGLHandle = void*;

namespace {

constexpr EGLBoolean kFalse = 0;
constexpr EGLBoolean kTrue = 1;

constexpr EGLint kSuccess = 0x3000;
constexpr EGLint kNotInitialized = 0x3001;
constexpr EGLint kBadContext = 0x3006;
constexpr EGLint kBadDisplay = 0x3008;
constexpr EGLint kBadMatch = 0x3009;
constexpr EGLint kBadParameter = 0x300C;
constexpr EGLint kBadSurface = 0x300D;

constexpr EGLint kBufferSize = 0x3020;
constexpr EGLint kAlphaSize = 0x3021;
constexpr EGLint kBlueSize = 0x3022;
constexpr EGLint kGreenSize = 0x3023;
constexpr EGLint kRedSize = 0x3024;
constexpr EGLint kSurfaceType = 0x3033;
constexpr EGLint kRenderableType = 0x3040;
constexpr EGLint kWindowBit = 0x0004;

constexpr EGLint kVendor = 0x3053;
constexpr EGLint kVersion = 0x3054;
constexpr EGLint kExtensions = 0x3055;
constexpr EGLint kClientApis = 0x308D;
constexpr EGLenum kOpenGlEsApi = 0x30A0;

// Every handle this library gives out points into here, so none is null.
struct Objects {
    char display;
    char config;
};
Objects objects;

bool initialised = false;
EGLint lastError = kSuccess;
EGLenum boundApi = kOpenGlEsApi;

EGLBoolean Fail(EGLint error) {
    lastError = error;
    return kFalse;
}

decltype(nullptr) FailNull(EGLint error) {
    lastError = error;
    return nullptr;
}

bool IsDisplay(EGLHandle dpy) { return dpy == &objects.display; }

// A call that needs an initialised display: true, or false with the error set.
bool Usable(EGLHandle dpy) {
    if (!IsDisplay(dpy)) return Fail(kBadDisplay);
    if (!initialised) return Fail(kNotInitialized);
    return true;
}

}  // namespace

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT EGLint eglGetError() {
    const EGLint error = lastError;
    lastError = kSuccess;
    return error;
}

EXPORT EGLHandle eglGetDisplay(EGLHandle) { return &objects.display; }

EXPORT EGLBoolean eglInitialize(EGLHandle dpy, EGLint* major, EGLint* minor) {
    if (!IsDisplay(dpy)) return Fail(kBadDisplay);
    initialised = true;
    if (major) *major = 1;
    if (minor) *minor = 4;
    return kTrue;
}

EXPORT EGLBoolean eglTerminate(EGLHandle dpy) {
    if (!IsDisplay(dpy)) return Fail(kBadDisplay);
    initialised = false;
    return kTrue;
}

// No extensions, so SDL looks up none of their entry points.
EXPORT void* eglGetProcAddress(const char*) { return nullptr; }

EXPORT const char* eglQueryString(EGLHandle dpy, EGLint name) {
    // Without a display only the client extensions may be asked for.
    if (!IsDisplay(dpy)) return name == kExtensions ? "" : FailNull(kBadDisplay);
    if (!initialised) return FailNull(kNotInitialized);
    switch (name) {
        case kVendor: return "Swoopy! (window surfaces only)";
        case kVersion: return "1.4";
        case kExtensions: return "";
        case kClientApis: return "";
        default: return FailNull(kBadParameter);
    }
}

// One configuration, whatever is asked: nothing is ever drawn into its surfaces.
EXPORT EGLBoolean eglChooseConfig(EGLHandle dpy, const EGLint*, EGLHandle* configs, EGLint size, EGLint* count) {
    if (!Usable(dpy)) return kFalse;
    if (count == nullptr) return Fail(kBadParameter);
    *count = 0;
    if (configs == nullptr || size > 0) {
        if (configs != nullptr) configs[0] = &objects.config;
        *count = 1;
    }
    return kTrue;
}

EXPORT EGLBoolean eglGetConfigAttrib(EGLHandle dpy, EGLHandle config, EGLint attribute, EGLint* value) {
    if (!Usable(dpy)) return kFalse;
    if (config != &objects.config || value == nullptr) return Fail(kBadParameter);
    switch (attribute) {
        case kRedSize:
        case kGreenSize:
        case kBlueSize: *value = 8; break;
        case kBufferSize: *value = 24; break;
        case kSurfaceType: *value = kWindowBit; break;
        case kAlphaSize:
        case kRenderableType:
        default: *value = 0; break;
    }
    return kTrue;
}

// The native window (SDL's wl_egl_window) is the surface's handle.
EXPORT EGLHandle eglCreateWindowSurface(EGLHandle dpy, EGLHandle config, EGLHandle window, const EGLint*) {
    if (!Usable(dpy)) return nullptr;
    if (config != &objects.config || window == nullptr) return FailNull(kBadMatch);
    return window;
}

EXPORT EGLBoolean eglDestroySurface(EGLHandle dpy, EGLHandle surface) {
    if (!Usable(dpy)) return kFalse;
    return surface == nullptr ? Fail(kBadSurface) : kTrue;
}

EXPORT EGLHandle eglCreatePbufferSurface(EGLHandle dpy, EGLHandle, const EGLint*) {
    if (!Usable(dpy)) return nullptr;
    return FailNull(kBadMatch);
}

EXPORT EGLHandle eglCreateContext(EGLHandle dpy, EGLHandle, EGLHandle, const EGLint*) {
    if (!Usable(dpy)) return nullptr;
    return FailNull(kBadMatch);
}

EXPORT EGLBoolean eglDestroyContext(EGLHandle dpy, EGLHandle) {
    if (!Usable(dpy)) return kFalse;
    return Fail(kBadContext);
}

// Only letting go of the current context (there never is one) succeeds.
EXPORT EGLBoolean eglMakeCurrent(EGLHandle dpy, EGLHandle draw, EGLHandle read, EGLHandle context) {
    if (!Usable(dpy)) return kFalse;
    if (draw == nullptr && read == nullptr && context == nullptr) return kTrue;
    return Fail(kBadContext);
}

EXPORT EGLBoolean eglSwapBuffers(EGLHandle dpy, EGLHandle) {
    if (!Usable(dpy)) return kFalse;
    return Fail(kBadContext);
}

EXPORT EGLBoolean eglSwapInterval(EGLHandle dpy, EGLint) {
    if (!Usable(dpy)) return kFalse;
    return Fail(kBadContext);
}

EXPORT EGLBoolean eglWaitNative(EGLint) { return kTrue; }
EXPORT EGLBoolean eglWaitGL() { return kTrue; }

EXPORT EGLBoolean eglBindAPI(EGLenum api) {
    boundApi = api;
    return kTrue;
}

EXPORT EGLenum eglQueryAPI() { return boundApi; }
