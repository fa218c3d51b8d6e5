// SPDX-License-Identifier: MIT
// The calls on an open file that a return code answers: writes, deletes and record locks.
#include <utility>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RemoteBackend.h"
#include "platform/mv/RemoteReplies.h"
#include "platform/mv/wire/WireCalls.h"

namespace mv {

using remote::IsInteger;
using remote::Request;
using wire::Arg;
using wire::Message;

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

int RemoteBackend::Write(int handle, const std::string& id, const std::string& record,
                         bool keepLock) {
    return FileCall(handle, {Arg::Int(wire::kWrite), Arg::Int(keepLock ? wire::kWriteKeepsLock : 0),
                             Arg::Bytes(id), Arg::Bytes(record)});
}

int RemoteBackend::Delete(int handle, const std::string& id, bool keepLock) {
    return FileCall(handle, {Arg::Int(wire::kDelete),
                             Arg::Int(keepLock ? wire::kDeleteKeepsLock : 0), Arg::Bytes(id)});
}

}  // namespace mv
