// SPDX-License-Identifier: MIT
// Who holds a record lock on the server: RECORDLOCKED's status and the server's lock listing.
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RecordLocks.h"
#include "platform/mv/RemoteBackend.h"
#include "platform/mv/RemoteReplies.h"
#include "platform/mv/wire/WireCalls.h"

namespace mv {

namespace {

// The command whose output lists the record locks held on the server.
constexpr const char* kLockListCommand = "LIST.READU";

}  // namespace

int RemoteBackend::Holder(int handle, const std::string& id, LockHolder& holder) {
    if (const int code = HandleError(handle); code != kOk) {
        return code;
    }
    wire::Message reply;
    if (const int code = Call(remote::Request({wire::Arg::Int(wire::kRecordLocked),
                                               ServerHandle(handle), wire::Arg::Bytes(id)}),
                              reply);
        code != kOk) {
        return code;
    }
    // A server that keeps no locks, or whose answer has no status, tells nothing.
    if (reply.args[0].integer != kOk || !remote::IsInteger(reply, 1)) {
        return kOk;
    }
    const std::int32_t state = reply.args[1].integer;
    if (state != kLockHeldExclusively && state != kLockHeldShared) {
        return kOk;
    }
    // The status is the holder's user number where the server gives one.
    const long number = remote::IsInteger(reply, 2) ? reply.args[2].integer : 0;
    holder.number = number > 0 ? number : 0;
    if (lockListUnknown_) {
        return kOk;
    }
    const CommandResult listing = Execute(kLockListCommand);
    if (listing.error != kOk) {
        lockListUnknown_ = IsActive();
        return IsActive() ? kOk : listing.error;
    }
    // A listing of the documented form is read by its columns; one of another form is
    // shown as the server wrote the lines that name the item, never guessed at.
    const bool documented = listing.response.rfind(kLockListHeader, 0) == 0;
    if (!documented) {
        holder.listed = LinesNaming(listing.response, id);
    } else {
        HolderFromListing(listing.response, id, holder.number, holder);
    }
    return kOk;
}

}  // namespace mv
