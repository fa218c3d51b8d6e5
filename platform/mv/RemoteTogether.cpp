// SPDX-License-Identifier: MIT
// Calls asked for together: every request sent before the first reply is taken, so the
// answers cost one round trip between them.
#include <algorithm>

#include "platform/mv/CommandWords.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RemoteBackend.h"
#include "platform/mv/RemoteReplies.h"
#include "platform/mv/wire/WireCalls.h"

namespace mv {

namespace {

using remote::Request;
using wire::Arg;
using wire::Message;

// The requests of one batch are kept small enough in bytes to sit in the sockets'
// buffers, so sending them never waits for a server that is busy sending the replies of
// the first ones, which this side takes only once the batch is sent.
constexpr std::size_t kMaxBatchBytes = 32 * 1024;
// What a request costs beyond the bytes of its arguments: its header and theirs.
constexpr std::size_t kMessageOverhead = 16;
constexpr std::size_t kArgumentOverhead = 8;

std::size_t BytesOf(const Message& request) {
    std::size_t bytes = kMessageOverhead;
    for (const Arg& arg : request.args) {
        bytes += kArgumentOverhead + arg.bytes.size();
    }
    return bytes;
}

}  // namespace

void RemoteBackend::SendInBatches(const std::vector<Message>& requests,
                                  const std::function<void(std::size_t, Message*, int)>& take) {
    std::size_t sent = 0;
    std::size_t taken = 0;
    int failure = kOk;
    const auto mostAtOnce = static_cast<std::size_t>(readAhead_);
    while (failure == kOk && taken < requests.size()) {
        std::size_t batchBytes = 0;
        while (sent < requests.size() && sent - taken < mostAtOnce) {
            const std::size_t bytes = BytesOf(requests[sent]);
            if (sent > taken && batchBytes + bytes > kMaxBatchBytes) {
                break;
            }
            if ((failure = SendRequest(requests[sent])) != kOk) {
                break;  // the replies of the requests already sent are lost with the connection
            }
            batchBytes += bytes;
            ++sent;
        }
        while (failure == kOk && taken < sent) {
            Message reply;
            if ((failure = Receive(reply)) != kOk) {
                break;
            }
            take(taken++, &reply, kOk);
            if (lostCode_ != 0) {
                failure = kConnectionLost;  // the reply broke the protocol: the rest are lost
            }
        }
    }
    for (; taken < requests.size(); ++taken) {
        take(taken, nullptr, failure);
    }
}

std::vector<OpenResult> RemoteBackend::OpenTogether(const std::vector<FilePart>& parts,
                                                    const std::string& select,
                                                    CommandResult& selected) {
    std::vector<OpenResult> opened(parts.size());
    int failure = DropReadAhead();
    if (failure == kOk && lostCode_ != 0) {
        failure = LostCode();
    }
    std::size_t sent = 0;
    while (failure == kOk && sent < parts.size()) {
        const FilePart& part = parts[sent];
        failure = SendRequest(
            Request({Arg::Int(wire::kOpen),
                     Arg::Int(part.dictionary ? wire::kOpenDictionaryPart : wire::kOpenDataPart),
                     Arg::Bytes(part.name)}));
        sent += failure == kOk ? 1 : 0;
    }
    const bool selectSent = failure == kOk && !select.empty() && IsSelectVerb(select) &&
                            (failure = SendSelect(select)) == kOk;
    for (std::size_t n = 0; n < parts.size(); ++n) {
        Message reply;
        if (n < sent && failure == kOk && (failure = Receive(reply)) == kOk) {
            opened[n].code = OpenedHandle(reply, opened[n].handle);
            if (lostCode_ != 0) {
                failure = opened[n].code;
            }
        } else {
            opened[n].code = failure;
            failure = lostCode_ != 0 ? kConnectionLost : failure;
        }
    }
    if (selectSent && failure == kOk) {
        TakeSelect(selected);
    } else if (!select.empty() && failure == kOk) {
        selected = Execute(select);
    } else if (!select.empty()) {
        selected.setsSelectList = IsSelectVerb(select);
        selected.error = failure;
        selected.response = "The connection to the server failed while the command ran.";
    }
    return opened;
}

RecordsGiven RemoteBackend::ReadTogether(const RecordsWanted& wanted) {
    const std::size_t count = wanted.ids.size();
    RecordsGiven given;
    given.records.resize(wanted.reads.size());
    given.values.assign(wanted.items.size(), std::vector<ItypeResult>(count));
    int failure = DropReadAhead();
    if (failure == kOk && lostCode_ != 0) {
        failure = LostCode();
    }
    if (failure == kOk && !wanted.reads.empty()) {
        failure = HandleError(wanted.handle);
    }
    std::vector<Message> requests;
    if (failure == kOk) {
        for (const std::string& id : wanted.reads) {
            requests.push_back(Request(
                {Arg::Int(wire::kRead), ServerHandle(wanted.handle), Arg::Int(0), Arg::Bytes(id)}));
        }
    }
    // A server that does not evaluate items is not asked again.
    const bool evaluate = failure == kOk && !itypeUnknown_;
    for (std::size_t item = 0; evaluate && item < wanted.items.size(); ++item) {
        for (const std::string& id : wanted.ids) {
            requests.push_back(Request({Arg::Int(wire::kItype), Arg::Bytes(wanted.file),
                                        Arg::Bytes(id), Arg::Bytes(wanted.items[item])}));
        }
    }
    const std::size_t reads = given.records.size();
    SendInBatches(requests, [&](std::size_t at, Message* reply, int code) {
        if (at < reads) {
            ReadResult& read = given.records[at];
            read.code = reply != nullptr ? RecordOf(*reply, read.record) : code;
            return;
        }
        ItypeResult& value = given.values[(at - reads) / count][(at - reads) % count];
        value.code = reply != nullptr ? ItypeOf(*reply, value.result) : code;
    });
    if (requests.empty()) {
        const int code = failure != kOk ? failure : kUnknownFunction;
        for (ReadResult& read : given.records) {
            read.code = failure;
        }
        for (std::vector<ItypeResult>& values : given.values) {
            for (ItypeResult& value : values) {
                value.code = code;
            }
        }
    } else if (!evaluate) {
        for (std::vector<ItypeResult>& values : given.values) {
            for (ItypeResult& value : values) {
                value.code = kUnknownFunction;
            }
        }
    }
    return given;
}

}  // namespace mv
