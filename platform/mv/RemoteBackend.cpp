// SPDX-License-Identifier: MIT
#include "platform/mv/RemoteBackend.h"

#include <algorithm>
#include <utility>

#include <asio/ip/host_name.hpp>

#include "platform/mv/CommandWords.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/HostAddress.h"
#include "platform/mv/RemoteReplies.h"
#include "platform/mv/wire/WireCalls.h"
#include "platform/mv/wire/WireChannel.h"

namespace mv {

namespace {

using remote::CodeOf;
using remote::IsInteger;
using remote::IsString;
using remote::Request;
using wire::Arg;
using wire::Message;
using wire::WireChannel;

// Records of many megabytes are possible; a reply larger than this is not a record.
constexpr std::size_t kMaxReplyBody = std::size_t{256} << 20;
constexpr std::int32_t kOutputBlockSize = 64 * 1024;
// A select's output is a line or two. It is asked for in one block as large as a reply
// may sensibly be, so the READLIST sent right behind the select never meets a server
// waiting for a request for more of it.
constexpr std::int32_t kSelectOutputBlockSize = 16 * 1024 * 1024;
constexpr const char* kCommandFailed = "The connection to the server failed while the command ran.";
constexpr const char* kClientKind = "kelvora";
constexpr std::size_t kFirstRecordGuess = 512;

std::vector<std::string> SplitOnFieldMarks(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\xFE', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The service request's reply: an integer status, or a text (the server's id) and an
// integer status; any arguments after those are not this client's business.
std::optional<std::int32_t> ServiceStatus(const Message& reply) {
    if (IsInteger(reply, 0)) {
        return reply.args[0].integer;
    }
    if (IsString(reply, 0) && IsInteger(reply, 1)) {
        return reply.args[1].integer;
    }
    return std::nullopt;
}

// Why a server refused the service request: the refusals it names, else no such service.
int ServiceRefusal(std::int32_t status) {
    switch (status) {
        case kConnectionRefused:  // it serves as many sessions as it may
        case kTlsRequired:
        case kTlsNotOffered:
            return status;
        default:
            return kServiceNotFound;
    }
}

std::string Obfuscated(std::string password) {
    for (char& c : password) {
        c = static_cast<char>(c ^ wire::kCommsVersion);
    }
    return password;
}

std::string ThisHostName() {
    asio::error_code error;
    const std::string name = asio::ip::host_name(error);
    return error ? std::string() : name;
}

}  // namespace

RemoteBackend::RemoteBackend(std::unique_ptr<WireChannel> channel,
                             std::chrono::milliseconds callLimit, int readAhead)
    : channel_(std::move(channel)),
      callLimit_(callLimit),
      readAhead_(std::max(readAhead, 1)),
      recordSize_(kFirstRecordGuess) {}

RemoteBackend::~RemoteBackend() = default;

int RemoteBackend::Connect(const RemoteLogin& login, std::shared_ptr<RemoteBackend>& backend,
                           std::string& detail) {
    detail.clear();
    const std::optional<HostAddress> address = ParseHostAddress(login.host, wire::kDefaultPort);
    if (!address) {
        return kBadHostName;
    }
    std::unique_ptr<WireChannel> channel;
    const WireChannel::Outcome connected =
        WireChannel::Connect(address->host, address->port, login.connectLimit, channel);
    if (connected != WireChannel::Outcome::Ok) {
        return CodeOf(connected);
    }
    std::shared_ptr<RemoteBackend> remote(
        new RemoteBackend(std::move(channel), login.callLimit, login.readAhead));

    // Argument 1 = 1 asks for TLS, which starts once the server has answered 0.
    Message service = Request({Arg::Text(login.service)});
    if (login.secure) {
        service.args.push_back(Arg::Int(1));
    }
    Message reply;
    int code = remote->Call(service, reply, /*replyStartsWithCode=*/false);
    if (code != kOk) {
        return code;
    }
    const std::optional<std::int32_t> status = ServiceStatus(reply);
    if (!status) {
        return remote->Fail(kBadServerMessage);
    }
    if (*status != 0) {
        remote->Shutdown();
        return ServiceRefusal(*status);
    }
    if (login.secure) {
        const WireChannel::Outcome encrypted =
            remote->channel_->StartTlsAsClient(address->host, login.caFile, login.connectLimit);
        if (encrypted != WireChannel::Outcome::Ok) {
            if (encrypted == WireChannel::Outcome::TlsExpired ||
                encrypted == WireChannel::Outcome::TlsNotYetValid) {
                detail = remote->channel_->Why();
            }
            return remote->Fail(CodeOf(encrypted));
        }
    }

    code =
        remote->Call(Request({Arg::Int(wire::kCommsVersion), Arg::Int(wire::kClientVersion),
                              Arg::Bytes(login.userName), Arg::Bytes(Obfuscated(login.password)),
                              Arg::Bytes(login.account), Arg::Bytes(""), Arg::Int(0),
                              Arg::Int(static_cast<std::int32_t>(remote->channel_->LocalIPv4())),
                              Arg::Bytes(kClientKind), Arg::Bytes(ThisHostName()), Arg::Bytes("")}),
                     reply);
    if (code != kOk) {
        return code;
    }
    if (reply.args[0].integer != 0) {
        remote->Shutdown();
        return reply.args[0].integer;
    }
    backend = std::move(remote);
    return kOk;
}

bool RemoteBackend::IsActive() const {
    return lostCode_ == 0 && channel_ && channel_->IsOpen();
}

void RemoteBackend::Shutdown() {
    // The protocol has no logout message: closing the socket ends the session.
    if (channel_) {
        channel_->Close();
    }
    openHandles_.clear();
    ForgetList({});
    if (lostCode_ == 0) {
        lostCode_ = kNotConnected;
    }
}

int RemoteBackend::Fail(int code) {
    lostCode_ = code;
    if (channel_) {
        channel_->Close();
    }
    openHandles_.clear();
    awaited_.clear();
    unansweredCloses_ = 0;
    listSent_ = listNext_;
    windowBytes_ = 0;
    return code;
}

int RemoteBackend::LostCode() {
    if (owedCode_ != 0) {
        return std::exchange(owedCode_, 0);
    }
    return lostCode_ == kNotConnected ? kNotConnected : kConnectionLost;
}

int RemoteBackend::SendRequest(const Message& request) {
    ++requestsSent_;
    const WireChannel::Outcome sent = channel_->Send(request, callLimit_);
    if (sent != WireChannel::Outcome::Ok) {
        return Fail(CodeOf(sent));
    }
    awaited_.push_back(roundTrips_);
    return kOk;
}

int RemoteBackend::Receive(Message& reply, bool answersRequest) {
    if (answersRequest && !awaited_.empty()) {
        if (awaited_.front() == roundTrips_) {
            ++roundTrips_;
        }
        awaited_.pop_front();
    }
    const WireChannel::Outcome outcome = channel_->Receive(reply, callLimit_, kMaxReplyBody);
    if (outcome != WireChannel::Outcome::Ok) {
        return Fail(CodeOf(outcome));
    }
    return kOk;
}

int RemoteBackend::Call(const Message& request, Message& reply, bool replyStartsWithCode) {
    if (const int code = DropReadAhead(); code != kOk) {
        return code;
    }
    if (lostCode_ != 0) {
        return LostCode();
    }
    if (const int code = SendRequest(request); code != kOk) {
        return code;
    }
    if (const int code = Receive(reply); code != kOk) {
        return code;
    }
    if (replyStartsWithCode && !IsInteger(reply, 0)) {
        return Fail(kBadServerMessage);
    }
    return kOk;
}

int RemoteBackend::HandleError(int handle) {
    if (lostCode_ != 0) {
        return lostCode_ == kNotConnected ? kFileClosed : LostCode();
    }
    return openHandles_.count(handle) != 0 ? kOk : kFileClosed;
}

int RemoteBackend::OpenDictionary(const std::string& fileName, int& handle) {
    return OpenPart(wire::kOpenDictionaryPart, fileName, handle);
}

int RemoteBackend::OpenData(const std::string& fileName, int& handle) {
    return OpenPart(wire::kOpenDataPart, fileName, handle);
}

int RemoteBackend::OpenPart(std::int32_t part, const std::string& fileName, int& handle) {
    Message reply;
    if (const int code =
            Call(Request({Arg::Int(wire::kOpen), Arg::Int(part), Arg::Bytes(fileName)}), reply);
        code != kOk) {
        return code;
    }
    return OpenedHandle(reply, handle);
}

int RemoteBackend::OpenedHandle(Message& reply, int& handle) {
    if (!IsInteger(reply, 0)) {
        return Fail(kBadServerMessage);
    }
    if (reply.args[0].integer != 0) {
        return reply.args[0].integer;
    }
    // Argument 1 is the file's type, which this program has no use for.
    if (!IsInteger(reply, 1) || reply.args.size() < 3) {
        return Fail(kBadServerMessage);
    }
    handle = ++lastHandle_;
    openHandles_.emplace(handle, std::move(reply.args[2]));
    return kOk;
}

void RemoteBackend::CloseFile(int handle) {
    if (HandleError(handle) != kOk) {
        return;
    }
    const Arg serverHandle = ServerHandle(handle);
    openHandles_.erase(handle);
    // Nothing waits for the answer, which says nothing this side needs: it is taken before
    // the next reply that is needed, or never when the session ends first. So closes in a
    // row go together. (Reads sent ahead are never on their way behind a close.)
    const bool readsAhead = listSent_ > listNext_;
    if ((!readsAhead || DropReadAhead() == kOk) && lostCode_ == 0 &&
        SendRequest(Request({Arg::Int(wire::kClose), serverHandle})) == kOk) {
        ++unansweredCloses_;
    }
}

int RemoteBackend::TakeUnansweredCloses() {
    while (unansweredCloses_ > 0) {
        --unansweredCloses_;
        Message ignored;
        if (const int code = Receive(ignored); code != kOk) {
            return code;
        }
    }
    return kOk;
}

CommandResult RemoteBackend::Execute(const std::string& text) {
    CommandResult result;
    result.setsSelectList = IsSelectVerb(text);
    if (result.error = DropReadAhead(); result.error == kOk && lostCode_ != 0) {
        result.error = LostCode();
    }
    if (result.error != kOk) {
        result.response = kCommandFailed;
        return result;
    }
    if (result.setsSelectList) {
        if (SendSelect(text) == kOk) {
            TakeSelect(result);
        } else {
            result.error = LostCode();
            result.response = kCommandFailed;
        }
        return result;
    }
    Message reply;
    result.error = Call(
        Request({Arg::Int(wire::kExecute), Arg::Int(kOutputBlockSize), Arg::Bytes(text)}), reply);
    while (result.error == kOk && reply.args[0].integer == wire::kMoreOutput) {
        if (!IsString(reply, 1)) {
            result.error = Fail(kBadServerMessage);
            break;
        }
        result.response += reply.args[1].bytes;
        result.error =
            Call(Request({Arg::Int(wire::kExecuteContinue), Arg::Int(kOutputBlockSize)}), reply);
    }
    if (result.error != kOk) {
        result.response = kCommandFailed;
        return result;
    }
    std::int32_t selected = 0;
    TakeOutcome(reply, result, selected);
    return result;
}

int RemoteBackend::SendSelect(const std::string& text) {
    ForgetList({});
    if (const int code = SendRequest(Request(
            {Arg::Int(wire::kExecute), Arg::Int(kSelectOutputBlockSize), Arg::Bytes(text)}));
        code != kOk) {
        return code;
    }
    return SendRequest(Request({Arg::Int(wire::kReadList), Arg::Int(0)}));
}

void RemoteBackend::TakeSelect(CommandResult& result) {
    result.setsSelectList = true;
    Message reply;
    if (const int code = Receive(reply); code != kOk || !IsInteger(reply, 0)) {
        result.error = code != kOk ? code : Fail(kBadServerMessage);
        result.response = kCommandFailed;
        return;
    }
    if (reply.args[0].integer == wire::kMoreOutput) {
        // The READLIST sent behind the command stands where the server waits for a request
        // for more output: the two ends no longer agree on what comes next.
        result.error = Fail(kBadServerMessage);
        result.response = kCommandFailed;
        return;
    }
    std::int32_t selected = 0;
    const bool ran = TakeOutcome(reply, result, selected);
    if (lostCode_ != 0) {
        return;
    }
    Message list;
    if (const int code = Receive(list); code != kOk || !IsInteger(list, 0)) {
        result.error = code != kOk ? code : Fail(kBadServerMessage);
        return;
    }
    // Sent whatever the select gave: its reply counts only after a select that chose ids.
    if (!ran || selected <= 0 || list.args[0].integer == wire::kListEmpty) {
        return;
    }
    if (list.args[0].integer != 0) {
        result.error = list.args[0].integer;
        return;
    }
    if (!IsString(list, 2)) {
        result.error = Fail(kBadServerMessage);
        return;
    }
    result.ids = SplitOnFieldMarks(list.args[2].bytes);
    ForgetList(result.ids);
}

bool RemoteBackend::TakeOutcome(Message& reply, CommandResult& result, std::int32_t& selected) {
    const std::int32_t code = reply.args[0].integer;
    if (IsString(reply, 1)) {
        result.response += reply.args[1].bytes;
    }
    if (code != wire::kExecuteFinished) {
        // The command could not run: its code, and the server's words for why.
        result.error = code;
        return false;
    }
    // The command's outcome follows in one more message, which must be read before the
    // next request.
    Message outcome;
    if (const int received = Receive(outcome, /*answersRequest=*/false); received != kOk) {
        result.error = received;
        return false;
    }
    if (!IsInteger(outcome, 0) || !IsInteger(outcome, 2)) {
        result.error = Fail(kBadServerMessage);
        return false;
    }
    selected = outcome.args[2].integer;
    return true;
}

}  // namespace mv
