// SPDX-License-Identifier: MIT
#include "server/RequestMemory.h"

#include <algorithm>

namespace server {

bool RequestMemory::Take(std::size_t bytes, Clock::time_point end) {
    std::unique_lock lock(mutex_);
    const bool granted = changed_.wait_until(
        lock, end, [&] { return closed_ || bytes <= free_ || (held_ == 0 && bytes > 0); });
    if (!granted || closed_) {
        return false;
    }
    const std::size_t fromFree = std::min(bytes, free_);
    free_ -= fromFree;
    held_ += bytes;
    // A request larger than the whole borrows the difference; it is not given to others.
    overdrawn_ += bytes - fromFree;
    return true;
}

void RequestMemory::GiveBack(std::size_t bytes) {
    {
        const std::lock_guard lock(mutex_);
        held_ -= bytes;
        const std::size_t repaid = std::min(bytes, overdrawn_);
        overdrawn_ -= repaid;
        free_ += bytes - repaid;
    }
    changed_.notify_all();
}

void RequestMemory::Close() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

}  // namespace server
