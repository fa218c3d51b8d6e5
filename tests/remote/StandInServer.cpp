// SPDX-License-Identifier: MIT
#include "tests/remote/StandInServer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <asio.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/wire/WireChannel.h"

namespace testbackend {

namespace {

using mv::wire::Arg;
using mv::wire::ArgType;
using mv::wire::Message;
using mv::wire::WireChannel;

// The calls and numbers of the protocol, written out here rather than taken from the
// client's headers, so that the client and this server cannot share a wrong number.
constexpr std::int32_t kClose = 5, kDelete = 14, kExecute = 15, kOpen = 34, kRead = 37,
                       kReadList = 39, kRecordLock = 43, kRecordLocked = 44, kRelease = 45,
                       kWrite = 61, kExecuteContinue = 66, kItype = 29;
constexpr std::int32_t kLastBlock = 1, kMoreOutput = 22002, kListEmpty = 22004;
constexpr std::int32_t kFileStatus = 3;  // the file's type, which OPEN answers before the handle
constexpr std::int32_t kRecordStatus = 0;
constexpr std::size_t kLoginArguments = 11, kLoginAccount = 4;
constexpr std::int32_t kBadRequest = mv::kBadServerMessage;  // arguments that do not fit the call
constexpr char kFieldMark = '\xFE';

constexpr auto kIdleLimit = std::chrono::minutes(10);
constexpr auto kSendLimit = std::chrono::seconds(30);
constexpr std::size_t kMaxBody = std::size_t{1} << 28;

// What a call takes after its function code: in `shape`, 'i' an integer, 's' a string and
// 'h' a file handle (any type: one never given is refused later); and the values its lock
// flag (argument 2) may take, when it has one.
struct Rule {
    std::int32_t call;
    std::string_view shape;
    std::vector<std::int32_t> flags;
};

// Null for a call this server does not serve, EXECUTECONTINUE outside a command's output too.
const Rule* RuleOf(std::int32_t call) {
    // Never destroyed: a connection may still be served while the process ends.
    static const std::vector<Rule>& rules = *new std::vector<Rule>{
        {kOpen, "is", {}},
        {kItype, "sss", {}},  // file name, record id, dictionary item id
        {kExecute, "is", {}},
        {kReadList, "i", {}},
        {kClose, "h", {}},
        {kRecordLocked, "hs", {}},
        {kRead, "his", {0, 2, 3, 4, 5}},
        {kRecordLock, "his", {0, 2, 3, 4, 5}},
        {kWrite, "hiss", {0, 5}},
        {kDelete, "his", {0, 3}},
        {kRelease, "his", {0, 1}},  // 0 the id's lock, 1 every lock of the session
    };
    const auto rule = std::find_if(rules.begin(), rules.end(), [call](const Rule& candidate) {
        return candidate.call == call;
    });
    return rule == rules.end() ? nullptr : &*rule;
}

bool Fits(const Message& request, const Rule& rule) {
    if (request.args.size() != rule.shape.size() + 1) {
        return false;
    }
    for (std::size_t i = 0; i < rule.shape.size(); ++i) {
        const Arg& arg = request.args[i + 1];
        const bool isString = arg.type == ArgType::Text || arg.type == ArgType::Bytes;
        if ((rule.shape[i] == 'i' && !arg.IsInteger()) || (rule.shape[i] == 's' && !isString)) {
            return false;
        }
    }
    return rule.flags.empty() || std::find(rule.flags.begin(), rule.flags.end(),
                                           request.args[2].integer) != rule.flags.end();
}

// One connection: the service request, the login, then one call after the other.
class Session {
public:
    Session(WireChannel& channel, const std::filesystem::path& root, StandInServer::Handles handles,
            StandInServer::Locks locks, StandInServer::Writes writes,
            const StandInServer::BeforeLockedRead& beforeLockedRead,
            StandInServer::Evaluation evaluation, std::atomic<std::int32_t>& nextHandle)
        : channel_(channel),
          root_(root),
          handles_(handles),
          locks_(locks),
          writes_(writes),
          beforeLockedRead_(beforeLockedRead),
          evaluation_(evaluation),
          nextHandle_(nextHandle) {}

    void Run() {
        if (LogIn()) {
            for (;;) {
                Message request;
                if (pending_) {
                    request = std::move(*pending_);
                    pending_.reset();
                } else if (!Receive(request)) {
                    break;
                }
                if (!Serve(request)) {
                    break;
                }
            }
        }
        if (engine_) {
            engine_->Shutdown();  // closes the files and releases the session's locks
        }
    }

private:
    bool Receive(Message& message) {
        return channel_.Receive(message, kIdleLimit, kMaxBody) == WireChannel::Outcome::Ok;
    }
    // Every reply ends with an argument no call defines, which a client must ignore.
    bool Reply(std::int32_t code, std::vector<Arg> results = {}) {
        Message reply;
        reply.args.push_back(Arg::Int(code));
        for (Arg& result : results) {
            reply.args.push_back(std::move(result));
        }
        reply.args.push_back(Arg::Text("extra"));
        return channel_.Send(reply, kSendLimit) == WireChannel::Outcome::Ok;
    }
    // A failed call is answered with its return code alone.
    bool Answer(int code, std::vector<Arg> results = {}) {
        return code != 0 ? Reply(code) : Reply(0, std::move(results));
    }

