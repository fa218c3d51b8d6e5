// SPDX-License-Identifier: MIT
#pragma once

#include <sys/stat.h>

#include <string>

namespace mv {

// What tells one version of an item file from another: a rewrite through this engine
// replaces the inode, and a change in place moves the change time and usually the size.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedSec = 0, modifiedNsec = 0;
    long long changedSec = 0, changedNsec = 0;

    static FileStamp Of(const struct stat& st);
    bool operator==(const FileStamp&) const = default;
};

// Reads the whole item file `name` of the directory dirFd into bytes, and its stamp when
// asked for. Returns kOk, kRecordNotFound (no such file) or kReadFailed (anything else,
// such as a directory, a link, a FIFO or a file the user may not read); bytes is empty
// on failure. A link is never followed.
int ReadItemFile(int dirFd, const char* name, std::string& bytes, FileStamp* stamp);

// As ReadItemFile, for a name the directory listing already showed as a regular file,
// without asking the file system about it again; scratch is a buffer to reuse.
int ReadListedItemFile(int dirFd, const char* name, std::string& bytes, std::string& scratch);

// The stamp of item file `name`; false when it is missing or not a regular file (a link
// included, whatever it points to).
bool StampItemFile(int dirFd, const char* name, FileStamp& stamp);

// Removes item file `name` of the directory dirFd: kOk, kRecordNotFound, or kDeleteFailed.
// Only an item file is the engine's to delete; a link or a FIFO in its place stays.
int DeleteItemFile(int dirFd, const std::string& name);

}  // namespace mv
