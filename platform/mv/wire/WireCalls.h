// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

// The calls of the client protocol this program makes and serves, and the numbers that go
// with them. After the login, a request's argument 0 is the function code and the reply's
// argument 0 its return code (0 = success); one reply per request, but for EXECUTE. Each
// result is read by its position; a reply may carry more arguments than these (ignored),
// and a failed call fewer (its return code alone then counts).
//
//   OPEN 34 (Int 1 = dictionary / 0 = data, Bytes file name) -> rc, Int status (the file's
//       type), handle. The handle is opaque: any argument type, sent back exactly as it came.
//   CLOSE 5 (handle)                                   -> rc
//   READ 37 (handle, Int lock flag, Bytes id)          -> rc, Int status, Bytes record
//   WRITE 61 (handle, Int lock flag, Bytes id, Bytes record) -> rc, Int status
//   DELETE 14 (handle, Int lock flag, Bytes id)        -> rc, Int status
//   RECORDLOCK 43 (handle, Int lock flag, Bytes id)    -> rc
//   RELEASE 45 (handle, Int 0 = this id / 1 = every lock of the session, Bytes id) -> rc
//   RECORDLOCKED 44 (handle, Bytes id)                 -> rc, Int lock state, Int status
//   Lock flags: READ and RECORDLOCK 0 = none, 2 = exclusive, 4 = shared, +1 to wait for
//   it; WRITE 0 releases the writer's lock, 5 keeps it; DELETE 0 releases, 3 keeps.
//   rc 30002: another session holds the lock; 30001: no such item.
//   EXECUTE 15 (Int block size, Bytes command)        -> rc 22002 and Bytes output while more
//       output waits (the client asks with EXECUTECONTINUE 66 (Int block size)); rc 1 and
//       Bytes output with the last block, then at once one more message: rc 0, Int the
//       command's system return code, Int the number of ids it selected. A command that
//       cannot run at all is answered with its error code and Bytes response instead.
//   READLIST 39 (Int list 0)                          -> rc, Int count, Bytes ids separated
//       by field marks; rc 22004 for an empty list. The list is empty afterwards.
//   READNEXT 40 (Int list 0)                          -> rc, Bytes id; rc 22004 at the end
//   CLEARSELECT 4 (Int list 0)                        -> rc
//   ITYPE 29 (Bytes file name, Bytes record id, Bytes dictionary item id) -> rc, Bytes result:
//       the item evaluated on the record of the file's data part, the value in its internal
//       form (not converted by field 3). rc 30001: no such record; the code OPEN gives for
//       a file the account lacks; 30024: the item could not be evaluated, the result then
//       saying why. A server that does not know the call answers 81025.
namespace mv::wire {

enum FunctionCode : std::int32_t {
    kClearSelect = 4,
    kClose = 5,
    kDelete = 14,
    kExecute = 15,
    kItype = 29,
    kOpen = 34,
    kRead = 37,
    kReadList = 39,
    kReadNext = 40,
    kRecordLock = 43,
    kRecordLocked = 44,
    kRelease = 45,
    kWrite = 61,
    kExecuteContinue = 66,
};

inline constexpr std::int32_t kExecuteFinished = 1;
inline constexpr std::int32_t kMoreOutput = 22002;
inline constexpr std::int32_t kListEmpty = 22004;
inline constexpr std::int32_t kOpenDictionaryPart = 1;
inline constexpr std::int32_t kOpenDataPart = 0;
inline constexpr std::int32_t kWriteKeepsLock = 5;
inline constexpr std::int32_t kDeleteKeepsLock = 3;
inline constexpr std::int32_t kReleaseThisId = 0;
inline constexpr std::int32_t kReleaseEveryLock = 1;

// The login: comms version, client version; the password's bytes are XOR'd with the
// comms version.
inline constexpr std::int32_t kCommsVersion = 4;
inline constexpr std::int32_t kClientVersion = 6;
inline constexpr std::size_t kLoginArguments = 11;

inline constexpr std::uint16_t kDefaultPort = 31438;
inline constexpr const char* kUniVerseService = "uvcs";
inline constexpr const char* kUniDataService = "udcs";

}  // namespace mv::wire
