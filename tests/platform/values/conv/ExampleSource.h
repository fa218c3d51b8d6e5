// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <set>
#include <string>
#include <tuple>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/values/RecordSource.h"

namespace mv::values {

// The account the T examples of docs/values.md read: the file STATES and nothing else.
class ExampleSource : public RecordSource {
public:
    ExampleSource() {
        records_[{"STATES", false, "NY"}] =
            "New York\xFE"
            "Albany";
        records_[{"STATES", false, "TX"}] = "Texas";
        records_[{"STATES", false, "LIST"}] =
            "a\xFD"
            "b";
    }
    int Read(const std::string& file, bool dictionary, const std::string& id,
             std::string& record) override {
        ++reads;
        if (file != "STATES" || dictionary) {
            return kNoSuchDictionary;
        }
        auto found = records_.find({file, dictionary, id});
        if (found == records_.end()) {
            return kRecordNotFound;
        }
        record = found->second;
        return kOk;
    }
    int reads = 0;

private:
    std::map<std::tuple<std::string, bool, std::string>, std::string> records_;
};

}  // namespace mv::values
