// SPDX-License-Identifier: MIT
#include "platform/mv/LockNotes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/mv/RecordLocks.h"

namespace mv {

namespace {

constexpr std::string_view kNoteMagic = "KLN1\n";
constexpr std::size_t kNoteLimit = 1 << 20;  // an id is far shorter; anything longer is no note
constexpr std::size_t kNameLength = 16;

std::atomic<unsigned> noteCounter{0};

std::string NoteName(std::string_view id) {
    char name[kNameLength + 1];
    std::snprintf(name, sizeof name, "%016" PRIx64, static_cast<std::uint64_t>(LockByteOf(id)));
    return name;
}

// One line of the note: its line breaks would end the line early.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return line;
}

bool ReadAll(int fd, std::string& bytes) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > kNoteLimit) {
            return false;
        }
    }
}

bool Parse(const std::string& bytes, LockHolder& holder) {
    if (bytes.compare(0, kNoteMagic.size(), kNoteMagic) != 0) {
        return false;
    }
    std::size_t at = kNoteMagic.size();
    std::string lines[5];
    for (std::string& line : lines) {
        const std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) {
            return false;
        }
        line = bytes.substr(at, end - at);
        at = end + 1;
    }
    holder.number = std::strtol(lines[0].c_str(), nullptr, 10);
    holder.since = std::strtoll(lines[1].c_str(), nullptr, 10);
    holder.exclusive = lines[2] != "shared";
    holder.user = lines[3];
    holder.address = lines[4];
    holder.id = bytes.substr(at);
    return true;
}

bool ReadNote(int notesFd, const char* name, LockHolder& holder) {
    UniqueFd fd(::openat(notesFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    std::string bytes;
    return ReadAll(fd.Get(), bytes) && Parse(bytes, holder);
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace

ino_t LockNotes::Write(int dirFd, mode_t mode, std::string_view id, bool exclusive,
                       const HolderIdentity& identity) {
    if (!folder_.Valid()) {
        const mode_t folderMode = mode | ((mode & S_IRUSR) != 0 ? S_IXUSR : 0) |
                                  ((mode & S_IRGRP) != 0 ? S_IXGRP : 0) |
                                  ((mode & S_IROTH) != 0 ? S_IXOTH : 0);
        if (::mkdirat(dirFd, kLockNotesFolder, folderMode) == 0) {
            // The umask may have cut what the group needs to name the holders.
            UniqueFd made(
                ::openat(dirFd, kLockNotesFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (made.Valid()) {
                ::fchmod(made.Get(), folderMode);
            }
        }
        folder_ = UniqueFd(
            ::openat(dirFd, kLockNotesFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder_.Valid()) {
            return 0;
        }
    }
    std::string note(kNoteMagic);
    note += std::to_string(identity.number) + '\n' + std::to_string(std::time(nullptr)) + '\n' +
            (exclusive ? "exclusive" : "shared") + '\n' + OneLine(identity.user) + '\n' +
            OneLine(identity.address) + '\n';
    note.append(id);
    const std::string name = NoteName(id);
    const std::string temporary = ".tmp-" + std::to_string(::getpid()) + '-' +
                                  std::to_string(noteCounter.fetch_add(1)) + '-' + name;
    UniqueFd fd(::openat(folder_.Get(), temporary.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!fd.Valid()) {
        return 0;
    }
    struct stat st {};
    if (::fchmod(fd.Get(), mode) != 0 || !WriteAll(fd.Get(), note) || ::fstat(fd.Get(), &st) != 0 ||
        ::renameat(folder_.Get(), temporary.c_str(), folder_.Get(), name.c_str()) != 0) {
        ::unlinkat(folder_.Get(), temporary.c_str(), 0);
        return 0;
    }
    return st.st_ino;
}

void LockNotes::Remove(std::string_view id, ino_t note) {
    if (note == 0 || !folder_.Valid()) {
        return;
    }
    const std::string name = NoteName(id);
    struct stat st {};
    if (::fstatat(folder_.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        st.st_ino == note) {
        ::unlinkat(folder_.Get(), name.c_str(), 0);
    }
}

bool LockNotes::Read(int dirFd, std::string_view id, LockHolder& holder) {
    UniqueFd notes(
        ::openat(dirFd, kLockNotesFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    LockHolder read;
    if (!notes.Valid() || !ReadNote(notes.Get(), NoteName(id).c_str(), read) || read.id != id) {
        return false;
    }
    holder = std::move(read);
    return true;
}

std::vector<LockHolder> LockNotes::Live(int dirFd) {
    std::vector<LockHolder> live;
    UniqueFd locks(::openat(dirFd, kLockFileName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const int notesFd =
        ::openat(dirFd, kLockNotesFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (notesFd < 0) {
        return live;
    }
    DIR* listing = ::fdopendir(notesFd);
    if (listing == nullptr) {
        ::close(notesFd);
        return live;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        LockHolder holder;
        if (name.size() != kNameLength || !locks.Valid() ||
            !ReadNote(notesFd, entry->d_name, holder) || NoteName(holder.id) != name) {
            continue;
        }
        // A fresh description holds no lock, so every session's lock on the byte shows.
        struct flock probe {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = LockByteOf(holder.id);
        probe.l_len = 1;
        if (::fcntl(locks.Get(), F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) {
            live.push_back(std::move(holder));
        }
    }
    ::closedir(listing);
    return live;
}

}  // namespace mv
