// Threads that do work ahead of the time it is needed (the start's reading and
// decoding, pictures for later screens) call this first.
#pragma once

namespace scene {

// Names the calling thread (at most 15 characters) for profilers and debuggers,
// and lowers its priority a little: the thread that makes the window, and the
// display server it waits on, then win a core whenever they are ready to run,
// while work ahead still gets most of its share on a busy machine.
void BeginThreadAhead(const char* name);

}  // namespace scene
