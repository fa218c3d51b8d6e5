// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <unordered_map>

#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/values/RecordSource.h"
#include "platform/mv/values/eval/Costs.h"

namespace mv::values {

// The caller's record source, with every read counted against the limits and every
// record held within the text limit.
class CountingSource final : public RecordSource {
public:
    CountingSource(RecordSource& source, Costs& costs) : source_(source), costs_(costs) {}
    int Read(const std::string& file, bool dictionary, const std::string& id,
             std::string& record) override;

private:
    RecordSource& source_;
    Costs& costs_;
};

// The dictionary of another file, read item by item through the record source when TRANS
// names one of its items; each item is read once.
class OtherDictionary final : public ItemSource {
public:
    OtherDictionary(RecordSource& source, std::string file)
        : source_(source), file_(std::move(file)) {}
    const std::string* Find(const std::string& id) override;
    bool Unreadable(const std::string& id) override;

private:
    struct Read {
        int code = 0;
        std::string record;
    };
    RecordSource& source_;
    std::string file_;
    std::unordered_map<std::string, Read> items_;
};

}  // namespace mv::values
