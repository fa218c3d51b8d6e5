// SPDX-License-Identifier: MIT
#pragma once

namespace mv {

// Hands memory the program has freed back to the system. The allocator keeps freed
// blocks for reuse, so after a large piece of work (a dictionary read anew, a large
// request) the process would otherwise stay as large as at its peak. Does nothing where
// the allocator is not glibc's (under AddressSanitizer it is the sanitizer's own).
void ReturnFreedMemory();

}  // namespace mv
