// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "platform/mv/DynamicArray.h"
#include "platform/mv/LockHolder.h"

namespace mv {

class Backend;

// The dictionary part of one file, as returned by Session::OpenDictionary, or its data
// part, as returned by Session::OpenFile.
// Every operation sets Error: 0 after success, else a code of ErrorCodes.h.
class DictionaryFile {
public:
    DictionaryFile(std::shared_ptr<Backend> backend, int handle, std::string fileName);
    ~DictionaryFile();
    DictionaryFile(const DictionaryFile&) = delete;
    DictionaryFile& operator=(const DictionaryFile&) = delete;

    void SetRecordId(std::string id) { recordId_ = std::move(id); }
    const std::string& RecordId() const { return recordId_; }

    void Read();  // Record then holds the item
    // Read, taking this session's exclusive lock on the item without waiting: Error
    // 30002 (kRecordLocked) when another session holds it. The lock is taken also when
    // the item does not exist (Error 30001), and lasts until a Write or DeleteRecord of
    // the item, ReleaseRecord, CloseFile or the end of the session.
    void ReadForUpdate();
    // Takes the item's exclusive lock without reading it, on the same terms.
    void LockRecord();
    void ReleaseRecord();
    // Every lock this session holds, in every file.
    void ReleaseAllLocks();
    // One of mv::LockState (RecordLocks.h) for the item; Error as after a Read.
    int RecordLockState();
    // Who holds the item, as far as the engine tells (nothing when it cannot). Error is
    // left as it was.
    LockHolder RecordLockHolder();
    // Who holds the item, for a message: "locked by ann (user 7) since 10:42", or "locked
    // by another user" when the engine cannot tell. Error is left as it was.
    std::string LockedByWords();
    // False when the items are known not to be writable here (a local folder the user
    // may not write); true when they are, or when only a write can tell (a server).
    bool Writable() const;
    const DynamicArray& Record() const { return record_; }
    // The record read, for taking its fields with Field(n) without a copy.
    DynamicArray& Record() { return record_; }
    void SetRecord(DynamicArray record) { record_ = std::move(record); }
    void Write();         // stores Record under RecordId, releasing this session's lock on it
    void DeleteRecord();  // releases this session's lock on the item too
    void CloseFile();

    const std::string& FileName() const { return fileName_; }
    // The backend's name for the open file, for calls the session makes on it.
    int Handle() const { return handle_; }
    int Error() const { return error_; }

private:
    void Read(int lockFlags);
    // Runs call on the backend, Error set to what it returns, or failure when it throws
    // or the file is closed.
    template <typename Call>
    void Run(int failure, Call call);

    std::shared_ptr<Backend> backend_;
    int handle_;
    std::string fileName_;
    std::string recordId_;
    DynamicArray record_;
    int error_ = 0;
};

}  // namespace mv
