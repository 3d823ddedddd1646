// What the test program holds on the heap: flat when nothing leaks or piles up.
// (The resident size would also keep what the allocator freed but kept.)
#pragma once

#include <malloc.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's own allocator keeps its count here (not in every
// compiler's headers).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace testheap {

inline double HeapInUseMb() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<double>(__sanitizer_get_current_allocated_bytes()) / (1024.0 * 1024.0);
#else
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd) / (1024.0 * 1024.0);
#endif
}

}  // namespace testheap
