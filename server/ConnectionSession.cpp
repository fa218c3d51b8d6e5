// SPDX-License-Identifier: MIT
#include "server/ConnectionSession.h"

#include <algorithm>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/FreedMemory.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/wire/WireCalls.h"
#include "server/AccountResolver.h"
#include "server/CallDispatch.h"
#include "server/ClientGroup.h"
#include "server/LoginRequest.h"

namespace server {

namespace wire = mv::wire;
using wire::Arg;
using wire::Message;
using Outcome = wire::WireChannel::Outcome;

namespace {

// After a request this large its memory is handed back to the system: the allocator would
// otherwise keep it for the thread that used it.
constexpr std::size_t kLargeRequest = std::size_t{1} << 20;

bool SendStatus(wire::WireChannel& channel, const ServerConfig& config, std::int32_t code) {
    return channel.Send(Message{0, {Arg::Int(code)}}, config.sendLimit) == Outcome::Ok;
}

bool SendRefusal(wire::WireChannel& channel, const ServerConfig& config, std::int32_t code,
                 const std::string& text) {
    return channel.Send(Message{0, {Arg::Int(code), Arg::Bytes(text)}}, config.sendLimit) ==
           Outcome::Ok;
}

}  // namespace

void ConnectionSession::Run(wire::WireChannel& channel, const ConnectionHooks& hooks) {
    hooks_ = &hooks;
    peer_ = channel.PeerAddress();
    loginEnd_ = hooks.acceptedAt + std::min(config_.loginTimeout, config_.idleTimeout);
    if (!AcceptService(channel)) {
        return;
    }
    std::string user;
    if (auto engine = LogIn(channel, user)) {
        ServeCalls(channel, std::move(engine), user);
    }
}

std::chrono::milliseconds ConnectionSession::LoginTimeLeft() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        loginEnd_ - std::chrono::steady_clock::now());
    return std::max(left, std::chrono::milliseconds(0));
}

void ConnectionSession::LogReceiveFailure(wire::WireChannel& channel, Outcome outcome) {
    if (outcome == Outcome::Ok || hooks_->madeRoom()) {
        return;
    }
    const bool stopping = outcome == Outcome::Closed && stop_.IsRequested();
    if (!loggedIn_) {
        // Anybody can end connections before a login as fast as they can open them: they
        // are counted, not logged one by one.
        hooks_->endedBeforeLogin(stopping                        ? "the server stops"
                                 : outcome == Outcome::Closed    ? "closed by the client"
                                 : outcome == Outcome::TimedOut  ? "no request in time"
                                 : outcome == Outcome::Malformed ? "malformed message"
                                                                 : "connection failed");
        return;
    }
    switch (outcome) {
        case Outcome::Closed:
            Log(stopping ? "closed: the server stops" : "closed by the client");
            return;
        case Outcome::TimedOut:
            Log("closed: no request in time");
            return;
        case Outcome::Malformed:
            Log("closed: malformed message: " + channel.Why());
            return;
        default:
            Log("closed: connection failed: " + channel.Why());
            return;
    }
}

bool ConnectionSession::AcceptService(wire::WireChannel& channel) {
    Message request;
    const auto outcome = channel.Receive(request, LoginTimeLeft(), config_.maxBodyBeforeLogin);
    if (outcome != Outcome::Ok) {
        LogReceiveFailure(channel, outcome);
        return false;
    }
    ServiceRequest service;
    if (!ParseServiceRequest(request, service)) {
        SendStatus(channel, config_, mv::kSessionNotOpen);
        Log("closed: the first message was not a service request");
        return false;
    }
    if (service.service != wire::kUniVerseService && service.service != wire::kUniDataService) {
        SendStatus(channel, config_, mv::kServiceNotFound);
        Log("closed: no service \"" + Printable(service.service) + "\"");
        return false;
    }
    if (service.wantsTls && !config_.tls) {
        SendStatus(channel, config_, mv::kTlsNotOffered);
        Log("closed: TLS asked for, which this server does not offer");
        return false;
    }
    if (!service.wantsTls && config_.requireTls) {
        SendStatus(channel, config_, mv::kTlsRequired);
        Log("closed: the client did not ask for TLS, which this server requires");
        return false;
    }
    if (!SendStatus(channel, config_, mv::kOk)) {
        return false;
    }
    if (service.wantsTls) {
        const Outcome encrypted = channel.StartTlsAsServer(*config_.tls, LoginTimeLeft());
        if (encrypted != Outcome::Ok) {
            Log("closed: " + channel.Why());
            return false;
        }
    }
    return true;
}

