// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/CompileCommand.h"

#include <algorithm>
#include <new>
#include <unordered_set>

#include "platform/mv/AtomicFile.h"
#include "platform/mv/CommandWords.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ItemFiles.h"
#include "platform/mv/ItemIdEscaping.h"
#include "platform/mv/RecordFormat.h"
#include "platform/mv/compiler/CompileMessages.h"
#include "platform/mv/compiler/DictionaryCompiler.h"
#include "platform/mv/compiler/DirectoryItemSource.h"
#include "platform/mv/compiler/NameResolver.h"

namespace mv {
namespace {

void AddLine(std::string& response, const std::string& line) {
    if (!response.empty()) {
        response += '\n';
    }
    response += line;
}

// The ids to compile, or a failed result when a named item is missing or unreadable.
bool ChooseItems(DirectoryItemSource& source, const CompileCommand& command,
                 std::vector<std::string>& ids, CommandResult& failure) {
    if (command.items.empty()) {
        if (!source.LoadAll(ids)) {
            failure.error = kReadFailed;
            failure.response = messages::UnreadableDictionary(command.fileName);
            return false;
        }
        // An item that could not be read may be a descriptor: it stays, to be reported.
        const auto notDescriptor = [&source](const std::string& id) {
            const std::string* record = source.Find(id);
            return record == nullptr ? !source.Unreadable(id)
                                     : !IsDescriptorType(TypeCodeOf(*record));
        };
        ids.erase(std::remove_if(ids.begin(), ids.end(), notDescriptor), ids.end());
        std::sort(ids.begin(), ids.end());
        return true;
    }
    const std::string* record = nullptr;
    std::vector<std::string> missing, unreadable;
    for (const std::string& id : command.items) {
        const int error = source.Load(id, record);
        if (error == kRecordNotFound) {
            missing.push_back(id);
        } else if (error != kOk) {
            unreadable.push_back(id);
        }
    }
    if (missing.empty() && unreadable.empty()) {
        ids = command.items;
        return true;
    }
    if (command.items.size() > 1 && source.Load(command.itemText, record) == kOk) {
        ids = {command.itemText};
        return true;
    }
    failure.error = missing.empty() ? kReadFailed : kRecordNotFound;
    for (const std::string& id : missing) {
        AddLine(failure.response, messages::NoSuchItemLine(id, command.fileName));
    }
    for (const std::string& id : unreadable) {
        AddLine(failure.response, messages::UnreadableItemLine(id));
    }
    return false;
}

bool WriteItem(int dirFd, const std::string& id, const std::string& record,
               const std::function<void(const std::string&)>& replaced) {
    std::string name, bytes;
    if (!EscapeItemId(id, name) || !RecordToFileBytes(record, bytes)) {
        return false;
    }
    replaced(name);
    return ReplaceFileAtomically(dirFd, name, bytes);
}

// One item in place of its copy in another source, for compiling its new bytes.
class ReplacedItemSource final : public ItemSource {
public:
    ReplacedItemSource(ItemSource& base, const std::string& id, std::string record)
        : base_(base), id_(id), record_(std::move(record)) {}
    const std::string* Find(const std::string& id) override {
        return id == id_ ? &record_ : base_.Find(id);
    }
    bool Unreadable(const std::string& id) override { return id != id_ && base_.Unreadable(id); }

private:
    ItemSource& base_;
    const std::string& id_;
    std::string record_;
};

// The record lock of one item for its write-back, unless the session held it already;
// released at the end unless it was.
class WriteBackLock {
public:
    WriteBackLock(DictionaryLocks* locks, const std::string& id) : id_(id) {
        if (locks != nullptr && !locks->HoldsExclusive(id)) {
            taken_ = locks->Lock(id, kLockExclusive, std::chrono::milliseconds(0),
                                 /*noted=*/false) == kOk;
            locks_ = taken_ ? locks : nullptr;
            refused_ = !taken_;
        }
    }
    ~WriteBackLock() {
        if (locks_ != nullptr) {
            locks_->Release(id_);
        }
    }
    WriteBackLock(const WriteBackLock&) = delete;
    WriteBackLock& operator=(const WriteBackLock&) = delete;
    bool Refused() const { return refused_; }

private:
    DictionaryLocks* locks_ = nullptr;
    const std::string& id_;
    bool taken_ = false;
    bool refused_ = false;
};

// The compilation of id to write back, from the bytes the item holds now: the one made
// from the dictionary as read when they are the same, else a new one.
ItemCompilation AsItStandsNow(int dirFd, DirectoryItemSource& source, const std::string& id,
                              ItemCompilation compiled) {
    std::string name, current;
    if (!EscapeItemId(id, name)) {
        return compiled;
    }
    const int error = ReadItemFile(dirFd, name.c_str(), current, nullptr);
    if (error != kOk) {
        compiled.status = error == kRecordNotFound ? ItemCompilation::Status::kMissing
                                                   : ItemCompilation::Status::kUnreadable;
        return compiled;
    }
    FileBytesToRecord(current);
    const std::string* read = source.Find(id);
    if (read != nullptr && *read == current) {
        return compiled;
    }
    ReplacedItemSource changed(source, id, std::move(current));
    return DictionaryCompiler(changed).Compile(id);
}

void CompileItems(int dirFd, const CompileCommand& command,
                  const std::function<DictionaryLocks*()>& locksOf,
                  const std::function<void(const std::string&)>& replaced, CommandResult& result) {
    DirectoryItemSource source(dirFd);
    std::vector<std::string> ids;
    if (!ChooseItems(source, command, ids, result)) {
        return;
    }
    if (ids.empty()) {
        AddLine(result.response, messages::NoDescriptorsLine(command.fileName));
    }

    DictionaryCompiler compiler(source);
    std::size_t compiled = 0, failed = 0;
    DictionaryLocks* locks = nullptr;  // asked for once an item is to be written back
    bool locksAsked = false;
    for (const std::string& id : ids) {
        ItemCompilation item = compiler.Compile(id);
        const bool writesBack = item.status == ItemCompilation::Status::kCompiled;
        if (writesBack && !locksAsked) {
            locks = locksOf();
            locksAsked = true;
        }
        const WriteBackLock lock(writesBack ? locks : nullptr, id);
        if (lock.Refused()) {
            LockHolder holder;
            locks->Holder(id, holder);
            AddLine(result.response, messages::LockedItemLine(id, LockedByWords(holder)));
            ++failed;
            continue;
        }
        if (item.status == ItemCompilation::Status::kCompiled) {
            item = AsItStandsNow(dirFd, source, id, std::move(item));
        }
        switch (item.status) {
            case ItemCompilation::Status::kCompiled:
                if (WriteItem(dirFd, id, item.record, replaced)) {
                    AddLine(result.response, messages::CompiledLine(id));
                    ++compiled;
                } else {
                    AddLine(result.response, messages::WriteFailedLine(id));
                    result.error = kWriteFailed;
                    ++failed;
                }
                break;
            case ItemCompilation::Status::kFailed:
                AddLine(result.response, messages::ErrorLine(id, item.column, item.message));
                ++failed;
                break;
            case ItemCompilation::Status::kNotDescriptor:
                AddLine(result.response, messages::NotADescriptorLine(id, item.typeCode));
                ++failed;
                break;
            case ItemCompilation::Status::kMissing:
                AddLine(result.response, messages::NoSuchItemLine(id, command.fileName));
                ++failed;
                break;
            case ItemCompilation::Status::kUnreadable:
                AddLine(result.response, messages::UnreadableItemLine(id));
                result.error = kReadFailed;
                ++failed;
                break;
        }
    }
    AddLine(result.response, messages::SummaryLine(compiled, failed));
}

}  // namespace

bool IsCompileCommand(std::string_view text) {
    const std::vector<std::string_view> words = SplitOnBlanks(text);
    return !words.empty() && UpperCase(words[0]) == "CD";
}

int ParseCompileCommand(std::string_view text, CompileCommand& command, std::string& message) {
    command = CompileCommand{};
    message.clear();
    const std::vector<std::string_view> words = SplitOnBlanks(text);
    if (words.size() < 2) {
        message = messages::NoFileName();
        return kCommandSyntax;
    }
    command.fileName = std::string(words[1]);
    const std::size_t fileEnd =
        static_cast<std::size_t>(words[1].data() - text.data()) + words[1].size();
    if (fileEnd < text.size()) {
        command.itemText = std::string(text.substr(fileEnd + 1));
    }
    std::unordered_set<std::string_view> seen;
    for (std::size_t i = 2; i < words.size(); ++i) {
        if (seen.insert(words[i]).second) {
            command.items.emplace_back(words[i]);
        }
    }
    return kOk;
}

CommandResult RunCompileCommand(int dirFd, const CompileCommand& command,
                                const std::function<DictionaryLocks*()>& locks,
                                const std::function<void(const std::string&)>& replaced) {
    CommandResult result;
    // Items compiled before memory ran out stay written and are reported; the rest are
    // left as they were.
    try {
        CompileItems(dirFd, command, locks, replaced, result);
    } catch (const std::bad_alloc&) {
        result.error = kOutOfMemory;
        AddLine(result.response, messages::OutOfMemory());
    }
    return result;
}

}  // namespace mv
