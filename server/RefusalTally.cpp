// SPDX-License-Identifier: MIT
#include "server/RefusalTally.h"

#include <algorithm>
#include <vector>

namespace server {

namespace {

// The clients named in one line, those with the most refusals first.
constexpr std::size_t kClientsNamed = 8;

}  // namespace

void RefusalTally::Count(const std::string& client, const std::string& reason) {
    const std::lock_guard lock(mutex_);
    ++byClient_[client.empty() ? "(unknown)" : client];
    ++byReason_[reason];
    ++total_;
}

std::optional<RefusalTally::Clock::time_point> RefusalTally::NextLineAt() const {
    const std::lock_guard lock(mutex_);
    return NextLineAtLocked();
}

std::optional<RefusalTally::Clock::time_point> RefusalTally::NextLineAtLocked() const {
    if (total_ == 0) {
        return std::nullopt;
    }
    return lastLine_ ? *lastLine_ + kEvery : Clock::time_point::min();
}

std::optional<std::string> RefusalTally::LineDue(Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    const auto due = NextLineAtLocked();
    if (!due || now < *due) {
        return std::nullopt;
    }
    lastLine_ = now;
    return TakeLineLocked();
}

std::optional<std::string> RefusalTally::LastLine() {
    const std::lock_guard lock(mutex_);
    return TakeLineLocked();
}

std::optional<std::string> RefusalTally::TakeLineLocked() {
    if (total_ == 0) {
        return std::nullopt;
    }
    std::string line = std::to_string(total_) + (total_ == 1 ? " connection" : " connections") +
                       " ended before a login (";
    bool first = true;
    for (const auto& [reason, count] : byReason_) {
        line += (first ? "" : "; ") + reason + ": " + std::to_string(count);
        first = false;
    }
    std::vector<std::pair<std::string, std::size_t>> clients(byClient_.begin(), byClient_.end());
    std::stable_sort(clients.begin(), clients.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    line += ") from ";
    for (std::size_t i = 0; i < std::min(clients.size(), kClientsNamed); ++i) {
        line += (i == 0 ? "" : ", ") + clients[i].first + " " + std::to_string(clients[i].second);
    }
    if (clients.size() > kClientsNamed) {
        line += " and " + std::to_string(clients.size() - kClientsNamed) + " more clients";
    }
    byClient_.clear();
    byReason_.clear();
    total_ = 0;
    return line;
}

}  // namespace server
