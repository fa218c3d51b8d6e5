// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <set>
#include <string>

#include "platform/mv/Backend.h"
#include "platform/mv/wire/WireMessage.h"

namespace mv {

namespace wire {
class WireChannel;
}

// What a remote session needs to connect and log in.
struct RemoteLogin {
    std::string host;     // "host" or "host:port"
    std::string service;  // "uvcs" or "udcs"
    std::string userName;
    std::string password;
    std::string account;
    std::chrono::milliseconds connectLimit{10000};
    std::chrono::milliseconds callLimit{60000};
    // TLS: asked for in the service request; the server's certificate is checked against
    // caFile (PEM), or the system's store when empty, and must name the host.
    bool secure = false;
    std::string caFile;
};

// The engine of a session with a host: a database server reached over TCP with the
// servers' client protocol. Every call is one request and its reply (EXECUTE: until the
// output is complete, and the select's ids taken in one READLIST). A dropped
// connection, an answer out of time or one that breaks the protocol fails that call
// with a code of the 81000 range, closes the connection, and leaves IsActive false.
class RemoteBackend final : public Backend {
public:
    // kOk with backend set, or the code of what failed: the host, the connection, the
    // service or the login.
    static int Connect(const RemoteLogin& login, std::shared_ptr<RemoteBackend>& backend);
    ~RemoteBackend() override;

    bool IsActive() const override;
    void Shutdown() override;

    int OpenDictionary(const std::string& fileName, int& handle) override;
    void CloseFile(int handle) override;
    int Read(int handle, const std::string& id, std::string& record) override;
    int Write(int handle, const std::string& id, const std::string& record) override;
    int Delete(int handle, const std::string& id) override;

    CommandResult Execute(const std::string& text) override;

    // Requests sent since the connection was made, for measuring.
    long long RoundTrips() const { return roundTrips_; }

private:
    RemoteBackend(std::unique_ptr<wire::WireChannel> channel, std::chrono::milliseconds callLimit);

    // Sends the request and takes one reply, whose argument 0 must be an integer return
    // code unless told otherwise (the service request's reply has two shapes).
    int Call(const wire::Message& request, wire::Message& reply, bool replyStartsWithCode = true);
    int Receive(wire::Message& reply);
    int Fail(int code);
    int HandleError(int handle) const;
    void ReadList(CommandResult& result);

    std::unique_ptr<wire::WireChannel> channel_;
    std::chrono::milliseconds callLimit_;
    std::set<int> openHandles_;
    int lostCode_ = 0;  // why the connection ended, once it has
    long long roundTrips_ = 0;
};

}  // namespace mv
