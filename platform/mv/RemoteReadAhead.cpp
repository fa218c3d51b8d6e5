// SPDX-License-Identifier: MIT
// Reads, and the reads of select list 0 sent ahead of the program's asking for them.
#include <algorithm>
#include <utility>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RemoteBackend.h"
#include "platform/mv/RemoteReplies.h"
#include "platform/mv/wire/WireCalls.h"

namespace mv {

namespace {

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

}  // namespace

using remote::IsInteger;
using remote::IsString;
using remote::Request;
using wire::Arg;
using wire::Message;

int RemoteBackend::Read(int handle, const std::string& id, std::string& record, int lockFlags) {
    if (const int code = HandleError(handle); code != kOk) {
        return code;
    }
    if (const int code = TakeUnansweredCloses(); code != kOk) {
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
        if (const int code = SendRequest(Request(
                {Arg::Int(wire::kRead), ServerHandle(windowHandle_), Arg::Int(0), Arg::Bytes(id)}));
            code != kOk) {
            owedCode_ = code;
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
    if (const int code = TakeUnansweredCloses(); code != kOk) {
        return code;
    }
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

}  // namespace mv
