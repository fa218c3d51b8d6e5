// SPDX-License-Identifier: MIT
#include "server/ClosingConnections.h"

#include <sys/socket.h>

#include <cerrno>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/wire/WireMessage.h"

namespace server {

namespace {

// Reads and drops what the client sent; false once it has closed (or the socket failed).
// A client that keeps sending is read a bounded amount each time.
bool DrainStillOpen(int socket) {
    char buffer[4096];
    for (int reads = 0; reads < 16; ++reads) {
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0) {
            return false;
        }
        if (got < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        }
    }
    return true;
}

}  // namespace

ClosingConnections::ClosingConnections()
    : answer_(
          mv::wire::Encode(mv::wire::Message{0, {mv::wire::Arg::Int(mv::kConnectionRefused)}})) {}

void ClosingConnections::Refuse(mv::UniqueFd socket, Clock::time_point now) {
    // A new connection's send buffer is empty, so the short answer goes out whole.
    [[maybe_unused]] const ssize_t sent =
        ::send(socket.Get(), answer_.data(), answer_.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::shutdown(socket.Get(), SHUT_WR);
    if (closing_.size() >= kAtOnce) {
        DrainStillOpen(closing_.front().socket.Get());
        closing_.pop_front();
    }
    closing_.push_back(Closing{std::move(socket), now + kDrainTime});
}

void ClosingConnections::Watch(std::vector<pollfd>& watched) const {
    for (const Closing& entry : closing_) {
        watched.push_back(pollfd{entry.socket.Get(), POLLIN, 0});
    }
}

void ClosingConnections::Tend(Clock::time_point now) {
    for (auto it = closing_.begin(); it != closing_.end();) {
        const bool open = DrainStillOpen(it->socket.Get());
        it = open && now < it->end ? std::next(it) : closing_.erase(it);
    }
}

std::optional<ClosingConnections::Clock::time_point> ClosingConnections::NextDeadline() const {
    if (closing_.empty()) {
        return std::nullopt;
    }
    return closing_.front().end;  // they were added in order of their ends
}

void ClosingConnections::CloseAll() {
    for (Closing& entry : closing_) {
        DrainStillOpen(entry.socket.Get());
    }
    closing_.clear();
}

}  // namespace server
