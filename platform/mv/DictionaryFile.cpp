// SPDX-License-Identifier: MIT
#include "platform/mv/DictionaryFile.h"

#include "platform/mv/Backend.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RecordLocks.h"

namespace mv {

DictionaryFile::DictionaryFile(std::shared_ptr<Backend> backend, int handle, std::string fileName)
    : backend_(std::move(backend)), handle_(handle), fileName_(std::move(fileName)) {}

DictionaryFile::~DictionaryFile() {
    CloseFile();
}

template <typename Call>
void DictionaryFile::Run(int failure, Call call) {
    if (!backend_) {
        error_ = kFileClosed;
        return;
    }
    try {
        error_ = call(*backend_);
    } catch (...) {
        error_ = failure;
    }
}

void DictionaryFile::Read(int lockFlags) {
    std::string text;
    Run(kReadFailed,
        [&](Backend& backend) { return backend.Read(handle_, recordId_, text, lockFlags); });
    record_ = error_ == kOk ? DynamicArray(std::move(text)) : DynamicArray();
}

void DictionaryFile::Read() {
    Read(0);
}

void DictionaryFile::ReadForUpdate() {
    Read(kLockExclusive);
}

void DictionaryFile::LockRecord() {
    Run(kReadFailed,
        [&](Backend& backend) { return backend.Lock(handle_, recordId_, kLockExclusive); });
}

void DictionaryFile::ReleaseRecord() {
    Run(kReadFailed, [&](Backend& backend) { return backend.Release(handle_, recordId_); });
}

void DictionaryFile::ReleaseAllLocks() {
    Run(kReadFailed, [&](Backend& backend) { return backend.ReleaseAll(handle_); });
}

int DictionaryFile::RecordLockState() {
    int state = kLockFree;
    Run(kReadFailed,
        [&](Backend& backend) { return backend.LockState(handle_, recordId_, state); });
    return state;
}

LockHolder DictionaryFile::RecordLockHolder() {
    LockHolder holder;
    try {
        if (backend_) {
            backend_->Holder(handle_, recordId_, holder);
        }
    } catch (...) {
        holder = LockHolder();
    }
    return holder;
}

std::string DictionaryFile::LockedByWords() {
    return mv::LockedByWords(RecordLockHolder());
}

bool DictionaryFile::Writable() const {
    try {
        return backend_ && backend_->Writable(handle_);
    } catch (...) {
        return true;  // not known: the write will tell
    }
}

void DictionaryFile::Write() {
    Run(kWriteFailed, [&](Backend& backend) {
        return backend.Write(handle_, recordId_, record_.Text(), /*keepLock=*/false);
    });
}

void DictionaryFile::DeleteRecord() {
    Run(kDeleteFailed,
        [&](Backend& backend) { return backend.Delete(handle_, recordId_, /*keepLock=*/false); });
}

void DictionaryFile::CloseFile() {
    if (backend_) {
        backend_->CloseFile(handle_);
    }
    backend_.reset();
    error_ = kOk;
}

}  // namespace mv
