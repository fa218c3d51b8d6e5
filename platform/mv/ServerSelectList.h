// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mv {

// Select list 0 of a session: the ids the last select command left, handed out in order.
class ServerSelectList {
public:
    // Replaces what the list held; the next Next() starts at the first id.
    void Fill(std::vector<std::string> ids);
    void Clear();

    // The next id, or empty text once the list is exhausted; LastRecordRead is then true.
    std::string Next();
    bool LastRecordRead() const { return lastRecordRead_; }
    std::size_t Count() const { return ids_.size(); }
    int Error() const { return error_; }

private:
    std::vector<std::string> ids_;
    std::size_t position_ = 0;
    bool lastRecordRead_ = false;
    int error_ = 0;
};

}  // namespace mv
