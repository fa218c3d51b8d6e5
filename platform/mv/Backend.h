// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/mv/LockHolder.h"

namespace mv {

// What a command run by Exec hands back to the command object.
struct CommandResult {
    int error = 0;
    std::string response;
    bool setsSelectList = false;   // true for select verbs, failed or not
    std::vector<std::string> ids;  // the new content of select list 0
};

// What the engine serving the account made of one dictionary item on one record.
struct ItypeResult {
    int code = 0;        // kOk, or why there is no value
    std::string result;  // the value; on error the engine's reason, when it gave one
};

// One record as read: kOk and its bytes, or the read's code.
struct ReadResult {
    int code = 0;
    std::string record;
};

// A part of a file to open: its dictionary, or its data.
struct FilePart {
    std::string name;
    bool dictionary = true;
};

// What opening a part gave: kOk and its handle, or the code.
struct OpenResult {
    int code = 0;
    int handle = 0;
};

// Records to read from an open data file and dictionary items to evaluate on them by the
// engine serving the account, asked for together.
struct RecordsWanted {
    int handle = 0;                  // the data file the records are read from
    std::string file;                // the file's name, which ITYPE takes
    std::vector<std::string> reads;  // the records to read
    std::vector<std::string> ids;    // the records the items are evaluated on
    std::vector<std::string> items;  // each evaluated on every record of ids
};

struct RecordsGiven {
    std::vector<ReadResult> records;               // one per id of reads
    std::vector<std::vector<ItypeResult>> values;  // one list per item, one result per id
};

// The engine behind a session: the local engine, or one day a remote server.
// Calls never throw; each returns an error code of ErrorCodes.h (0 on success).
// Files are named by handles that stay valid until CloseFile or Shutdown.
class Backend {
public:
    virtual ~Backend() = default;

    virtual bool IsActive() const = 0;
    // Ends the connection; every handle is closed and later calls fail.
    virtual void Shutdown() = 0;

    virtual int OpenDictionary(const std::string& fileName, int& handle) = 0;
    // The records of the file: kOk also for a file with a dictionary and no records yet;
    // kNoSuchDictionary when the account has no file of that name.
    virtual int OpenData(const std::string& fileName, int& handle) = 0;
    // Also releases the record locks taken through the handle.
    virtual void CloseFile(int handle) = 0;

    // Record locks (RecordLocks.h): a session's lock on an item keeps every other
    // session's locks, writes and deletes of it away until released; a plain read is
    // never kept away. lockFlags as in RecordLocks.h, 0 for none; a read that takes a
    // lock keeps it also when the item does not exist, so a new item can be written safely.
    // kFileClosed when the handle is closed or the backend shut down.
    virtual int Read(int handle, const std::string& id, std::string& record, int lockFlags) = 0;
    // A write or delete of an item another session holds is refused with kRecordLocked
    // and changes nothing. Unless keepLock, it releases this session's lock on the item.
    virtual int Write(int handle, const std::string& id, const std::string& record,
                      bool keepLock) = 0;
    virtual int Delete(int handle, const std::string& id, bool keepLock) = 0;
    // Writes and deletes between BeginWriteBatch and EndWriteBatch reach the account
    // together at EndWriteBatch, where they are paid for with one flush to disk instead
    // of one each: every item stays old or new whatever happens, and the locks the changes
    // would release are held until then. EndWriteBatch returns kOk or the first error. A
    // backend whose every change is made on the server as it comes makes them at once.
    virtual void BeginWriteBatch() {}
    virtual int EndWriteBatch() { return 0; }
    virtual int Lock(int handle, const std::string& id, int lockFlags) = 0;
    virtual int Release(int handle, const std::string& id) = 0;
    // False when this side knows that the file's items cannot be written (the local
    // engine's permission check); true when they can, or when only a write can tell.
    virtual bool Writable(int handle) = 0;
    // Every lock of the session, in every file.
    virtual int ReleaseAll(int handle) = 0;
    // kOk with state one of LockState (RecordLocks.h).
    virtual int LockState(int handle, const std::string& id, int& state) = 0;
    // Who holds the item, as far as the engine tells: kOk with holder filled in as far as
    // known (nothing when the engine cannot tell), else the call's error code.
    virtual int Holder(int /*handle*/, const std::string& /*id*/, LockHolder& /*holder*/) {
        return 0;
    }

    virtual CommandResult Execute(const std::string& text) = 0;

    // Dictionary item `item` of file `file` evaluated on record `id` of the file's data by
    // the engine serving the account, its value in the internal form (not converted by
    // field 3): kOk with the value; kRecordNotFound; the code opening the file gives;
    // kNotEvaluated with the reason in result; kUnknownFunction from a server that does
    // not evaluate items.
    virtual int Itype(const std::string& file, const std::string& id, const std::string& item,
                      std::string& result) = 0;
    // The same on many records, one result for each id in order. A server is sent the
    // requests together rather than one after the other's reply.
    virtual std::vector<ItypeResult> Itypes(const std::string& file,
                                            const std::vector<std::string>& ids,
                                            const std::string& item) {
        std::vector<ItypeResult> results(ids.size());
        for (std::size_t i = 0; i < ids.size(); ++i) {
            results[i].code = Itype(file, ids[i], item, results[i].result);
        }
        return results;
    }

    // Several calls whose answers the program needs before it can go on, asked for
    // together: a server is sent every request before the first reply is taken, so they
    // cost one round trip where one after the other they would cost one each.
    //
    // Opens the parts, then runs the select command when there is one (its outcome in
    // selected, as Execute gives it). One result per part, in order.
    virtual std::vector<OpenResult> OpenTogether(const std::vector<FilePart>& parts,
                                                 const std::string& select,
                                                 CommandResult& selected);
    // Reads the records (plain reads, no lock) and evaluates the items on them.
    virtual RecordsGiven ReadTogether(const RecordsWanted& wanted);
};

}  // namespace mv
