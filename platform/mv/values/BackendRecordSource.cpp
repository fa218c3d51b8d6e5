// SPDX-License-Identifier: MIT
#include "platform/mv/values/BackendRecordSource.h"

#include "platform/mv/Backend.h"
#include "platform/mv/ErrorCodes.h"

namespace mv::values {

namespace {

// No expression names more files than this; past it, files are opened for each read.
constexpr std::size_t kFilesKeptOpen = 64;

}  // namespace

BackendRecordSource::BackendRecordSource(std::shared_ptr<Backend> backend)
    : backend_(std::move(backend)) {}

BackendRecordSource::~BackendRecordSource() {
    if (!backend_ || !backend_->IsActive()) {
        return;
    }
    for (const auto& [file, opened] : files_) {
        if (opened.error == kOk) {
            backend_->CloseFile(opened.handle);
        }
    }
}

int BackendRecordSource::Read(const std::string& file, bool dictionary, const std::string& id,
                              std::string& record) {
    record.clear();
    if (!backend_ || !backend_->IsActive()) {
        return kNotConnected;
    }
    const auto key = std::make_pair(file, dictionary);
    auto found = files_.find(key);
    if (found == files_.end()) {
        Opened opened;
        opened.error = dictionary ? backend_->OpenDictionary(file, opened.handle)
                                  : backend_->OpenData(file, opened.handle);
        if (files_.size() >= kFilesKeptOpen) {
            if (opened.error != kOk) {
                return opened.error;
            }
            const int error = backend_->Read(opened.handle, id, record, 0);
            backend_->CloseFile(opened.handle);
            return error;
        }
        found = files_.emplace(key, opened).first;
    }
    if (found->second.error != kOk) {
        return found->second.error;
    }
    return backend_->Read(found->second.handle, id, record, 0);
}

}  // namespace mv::values