    bool LogIn() {
        Message service;
        if (!Receive(service)) {
            return false;
        }
        const bool known = !service.args.empty() && service.args[0].type == ArgType::Text &&
                           (service.args[0].bytes == "uvcs" || service.args[0].bytes == "udcs");
        if (!known) {
            Reply(mv::kServiceNotFound);
            return false;
        }
        if (service.args.size() > 1 && service.args[1].IsInteger() &&
            service.args[1].integer == 1) {
            Reply(mv::kTlsNotOffered);  // no TLS here
            return false;
        }
        Message login;
        if (!Reply(0) || !Receive(login)) {
            return false;
        }
        if (login.args.size() != kLoginArguments || !login.args[0].IsInteger() ||
            !login.args[1].IsInteger() || login.args[2].type != ArgType::Bytes ||
            login.args[3].type != ArgType::Bytes ||
            login.args[kLoginAccount].type != ArgType::Bytes) {
            Reply(kBadRequest);
            return false;
        }
        // Any user and password; the account must be a folder directly under the root.
        const std::string& name = login.args[kLoginAccount].bytes;
        std::error_code error;
        const bool plainName = !name.empty() && name != "." && name != ".." &&
                               name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
        if (!plainName || !std::filesystem::is_directory(root_ / name, error) ||
            mv::LocalEngine::Open((root_ / name).string(), engine_) != mv::kOk) {
            Reply(mv::kInvalidAccount);
            return false;
        }
        // The user number names the session in the lock listing and RECORDLOCKED's status.
        engine_->SetIdentity({login.args[2].bytes, nextHandle_++, "127.0.0.1"});
        return Reply(0);
    }

    bool Serve(const Message& request) {
        const std::vector<Arg>& a = request.args;
        if (a.empty() || !a[0].IsInteger()) {
            return Reply(kBadRequest);
        }
        const std::int32_t call = a[0].integer;
        const Rule* rule = RuleOf(call);
        if (rule == nullptr) {
            return Reply(mv::kUnknownFunction);
        }
        if (!Fits(request, *rule)) {
            return Reply(kBadRequest);
        }
        if (locks_ == StandInServer::Locks::Unknown && !KnownWithoutLocks(call, a)) {
            return Reply(mv::kUnknownFunction);
        }
        if (writes_ == StandInServer::Writes::Refused && (call == kWrite || call == kDelete)) {
            return Reply(mv::kPermissionDenied);
        }
        switch (call) {
            case kOpen:
                return Open(a[1].integer, a[2].bytes);
            case kExecute:
                return Execute(a[1].integer, a[2].bytes);
            case kReadList:
                return ReadList(a[1].integer);
            case kItype:
                return Itype(a[1].bytes, a[2].bytes, a[3].bytes);
            default:
                break;
        }
        const auto file = FileOf(a[1]);
        if (file == files_.end()) {
            return Reply(mv::kFileClosed);
        }
        const int handle = file->second;
        const std::int32_t flag = rule->flags.empty() ? 0 : a[2].integer;
        switch (call) {
            case kClose:
                engine_->CloseFile(handle);
                files_.erase(file);
                return Reply(0);
            case kRead: {
                if (flag != 0 && beforeLockedRead_) {
                    beforeLockedRead_(a[3].bytes);
                }
                std::string record;
                const int code = engine_->Read(handle, a[3].bytes, record, flag);
                return Answer(code, {Arg::Int(kRecordStatus), Arg::Bytes(std::move(record))});
            }
            case kWrite:
                return Answer(engine_->Write(handle, a[3].bytes, a[4].bytes, flag == 5),
                              {Arg::Int(kRecordStatus)});
            case kDelete:
                return Answer(engine_->Delete(handle, a[3].bytes, flag == 3),
                              {Arg::Int(kRecordStatus)});
            case kRecordLock:
                return Answer(engine_->Lock(handle, a[3].bytes, flag));
            case kRelease:
                return Answer(flag == 0 ? engine_->Release(handle, a[3].bytes)
                                        : engine_->ReleaseAll(handle));
            default: {  // kRecordLocked: the status is the holder's user number
                int state = 0;
                const int code = engine_->LockState(handle, a[2].bytes, state);
                mv::LockHolder holder;
                if (state == 2 || state == 3) {
                    engine_->Holder(handle, a[2].bytes, holder);
                }
                return Answer(
                    code, {Arg::Int(state), Arg::Int(static_cast<std::int32_t>(holder.number))});
            }
        }
    }

