#include "scene/AheadThread.h"

#include <pthread.h>

namespace scene {

void BeginThreadAhead(const char* name) { pthread_setname_np(pthread_self(), name); }

}  // namespace scene
