// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/mv/values/RecordSource.h"

namespace mv {
class Backend;
}

namespace mv::values {

// The records TRANS, XLATE and T conversions read, through any backend: the local engine
// (the program's own, or kelvora-server's session) or a server. Each file is opened once
// and kept open while the source lives; a file the account does not have is remembered
// as such, so a descriptor read on thousands of records asks once.
class BackendRecordSource final : public RecordSource {
public:
    explicit BackendRecordSource(std::shared_ptr<Backend> backend);
    ~BackendRecordSource() override;
    BackendRecordSource(const BackendRecordSource&) = delete;
    BackendRecordSource& operator=(const BackendRecordSource&) = delete;

    int Read(const std::string& file, bool dictionary, const std::string& id,
             std::string& record) override;

private:
    // Handle of the open file, or the code its open gave (negative: not tried yet).
    struct Opened {
        int handle = 0;
        int error = 0;
    };

    std::shared_ptr<Backend> backend_;
    std::map<std::pair<std::string, bool>, Opened> files_;
};

}  // namespace mv::values
