// SPDX-License-Identifier: MIT
#include "platform/mv/FreedMemory.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc
#if defined(__GLIBC__)
#include <malloc.h>
#endif

// Under AddressSanitizer glibc's malloc_trim would walk arenas that allocator never set up.
#if defined(__SANITIZE_ADDRESS__)
#define KELVORA_OWN_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVORA_OWN_ALLOCATOR 0
#endif
#endif
#ifndef KELVORA_OWN_ALLOCATOR
#define KELVORA_OWN_ALLOCATOR 1
#endif

namespace mv {

void ReturnFreedMemory() {
#if defined(__GLIBC__) && KELVORA_OWN_ALLOCATOR
    ::malloc_trim(0);
#endif
}

}  // namespace mv
