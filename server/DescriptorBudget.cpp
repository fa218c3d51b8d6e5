// SPDX-License-Identifier: MIT
#include "server/DescriptorBudget.h"

#include <sys/resource.h>

#include <algorithm>
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
// The waiting room is never made smaller than this for the sake of sessions or files.
constexpr std::size_t kWaitingAtLeast = 32;

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
    const std::size_t perSession =
        kPerConnection + kPerSession + kFilesReservedPerSession * kPerOpenFile;
    const std::size_t fewestWaiting = std::min(waiting, kWaitingAtLeast);
    const std::size_t fixed = inUse + kMargin + fewestWaiting * kPerConnection;
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
    const std::size_t available = limit - inUse - kMargin;
    const std::size_t leftBySessions = available - plan.maxSessions * perSession;
    plan.maxWaiting = std::clamp(leftBySessions / 2 / kPerConnection, fewestWaiting,
                                 std::max(waiting, fewestWaiting));
    plan.openFiles = (available - plan.maxWaiting * kPerConnection -
                      plan.maxSessions * (kPerConnection + kPerSession)) /
                     kPerOpenFile;
    return plan;
}

OpenFileBudget::OpenFileBudget(std::size_t files, std::size_t sessions)
    : perUser_((files - std::min(files, sessions * kFilesReservedPerSession) + 1) / 2),
      sharedLeft_(files - std::min(files, sessions * kFilesReservedPerSession)) {}

bool OpenFileBudget::TakeShared(const std::string& user) {
    const std::lock_guard lock(mutex_);
    std::size_t& held = sharedByUser_[user];
    if (sharedLeft_ == 0 || held >= perUser_) {
        if (held == 0) {
            sharedByUser_.erase(user);
        }
        return false;
    }
    --sharedLeft_;
    ++held;
    return true;
}

void OpenFileBudget::GiveBackShared(const std::string& user, std::size_t files) {
    if (files == 0) {
        return;
    }
    const std::lock_guard lock(mutex_);
    sharedLeft_ += files;
    const auto found = sharedByUser_.find(user);
    if (found != sharedByUser_.end() && (found->second -= std::min(found->second, files)) == 0) {
        sharedByUser_.erase(found);
    }
}

OpenFileBudget::SessionFiles::~SessionFiles() {
    budget_.GiveBackShared(user_, sharedOpen_);
}

bool OpenFileBudget::SessionFiles::Take() {
    if (reservedOpen_ < kFilesReservedPerSession) {
        ++reservedOpen_;
        return true;
    }
    if (!budget_.TakeShared(user_)) {
        return false;
    }
    ++sharedOpen_;
    return true;
}

void OpenFileBudget::SessionFiles::GiveBack() {
    // Shared files go back first: they are the ones other users may be waiting for.
    if (sharedOpen_ > 0) {
        --sharedOpen_;
        budget_.GiveBackShared(user_, 1);
    } else if (reservedOpen_ > 0) {
        --reservedOpen_;
    }
}

}  // namespace server
