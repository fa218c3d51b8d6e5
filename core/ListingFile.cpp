// SPDX-License-Identifier: MIT
#include "core/ListingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace exporting {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;
constexpr int kNewFileMode = 0666;  // narrowed by the umask, as any new file

std::string TemporaryName(const fs::path& target) {
    static std::atomic<unsigned long> counter{0};
    std::string name(1, '.');
    name += target.filename().string();
    name += ".kelvora-";
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(++counter);
    return name;
}

}  // namespace

ListingFile::ListingFile(fs::path target, Target kind) : target_(std::move(target)), kind_(kind) {}

ListingFile::~ListingFile() {
    fd_.Reset();
    if (!committed_ && !temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

bool ListingFile::Fail(int errorNumber) {
    failure_ = std::system_category().message(errorNumber);
    return false;
}

bool ListingFile::FollowLink() {
    std::error_code error;
    const fs::path leadsTo = fs::read_symlink(target_, error);
    struct stat st {};
    if (::stat(target_.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            return Fail(errno);
        }
        failure_ = "it is a symbolic link to " + leadsTo.string() +
                   ", which does not exist; the link is left as it is";
        return false;
    }
    if (!S_ISDIR(st.st_mode) && !(S_ISREG(st.st_mode) && st.st_uid == ::geteuid())) {
        failure_ = "it is a symbolic link to " + leadsTo.string() +
                   ", which is not a file of your own; the link is left as it is";
        return false;
    }
    const fs::path resolved = fs::canonical(target_, error);
    if (error) {
        return Fail(error.value());
    }
    target_ = resolved;
    return true;
}

bool ListingFile::Open() {
    struct stat entry {};
    const bool exists = ::lstat(target_.c_str(), &entry) == 0;
    if (kind_ == Target::OnlyRegularFiles) {
        if (exists && !S_ISREG(entry.st_mode)) {
            failure_ = S_ISLNK(entry.st_mode)
                           ? "it is a symbolic link, which is never written through here; "
                             "remove it"
                           : "it is not a regular file; remove it";
            return false;
        }
        return OpenTemporary(exists ? static_cast<int>(entry.st_mode & 07777) : kNewFileMode) ||
               Fail(errno);
    }
    if (exists && S_ISLNK(entry.st_mode) && !FollowLink()) {
        return false;
    }
    struct stat existing {};
    int mode = kNewFileMode;
    if (::stat(target_.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            return Fail(EISDIR);
        }
        // A file the user may not write is not replaced behind its permissions.
        if (::access(target_.c_str(), W_OK) != 0) {
            return Fail(errno);
        }
        // A pipe or a device is written to as it is: a file put in its place would take
        // it away from everyone else who uses it.
        if (!S_ISREG(existing.st_mode)) {
            fd_ = mv::UniqueFd(::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
            return fd_.Valid() || Fail(errno);
        }
        mode = static_cast<int>(existing.st_mode & 07777);
    }
    if (OpenTemporary(mode)) {
        return true;
    }
    fd_ = mv::UniqueFd(
        ::open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode));
    return fd_.Valid() || Fail(errno);
}

bool ListingFile::OpenTemporary(int mode) {
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = folder / TemporaryName(target_);
        fd_ = mv::UniqueFd(::open(
            candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, kNewFileMode));
        if (fd_.Valid()) {
            // An explicit mode keeps an existing file's permissions whatever the umask.
            if (mode != kNewFileMode && ::fchmod(fd_.Get(), static_cast<mode_t>(mode)) != 0) {
                fd_.Reset();
                ::unlink(candidate.c_str());
                return false;
            }
            temporary_ = candidate;
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

bool ListingFile::Write(std::string_view bytes) {
    if (!fd_.Valid()) {
        return failure_.empty() ? Fail(EBADF) : false;
    }
    buffer_.append(bytes);
    return buffer_.size() < kBufferBytes || Flush();
}

bool ListingFile::Flush() {
    std::string_view rest = buffer_;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd_.Get(), rest.data(), rest.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail(errno);
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    buffer_.clear();
    return true;
}

bool ListingFile::Commit() {
    return Finish(true);
}

bool ListingFile::CommitUnflushed() {
    return Finish(false);
}

bool ListingFile::Finish(bool flushToDisk) {
    if (!fd_.Valid()) {
        return failure_.empty() ? Fail(EBADF) : false;
    }
    if (!Flush()) {
        return false;
    }
    // EINVAL: a pipe or a device, which has nothing to flush to disk.
    if (flushToDisk && ::fsync(fd_.Get()) != 0 && errno != EINVAL) {
        return Fail(errno);
    }
    // close can report a failed write-back, so its result counts.
    if (::close(fd_.Release()) != 0) {
        return Fail(errno);
    }
    if (!temporary_.empty() && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        return Fail(errno);
    }
    committed_ = true;
    return true;
}

}  // namespace exporting
