// SPDX-License-Identifier: MIT
#include "platform/mv/ChangeWatch.h"

#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mv {
namespace {

constexpr long kXfsMagic = 0x58465342;
constexpr long kZfsMagic = 0x2FC12FC1;
constexpr long kF2fsMagic = static_cast<long>(F2FS_SUPER_MAGIC);

bool IsLocalFileSystem(int dirFd) {
    struct statfs fs {};
    if (::fstatfs(dirFd, &fs) != 0) {
        return false;
    }
    switch (static_cast<long>(fs.f_type)) {
        case EXT4_SUPER_MAGIC:  // also ext2 and ext3
        case BTRFS_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case OVERLAYFS_SUPER_MAGIC:
        case kXfsMagic:
        case kZfsMagic:
        case kF2fsMagic:
            return true;
        default:
            return false;
    }
}

constexpr std::uint32_t kChanges = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                   IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

}  // namespace

bool ChangeWatch::Start(int dirFd) {
    Stop();
    if (!IsLocalFileSystem(dirFd)) {
        return false;
    }
    if (!inotify_.Valid()) {
        inotify_ = UniqueFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    }
    if (!inotify_.Valid()) {
        return false;
    }
    // inotify wants a path; the descriptor's own entry names exactly this directory.
    const std::string path = "/proc/self/fd/" + std::to_string(dirFd);
    watch_ = ::inotify_add_watch(inotify_.Get(), path.c_str(), kChanges | IN_ONLYDIR);
    return watch_ >= 0;
}

void ChangeWatch::Stop() {
    if (inotify_.Valid() && watch_ >= 0) {
        ::inotify_rm_watch(inotify_.Get(), watch_);
    }
    watch_ = -1;
    // Events of the old watch may still be queued; a fresh queue keeps them apart.
    inotify_.Reset();
}

bool ChangeWatch::Poll(std::vector<std::string>& names) {
    if (!Active()) {
        return false;
    }
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(inotify_.Get(), buffer, sizeof buffer);
        if (n < 0) {
            return errno == EAGAIN || errno == EINTR;
        }
        if (n == 0) {
            return true;
        }
        for (ssize_t at = 0; at < n;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            if ((event.mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0) {
                return false;
            }
            if (event.len > 0) {
                names.emplace_back(buffer + at + sizeof event);
            }
            at += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
}

}  // namespace mv
