// SPDX-License-Identifier: MIT
// kelvora-server: serves account folders over the client protocol. Everything it does is
// in the server library; this file hands it the arguments and standard streams, and turns
// SIGTERM and SIGINT into a clean stop.
#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <string>
#include <vector>

#include "server/ServerMain.h"

namespace {

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

}  // namespace

int main(int argc, char** argv) {
    // A client that goes away must end its session, not the server.
    ::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);

    // The signals are blocked in every thread and taken by sigwait on this one.
    server::StopHooks hooks;
    hooks.beforeThreads = [] {
        const sigset_t signals = StopSignals();
        ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    };
    hooks.waitForStop = [] {
        const sigset_t signals = StopSignals();
        int received = 0;
        while (::sigwait(&signals, &received) != 0) {
        }
    };
    return server::RunServerCommand(words, std::cout, std::cerr, hooks);
}
