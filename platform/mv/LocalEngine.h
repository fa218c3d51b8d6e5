// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/mv/Backend.h"
#include "platform/mv/RecordLocks.h"
#include "platform/mv/SelectCommand.h"
#include "platform/mv/SelectSnapshot.h"
#include "platform/mv/UniqueFd.h"

namespace mv {

// The engine of a session with no host: an account directory on this machine, with the
// dictionary of file NAME in the directory D_NAME, its records in the directory NAME, and
// each item in a file of its own.
class LocalEngine final : public Backend {
public:
    // kOk with engine set, or kAccountNotFound. Unless sweepTemporaryFiles is false, the
    // first open of each dictionary folder removes the stale temporary files of writes
    // that never finished (TemporaryFiles.h).
    static int Open(const std::string& accountPath, std::shared_ptr<LocalEngine>& engine,
                    bool sweepTemporaryFiles = true);

    bool IsActive() const override { return account_.Valid(); }
    void Shutdown() override;

    int OpenDictionary(const std::string& fileName, int& handle) override;
    int OpenData(const std::string& fileName, int& handle) override;
    void CloseFile(int handle) override;
    int Read(int handle, const std::string& id, std::string& record, int lockFlags) override;
    int Write(int handle, const std::string& id, const std::string& record, bool keepLock) override;
    int Delete(int handle, const std::string& id, bool keepLock) override;
    void BeginWriteBatch() override;
    int EndWriteBatch() override;
    int Lock(int handle, const std::string& id, int lockFlags) override;
    int Release(int handle, const std::string& id) override;
    int ReleaseAll(int handle) override;
    int LockState(int handle, const std::string& id, int& state) override;
    // The holder its lock note names, when another session holds the item.
    int Holder(int handle, const std::string& id, LockHolder& holder) override;
    bool Writable(int handle) override;
    // Whether this session holds any record lock now.
    bool HoldsLocks() const;

    // How long a lock request with kLockWait waits for another session's lock.
    void SetLockWaitLimit(std::chrono::milliseconds limit) { lockWaitLimit_ = limit; }
    // Who the notes of this session's locks name: by default the login name, no number.
    void SetIdentity(HolderIdentity identity) { identity_ = std::move(identity); }
    // The locks held now in every file of the account, by every session that notes its
    // locks, each with its file.
    std::vector<LockHolder> HeldLocks() const;

    CommandResult Execute(const std::string& text) override;
    // Evaluates with the values layer: the record, the dictionary and the files TRANS
    // names are read through this engine, at the clock's time of the call.
    int Itype(const std::string& file, const std::string& id, const std::string& item,
              std::string& result) override;

private:
    LocalEngine(UniqueFd account, bool sweepTemporaryFiles)
        : account_(std::move(account)), sweepTemporaryFiles_(sweepTemporaryFiles) {}

    struct Directory {
        UniqueFd fd;  // not valid for a data file whose folder does not exist yet
        DirectoryId id;
        std::set<std::string> lockedIds;  // the locks taken through this handle
        std::string dataFolder;           // the folder's name, for a data file
        mode_t newFolderMode = 0;         // what a missing data folder is made with
    };
    // The directory of an open handle, or null when the handle is closed.
    Directory* DirectoryOf(int handle);
    // Whether the handle's folder exists: a data file's is looked for again each time, as
    // another session may have made it.
    bool HasFolder(Directory& directory);
    // Makes the missing folder of a data file, before the first lock or write in it.
    int MakeFolder(Directory& directory);
    // The session's locks in the folder of `directory`, the lock file opened on first use.
    DictionaryLocks& LocksOf(const Directory& directory);
    int TakeLock(Directory& directory, const std::string& id, int lockFlags, bool noted = true);
    // Before a write or delete: kOk when no other session holds the item (this one then
    // holds it exclusively), else kRecordLocked. A lock kept after the change is noted.
    int LockForChange(Directory& directory, const std::string& id, bool keepLock);
    void AfterChange(Directory& directory, const std::string& id, bool keepLock);
    // Opens the folder directoryName of the account: kOk, kNoSuchDictionary or
    // kDictionaryUnreadable.
    int OpenFolder(const std::string& directoryName, Directory& directory);
    // Opens D_<fileName>: kOk, kBadFileName, kNoSuchDictionary or kDictionaryUnreadable.
    int OpenDirectory(const std::string& fileName, Directory& directory);
    // Opens the data folder <fileName>: as OpenDirectory, but a file with a dictionary and
    // no data folder opens, as a file with no records.
    int OpenDataDirectory(const std::string& fileName, Directory& directory);
    // For a command naming a file: opens its dictionary, or fills the error and response
    // of `result` and returns false.
    bool OpenCommandDirectory(const std::string& fileName, bool dictionary, Directory& directory,
                              CommandResult& result);
    // The ids a select of a data file gives, or false with the error in result.
    bool SelectData(SelectCommand& command, CommandResult& result);
    CommandResult Select(const std::string& text);
    CommandResult Compile(const std::string& text);
    CommandResult ListLocks() const;

    struct DirectoryIdHash {
        std::size_t operator()(const DirectoryId& id) const {
            return std::hash<ino_t>()(id.inode) ^ (std::hash<dev_t>()(id.device) << 1);
        }
    };

    // A write or delete of a batch, made at its end: a write's bytes already lie in
    // `temporary` in the folder, not yet flushed; a delete has none.
    struct HeldChange {
        int handle = 0;
        std::string id;
        std::string fileName;
        std::string temporary;
        bool keepLock = false;
    };
    int MakeHeldChange(const HeldChange& change);

    UniqueFd account_;
    bool sweepTemporaryFiles_;
    bool batching_ = false;
    std::vector<HeldChange> held_;
    std::unordered_set<DirectoryId, DirectoryIdHash> swept_;  // folders swept this session
    std::unordered_map<int, Directory> files_;
    std::map<std::pair<dev_t, ino_t>, std::unique_ptr<DictionaryLocks>> locks_;
    std::chrono::milliseconds lockWaitLimit_{10000};
    HolderIdentity identity_{LoginName(), 0, ""};
    int lastHandle_ = 0;
    SelectSnapshot snapshot_;
    std::string nameBuffer_;  // the escaped id of the current call, reused to spare allocations
    std::string bytesBuffer_;
};

}  // namespace mv
