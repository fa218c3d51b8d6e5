// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// Who holds a record lock, as far as the engine can tell. Every field may be unknown.
struct LockHolder {
    std::string user;        // the holder's user name (on a server) or login name
    long number = 0;         // the holder's user number on a server; 0 when not told
    std::string address;     // the client address on a server; empty on this machine
    std::string file;        // "DICT NAME" for a dictionary, "NAME" for a file's records
    std::string id;          // the item
    bool exclusive = true;   // else shared
    std::int64_t since = 0;  // when the lock was taken, seconds since 1970 UTC; 0 unknown
    // Lines of a server's lock listing that name the item, as the server wrote them, when
    // the listing's form is not one this side can read.
    std::vector<std::string> listed;

    bool Known() const { return !user.empty() || number != 0 || !listed.empty(); }
};

// Who this session is, as the lock notes it takes name it.
struct HolderIdentity {
    std::string user;
    long number = 0;
    std::string address;
};

// The login name of the user this process runs as ("" when the system cannot tell).
std::string LoginName();

// "locked by ann (user 7) since 10:42": as much as the holder tells; "locked by another
// user" when it tells nothing. The time is local; a day other than today is written out.
std::string LockedByWords(const LockHolder& holder);

// The lock listing LIST.READU answers: a header line, then one line per lock, fields
// separated by a tab, lines ended by a line feed:
//   USER NAME ADDRESS FILE ITEM LOCK SINCE
// USER the user number (0 for a process outside the server), LOCK "exclusive" or
// "shared", SINCE as 2026-12-09T10:42:05Z. Control bytes and the backslash of text
// fields are written \xNN and \\.
inline constexpr std::string_view kLockListHeader = "USER\tNAME\tADDRESS\tFILE\tITEM\tLOCK\tSINCE";
std::string LockListing(const std::vector<LockHolder>& holders);
// The holder of `id` in a listing of the form above (the one with that user number when
// number is not 0); false when the listing has another form or does not name the item.
bool HolderFromListing(std::string_view listing, std::string_view id, long number,
                       LockHolder& holder);
// The lines of a listing of any form that name the item as a word of their own.
std::vector<std::string> LinesNaming(std::string_view listing, std::string_view id);

}  // namespace mv
