// SPDX-License-Identifier: MIT
#include "server/StopSignal.h"

namespace server {

void StopSignal::Request() {
    {
        const std::lock_guard lock(mutex_);
        requested_ = true;
    }
    changed_.notify_all();
}

bool StopSignal::IsRequested() const {
    const std::lock_guard lock(mutex_);
    return requested_;
}

bool StopSignal::WaitFor(std::chrono::milliseconds time) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, time, [this] { return requested_; });
}

}  // namespace server
