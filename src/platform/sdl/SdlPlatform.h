// The SDL2 backend: the real screen, pointer, keyboard, clipboard and sound.
// Only the factory is public; SDL itself stays behind it.
#pragma once

#include <memory>

#include "scene/Platform.h"

namespace platform {

// Starts SDL's video and event handling; throws std::runtime_error naming SDL's
// reason when there is no display. One platform may exist at a time, and every
// window and audio output it made must be gone before it is destroyed.
std::unique_ptr<scene::Platform> CreateSdlPlatform();

// Sets the environment the backend's libraries read (the compose table's
// folder). Called first thing in main, before any thread starts: other threads
// read the environment, and nothing may change it beside them.
void PrepareSdlEnvironment();

}  // namespace platform
