// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

namespace server {

// Raises the process's soft limit of open files to its hard limit, which needs no
// privilege, and returns the soft limit in force afterwards.
std::size_t RaiseOpenFileLimit();
// The soft limit of open files in force now.
std::size_t OpenFileLimit();
// How many descriptors the process holds now.
std::size_t DescriptorsInUse();

// The files every logged-in session may always open, whatever other sessions hold.
inline constexpr std::size_t kFilesReservedPerSession = 4;

// How the server shares its descriptors. Every connection holds its socket and a second
// descriptor of it; a logged-in session also holds its account folder and, while a call
// runs, a few item files; every open file holds its folder and the folder's lock file.
// What is left after the connections is the number of files all sessions may hold open,
// so that opening files can never starve accepting or serving a connection.
struct DescriptorPlan {
    std::size_t maxSessions = 0;  // lowered from the configured number when needed
    // Connections that may wait to log in at once: as asked, or fewer (never below a few
    // dozen) so that the waiting room takes at most half of what the sessions leave.
    std::size_t maxWaiting = 0;
    std::size_t openFiles = 0;  // files open at once, all sessions together
    // Why maxSessions had to be lowered, or why nothing fits; empty when all is well.
    std::string note;
    bool fits = false;
};

// limit: the descriptors the process may hold; inUse: those held before serving starts;
// waiting: connections that may wait to log in at once.
DescriptorPlan PlanDescriptors(std::size_t limit, std::size_t inUse, std::size_t maxSessions,
                               std::size_t waiting);

// The files all sessions may hold open at once. Each session may open its reserved few
// whatever the others hold; past them it takes from the files left over, of which no one
// user holds more than half, so that one user's sessions cannot lock everybody else out.
class OpenFileBudget {
public:
    // files: the plan's open files, of which sessions * kFilesReservedPerSession are
    // reserved.
    OpenFileBudget(std::size_t files, std::size_t sessions);
    OpenFileBudget(const OpenFileBudget&) = delete;
    OpenFileBudget& operator=(const OpenFileBudget&) = delete;

    // The files of one logged-in session, given back when it ends.
    class SessionFiles {
    public:
        SessionFiles(OpenFileBudget& budget, std::string user)
            : budget_(budget), user_(std::move(user)) {}
        ~SessionFiles();
        SessionFiles(const SessionFiles&) = delete;
        SessionFiles& operator=(const SessionFiles&) = delete;

        // False when the session has used its reserve and its user's share, or every
        // shared file is open.
        bool Take();
        void GiveBack();

    private:
        OpenFileBudget& budget_;
        const std::string user_;
        std::size_t reservedOpen_ = 0;
        std::size_t sharedOpen_ = 0;
    };

private:
    bool TakeShared(const std::string& user);
    void GiveBackShared(const std::string& user, std::size_t files);

    const std::size_t perUser_;
    std::mutex mutex_;
    std::size_t sharedLeft_;
    std::unordered_map<std::string, std::size_t> sharedByUser_;
};

}  // namespace server
