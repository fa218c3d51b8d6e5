// SPDX-License-Identifier: MIT
#pragma once

// Every code the client objects and the local engine put into `Error`.
// Uvoaif.txt beside this file names each of them; a test keeps the two in step.
namespace mv {

enum ErrorCode : int {
    kOk = 0,

    // Commands the engine runs (Exec).
    kUnknownCommand = 10001,  // the verb is not one the engine knows
    kCommandSyntax = 10002,   // the verb is known but its words are not
    kUnknownFileInCommand = 10003,
    kUnknownSortName = 10004,  // a BY / BY.DSND name the dictionary of dictionaries lacks
    kOutOfMemory = 10005,      // the command needed more memory than there was

    // Items (Read, Write, DeleteRecord).
    kRecordNotFound = 30001,
    kBadItemId = 30010,           // empty, or too long for the file system once escaped
    kFieldHoldsLineFeed = 30011,  // a field with a line feed would split into two on disk
    kReadFailed = 30020,
    kWriteFailed = 30021,
    kDeleteFailed = 30022,
    // The folder's lock file is no regular file this session can lock (a link, a folder,
    // a file it may not write): a change that no lock can keep apart is refused.
    kLockFileUnusable = 30023,
    // A dictionary item the engine could not evaluate on a record (ITYPE): the reason
    // comes with the code.
    kNotEvaluated = 30024,
    kFileClosed = 30030,  // the file object was closed or its session ended

    // Opening files.
    kNoSuchDictionary = 31001,
    kBadFileName = 31002,           // a name that cannot name a directory inside the account
    kDictionaryUnreadable = 31003,  // the dictionary exists but cannot be opened
    kTooManyOpenFiles = 31004,      // the server has no room for another open file now

    // The session.
    kAccountNotFound = 39101,  // the account path is not an existing, readable directory
    kNotConnected = 39102,     // an operation that needs a connected session

    // Misuse of a client object.
    kBadFieldNumber = 40001,    // Field(n) with n below 1
    kNoSuchSelectList = 40002,  // SelectList(n) with n other than 0

    // Codes the database servers use, which the remote backend passes on.
    kNoSuchFile = 14002,
    kPermissionDenied = 14013,
    kListExhausted = 22004,
    kRecordLocked = 30002,
    kSelectFailed = 30097,
    kInvalidFileName = 30112,
    kSessionNotOpen = 39120,
    kInvalidAccount = 39129,
    kBadUserName = 80011,
    kBadPassword = 80019,

    // The connection to a server.
    kBadServerMessage = 81001,  // a message broke the framing rules, or had the wrong shape
    kServiceNotFound = 81014,
    kTimeout = 81015,
    kConnectionRefused = 81016,
    kConnectionLost = 81017,  // the connection dropped, or failed in any other way
    kHostNotFound = 81018,
    kBadHostName = 81019,  // not "host" or "host:port" with a port from 1 to 65535
    kTlsRequired = 81020,  // the server takes encrypted connections only
    kTlsNotOffered = 81021,
    kTlsUntrusted = 81022,          // the server's certificate is not trusted here
    kTlsWrongHost = 81023,          // a trusted certificate that names another host
    kTooManyLoginFailures = 81024,  // the server refuses logins from this address a while
    kUnknownFunction = 81025,       // the server does not know the call
    // A certificate of the server's chain past its end date, or before its start date:
    // each has its own remedy (renewing it, or setting this computer's clock right).
    kTlsCertificateExpired = 81026,
    kTlsCertificateNotYetValid = 81027,
};

// The codes of the 81000 range but a call the server does not know: the connection to a
// server failed or broke the protocol.
inline constexpr bool IsConnectionFailure(int code) {
    return code >= 81000 && code < 82000 && code != kUnknownFunction;
}

// Every code above but kOk, so a test can hold Uvoaif.txt to the same list.
// One code a line, so that a change shows as one.
// clang-format off
inline constexpr ErrorCode kAllErrorCodes[] = {
    kUnknownCommand,
    kCommandSyntax,
    kUnknownFileInCommand,
    kUnknownSortName,
    kOutOfMemory,
    kRecordNotFound,
    kBadItemId,
    kFieldHoldsLineFeed,
    kReadFailed,
    kWriteFailed,
    kDeleteFailed,
    kLockFileUnusable,
    kNotEvaluated,
    kFileClosed,
    kNoSuchDictionary,
    kBadFileName,
    kDictionaryUnreadable,
    kTooManyOpenFiles,
    kAccountNotFound,
    kNotConnected,
    kBadFieldNumber,
    kNoSuchSelectList,
    kNoSuchFile,
    kPermissionDenied,
    kListExhausted,
    kRecordLocked,
    kSelectFailed,
    kInvalidFileName,
    kSessionNotOpen,
    kInvalidAccount,
    kBadUserName,
    kBadPassword,
    kBadServerMessage,
    kServiceNotFound,
    kTimeout,
    kConnectionRefused,
    kConnectionLost,
    kHostNotFound,
    kBadHostName,
    kTlsRequired,
    kTlsNotOffered,
    kTlsUntrusted,
    kTlsWrongHost,
    kTooManyLoginFailures,
    kUnknownFunction,
    kTlsCertificateExpired,
    kTlsCertificateNotYetValid,
};
// clang-format on

}  // namespace mv
