// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

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
    // How many READ requests for the ids of select list 0 may be on their way at once;
    // 1 sends each read when the program asks for it (for servers that take no
    // pipelined requests).
    static constexpr int kDefaultReadAhead = 256;
    int readAhead = kDefaultReadAhead;
};

// The engine of a session with a host: a database server reached over TCP with the
// servers' client protocol. Every call is one request and its reply (EXECUTE: until the
// output is complete, and the select's ids taken in one READLIST). A dropped
// connection, an answer out of time or one that breaks the protocol fails that call
// with a code of the 81000 range, closes the connection, and leaves IsActive false.
//
// Read-ahead: when the program reads the ids of select list 0 in list order, the reads
// of the following ids are sent before it asks for them (up to RemoteLogin::readAhead
// on the one connection), and each Read takes the next reply, which the server sends in
// the order of the requests. A Read of any other id, a write, delete, command, open or
// close first takes and discards every reply still on its way, so it sees the same
// server as without read-ahead. A record read ahead is the item as it stood when the
// server answered that request: a change another session makes after that moment shows
// at the next read of the item, as it would had this session read it a little earlier.
// Every failure (an error code in a reply, a lost connection, a late answer) reaches the
// Read of that id or the next call, with the code a Read sent at that moment would give.
class RemoteBackend final : public Backend {
public:
    // kOk with backend set, or the code of what failed: the host, the connection, the
    // service or the login. detail says more where the code alone cannot (which
    // certificate is outside its validity period, and the date), else it is empty.
    static int Connect(const RemoteLogin& login, std::shared_ptr<RemoteBackend>& backend,
                       std::string& detail);
    ~RemoteBackend() override;

    bool IsActive() const override;
    void Shutdown() override;

    int OpenDictionary(const std::string& fileName, int& handle) override;
    int OpenData(const std::string& fileName, int& handle) override;
    void CloseFile(int handle) override;
    int Read(int handle, const std::string& id, std::string& record, int lockFlags) override;
    int Write(int handle, const std::string& id, const std::string& record, bool keepLock) override;
    int Delete(int handle, const std::string& id, bool keepLock) override;
    int Lock(int handle, const std::string& id, int lockFlags) override;
    int Release(int handle, const std::string& id) override;
    int ReleaseAll(int handle) override;
    int LockState(int handle, const std::string& id, int& state) override;
    // RECORDLOCKED's status as the holder's user number, and the lines of the server's
    // lock listing (LIST.READU) that name the item (RemoteLockHolder.cpp).
    int Holder(int handle, const std::string& id, LockHolder& holder) override;
    // The protocol has no such question: only a write tells.
    bool Writable(int /*handle*/) override { return true; }

    CommandResult Execute(const std::string& text) override;
    // ITYPE. A server that answers it 81025 is not asked again in this session.
    int Itype(const std::string& file, const std::string& id, const std::string& item,
              std::string& result) override;
    // The requests are sent ahead of the replies, as many at once as the sockets' buffers
    // hold and RemoteLogin::readAhead allows, so a few hundred records cost one round trip.
    std::vector<ItypeResult> Itypes(const std::string& file, const std::vector<std::string>& ids,
                                    const std::string& item) override;
    // Every OPEN, then the select's EXECUTE and its READLIST, sent before the first reply
    // is taken (RemoteTogether.cpp).
    std::vector<OpenResult> OpenTogether(const std::vector<FilePart>& parts,
                                         const std::string& select,
                                         CommandResult& selected) override;
    // The READs and the ITYPEs sent in batches that sit in the sockets' buffers, each
    // batch's replies taken once it is sent: a few hundred requests cost one round trip.
    RecordsGiven ReadTogether(const RecordsWanted& wanted) override;

    // For measuring: the round trips the session has cost, and every request sent since
    // the connection was made. A round trip is a wait for the reply of a request sent
    // after the last such wait ended; the replies of requests sent before it ended were on
    // their way meanwhile and cost none, which is what they cost on a slow link.
    long long RoundTrips() const { return roundTrips_; }
    long long RequestsSent() const { return requestsSent_; }

private:
    RemoteBackend(std::unique_ptr<wire::WireChannel> channel, std::chrono::milliseconds callLimit,
                  int readAhead);