std::shared_ptr<mv::LocalEngine> ConnectionSession::LogIn(wire::WireChannel& channel,
                                                          std::string& user) {
    Message request;
    const auto outcome = channel.Receive(request, LoginTimeLeft(), config_.maxBodyBeforeLogin);
    if (outcome != Outcome::Ok) {
        LogReceiveFailure(channel, outcome);
        return {};
    }
    LoginRequest login;
    if (!ParseLoginRequest(request, login)) {
        SendStatus(channel, config_, mv::kSessionNotOpen);
        Log("closed: a request before logging in");
        return {};
    }
    hooks_->loginReceived();
    const std::string who = "user \"" + Printable(login.user) + "\"";
    const std::string address = ClientGroupOf(channel.PeerHost());
    // A login that came in time waits for its turn up to the login time again: the wait
    // is the server's doing, not the client's.
    LoginTurns::Turn turn(loginTurns_, address);
    if (!turn.WaitUntil(std::chrono::steady_clock::now() + config_.loginTimeout)) {
        SendStatus(channel, config_, mv::kConnectionRefused);
        Log("login refused for " + who + ": no turn among the logins from " + address +
            " within the login time");
        return {};
    }
    const auto charged = LoginThrottle::Clock::now();
    if (!throttle_.Charge(address, charged)) {
        stop_.WaitFor(config_.failedLoginDelay);
        SendRefusal(channel, config_, mv::kTooManyLoginFailures,
                    "Too many failed logins from this address; try again later.");
        Log("login refused for " + who + ": too many failed logins from " + address);
        return {};
    }
    if (const int refused = authenticator_.Check(login.user, login.password)) {
        // One answer for an unknown user and a wrong password, after the same pause, so
        // that a guesser cannot learn which user names exist.
        stop_.WaitFor(config_.failedLoginDelay);
        SendRefusal(channel, config_, mv::kBadPassword, "Wrong user name or password.");
        Log("login refused for " + who +
            (refused == mv::kBadUserName ? ": unknown user" : ": wrong password"));
        return {};
    }
    throttle_.Refund(address, charged);
    const std::string& account = login.account;
    std::filesystem::path folder;
    std::shared_ptr<mv::LocalEngine> engine;
    if (ResolveAccount(config_.root, account, folder) != mv::kOk ||
        mv::LocalEngine::Open(folder.string(), engine) != mv::kOk) {
        SendRefusal(channel, config_, mv::kInvalidAccount,
                    "Account \"" + account + "\" is not served here.");
        Log("login refused for " + who + ": no account \"" + Printable(account) + "\"");
        return {};
    }
    if (!hooks_->claimSlot()) {
        SendStatus(channel, config_, mv::kConnectionRefused);
        Log("login refused for " + who + ": " + std::to_string(config_.maxSessions) +
            " sessions are running already");
        return {};
    }
    engine->SetLockWaitLimit(config_.lockWaitLimit);
    const long number = hooks_->userNumber();
    engine->SetIdentity({login.user, number, channel.PeerHost()});
    if (!SendStatus(channel, config_, mv::kOk)) {
        Log("closed: the client went away while logging in");
        return {};
    }
    Log("logged in as " + who + " to account \"" + Printable(account) + "\"" +
        (channel.IsEncrypted() ? " over TLS" : "") + ", user number " + std::to_string(number));
    user = login.user;
    accountFolder_ = folder.string();
    loggedIn_ = true;
    return engine;
}

void ConnectionSession::ServeCalls(wire::WireChannel& channel,
                                   std::shared_ptr<mv::LocalEngine> engine,
                                   const std::string& user) {
    const mv::LocalEngine& session = *engine;
    CallDispatch dispatch(std::move(engine), channel, config_, openFiles_, user, accountFolder_);
    for (;;) {
        // Holding locks, a silent client keeps others from its items: it gets the shorter
        // wait, and its locks go with the session when that passes.
        const bool holdsLocks =
            session.HoldsLocks() && config_.lockIdleTimeout < config_.idleTimeout;
        std::size_t held = 0;
        const auto takeMemory = [&](std::size_t bytes, std::chrono::steady_clock::time_point end) {
            if (!requestMemory_.Take(bytes, end)) {
                return false;
            }
            held = bytes;
            return true;
        };
        bool goesOn = false;
        {
            Message request;
            const auto outcome =
                channel.Receive(request, holdsLocks ? config_.lockIdleTimeout : config_.idleTimeout,
                                config_.maxBody, takeMemory);
            std::string why;
            if (outcome == Outcome::TimedOut && holdsLocks) {
                Log("closed: silent for " +
                    std::to_string(
                        std::chrono::duration_cast<std::chrono::seconds>(config_.lockIdleTimeout)
                            .count()) +
                    " s while holding record locks, which are released");
            } else if (outcome != Outcome::Ok) {
                LogReceiveFailure(channel, outcome);
            } else if (!(goesOn = dispatch.Handle(request, why))) {
                Log("closed: " + why);
            }
        }
        if (held > 0) {
            requestMemory_.GiveBack(held);
        }
        if (held >= kLargeRequest) {
            mv::ReturnFreedMemory();
        }
        if (!goesOn) {
            return;
        }
    }
}

}  // namespace server
