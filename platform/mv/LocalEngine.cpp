// SPDX-License-Identifier: MIT
#include "platform/mv/LocalEngine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "platform/mv/AccountListing.h"
#include "platform/mv/AccountNames.h"
#include "platform/mv/AtomicFile.h"
#include "platform/mv/CommandWords.h"
#include "platform/mv/DataFieldNames.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ItemFiles.h"
#include "platform/mv/ItemIdEscaping.h"
#include "platform/mv/LocalSelect.h"
#include "platform/mv/RecordFormat.h"
#include "platform/mv/TemporaryFiles.h"
#include "platform/mv/compiler/CompileCommand.h"
#include "platform/mv/compiler/CompileMessages.h"

namespace mv {

namespace {

bool IsLockListCommand(const std::string& text) {
    const std::vector<std::string_view> words = SplitOnBlanks(text);
    return words.size() == 1 && UpperCase(words[0]) == "LIST.READU";
}

}  // namespace

int LocalEngine::Open(const std::string& accountPath, std::shared_ptr<LocalEngine>& engine,
                      bool sweepTemporaryFiles) {
    engine.reset();
    if (accountPath.empty() || accountPath.find('\0') != std::string::npos) {
        return kAccountNotFound;
    }
    UniqueFd account(::open(accountPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Opening needs read permission; finding the files inside needs search permission.
    if (!account.Valid() || ::faccessat(account.Get(), ".", R_OK | X_OK, 0) != 0) {
        return kAccountNotFound;
    }
    engine.reset(new LocalEngine(std::move(account), sweepTemporaryFiles));
    return kOk;
}

void LocalEngine::Shutdown() {
    files_.clear();
    locks_.clear();  // closing the lock files releases every lock
    snapshot_.Clear();
    account_.Reset();
}

int LocalEngine::OpenFolder(const std::string& directoryName, Directory& directory) {
    // A link is not followed: it could lead out of the account. Like a plain file in
    // the dictionary's place, it is no dictionary at all.
    directory.fd = UniqueFd(::openat(account_.Get(), directoryName.c_str(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!directory.fd.Valid()) {
        return (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) ? kNoSuchDictionary
                                                                       : kDictionaryUnreadable;
    }
    // A folder that opens but may not be listed or searched (mode 0400, say) is as
    // unreadable as one that does not open: no item in it could be read.
    struct stat st {};
    if (::fstat(directory.fd.Get(), &st) != 0 ||
        ::faccessat(directory.fd.Get(), ".", R_OK | X_OK, AT_EACCESS) != 0) {
        return kDictionaryUnreadable;
    }
    directory.id = DirectoryId{st.st_dev, st.st_ino};
    // Debris of interrupted writes goes the first time a session opens the folder. A
    // sweep that fails changes nothing for the open.
    if (sweepTemporaryFiles_ && swept_.insert(directory.id).second) {
        RemoveStaleTemporaryFiles(directory.fd.Get());
    }
    return kOk;
}

int LocalEngine::OpenDirectory(const std::string& fileName, Directory& directory) {
    std::string directoryName;
    if (!DictionaryDirectoryName(fileName, directoryName)) {
        return kBadFileName;
    }
    return OpenFolder(directoryName, directory);
}

int LocalEngine::OpenDataDirectory(const std::string& fileName, Directory& directory) {
    if (!DataDirectoryName(fileName, directory.dataFolder)) {
        return kBadFileName;
    }
    const int error = OpenFolder(directory.dataFolder, directory);
    if (error != kNoSuchDictionary) {
        return error;
    }
    // A file whose dictionary exists has no records yet; its folder is made like the
    // dictionary's when one is first written or locked.
    Directory dictionary;
    if (OpenDirectory(fileName, dictionary) == kNoSuchDictionary) {
        return kNoSuchDictionary;
    }
    struct stat st {};
    directory.newFolderMode = dictionary.fd.Valid() && ::fstat(dictionary.fd.Get(), &st) == 0
                                  ? (st.st_mode & 07777)
                                  : 0777;
    directory.fd.Reset();
    return kOk;
}

bool LocalEngine::HasFolder(Directory& directory) {
    if (directory.fd.Valid()) {
        return true;
    }
    return !directory.dataFolder.empty() && OpenFolder(directory.dataFolder, directory) == kOk;
}

int LocalEngine::MakeFolder(Directory& directory) {
    if (HasFolder(directory)) {
        return kOk;
    }
    // Another session may make it at the same moment: then both use that one.
    if (::mkdirat(account_.Get(), directory.dataFolder.c_str(), directory.newFolderMode) != 0 &&
        errno != EEXIST) {
        return kWriteFailed;
    }
    return HasFolder(directory) ? kOk : kWriteFailed;
}
int LocalEngine::OpenDictionary(const std::string& fileName, int& handle) {
    handle = 0;
    if (!IsActive()) {
        return kNotConnected;
    }
    Directory directory;
    if (const int error = OpenDirectory(fileName, directory)) {
        return error;
    }
    handle = ++lastHandle_;
    files_.emplace(handle, std::move(directory));
    return kOk;
}

int LocalEngine::OpenData(const std::string& fileName, int& handle) {
    handle = 0;
    if (!IsActive()) {
        return kNotConnected;
    }
    Directory directory;
    if (const int error = OpenDataDirectory(fileName, directory)) {
        return error;
    }
    handle = ++lastHandle_;
    files_.emplace(handle, std::move(directory));
    return kOk;
}

void LocalEngine::CloseFile(int handle) {
    const auto closing = files_.find(handle);
    if (closing == files_.end()) {
        return;
    }
    const DirectoryId folder = closing->second.id;
    std::set<std::string> releasing = std::move(closing->second.lockedIds);
    files_.erase(closing);
    bool folderStillOpen = false;
    for (const auto& [otherHandle, other] : files_) {
        if (other.id == folder) {
            folderStillOpen = true;
            for (const std::string& id : other.lockedIds) {
                releasing.erase(id);  // still held through a handle that stays open
            }
        }
    }
    const auto locks = locks_.find({folder.device, folder.inode});
    if (locks == locks_.end()) {
        return;
    }
    if (!folderStillOpen) {
        locks_.erase(locks);  // closing the lock file releases its locks
        return;
    }
    for (const std::string& id : releasing) {
        locks->second->Release(id);
    }
}

LocalEngine::Directory* LocalEngine::DirectoryOf(int handle) {
    const auto found = files_.find(handle);
    return found == files_.end() ? nullptr : &found->second;
}

DictionaryLocks& LocalEngine::LocksOf(const Directory& directory) {
    std::unique_ptr<DictionaryLocks>& locks = locks_[{directory.id.device, directory.id.inode}];
    if (!locks) {
        locks = std::make_unique<DictionaryLocks>(directory.fd.Get(), &identity_);
    }
    // The handle that first opened the folder may be closed by now.
    locks->SetFolder(directory.fd.Get());
    return *locks;
}

int LocalEngine::TakeLock(Directory& directory, const std::string& id, int lockFlags, bool noted) {
    const int error = LocksOf(directory).Lock(id, lockFlags, lockWaitLimit_, noted);
    if (error == kOk) {
        directory.lockedIds.insert(id);
    }
    return error;
}

int LocalEngine::LockForChange(Directory& directory, const std::string& id, bool keepLock) {
    if (LocksOf(directory).HoldsExclusive(id)) {
        return kOk;
    }
    return TakeLock(directory, id, kLockExclusive, keepLock);
}

void LocalEngine::AfterChange(Directory& directory, const std::string& id, bool keepLock) {
    if (!keepLock) {
        LocksOf(directory).Release(id);
        directory.lockedIds.erase(id);
    }
}

int LocalEngine::Lock(int handle, const std::string& id, int lockFlags) {
    Directory* directory = DirectoryOf(handle);
    if (directory == nullptr) {
        return kFileClosed;
    }
    if (!EscapeItemId(id, nameBuffer_)) {
        return kBadItemId;
    }
    if (const int error = MakeFolder(*directory); error != kOk) {
        return error;
    }
    return TakeLock(*directory, id, lockFlags);
}

int LocalEngine::Release(int handle, const std::string& id) {
    Directory* directory = DirectoryOf(handle);
    if (directory == nullptr) {
        return kFileClosed;
    }
    if (!HasFolder(*directory)) {
        return kOk;  // no lock can be held in a folder that does not exist
    }
    LocksOf(*directory).Release(id);
    directory->lockedIds.erase(id);
    return kOk;
}

int LocalEngine::ReleaseAll(int handle) {
    if (DirectoryOf(handle) == nullptr) {
        return kFileClosed;
    }
    for (auto& [folder, locks] : locks_) {
        locks->ReleaseAll();
    }
    for (auto& [open, directory] : files_) {
        directory.lockedIds.clear();
    }
    return kOk;
}

bool LocalEngine::HoldsLocks() const {
    for (const auto& [handle, directory] : files_) {
        if (!directory.lockedIds.empty()) {
            return true;
        }
    }
    return false;
}

bool LocalEngine::Writable(int handle) {
    Directory* directory = DirectoryOf(handle);
    if (directory == nullptr) {
        return false;
    }
    // Replacing an item makes a file in the folder and renames it there; a data folder
    // yet to be made is made in the account.
    const int folder = HasFolder(*directory) ? directory->fd.Get() : account_.Get();
    return ::faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) == 0;
}

int LocalEngine::LockState(int handle, const std::string& id, int& state) {
    state = kLockFree;
    Directory* directory = DirectoryOf(handle);
    if (directory == nullptr) {
        return kFileClosed;
    }
    if (HasFolder(*directory)) {
        state = LocksOf(*directory).State(id);
    }
    return kOk;
}

int LocalEngine::Holder(int handle, const std::string& id, LockHolder& holder) {
    int state = kLockFree;
    if (const int error = LockState(handle, id, state); error != kOk) {
        return error;
    }
    if (state == kLockHeldExclusively || state == kLockHeldShared) {
        LocksOf(*DirectoryOf(handle)).Holder(id, holder);
    }
    return kOk;
}

int LocalEngine::Read(int handle, const std::string& id, std::string& record, int lockFlags) {
    record.clear();
    Directory* directory = DirectoryOf(handle);
    if (directory == nullptr) {
        return kFileClosed;
    }
    // No file can hold an id that does not escape, so there is no such item.
    if (!EscapeItemId(id, nameBuffer_)) {
        return kRecordNotFound;
    }
    if ((lockFlags & (kLockExclusive | kLockShared)) != 0) {
        if (const int error = MakeFolder(*directory); error != kOk) {
            return error;
        }
        if (const int error = TakeLock(*directory, id, lockFlags); error != kOk) {
            return error;
        }
    } else if (!HasFolder(*directory)) {
        return kRecordNotFound;
    }
    if (snapshot_.Take(directory->id, directory->fd.Get(), nameBuffer_, record)) {
        return kOk;
    }
    const int error = ReadItemFile(directory->fd.Get(), nameBuffer_.c_str(), record, nullptr);
    if (error == kOk) {
        FileBytesToRecord(record);
    }
    return error;
}

int LocalEngine::Write(int handle, const std::string& id, const std::string& record,
                       bool keepLock) {
    Directory* directory = DirectoryOf(handle);
    if (directory == nullptr) {
        return kFileClosed;
    }
    if (!EscapeItemId(id, nameBuffer_)) {
        return kBadItemId;
    }
    if (!RecordToFileBytes(record, bytesBuffer_)) {
        return kFieldHoldsLineFeed;
    }
    if (const int error = MakeFolder(*directory); error != kOk) {
        return error;
    }
    if (const int error = LockForChange(*directory, id, keepLock); error != kOk) {
        return error;
    }
    snapshot_.Forget(nameBuffer_);
    if (batching_) {
        HeldChange change{handle, id, nameBuffer_, {}, keepLock};
        if (!WriteTemporaryFor(directory->fd.Get(), nameBuffer_, bytesBuffer_, Flush::Later,
                               change.temporary)) {
            AfterChange(*directory, id, keepLock);
            return kWriteFailed;
        }
        held_.push_back(std::move(change));
        return kOk;
    }
    const bool written = ReplaceFileAtomically(directory->fd.Get(), nameBuffer_, bytesBuffer_);
    AfterChange(*directory, id, keepLock);
    return written ? kOk : kWriteFailed;
}

int LocalEngine::Delete(int handle, const std::string& id, bool keepLock) {
    Directory* directory = DirectoryOf(handle);
    if (directory == nullptr) {
        return kFileClosed;
    }
    if (!EscapeItemId(id, nameBuffer_) || !HasFolder(*directory)) {
        return kRecordNotFound;
    }
    if (const int error = LockForChange(*directory, id, keepLock); error != kOk) {
        return error;
    }
    snapshot_.Forget(nameBuffer_);
    if (batching_) {
        held_.push_back({handle, id, nameBuffer_, {}, keepLock});
        return kOk;
    }
    const int error = DeleteItemFile(directory->fd.Get(), nameBuffer_);
    AfterChange(*directory, id, keepLock);
    return error;
}

void LocalEngine::BeginWriteBatch() {
    batching_ = true;
}

int LocalEngine::EndWriteBatch() {
    batching_ = false;
    std::vector<HeldChange> changes;
    changes.swap(held_);
    // Every new item's bytes reach the disk before any of them takes its name, so a crash
    // at any point leaves each item as it was or as written. Items kept in folders of one
    // file system (the usual case) are flushed by one call.
    std::set<std::pair<dev_t, ino_t>> flushed;
    int error = kOk;
    for (const HeldChange& change : changes) {
        Directory* directory = DirectoryOf(change.handle);
        if (directory != nullptr && !change.temporary.empty() &&
            flushed.insert({directory->id.device, 0}).second &&
            ::syncfs(directory->fd.Get()) != 0) {
            error = kWriteFailed;
        }
    }
    for (const HeldChange& change : changes) {
        const int made = error == kOk ? MakeHeldChange(change) : kWriteFailed;
        if (made != kOk && error == kOk) {
            error = made;
        }
        if (Directory* directory = DirectoryOf(change.handle)) {
            if (made != kOk && !change.temporary.empty()) {
                ::unlinkat(directory->fd.Get(), change.temporary.c_str(), 0);
            }
            AfterChange(*directory, change.id, change.keepLock);
        }
    }
    // The renames and deletes on disk before the caller says they are done.
    flushed.clear();
    for (const HeldChange& change : changes) {
        Directory* directory = DirectoryOf(change.handle);
        if (directory != nullptr &&
            flushed.insert({directory->id.device, directory->id.inode}).second &&
            ::fsync(directory->fd.Get()) != 0 && error == kOk) {
            error = kWriteFailed;
        }
    }
    return error;
}

int LocalEngine::MakeHeldChange(const HeldChange& change) {
    Directory* directory = DirectoryOf(change.handle);
    if (directory == nullptr) {
        return kFileClosed;
    }
    if (change.temporary.empty()) {
        return DeleteItemFile(directory->fd.Get(), change.fileName);
    }
    return PutInPlace(directory->fd.Get(), change.temporary, change.fileName) ? kOk : kWriteFailed;
}

CommandResult LocalEngine::Execute(const std::string& text) {
    CommandResult result;
    if (!IsActive()) {
        result.error = kNotConnected;
        result.response = "The session is not connected.";
        return result;
    }
    // Running out of memory ends the command, never the session or the program.
    try {
        if (IsLockListCommand(text)) {
            return ListLocks();
        }
        return IsCompileCommand(text) ? Compile(text) : Select(text);
    } catch (const std::bad_alloc&) {
        result.error = kOutOfMemory;
        result.response = messages::OutOfMemory();
        return result;
    }
}

bool LocalEngine::OpenCommandDirectory(const std::string& fileName, bool dictionary,
                                       Directory& directory, CommandResult& result) {
    const int openError =
        dictionary ? OpenDirectory(fileName, directory) : OpenDataDirectory(fileName, directory);
    if (openError == kDictionaryUnreadable) {
        result.error = kDictionaryUnreadable;
        result.response = dictionary ? messages::UnreadableDictionary(fileName)
                                     : "The records of \"" + fileName + "\" cannot be read.";
        return false;
    }
    if (openError != kOk) {
        result.error = kUnknownFileInCommand;
        result.response = messages::UnknownFile(fileName);
        return false;
    }
    return true;
}

CommandResult LocalEngine::Compile(const std::string& text) {
    CommandResult result;
    CompileCommand command;
    result.error = ParseCompileCommand(text, command, result.response);
    if (result.error != kOk) {
        return result;
    }
    Directory directory;
    if (!OpenCommandDirectory(command.fileName, /*dictionary=*/true, directory, result)) {
        return result;
    }
    // A record kept from the last select must not outlive the item it was read from.
    return RunCompileCommand(
        directory.fd.Get(), command, [this, &directory] { return &LocksOf(directory); },
        [this](const std::string& fileName) { snapshot_.Forget(fileName); });
}

CommandResult LocalEngine::Select(const std::string& text) {
    CommandResult result;
    SelectCommand command;
    result.error = ParseSelectCommand(text, command, result.response);
    // A select verb always replaces list 0, so a failed select never leaves the ids of
    // an earlier one behind to be taken for its result.
    result.setsSelectList = result.error != kUnknownCommand;
    if (result.error != kOk) {
        return result;
    }

    if (command.listsFiles) {
        result.ids = ListDictionariesAt(account_.Get());
    } else if (!command.dictionary) {
        if (!SelectData(command, result)) {
            return result;
        }
    } else {
        Directory directory;
        if (!OpenCommandDirectory(command.fileName, /*dictionary=*/true, directory, result)) {
            return result;
        }
        if (!RunSelect(directory.fd.Get(), directory.id, command, snapshot_, result.ids)) {
            result.error = kReadFailed;
            result.response = "The dictionary of \"" + command.fileName + "\" could not be listed.";
            return result;
        }
    }
    const std::size_t count = result.ids.size();
    result.response = std::to_string(count) + (count == 1 ? " record" : " records") +
                      " selected to SELECT list #0.";
    return result;
}

bool LocalEngine::SelectData(SelectCommand& command, CommandResult& result) {
    Directory directory;
    if (!OpenCommandDirectory(command.fileName, /*dictionary=*/false, directory, result)) {
        return false;
    }
    // The names of the clauses are the file's own dictionary's.
    Directory dictionary;
    const bool hasDictionary = OpenDirectory(command.fileName, dictionary) == kOk;
    result.error =
        ResolveDataNames(hasDictionary ? dictionary.fd.Get() : -1, command, result.response);
    if (result.error != kOk) {
        return false;
    }
    if (!HasFolder(directory)) {
        snapshot_.Clear();
        return true;  // no records yet
    }
    if (!RunSelect(directory.fd.Get(), directory.id, command, snapshot_, result.ids)) {
        result.error = kReadFailed;
        result.response = "The records of \"" + command.fileName + "\" could not be listed.";
        return false;
    }
    return true;
}

std::vector<LockHolder> LocalEngine::HeldLocks() const {
    std::vector<LockHolder> held;
    for (const std::string& name : ListDictionariesAt(account_.Get())) {
        for (const bool dictionary : {true, false}) {
            std::string folder;
            if (!(dictionary ? DictionaryDirectoryName(name, folder)
                             : DataDirectoryName(name, folder))) {
                continue;
            }
            const UniqueFd fd(::openat(account_.Get(), folder.c_str(),
                                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!fd.Valid()) {
                continue;
            }
            for (LockHolder& holder : LockNotes::Live(fd.Get())) {
                holder.file = dictionary ? "DICT " + name : name;
                held.push_back(std::move(holder));
            }
        }
    }
    return held;
}

CommandResult LocalEngine::ListLocks() const {
    CommandResult result;
    result.response = LockListing(HeldLocks());
    return result;
}

}  // namespace mv
