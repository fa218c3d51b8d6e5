// SPDX-License-Identifier: MIT
#include "tests/platform/mv/Unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace mv::test {
namespace {

constexpr uid_t kNobody = 65534;

bool DropPrivileges() {
    return ::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
           ::setresuid(kNobody, kNobody, kNobody) == 0 && ::geteuid() == kNobody;
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

std::string AsUnprivilegedUser(const std::filesystem::path& folder,
                               const std::function<std::string(const std::string&)>& body) {
    if (::geteuid() != 0) {
        return body(folder.string());
    }
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return "child failed: no pipe";
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return "child failed: no fork";
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        const bool dropped = ::chdir(folder.c_str()) == 0 && DropPrivileges();
        WriteAll(pipeFds[1], dropped ? body(".") : "child failed: still privileged");
        // No destructors or exit handlers of the parent's objects run twice.
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string result;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        result.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child failed: did not finish";
    }
    return result;
}

pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    while (child > 0 && ::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    return child;
}

}  // namespace mv::test
