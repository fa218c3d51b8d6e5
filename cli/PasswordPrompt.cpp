// SPDX-License-Identifier: MIT
#include "cli/PasswordPrompt.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/mv/UniqueFd.h"

namespace cli {

std::optional<std::string> AskPasswordOnTerminal(std::string_view prompt) {
    const mv::UniqueFd tty(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!tty.Valid()) {
        return std::nullopt;
    }
    termios saved{};
    if (::tcgetattr(tty.Get(), &saved) != 0) {
        return std::nullopt;
    }
    termios silent = saved;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    silent.c_lflag |= ECHONL;
    if (::write(tty.Get(), prompt.data(), prompt.size()) < 0 ||
        ::tcsetattr(tty.Get(), TCSAFLUSH, &silent) != 0) {
        return std::nullopt;
    }
    std::string line;
    char c = 0;
    while (::read(tty.Get(), &c, 1) == 1 && c != '\n') {
        line.push_back(c);
    }
    ::tcsetattr(tty.Get(), TCSAFLUSH, &saved);
    return line;
}

}  // namespace cli
