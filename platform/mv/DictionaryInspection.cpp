// SPDX-License-Identifier: MIT
#include "platform/mv/DictionaryInspection.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/mv/AccountNames.h"
#include "platform/mv/DirectoryListing.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ItemFiles.h"
#include "platform/mv/ItemIdEscaping.h"
#include "platform/mv/RecordFormat.h"
#include "platform/mv/RecordLocks.h"
#include "platform/mv/UniqueFd.h"

namespace mv {
namespace {

// Sorts one entry of the folder into the items or the problems.
class EntryReader {
public:
    EntryReader(int dirFd, DictionaryContents& contents) : dirFd_(dirFd), contents_(contents) {}

    void Take(const char* fileName) {
        const std::string_view name(fileName);
        std::string id;
        if (!UnescapeFileName(name, id)) {
            NotAnId(name);
            return;
        }
        struct stat st {};
        if (::fstatat(dirFd_, fileName, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
            Add(S_ISLNK(st.st_mode) ? EntryProblem::Kind::Link : EntryProblem::Kind::NotRegularFile,
                id);
            return;
        }
        std::string bytes;
        if (ReadItemFile(dirFd_, fileName, bytes, nullptr) != kOk) {
            Add(EntryProblem::Kind::Unreadable, id);
            return;
        }
        if (const void* mark = std::memchr(bytes.data(), '\xFE', bytes.size())) {
            EntryProblem& problem = Add(EntryProblem::Kind::HoldsFieldMark, id);
            problem.offset =
                static_cast<std::size_t>(static_cast<const char*>(mark) - bytes.data());
        }
        FileBytesToRecord(bytes);
        contents_.items.emplace_back(std::move(id), std::move(bytes));
    }

private:
    void NotAnId(std::string_view name) {
        // Escaping never gives a leading dot: such a file is hidden, or left by a write
        // that did not finish, and is no item by design.
        if (name == kLockFileName || name == kLockNotesFolder) {
            return;  // the engine's record locks and the notes of who holds them
        }
        TemporaryFile debris;
        if (InspectTemporaryFile(dirFd_, std::string(name).c_str(), debris)) {
            Add(EntryProblem::Kind::TemporaryFile, std::string(name)).debris = debris;
            return;
        }
        if (name.front() == '.') {
            Add(EntryProblem::Kind::HiddenFile, std::string(name));
            return;
        }
        EntryProblem& problem = Add(EntryProblem::Kind::NotAnItemName, std::string(name));
        if (!EscapeItemId(name, problem.fileNameForId)) {
            problem.fileNameForId.clear();
        }
    }

    EntryProblem& Add(EntryProblem::Kind kind, std::string name) {
        EntryProblem& problem = contents_.problems.emplace_back();
        problem.kind = kind;
        problem.name = std::move(name);
        return problem;
    }

    int dirFd_;
    DictionaryContents& contents_;
};

}  // namespace

int InspectDictionary(const std::string& accountPath, const std::string& fileName,
                      DictionaryContents& contents) {
    contents = DictionaryContents();
    std::string directoryName;
    if (!DictionaryDirectoryName(fileName, directoryName)) {
        return kBadFileName;
    }
    const UniqueFd account(::open(accountPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!account.Valid()) {
        return kAccountNotFound;
    }
    const UniqueFd directory(::openat(account.Get(), directoryName.c_str(),
                                      O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!directory.Valid()) {
        return errno == ENOENT ? kNoSuchDictionary : kDictionaryUnreadable;
    }
    EntryReader reader(directory.Get(), contents);
    const bool listed = ForEachEntry(directory.Get(),
                                     [&reader](const dirent& entry) { reader.Take(entry.d_name); });
    return listed ? kOk : kDictionaryUnreadable;
}

}  // namespace mv
