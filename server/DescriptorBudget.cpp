// SPDX-License-Identifier: MIT
#include "server/DescriptorBudget.h"

#include <sys/resource.h>

#include <filesystem>

namespace server {

namespace {

// Left for the listening socket, the wake-up pipe, the log, TLS's files and libraries.
constexpr std::size_t kMargin = 32;
// A connection before its login: its socket and the descriptor kept to interrupt it.
constexpr std::size_t kPerConnection = 2;
// A logged-in session besides that: its account folder, and the item files, temporary
// files and folder listings one call holds for a moment.
constexpr std::size_t kPerSession = 3;
// An open file: its folder and its lock file.
constexpr std::size_t kPerOpenFile = 2;
// A session can do little with fewer files than this; sessions are lowered before this.
constexpr std::size_t kFilesPerSessionAtLeast = 4;

}  // namespace

std::size_t RaiseOpenFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    return OpenFileLimit();
}

std::size_t OpenFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return static_cast<std::size_t>(1) << 20;
    }
    return static_cast<std::size_t>(limit.rlim_cur);
}

std::size_t DescriptorsInUse() {
    std::error_code error;
    std::size_t count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
         it.increment(error)) {
        ++count;
    }
    return count;
}

DescriptorPlan PlanDescriptors(std::size_t limit, std::size_t inUse, std::size_t maxSessions,
                               std::size_t waiting) {
    DescriptorPlan plan;
    const std::size_t fixed = inUse + kMargin + waiting * kPerConnection;
    const std::size_t perSession =
        kPerConnection + kPerSession + kFilesPerSessionAtLeast * kPerOpenFile;
    if (limit <= fixed + perSession) {
        plan.note = "the limit of " + std::to_string(limit) +
                    " open files leaves no room for a session; raise it (ulimit -n)";
        return plan;
    }
    plan.fits = true;
    plan.maxSessions = std::min(maxSessions, (limit - fixed) / perSession);
    if (plan.maxSessions < maxSessions) {
        plan.note = "the limit of " + std::to_string(limit) + " open files allows " +
                    std::to_string(plan.maxSessions) + " sessions, not " +
                    std::to_string(maxSessions) + "; raise it (ulimit -n) to serve more";
    }
    plan.openFiles =
        (limit - fixed - plan.maxSessions * (kPerConnection + kPerSession)) / kPerOpenFile;
    return plan;
}

bool OpenFileBudget::Take() {
    std::size_t left = left_.load();
    while (left > 0) {
        if (left_.compare_exchange_weak(left, left - 1)) {
            return true;
        }
    }
    return false;
}

void OpenFileBudget::GiveBack(std::size_t files) {
    left_ += files;
}

}  // namespace server