    // Sends the request and takes one reply, whose argument 0 must be an integer return
    // code unless told otherwise (the service request's reply has two shapes).
    int Call(const wire::Message& request, wire::Message& reply, bool replyStartsWithCode = true);
    // Every request goes through SendRequest and every reply through Receive, which
    // count the round trips; a message that follows another reply (the outcome of a
    // command) answers no request of its own.
    int SendRequest(const wire::Message& request);
    int Receive(wire::Message& reply, bool answersRequest = true);
    int Fail(int code);
    int HandleError(int handle);
    // OPEN of the dictionary or the data part of a file.
    int OpenPart(std::int32_t part, const std::string& fileName, int& handle);
    // The server's own handle of a file this side names by `handle`, as it was sent.
    const wire::Arg& ServerHandle(int handle) const { return openHandles_.at(handle); }
    // A call on an open file answered by its return code alone.
    int FileCall(int handle, std::vector<wire::Arg> args);
    // Sends a select and the READLIST that takes its ids, then takes their replies.
    int SendSelect(const std::string& text);
    void TakeSelect(CommandResult& result);
    // The rest of a command's reply after its last block of output, and how many ids it
    // selected: false when the command did not run (result.error says why) or the
    // outcome could not be read.
    bool TakeOutcome(wire::Message& lastBlock, CommandResult& result, std::int32_t& selected);
    // The handle of an OPEN's reply, or its code.
    int OpenedHandle(wire::Message& reply, int& handle);
    // Sends the requests in batches small enough for the sockets' buffers, taking each
    // batch's replies (handed to `take` with the request's position) once it is sent; the
    // requests not answered because the connection failed are handed the failure instead.
    void SendInBatches(const std::vector<wire::Message>& requests,
                       const std::function<void(std::size_t, wire::Message*, int)>& take);

    int ReadNow(int handle, const std::string& id, std::string& record, int lockFlags);
    int ReadFromWindow(std::string& record);
    int RecordOf(wire::Message& reply, std::string& record);
    // Takes the reply of the oldest read sent ahead.
    int TakeWindowReply(wire::Message& reply);
    // Where in select list 0 a Read of id on handle continues the list, if it does.
    std::optional<std::size_t> ListPositionOf(int handle, const std::string& id) const;
    // Sends READs for the next ids of the list until the window is full; false when the
    // connection failed (the failure is kept for the next call).
    bool FillWindow();
    // Takes and discards the replies of reads sent ahead; kOk, or the failure of the
    // connection that a request sent now would have met.
    int DropReadAhead();
    void ForgetList(std::vector<std::string> ids);
    // Takes the replies of the CLOSEs sent without waiting; kOk, or the connection's failure.
    int TakeUnansweredCloses();
    int LostCode();
    // The code and result of an ITYPE reply.
    int ItypeOf(wire::Message& reply, std::string& result);

    std::unique_ptr<wire::WireChannel> channel_;
    std::chrono::milliseconds callLimit_;
    // The files open on the server: this side's handle -> the server's opaque one.
    std::map<int, wire::Arg> openHandles_;
    int lastHandle_ = 0;
    int lostCode_ = 0;  // why the connection ended, once it has
    // A failure met while sending ahead, owed to the next call, which would have met it.
    int owedCode_ = 0;
    long long roundTrips_ = 0;
    // For each request whose reply is still to come, the round trips counted when it was sent.
    std::deque<long long> awaited_;
    int unansweredCloses_ = 0;  // CLOSEs whose replies are still to come, before any other
    long long requestsSent_ = 0;
    bool itypeUnknown_ = false;     // the server answered ITYPE 81025
    bool lockListUnknown_ = false;  // the server could not run LIST.READU

    int readAhead_;
    std::vector<std::string> listIds_;  // select list 0 as the last select left it
    std::size_t listNext_ = 0;          // the position a Read in list order asks for next
    std::size_t listSent_ = 0;          // positions below this have been asked for
    int windowHandle_ = 0;              // the file the reads ahead name
    std::size_t windowBytes_ = 0;       // the size of the reads ahead still unanswered
    std::size_t recordSize_;            // the average size of the records read ahead
};

}  // namespace mv
