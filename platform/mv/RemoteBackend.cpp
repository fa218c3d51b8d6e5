// SPDX-License-Identifier: MIT
#include "platform/mv/RemoteBackend.h"

#include <algorithm>
#include <utility>

#include <asio/ip/host_name.hpp>

#include "platform/mv/CommandWords.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/HostAddress.h"
#include "platform/mv/wire/WireCalls.h"
#include "platform/mv/wire/WireChannel.h"

namespace mv {

namespace {

using wire::Arg;
using wire::Message;
using wire::WireChannel;

// Records of many megabytes are possible; a reply larger than this is not a record.
constexpr std::size_t kMaxReplyBody = std::size_t{256} << 20;
constexpr std::int32_t kOutputBlockSize = 64 * 1024;
constexpr const char* kClientKind = "kelvora";
// The reads sent ahead are kept small enough in bytes to sit in the sockets' buffers, so
// sending them never waits for the server, which may be busy sending replies this side
// has not taken yet.
constexpr std::size_t kMaxWindowBytes = 32 * 1024;
// What a READ request costs beyond its id: header and the three other arguments.
constexpr std::size_t kReadRequestOverhead = 64;
// The replies on their way are kept to about this many bytes, judged by the records of
// the list read so far: small enough for the sockets' buffers, so that the server is
// never left waiting to send while the program pauses between two reads (a box on the
// screen), which it would take for a client gone after its send time limit.
constexpr std::size_t kMaxRepliesBytes = 256 * 1024;
constexpr std::size_t kFirstRecordGuess = 512;

int CodeOf(WireChannel::Outcome outcome) {
    switch (outcome) {
        case WireChannel::Outcome::Ok:
            return kOk;
        case WireChannel::Outcome::TimedOut:
            return kTimeout;
        case WireChannel::Outcome::Malformed:
            return kBadServerMessage;
        case WireChannel::Outcome::Refused:
            return kConnectionRefused;
        case WireChannel::Outcome::HostUnknown:
            return kHostNotFound;
        case WireChannel::Outcome::TlsFailed:
            return kTlsUntrusted;
        case WireChannel::Outcome::TlsWrongHost:
            return kTlsWrongHost;
        case WireChannel::Outcome::TlsExpired:
            return kTlsCertificateExpired;
        case WireChannel::Outcome::TlsNotYetValid:
            return kTlsCertificateNotYetValid;
        case WireChannel::Outcome::Closed:
        case WireChannel::Outcome::Failed:
            break;
    }
    return kConnectionLost;
}

Message Request(std::initializer_list<Arg> args) {
    Message message;
    message.args = args;
    return message;
}

bool IsInteger(const Message& message, std::size_t index) {
    return message.args.size() > index && message.args[index].IsInteger();
}

bool IsString(const Message& message, std::size_t index) {
    return message.args.size() > index && message.args[index].IsString();
}

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

int RemoteBackend::Receive(Message& reply) {
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
    ++roundTrips_;
    ++requestsSent_;
    const WireChannel::Outcome sent = channel_->Send(request, callLimit_);
    if (sent != WireChannel::Outcome::Ok) {
        return Fail(CodeOf(sent));
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
    Message reply;
    Call(Request({Arg::Int(wire::kClose), serverHandle}), reply);
}

int RemoteBackend::FileCall(int handle, std::vector<Arg> args) {
    if (const int code = HandleError(handle); code != kOk) {
        return code;
    }
    args.insert(args.begin() + 1, ServerHandle(handle));
    Message request;
    request.args = std::move(args);
    Message reply;
    if (const int code = Call(request, reply); code != kOk) {
        return code;
    }
    return reply.args[0].integer;
}

int RemoteBackend::Lock(int handle, const std::string& id, int lockFlags) {
    return FileCall(handle, {Arg::Int(wire::kRecordLock), Arg::Int(lockFlags), Arg::Bytes(id)});
}

int RemoteBackend::Release(int handle, const std::string& id) {
    return FileCall(handle,
                    {Arg::Int(wire::kRelease), Arg::Int(wire::kReleaseThisId), Arg::Bytes(id)});
}

int RemoteBackend::ReleaseAll(int handle) {
    return FileCall(handle,
                    {Arg::Int(wire::kRelease), Arg::Int(wire::kReleaseEveryLock), Arg::Bytes("")});
}

int RemoteBackend::LockState(int handle, const std::string& id, int& state) {
    state = 0;
    if (const int code = HandleError(handle); code != kOk) {
        return code;
    }
    Message reply;
    if (const int code = Call(
            Request({Arg::Int(wire::kRecordLocked), ServerHandle(handle), Arg::Bytes(id)}), reply);
        code != kOk) {
        return code;
    }
    if (reply.args[0].integer != 0) {
        return reply.args[0].integer;
    }
    if (!IsInteger(reply, 1)) {
        return Fail(kBadServerMessage);
    }
    state = reply.args[1].integer;
    return kOk;
}

int RemoteBackend::Read(int handle, const std::string& id, std::string& record, int lockFlags) {
    if (const int code = HandleError(handle); code != kOk) {
        return code;
    }
    // A read that locks is never sent ahead: the lock must be taken when it is asked for.
    const std::optional<std::size_t> position =
        lockFlags == 0 ? ListPositionOf(handle, id) : std::nullopt;
    if (!position) {
        return ReadNow(handle, id, record, lockFlags);
    }
    // The program skipped part of the list: the replies for it are of no use.
    while (listNext_ < *position && listNext_ < listSent_) {
        Message ignored;
        if (const int code = TakeWindowReply(ignored); code != kOk) {
            return code;
        }
    }
    listNext_ = *position;
    listSent_ = std::max(listSent_, listNext_);
    if (listSent_ == listNext_) {
        windowHandle_ = handle;
        sentSinceTrip_ = 0;
        if (!FillWindow()) {
            return LostCode();
        }
    }
    return ReadFromWindow(record);
}

std::optional<std::size_t> RemoteBackend::ListPositionOf(int handle, const std::string& id) const {
    if (readAhead_ <= 1 || (listSent_ > listNext_ && handle != windowHandle_)) {
        return std::nullopt;
    }
    // Only a short way ahead: a program that reads the list reads it in order, perhaps
    // skipping an item.
    const std::size_t end =
        std::min(listIds_.size(), listNext_ + static_cast<std::size_t>(readAhead_));
    for (std::size_t at = listNext_; at < end; ++at) {
        if (listIds_[at] == id) {
            return at;
        }
    }
    return std::nullopt;
}

bool RemoteBackend::FillWindow() {
    const std::size_t byReplies = std::max<std::size_t>(1, kMaxRepliesBytes / recordSize_);
    const std::size_t window = std::min(static_cast<std::size_t>(readAhead_), byReplies);
    const std::size_t end = std::min(listIds_.size(), listNext_ + window);
    while (listSent_ < end && (listSent_ == listNext_ || windowBytes_ < kMaxWindowBytes)) {
        const std::string& id = listIds_[listSent_];
        // A full window's worth of reads costs one wait on a slow link.
        if (sentSinceTrip_ % static_cast<long long>(window) == 0) {
            ++roundTrips_;
            sentSinceTrip_ = 0;
        }
        ++sentSinceTrip_;
        ++requestsSent_;
        const WireChannel::Outcome sent =
            channel_->Send(Request({Arg::Int(wire::kRead), ServerHandle(windowHandle_), Arg::Int(0),
                                    Arg::Bytes(id)}),
                           callLimit_);
        if (sent != WireChannel::Outcome::Ok) {
            owedCode_ = Fail(CodeOf(sent));
            return false;
        }
        windowBytes_ += id.size() + kReadRequestOverhead;
        ++listSent_;
    }
    return true;
}

int RemoteBackend::TakeWindowReply(Message& reply) {
    if (const int code = Receive(reply); code != kOk) {
        return code;
    }
    windowBytes_ -= std::min(windowBytes_, listIds_[listNext_].size() + kReadRequestOverhead);
    ++listNext_;
    return kOk;
}

int RemoteBackend::ReadFromWindow(std::string& record) {
    Message reply;
    if (const int code = TakeWindowReply(reply); code != kOk) {
        return code;
    }
    const int code = RecordOf(reply, record);
    // A running average, so that one large item does not stop reading ahead for good.
    recordSize_ =
        std::max<std::size_t>(1, (recordSize_ * 7 + (code == kOk ? record.size() : 0)) / 8);
    if (lostCode_ == 0) {
        // Sent after the reply was taken: a failure here belongs to the next call, as it
        // would have had this read been sent when the program asked.
        FillWindow();
    }
    return code;
}

int RemoteBackend::DropReadAhead() {
    // The program has not read these items yet: the list resumes where it stands.
    const std::size_t resume = listNext_;
    while (listSent_ > listNext_) {
        Message ignored;
        if (const int code = TakeWindowReply(ignored); code != kOk) {
            return code;
        }
    }
    listNext_ = listSent_ = resume;
    windowBytes_ = 0;
    if (owedCode_ != 0) {
        return std::exchange(owedCode_, 0);
    }
    return kOk;
}

// Only with no read ahead on its way, or the connection closed: replies still to come
// would be taken for the reads of the new list.
void RemoteBackend::ForgetList(std::vector<std::string> ids) {
    listIds_ = std::move(ids);
    listNext_ = listSent_ = 0;
    windowBytes_ = 0;
}

int RemoteBackend::ReadNow(int handle, const std::string& id, std::string& record, int lockFlags) {
    Message reply;
    if (const int code = Call(Request({Arg::Int(wire::kRead), ServerHandle(handle),
                                       Arg::Int(lockFlags), Arg::Bytes(id)}),
                              reply);
        code != kOk) {
        return code;
    }
    return RecordOf(reply, record);
}

int RemoteBackend::RecordOf(Message& reply, std::string& record) {
    if (!IsInteger(reply, 0)) {
        return Fail(kBadServerMessage);
    }
    if (reply.args[0].integer != 0) {
        return reply.args[0].integer;
    }
    // Argument 1 is the read's status; the record follows it.
    if (!IsString(reply, 2)) {
        return Fail(kBadServerMessage);
    }
    record = std::move(reply.args[2].bytes);
    return kOk;
}

int RemoteBackend::Write(int handle, const std::string& id, const std::string& record,
                         bool keepLock) {
    return FileCall(handle, {Arg::Int(wire::kWrite), Arg::Int(keepLock ? wire::kWriteKeepsLock : 0),
                             Arg::Bytes(id), Arg::Bytes(record)});
}

int RemoteBackend::Delete(int handle, const std::string& id, bool keepLock) {
    return FileCall(handle, {Arg::Int(wire::kDelete),
                             Arg::Int(keepLock ? wire::kDeleteKeepsLock : 0), Arg::Bytes(id)});
}

CommandResult RemoteBackend::Execute(const std::string& text) {
    CommandResult result;
    result.setsSelectList = IsSelectVerb(text);
    if (result.error = DropReadAhead(); result.error != kOk) {
        result.response = "The connection to the server failed while the command ran.";
        return result;
    }
    if (result.setsSelectList) {
        ForgetList({});
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
        result.response = "The connection to the server failed while the command ran.";
        return result;
    }
    const std::int32_t code = reply.args[0].integer;
    if (IsString(reply, 1)) {
        result.response += reply.args[1].bytes;
    }
    if (code != wire::kExecuteFinished) {
        // The command could not run: its code, and the server's words for why.
        result.error = code;
        return result;
    }
    // The command's outcome follows in one more message, which must be read before the
    // next request.
    Message outcome;
    if (const int received = Receive(outcome); received != kOk) {
        result.error = received;
        return result;
    }
    if (!IsInteger(outcome, 0) || !IsInteger(outcome, 2)) {
        result.error = Fail(kBadServerMessage);
        return result;
    }
    if (result.setsSelectList && outcome.args[2].integer > 0) {
        ReadList(result);
    }
    return result;
}

void RemoteBackend::ReadList(CommandResult& result) {
    Message reply;
    if (const int code = Call(Request({Arg::Int(wire::kReadList), Arg::Int(0)}), reply);
        code != kOk) {
        result.error = code;
        return;
    }
    const std::int32_t code = reply.args[0].integer;
    if (code == wire::kListEmpty) {
        return;
    }
    if (code != 0) {
        result.error = code;
        return;
    }
    if (!IsString(reply, 2)) {
        result.error = Fail(kBadServerMessage);
        return;
    }
    result.ids = SplitOnFieldMarks(reply.args[2].bytes);
    ForgetList(result.ids);
}

}  // namespace mv
