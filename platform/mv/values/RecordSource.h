// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace mv::values {

// Where TRANS, XLATE and the T conversion read the records of other files: the session's
// backend (the local engine or a server), so a value is the same whoever serves it.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // Record `id` of the data of file `file` (dictionary false) or of its dictionary:
    // kOk with the record's bytes; kRecordNotFound; or the code the open of the file
    // gave (kNoSuchDictionary when the account has no file of that name).
    virtual int Read(const std::string& file, bool dictionary, const std::string& id,
                     std::string& record) = 0;
};

}  // namespace mv::values
