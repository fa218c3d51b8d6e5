// SPDX-License-Identifier: MIT
#include "platform/mv/DictionaryFile.h"

#include "platform/mv/Backend.h"
#include "platform/mv/ErrorCodes.h"

namespace mv {

DictionaryFile::DictionaryFile(std::shared_ptr<Backend> backend, int handle, std::string fileName)
    : backend_(std::move(backend)), handle_(handle), fileName_(std::move(fileName)) {}

DictionaryFile::~DictionaryFile() {
    CloseFile();
}

void DictionaryFile::Read() {
    if (!backend_) {
        record_ = DynamicArray();
        error_ = kFileClosed;
        return;
    }
    try {
        std::string text;
        error_ = backend_->Read(handle_, recordId_, text);
        record_ = error_ == kOk ? DynamicArray(std::move(text)) : DynamicArray();
    } catch (...) {
        record_ = DynamicArray();
        error_ = kReadFailed;
    }
}

void DictionaryFile::Write() {
    if (!backend_) {
        error_ = kFileClosed;
        return;
    }
    try {
        error_ = backend_->Write(handle_, recordId_, record_.Text());
    } catch (...) {
        error_ = kWriteFailed;
    }
}

void DictionaryFile::DeleteRecord() {
    if (!backend_) {
        error_ = kFileClosed;
        return;
    }
    try {
        error_ = backend_->Delete(handle_, recordId_);
    } catch (...) {
        error_ = kDeleteFailed;
    }
}

void DictionaryFile::CloseFile() {
    if (backend_) {
        backend_->CloseFile(handle_);
    }
    backend_.reset();
    error_ = kOk;
}

}  // namespace mv
