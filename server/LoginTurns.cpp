// SPDX-License-Identifier: MIT
#include "server/LoginTurns.h"

namespace server {

bool LoginTurns::Turn::WaitUntil(Clock::time_point end) {
    std::unique_lock lock(turns_.mutex_);
    const bool free = turns_.changed_.wait_until(lock, end, [this] {
        const auto found = turns_.checking_.find(client_);
        return turns_.closed_ || found == turns_.checking_.end() ||
               found->second < turns_.perClient_;
    });
    if (!free || turns_.closed_) {
        return false;
    }
    ++turns_.checking_[client_];
    taken_ = true;
    return true;
}

LoginTurns::Turn::~Turn() {
    if (!taken_) {
        return;
    }
    {
        const std::lock_guard lock(turns_.mutex_);
        const auto found = turns_.checking_.find(client_);
        if (--found->second == 0) {
            turns_.checking_.erase(found);
        }
    }
    turns_.changed_.notify_all();
}

void LoginTurns::Close() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

}  // namespace server
