// SPDX-License-Identifier: MIT
#include "server/LoginThrottle.h"

#include <algorithm>

namespace server {

void LoginThrottle::Forget(std::deque<Clock::time_point>& failures, Clock::time_point now) const {
    while (!failures.empty() && now - failures.front() >= window_) {
        failures.pop_front();
    }
}

bool LoginThrottle::Charge(const std::string& address, Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    if (failures_.size() >= kAddressesKept && failures_.count(address) == 0) {
        for (auto it = failures_.begin(); it != failures_.end();) {
            Forget(it->second, now);
            it = it->second.empty() ? failures_.erase(it) : std::next(it);
        }
    }
    auto& failures = failures_[address];
    Forget(failures, now);
    if (failures.size() >= maxFailures_) {
        return false;
    }
    failures.push_back(now);
    return true;
}

void LoginThrottle::Refund(const std::string& address, Clock::time_point charged) {
    const std::lock_guard lock(mutex_);
    const auto found = failures_.find(address);
    if (found == failures_.end()) {
        return;
    }
    auto& failures = found->second;
    if (const auto it = std::find(failures.begin(), failures.end(), charged);
        it != failures.end()) {
        failures.erase(it);
    }
    if (failures.empty()) {
        failures_.erase(found);
    }
}

}  // namespace server
