// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace server {

// Raises the process's soft limit of open files to its hard limit, which needs no
// privilege, and returns the soft limit in force afterwards.
std::size_t RaiseOpenFileLimit();
// The soft limit of open files in force now.
std::size_t OpenFileLimit();
// How many descriptors the process holds now.
std::size_t DescriptorsInUse();

// How the server shares its descriptors. Every connection holds its socket and a second
// descriptor of it; a logged-in session also holds its account folder and, while a call
// runs, a few item files; every open file holds its folder and the folder's lock file.
// What is left after the connections is the number of files all sessions may hold open,
// so that opening files can never starve accepting or serving a connection.
struct DescriptorPlan {
    std::size_t maxSessions = 0;  // lowered from the configured number when needed
    std::size_t openFiles = 0;    // files open at once, all sessions together
    // Why maxSessions had to be lowered, or why nothing fits; empty when all is well.
    std::string note;
    bool fits = false;
};

// limit: the descriptors the process may hold; inUse: those held before serving starts;
// waiting: connections that may wait to log in (or be refused) at once.
DescriptorPlan PlanDescriptors(std::size_t limit, std::size_t inUse, std::size_t maxSessions,
                               std::size_t waiting);

// The files all sessions may hold open at once, taken and given back by the sessions.
class OpenFileBudget {
public:
    explicit OpenFileBudget(std::size_t files) : left_(files) {}
    OpenFileBudget(const OpenFileBudget&) = delete;
    OpenFileBudget& operator=(const OpenFileBudget&) = delete;

    // False when every file of the budget is open.
    bool Take();
    void GiveBack(std::size_t files = 1);

private:
    std::atomic<std::size_t> left_;
};

}  // namespace server
