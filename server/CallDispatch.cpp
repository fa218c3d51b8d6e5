// SPDX-License-Identifier: MIT
#include "server/CallDispatch.h"

#include <algorithm>
#include <cstdint>

#include "platform/mv/DynamicArray.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RecordLocks.h"
#include "platform/mv/wire/WireCalls.h"
#include "server/RequestShape.h"

namespace server {

namespace wire = mv::wire;
using wire::Arg;
using wire::Message;

namespace {

// The file type OPEN answers as its status: a directory file, one file per item, which
// is how the engine keeps every dictionary and data file.
constexpr std::int32_t kDirectoryFileType = 19;
// The status of a read, write or delete: the engine has nothing to add to the return code.
constexpr std::int32_t kNoStatus = 0;
// The files an evaluation holds open while it runs: the file's data and its dictionary
// (besides those TRANS reads, for a moment each).
constexpr int kFilesOfAnEvaluation = 2;

Message Status(std::int32_t code) {
    return Message{0, {Arg::Int(code)}};
}

// A return code and the call's status (READ, WRITE, DELETE).
Message WithStatus(std::int32_t code) {
    return Message{0, {Arg::Int(code), Arg::Int(kNoStatus)}};
}

Message WithBytes(std::int32_t code, std::string bytes) {
    return Message{0, {Arg::Int(code), Arg::Bytes(std::move(bytes))}};
}

bool WrongShape(std::string& why) {
    why = "a request with arguments of the wrong number or type";
    return false;
}

}  // namespace

CallDispatch::CallDispatch(std::shared_ptr<mv::LocalEngine> engine, wire::WireChannel& channel,
                           const ServerConfig& config, OpenFileBudget& openFiles,
                           const std::string& user, const std::string& accountFolder)
    : engine_(std::move(engine)),
      channel_(channel),
      config_(config),
      openFiles_(openFiles, user),
      journal_(accountFolder, user) {}

CallDispatch::~CallDispatch() {
    engine_->Shutdown();
}

bool CallDispatch::Handle(const Message& request, std::string& why) {
    if (request.args.empty() || !request.args[0].IsInteger()) {
        return WrongShape(why);
    }
    switch (request.args[0].integer) {
        case wire::kOpen:
            return Open(request, why);
        case wire::kClose:
            return Close(request, why);
        case wire::kRead:
            return Read(request, why);
        case wire::kWrite:
            return Write(request, why);
        case wire::kDelete:
            return Delete(request, why);
        case wire::kRecordLock:
            return RecordLock(request, why);
        case wire::kRelease:
            return Release(request, why);
        case wire::kRecordLocked:
            return RecordLocked(request, why);
        case wire::kExecute:
            return Execute(request, why);
        case wire::kReadList:
            return ReadList(request, why);
        case wire::kReadNext:
            return ReadNext(request, why);
        case wire::kClearSelect:
            return ClearSelect(request, why);
        case wire::kItype:
            return Itype(request, why);
        default:
            // Also EXECUTECONTINUE with no command output waiting. The session goes on: a
            // client may try a call to learn whether this server has it.
            return Reply(Status(mv::kUnknownFunction), why);
    }
}

bool CallDispatch::Reply(Message reply, std::string& why) {
    const auto outcome = channel_.Send(reply, config_.sendLimit);
    if (outcome != wire::WireChannel::Outcome::Ok) {
        why = outcome == wire::WireChannel::Outcome::TimedOut ? "the client stopped reading"
                                                              : "the client went away";
        return false;
    }
    return true;
}

bool CallDispatch::Open(const Message& request, std::string& why) {
    if (!HasShape(request, "iis")) {
        return WrongShape(why);
    }
    int handle = 0;
    int error = mv::kOk;
    const std::int32_t part = request.args[1].integer;
    const std::string& name = request.args[2].bytes;
    if (part != wire::kOpenDictionaryPart && part != wire::kOpenDataPart) {
        error = mv::kNoSuchFile;
    } else if (openHandles_.size() >= config_.maxOpenFilesPerSession || !openFiles_.Take()) {
        // Refused before the descriptors run out, so that accepting and serving
        // connections never starves.
        error = mv::kTooManyOpenFiles;
    } else if ((error = part == wire::kOpenDataPart
                            ? engine_->OpenData(name, handle)
                            : engine_->OpenDictionary(name, handle)) != mv::kOk) {
        openFiles_.GiveBack();
    }
    if (error != mv::kOk) {
        return Reply(Status(error), why);
    }
    openHandles_.insert(handle);
    if (part == wire::kOpenDictionaryPart) {
        dictionaries_[handle] = name;
    }
    return Reply(Message{0, {Arg::Int(mv::kOk), Arg::Int(kDirectoryFileType), Arg::Int(handle)}},
                 why);
}

bool CallDispatch::Close(const Message& request, std::string& why) {
    if (!HasShape(request, "ii")) {
        return WrongShape(why);
    }
    engine_->CloseFile(request.args[1].integer);
    dictionaries_.erase(request.args[1].integer);
    if (openHandles_.erase(request.args[1].integer) != 0) {
        openFiles_.GiveBack();
    }
    return Reply(Status(mv::kOk), why);
}

bool CallDispatch::Read(const Message& request, std::string& why) {
    if (!HasShape(request, "iiis")) {
        return WrongShape(why);
    }
    std::string record;
    const int error = engine_->Read(request.args[1].integer, request.args[3].bytes, record,
                                    request.args[2].integer);
    if (error != mv::kOk) {
        return Reply(WithStatus(error), why);
    }
    return Reply(
        Message{0, {Arg::Int(mv::kOk), Arg::Int(kNoStatus), Arg::Bytes(std::move(record))}}, why);
}

bool CallDispatch::Write(const Message& request, std::string& why) {
    if (!HasShape(request, "iiiss")) {
        return WrongShape(why);
    }
    const int handle = request.args[1].integer;
    const std::string& id = request.args[3].bytes;
    const std::string& record = request.args[4].bytes;
    const int error = Journaled(handle, id, &record, [&] {
        return engine_->Write(handle, id, record, request.args[2].integer != 0);
    });
    return Reply(WithStatus(error), why);
}

bool CallDispatch::Delete(const Message& request, std::string& why) {
    if (!HasShape(request, "iiis")) {
        return WrongShape(why);
    }
    const int handle = request.args[1].integer;
    const std::string& id = request.args[3].bytes;
    const int error = Journaled(handle, id, nullptr, [&] {
        return engine_->Delete(handle, id, request.args[2].integer != 0);
    });
    return Reply(WithStatus(error), why);
}

template <typename Change>
int CallDispatch::Journaled(int handle, const std::string& id, const std::string* record,
                            Change change) {
    const auto dictionary = dictionaries_.find(handle);
    if (dictionary == dictionaries_.end()) {
        return change();  // the records of a file are not journaled
    }
    std::string held;
    const int read = engine_->Read(handle, id, held, 0);
    std::uint64_t number = 0;
    if (read == mv::kOk || read == mv::kRecordNotFound) {
        number = journal_.Begin(
            dictionary->second, id,
            read == mv::kOk ? std::optional<std::string>(std::move(held)) : std::nullopt, record);
    }
    const int error = change();
    journal_.Finish(number, error == mv::kOk);
    return error;
}

bool CallDispatch::RecordLock(const Message& request, std::string& why) {
    if (!HasShape(request, "iiis")) {
        return WrongShape(why);
    }
    const int flags = request.args[2].integer;
    if ((flags & (mv::kLockExclusive | mv::kLockShared)) == 0) {
        return Reply(Status(mv::kUnknownFunction), why);  // a lock of no kind
    }
    return Reply(Status(engine_->Lock(request.args[1].integer, request.args[3].bytes, flags)), why);
}

bool CallDispatch::Release(const Message& request, std::string& why) {
    if (!HasShape(request, "iiis")) {
        return WrongShape(why);
    }
    const int handle = request.args[1].integer;
    const int error = request.args[2].integer == wire::kReleaseEveryLock
                          ? engine_->ReleaseAll(handle)
                          : engine_->Release(handle, request.args[3].bytes);
    return Reply(Status(error), why);
}

bool CallDispatch::RecordLocked(const Message& request, std::string& why) {
    if (!HasShape(request, "iis")) {
        return WrongShape(why);
    }
    int state = mv::kLockFree;
    const int handle = request.args[1].integer;
    const int error = engine_->LockState(handle, request.args[2].bytes, state);
    // The status names the holder of another session's lock by its user number.
    mv::LockHolder holder;
    if (state == mv::kLockHeldExclusively || state == mv::kLockHeldShared) {
        engine_->Holder(handle, request.args[2].bytes, holder);
    }
    const auto status = static_cast<std::int32_t>(holder.number);
    return Reply(Message{0, {Arg::Int(error), Arg::Int(state), Arg::Int(status)}}, why);
}

bool CallDispatch::Execute(const Message& request, std::string& why) {
    if (!HasShape(request, "iis")) {
        return WrongShape(why);
    }
    const std::string& command = request.args[2].bytes;
    mv::CommandResult result = ServerJournal::IsHistoryCommand(command) ? journal_.History(command)
                                                                        : engine_->Execute(command);
    std::size_t selected = 0;
    if (result.setsSelectList) {
        selected = result.ids.size();
        selectList_ = std::move(result.ids);
        nextSelected_ = 0;
    }
    if (result.error != mv::kOk) {
        return Reply(WithBytes(result.error, std::move(result.response)), why);
    }
    return SendInBlocks(result.response, request.args[1].integer, selected, why);
}

bool CallDispatch::SendInBlocks(const std::string& response, std::int32_t blockSize,
                                std::size_t selected, std::string& why) {
    std::size_t offset = 0;
    for (;;) {
        const std::size_t left = response.size() - offset;
        if (blockSize < 1 || left <= static_cast<std::size_t>(blockSize)) {
            break;
        }
        const auto size = static_cast<std::size_t>(blockSize);
        if (!Reply(WithBytes(wire::kMoreOutput, response.substr(offset, size)), why)) {
            return false;
        }
        offset += size;
        Message next;
        const auto outcome = channel_.Receive(next, config_.idleTimeout, config_.maxBody);
        if (outcome != wire::WireChannel::Outcome::Ok) {
            why = "no request for the rest of a command's output";
            return false;
        }
        if (!HasShape(next, "ii") || next.args[0].integer != wire::kExecuteContinue) {
            why = "a request other than EXECUTECONTINUE while a command's output waits";
            return false;
        }
        blockSize = next.args[1].integer;
    }
    const auto count = static_cast<std::int32_t>(
        std::min<std::size_t>(selected, static_cast<std::size_t>(INT32_MAX)));
    return Reply(WithBytes(wire::kExecuteFinished, response.substr(offset)), why) &&
           Reply(Message{0, {Arg::Int(mv::kOk), Arg::Int(0), Arg::Int(count)}}, why);
}

bool CallDispatch::ReadList(const Message& request, std::string& why) {
    if (!HasShape(request, "ii")) {
        return WrongShape(why);
    }
    if (request.args[1].integer != 0) {
        return Reply(Message{0, {Arg::Int(mv::kNoSuchSelectList), Arg::Int(0), Arg::Bytes("")}},
                     why);
    }
    const std::size_t left = selectList_.size() - nextSelected_;
    if (left == 0) {
        return Reply(Message{0, {Arg::Int(wire::kListEmpty), Arg::Int(0), Arg::Bytes("")}}, why);
    }
    std::string ids;
    for (std::size_t i = nextSelected_; i < selectList_.size(); ++i) {
        if (i > nextSelected_) {
            ids.push_back(mv::DynamicArray::kFieldMark);
        }
        ids += selectList_[i];
    }
    selectList_.clear();
    nextSelected_ = 0;
    const auto count =
        static_cast<std::int32_t>(std::min<std::size_t>(left, static_cast<std::size_t>(INT32_MAX)));
    return Reply(Message{0, {Arg::Int(mv::kOk), Arg::Int(count), Arg::Bytes(std::move(ids))}}, why);
}

bool CallDispatch::ReadNext(const Message& request, std::string& why) {
    if (!HasShape(request, "ii")) {
        return WrongShape(why);
    }
    if (request.args[1].integer != 0) {
        return Reply(WithBytes(mv::kNoSuchSelectList, ""), why);
    }
    if (nextSelected_ >= selectList_.size()) {
        selectList_.clear();
        nextSelected_ = 0;
        return Reply(WithBytes(wire::kListEmpty, ""), why);
    }
    return Reply(WithBytes(mv::kOk, selectList_[nextSelected_++]), why);
}

bool CallDispatch::ClearSelect(const Message& request, std::string& why) {
    if (!HasShape(request, "ii")) {
        return WrongShape(why);
    }
    if (request.args[1].integer != 0) {
        return Reply(Status(mv::kNoSuchSelectList), why);
    }
    selectList_.clear();
    nextSelected_ = 0;
    return Reply(Status(mv::kOk), why);
}

// Any failure is the call's return code and the session goes on: 30001 for a missing
// record, the open's code for a missing file, and kNotEvaluated with the evaluator's words.
bool CallDispatch::Itype(const Message& request, std::string& why) {
    if (!HasShape(request, "isss")) {
        return WrongShape(why);
    }
    int taken = 0;
    while (taken < kFilesOfAnEvaluation && openFiles_.Take()) {
        ++taken;
    }
    std::string result;
    const int error = taken == kFilesOfAnEvaluation
                          ? engine_->Itype(request.args[1].bytes, request.args[2].bytes,
                                           request.args[3].bytes, result)
                          : mv::kTooManyOpenFiles;
    for (; taken > 0; --taken) {
        openFiles_.GiveBack();
    }
    return Reply(WithBytes(error, std::move(result)), why);
}

}  // namespace server
