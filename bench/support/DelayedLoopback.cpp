// SPDX-License-Identifier: MIT
#include "bench/support/DelayedLoopback.h"

#include <sched.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace bench {

namespace {

bool Run(const std::string& command, std::string& why) {
    const int status = std::system((command + " 2>/dev/null").c_str());
    if (status != 0) {
        why = "\"" + command + "\" failed";
        return false;
    }
    return true;
}

}  // namespace

bool EnterOwnNetworkNamespace(std::string& why) {
    if (::unshare(CLONE_NEWNET) != 0) {
        why = std::string("a network namespace of its own needs root: ") + std::strerror(errno);
        return false;
    }
    return Run("ip link set lo up", why);
}

bool SetLoopbackDelay(int milliseconds, std::string& why) {
    if (milliseconds == 0) {
        return Run("tc qdisc del dev lo root", why);
    }
    if (!Run("tc qdisc add dev lo root netem delay " + std::to_string(milliseconds) + "ms", why)) {
        why += " (is the kernel's netem queueing discipline, sch_netem, available?)";
        return false;
    }
    return true;
}

}  // namespace bench