    // What a server without record locks serves: the calls that name no lock.
    static bool KnownWithoutLocks(std::int32_t call, const std::vector<Arg>& a) {
        if (call == kRecordLock || call == kRelease || call == kRecordLocked) {
            return false;
        }
        return !(call == kRead || call == kWrite || call == kDelete) || a[2].integer == 0;
    }

    // The item evaluated on the record of the file's data. A missing file or record is
    // answered with its code alone; an item that cannot be evaluated with 30024 and why.
    bool Itype(const std::string& file, const std::string& id, const std::string& item) {
        if (evaluation_ == StandInServer::Evaluation::Unknown) {
            return Reply(mv::kUnknownFunction);
        }
        std::string result;
        const int code = engine_->Itype(file, id, item, result);
        if (code == mv::kNotEvaluated) {
            return Reply(code, {Arg::Bytes(std::move(result))});
        }
        return Answer(code, {Arg::Bytes(std::move(result))});
    }

    // Part 1 the dictionary, 0 the data.
    bool Open(std::int32_t part, const std::string& name) {
        if (part != 0 && part != 1) {
            return Reply(kBadRequest);
        }
        int handle = 0;
        const int code =
            part == 1 ? engine_->OpenDictionary(name, handle) : engine_->OpenData(name, handle);
        if (code != mv::kOk) {
            return Reply(code);
        }
        const std::int32_t number = nextHandle_++;
        Arg given = handles_ == StandInServer::Handles::Integer
                        ? Arg::Int(number)
                        : Arg::Bytes("fh:" + std::to_string(number));
        files_.emplace_back(given, handle);
        return Reply(0, {Arg::Int(kFileStatus), std::move(given)});
    }

    // The file of a handle this session was given and has not closed, else files_.end().
    std::vector<std::pair<Arg, int>>::iterator FileOf(const Arg& handle) {
        return std::find_if(files_.begin(), files_.end(), [&](const auto& file) {
            const Arg& given = file.first;
            return given.type == handle.type && given.integer == handle.integer &&
                   given.bytes == handle.bytes;
        });
    }

    bool ReadList(std::int32_t list) {
        if (list != 0) {
            return Reply(kBadRequest);
        }
        if (selectList_.empty()) {
            return Reply(kListEmpty);
        }
        std::string ids;
        for (std::size_t i = 0; i < selectList_.size(); ++i) {
            if (i > 0) {
                ids += kFieldMark;
            }
            ids += selectList_[i];
        }
        const auto count = static_cast<std::int32_t>(selectList_.size());
        selectList_.clear();
        return Reply(0, {Arg::Int(count), Arg::Bytes(std::move(ids))});
    }

    // The lock listing: a header, then a line per lock, tab-separated: user number, user
    // name, client address, file, item id, lock kind, since (UTC).
    mv::CommandResult LockListing() {
        mv::CommandResult result;
        result.response = "USER\tNAME\tADDRESS\tFILE\tITEM\tLOCK\tSINCE\n";
        for (const mv::LockHolder& lock : engine_->HeldLocks()) {
            const auto since = static_cast<std::time_t>(lock.since);
            std::tm utc{};
            char when[32] = "";
            if (::gmtime_r(&since, &utc) != nullptr) {
                std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
            }
            result.response += std::to_string(lock.number) + "\t" + lock.user + "\t" +
                               lock.address + "\t" + lock.file + "\t" + lock.id + "\t" +
                               (lock.exclusive ? "exclusive" : "shared") + "\t" + when + "\n";
        }
        return result;
    }

    // Runs a command and sends its output in blocks of at most blockSize bytes (all at once
    // below 1), each but the last sent when the client asks for it with EXECUTECONTINUE.
    bool Execute(std::int32_t blockSize, const std::string& command) {
        mv::CommandResult result =
            command == "LIST.READU" ? LockListing() : engine_->Execute(command);
        if (result.setsSelectList) {
            selectList_ = std::move(result.ids);  // every select sets the list, failed or not
        }
        if (result.error != mv::kOk) {
            return Reply(result.error, {Arg::Bytes(std::move(result.response))});
        }
        const auto selected =
            static_cast<std::int32_t>(result.setsSelectList ? selectList_.size() : 0);
        std::string_view rest = result.response;
        while (blockSize >= 1 && rest.size() > static_cast<std::size_t>(blockSize)) {
            Message next;
            if (!Reply(kMoreOutput, {Arg::Bytes(std::string(rest.substr(0, blockSize)))}) ||
                !Receive(next)) {
                return false;
            }
            rest.remove_prefix(static_cast<std::size_t>(blockSize));
            if (next.args.size() != 2 || !next.args[0].IsInteger() || !next.args[1].IsInteger() ||
                next.args[0].integer != kExecuteContinue) {
                pending_ = std::move(next);  // the client left the rest unread: serve its call
                return true;
            }
            blockSize = next.args[1].integer;
        }
        return Reply(kLastBlock, {Arg::Bytes(std::string(rest))}) &&
               Reply(0, {Arg::Int(0), Arg::Int(selected)});
    }

