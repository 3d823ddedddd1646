// Threads that do work ahead of the time it is needed (the start's reading and
// decoding, pictures for later screens) call this first.
#pragma once

namespace scene {

// Names the calling thread (at most 15 characters) for profilers and debuggers.
void BeginThreadAhead(const char* name);

}  // namespace scene
