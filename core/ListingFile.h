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
// appended to), and an existing file keeps its permissions. A target that is a symbolic
// link to the user's own regular file is written through the link, which stays; a link
// that leads nowhere, or to a file of someone else, is refused and left as it is. A pipe
// or a device is written to in place, never replaced. When the folder does not let a
// temporary file be made but the file itself may be written, the file is emptied and
// written in place. Failure() says why the last step failed, in the system's words or,
// for a refused link, in a sentence that names where it leads.
//
// A file whose name comes from a folder rather than from the user (a dump's item files,
// in a folder that may be a cloned repository) takes OnlyRegularFiles: a link or anything
// but a regular file under that name is refused, never written through or into, and the
// file is never written in place.
class ListingFile final : public ListingSink {
public:
    enum class Target { AsNamed, OnlyRegularFiles };
    explicit ListingFile(std::filesystem::path target, Target kind = Target::AsNamed);
    ~ListingFile() override;  // an export not committed leaves no temporary file behind
    ListingFile(const ListingFile&) = delete;
    ListingFile& operator=(const ListingFile&) = delete;

    // Makes the file ready for writing; false when it cannot be created.
    bool Open();
    bool Write(std::string_view bytes) override;
    // Writes what is buffered, flushes it to disk and puts the file in place.
    bool Commit();
    // Writes what is buffered and puts the whole file in place, leaving the flush to disk
    // to the caller, who writes many files and syncs them together (syncfs) once: a
    // process that stops meanwhile leaves each file whole, old or new.
    bool CommitUnflushed();

    const std::string& Failure() const { return failure_; }

private:
    bool Fail(int errorNumber);
    // Makes target_ the file a symbolic link leads to, or refuses the link.
    bool FollowLink();
    bool Flush();
    bool OpenTemporary(int mode);
    bool Finish(bool flushToDisk);

    std::filesystem::path target_;
    Target kind_;
    std::filesystem::path temporary_;  // empty when written in place
    mv::UniqueFd fd_;
    std::string buffer_;
    std::string failure_;
    bool committed_ = false;
};

}  // namespace exporting