    WireChannel& channel_;
    const std::filesystem::path& root_;
    const StandInServer::Handles handles_;
    const StandInServer::Locks locks_;
    const StandInServer::Writes writes_;
    const StandInServer::BeforeLockedRead& beforeLockedRead_;
    const StandInServer::Evaluation evaluation_;
    std::atomic<std::int32_t>& nextHandle_;
    std::shared_ptr<mv::LocalEngine> engine_;
    std::vector<std::pair<Arg, int>> files_;  // handle as given -> the engine's handle
    std::vector<std::string> selectList_;     // list 0
    std::optional<Message> pending_;          // a call that arrived in place of EXECUTECONTINUE
};

}  // namespace

struct StandInServer::State {
    struct Connection {
        std::thread thread;
        std::mutex mutex;
        int socket = -1;  // a second descriptor of the socket, to end the connection from here
        std::atomic<bool> ended{false};
    };

    State(const std::filesystem::path& served, Handles kind, Locks lockKind, Writes writeKind,
          BeforeLockedRead hook, Evaluation evaluationKind)
        : root(std::filesystem::canonical(served)),
          handles(kind),
          locks(lockKind),
          writes(writeKind),
          beforeLockedRead(std::move(hook)),
          evaluation(evaluationKind),
          acceptor(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0)),
          port(acceptor.local_endpoint().port()) {}

    // On the io thread, until the acceptor is closed or fails.
    void AcceptNext() {
        acceptor.async_accept([this](const asio::error_code& error, asio::ip::tcp::socket socket) {
            if (error) {
                return;
            }
            // The threads of ended connections are joined here, so they do not pile up.
            connections.remove_if([](const std::unique_ptr<Connection>& connection) {
                if (!connection->ended) {
                    return false;
                }
                connection->thread.join();
                return true;
            });
            asio::error_code released;
            const int native = socket.release(released);
            if (released) {
                AcceptNext();
                return;
            }
            Connection& connection = *connections.emplace_back(std::make_unique<Connection>());
            connection.socket = ::dup(native);
            connection.thread =
                std::thread([this, &connection, native] { Serve(connection, native); });
            AcceptNext();
        });
    }

    void Serve(Connection& connection, int native) {
        {
            const std::unique_ptr<WireChannel> channel = WireChannel::Adopt(native);
            Session(*channel, root, handles, locks, writes, beforeLockedRead, evaluation,
                    nextHandle)
                .Run();
            channel->Close();
        }
        {
            const std::lock_guard<std::mutex> lock(connection.mutex);
            if (connection.socket >= 0) {
                ::shutdown(connection.socket, SHUT_RDWR);
                ::close(connection.socket);
                connection.socket = -1;
            }
        }
        connection.ended = true;
    }

    const std::filesystem::path root;
    const Handles handles;
    const Locks locks;
    const Writes writes;
    const BeforeLockedRead beforeLockedRead;
    const Evaluation evaluation;
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor;
    const std::uint16_t port;
    std::atomic<std::int32_t> nextHandle{1000};
    std::list<std::unique_ptr<Connection>>
        connections;  // touched by the io thread only, until it ends
    std::thread ioThread;
};

StandInServer::StandInServer(const std::filesystem::path& root, Handles handles, Locks locks,
                             Writes writes, BeforeLockedRead beforeLockedRead,
                             Evaluation evaluation)
    : state_(std::make_unique<State>(root, handles, locks, writes, std::move(beforeLockedRead),
                                     evaluation)) {
    state_->AcceptNext();
    state_->ioThread = std::thread([state = state_.get()] { state->io.run(); });
}

StandInServer::~StandInServer() {
    asio::post(state_->io, [state = state_.get()] {
        asio::error_code ignored;
        state->acceptor.close(ignored);
    });
    state_->ioThread.join();
    // Shutting the sockets down wakes every session that waits for its client.
    for (const auto& connection : state_->connections) {
        const std::lock_guard<std::mutex> lock(connection->mutex);
        if (connection->socket >= 0) {
            ::shutdown(connection->socket, SHUT_RDWR);
        }
    }
    for (const auto& connection : state_->connections) {
        connection->thread.join();
    }
}

std::uint16_t StandInServer::Port() const {
    return state_->port;
}

}  // namespace testbackend
