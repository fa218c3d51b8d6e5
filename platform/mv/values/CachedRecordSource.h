// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

#include "platform/mv/values/RecordSource.h"

namespace mv::values {

// Another source's records, each read once while this object lives: a TRANS of thousands
// of records that name the same few customers reads each customer once. Only what a read
// settles is kept (the record, or that there is none); any other answer is asked again.
// Past `budgetBytes` of kept records, further reads go straight to the source.
class CachedRecordSource final : public RecordSource {
public:
    explicit CachedRecordSource(RecordSource& source, std::size_t budgetBytes = 16u << 20)
        : source_(source), budget_(budgetBytes) {}

    int Read(const std::string& file, bool dictionary, const std::string& id,
             std::string& record) override;

private:
    struct Kept {
        int code = 0;
        std::string record;
    };

    RecordSource& source_;
    std::size_t budget_;
    std::size_t used_ = 0;
    std::string key_;
    std::unordered_map<std::string, Kept> kept_;
};

}  // namespace mv::values
