// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace bench {

// A delay on the loopback of a network namespace of this process's own, made with
// iproute2: the kernel holds every packet for the delay, both ways, so a round trip
// costs twice the delay. Needs root (CAP_SYS_ADMIN and CAP_NET_ADMIN), the `ip` and `tc`
// programs, and the kernel's netem queueing discipline.

// Moves this process into a new network namespace with its loopback up. Call it before
// any thread starts: only the calling thread moves. False, with why, when not permitted.
bool EnterOwnNetworkNamespace(std::string& why);

// Adds (or with 0, removes) a delay of `milliseconds` each way on lo.
bool SetLoopbackDelay(int milliseconds, std::string& why);

}  // namespace bench
