// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "platform/mv/DynamicArray.h"

namespace mv {

class Backend;

// The dictionary part of one file, as returned by Session::OpenDictionary.
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
    const DynamicArray& Record() const { return record_; }
    // The record read, for taking its fields with Field(n) without a copy.
    DynamicArray& Record() { return record_; }
    void SetRecord(DynamicArray record) { record_ = std::move(record); }
    void Write();  // stores Record under RecordId
    void DeleteRecord();
    void CloseFile();

    const std::string& FileName() const { return fileName_; }
    int Error() const { return error_; }

private:
    std::shared_ptr<Backend> backend_;
    int handle_;
    std::string fileName_;
    std::string recordId_;
    DynamicArray record_;
    int error_ = 0;
};

}  // namespace mv
