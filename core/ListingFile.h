// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/ListingSink.h"
#include "platform/mv/UniqueFd.h"

namespace exporting {

// The export file. The listing is written to a temporary file beside the target, which
// takes the target's place only when every byte is written and flushed: an export that
// fails leaves a file of that name as it was, and a finished one replaces it whole (never
// appended to). A target that is a symbolic link is written through the link, and an
// existing file keeps its permissions. When the folder does not let a temporary file be
// made but the file itself may be written, the file is emptied and written in place.
// Failure() says why the last step failed, in the system's words.
class ListingFile final : public ListingSink {
public:
    explicit ListingFile(std::filesystem::path target);
    ~ListingFile() override;  // an export not committed leaves no temporary file behind
    ListingFile(const ListingFile&) = delete;
    ListingFile& operator=(const ListingFile&) = delete;

    // Makes the file ready for writing; false when it cannot be created.
    bool Open();
    bool Write(std::string_view bytes) override;
    // Writes what is buffered, flushes it to disk and puts the file in place.
    bool Commit();

    const std::string& Failure() const { return failure_; }

private:
    bool Fail(int errorNumber);
    bool Flush();
    bool OpenTemporary(int mode);

    std::filesystem::path target_;
    std::filesystem::path temporary_;  // empty when written in place
    mv::UniqueFd fd_;
    std::string buffer_;
    std::string failure_;
    bool committed_ = false;
};

}  // namespace exporting
