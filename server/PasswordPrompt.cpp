// SPDX-License-Identifier: MIT
#include "server/PasswordPrompt.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace server {

namespace {

// The terminal settings to restore when a signal ends the program mid-prompt, so the
// shell is not left without echo.
termios savedTerminal;

void RestoreTerminalAndDie(int signalNumber) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

void Prompt(const char* text) {
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
}

// Reads one line from the terminal with echo off.
bool ReadHidden(const char* prompt, std::string& line) {
    if (::tcgetattr(STDIN_FILENO, &savedTerminal) != 0) {
        return false;
    }
    struct sigaction restore {};
    restore.sa_handler = RestoreTerminalAndDie;
    struct sigaction oldInt {
    }, oldTerm{}, oldHup{};
    ::sigaction(SIGINT, &restore, &oldInt);
    ::sigaction(SIGTERM, &restore, &oldTerm);
    ::sigaction(SIGHUP, &restore, &oldHup);
    termios hidden = savedTerminal;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    hidden.c_lflag |= ECHONL;
    Prompt(prompt);
    const bool read =
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden) == 0 && ReadLine(STDIN_FILENO, line);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
    ::sigaction(SIGHUP, &oldHup, nullptr);
    return read;
}

}  // namespace

bool ReadLine(int fd, std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return any;
        }
        any = true;
        if (c == '\n') {
            break;
        }
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

bool ReadNewPassword(std::string& password, std::string& why) {
    password.clear();
    if (::isatty(STDIN_FILENO) == 1) {
        std::string again;
        if (!ReadHidden("New password: ", password) || !ReadHidden("Repeat it: ", again)) {
            why = "no password was read";
            return false;
        }
        if (password != again) {
            why = "the two passwords differ";
            return false;
        }
    } else if (!ReadLine(STDIN_FILENO, password)) {
        why = "no password on standard input";
        return false;
    }
    if (password.empty()) {
        why = "the password is empty";
        return false;
    }
    return true;
}

}  // namespace server
