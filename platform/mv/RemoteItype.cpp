// SPDX-License-Identifier: MIT
#include <algorithm>
#include <utility>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RemoteBackend.h"
#include "platform/mv/wire/WireCalls.h"
#include "platform/mv/wire/WireChannel.h"

namespace mv {

namespace {

using wire::Arg;
using wire::Message;

// The requests of one batch are kept small enough in bytes to sit in the sockets'
// buffers, so sending them never waits for a server that is busy sending the replies of
// the first ones, which this side takes only once the batch is sent.
constexpr std::size_t kMaxBatchBytes = 32 * 1024;
// What an ITYPE request costs beyond its three strings: header and argument headers.
constexpr std::size_t kItypeRequestOverhead = 64;

int SendFailure(wire::WireChannel::Outcome outcome) {
    return outcome == wire::WireChannel::Outcome::TimedOut ? kTimeout : kConnectionLost;
}

}  // namespace

int RemoteBackend::Itype(const std::string& file, const std::string& id, const std::string& item,
                         std::string& result) {
    std::vector<ItypeResult> results = Itypes(file, {id}, item);
    result = std::move(results.front().result);
    return results.front().code;
}

std::vector<ItypeResult> RemoteBackend::Itypes(const std::string& file,
                                               const std::vector<std::string>& ids,
                                               const std::string& item) {
    std::vector<ItypeResult> results(ids.size());
    std::size_t taken = 0;
    int failure = DropReadAhead();
    if (failure == kOk && lostCode_ != 0) {
        failure = LostCode();
    }
    while (failure == kOk && taken < ids.size()) {
        if (itypeUnknown_) {
            failure = kUnknownFunction;
            break;
        }
        // One batch: sent whole, then its replies taken in the order of the requests.
        ++roundTrips_;
        std::size_t batchEnd = taken;
        std::size_t batchBytes = 0;
        while (batchEnd < ids.size() && batchEnd - taken < static_cast<std::size_t>(readAhead_)) {
            const std::size_t bytes =
                file.size() + ids[batchEnd].size() + item.size() + kItypeRequestOverhead;
            if (batchEnd > taken && batchBytes + bytes > kMaxBatchBytes) {
                break;
            }
            Message request;
            request.args = {Arg::Int(wire::kItype), Arg::Bytes(file), Arg::Bytes(ids[batchEnd]),
                            Arg::Bytes(item)};
            ++requestsSent_;
            const wire::WireChannel::Outcome sent = channel_->Send(request, callLimit_);
            if (sent != wire::WireChannel::Outcome::Ok) {
                // The replies of the requests already sent are lost with the connection.
                failure = Fail(SendFailure(sent));
                break;
            }
            batchBytes += bytes;
            ++batchEnd;
        }
        while (failure == kOk && taken < batchEnd) {
            Message reply;
            if ((failure = Receive(reply)) != kOk) {
                break;
            }
            ItypeResult& answer = results[taken++];
            answer.code = ItypeOf(reply, answer.result);
            if (lostCode_ != 0) {
                failure = LostCode();  // the reply broke the protocol: the rest are lost
            }
        }
    }
    for (; taken < ids.size(); ++taken) {
        results[taken].code = failure;
    }
    return results;
}

int RemoteBackend::ItypeOf(Message& reply, std::string& result) {
    result.clear();
    if (reply.args.empty() || !reply.args[0].IsInteger()) {
        return Fail(kBadServerMessage);
    }
    const int code = reply.args[0].integer;
    if (code == kUnknownFunction) {
        itypeUnknown_ = true;  // a server does not learn a call during a session
        return code;
    }
    // Only a value and the reason an item could not be evaluated are the result: after
    // any other code, argument 1 may be anything a server adds.
    if (code != kOk && code != kNotEvaluated) {
        return code;
    }
    if (reply.args.size() > 1 && reply.args[1].IsString()) {
        result = std::move(reply.args[1].bytes);
    } else if (code == kOk) {
        return Fail(kBadServerMessage);
    }
    return code;
}

}  // namespace mv
