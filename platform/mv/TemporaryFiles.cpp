// SPDX-License-Identifier: MIT
#include "platform/mv/TemporaryFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>

#include "platform/mv/DirectoryListing.h"

namespace mv {
namespace {

constexpr std::string_view kPrefix = ".kelvora-tmp-";
constexpr std::size_t kHostTagLength = 16;

// One or more decimal digits, nothing else.
bool IsNumber(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

bool IsHostTag(std::string_view text) {
    if (text.size() != kHostTagLength) {
        return false;
    }
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

std::chrono::seconds AgeOf(const struct stat& st) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const long long age = static_cast<long long>(now.tv_sec) - st.st_mtim.tv_sec;
    return std::chrono::seconds(age > 0 ? age : 0);
}

// FNV-1a: the same value from every build and version of the program, which a hash of
// the standard library does not promise.
std::uint64_t Fnv1a(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

// A pid names a process only within one running kernel and one pid namespace, so that
// is what the tag names: the kernel's boot id (random at every boot, so it differs
// between machines sharing a folder and between boots of one machine) and the inode of
// this process's pid namespace (containers on one kernel may each have their own pid
// space). A host name tells neither reliably: two machines may share one, and containers
// of one kernel may have the same name or different ones whatever their pid spaces. Both
// are hashed to keep the names short. Empty when either cannot be read.
std::string ComputeHostTag() {
    char bootId[128];
    std::size_t length = 0;
    {
        const int fd = ::open("/proc/sys/kernel/random/boot_id", O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return std::string();
        }
        while (length < sizeof bootId) {
            const ssize_t n = ::read(fd, bootId + length, sizeof bootId - length);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            length += static_cast<std::size_t>(n);
        }
        ::close(fd);
    }
    while (length > 0 && (bootId[length - 1] == '\n' || bootId[length - 1] == ' ')) {
        --length;
    }
    struct stat pidSpace {};
    if (length == 0 || ::stat("/proc/self/ns/pid", &pidSpace) != 0) {
        return std::string();
    }
    std::string text(bootId, length);
    text += '/';
    text += std::to_string(static_cast<unsigned long long>(pidSpace.st_dev));
    text += ':';
    text += std::to_string(static_cast<unsigned long long>(pidSpace.st_ino));
    char tag[kHostTagLength + 1];
    std::snprintf(tag, sizeof tag, "%016" PRIx64, Fnv1a(text));
    return std::string(tag, kHostTagLength);
}

// The parts of a temporary file's name; host is empty in a name of the older form.
struct NameParts {
    std::string_view host;
    std::string_view pid;
};

bool SplitName(std::string_view name, NameParts& parts) {
    if (name.substr(0, kPrefix.size()) != kPrefix) {
        return false;
    }
    name.remove_prefix(kPrefix.size());
    parts = NameParts();
    std::size_t dash = name.find('-');
    if (dash != std::string_view::npos && IsHostTag(name.substr(0, dash)) &&
        name.find('-', dash + 1) != std::string_view::npos) {
        parts.host = name.substr(0, dash);
        name.remove_prefix(dash + 1);
        dash = name.find('-');
    }
    if (dash == std::string_view::npos || !IsNumber(name.substr(0, dash)) ||
        !IsNumber(name.substr(dash + 1))) {
        return false;
    }
    parts.pid = name.substr(0, dash);
    return true;
}

// kill with signal 0 only asks whether the process exists: ESRCH says it does not,
// while EPERM (a process of another user) says it does.
bool ProcessRuns(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

TemporaryFileWriter WriterOf(const NameParts& parts) {
    if (parts.host.empty()) {
        return TemporaryFileWriter::Unknown;
    }
    if (parts.host != ThisHostTag()) {
        return TemporaryFileWriter::OtherHost;
    }
    pid_t pid = 0;
    const auto [end, error] =
        std::from_chars(parts.pid.data(), parts.pid.data() + parts.pid.size(), pid);
    if (error != std::errc() || end != parts.pid.data() + parts.pid.size() || pid <= 0) {
        return TemporaryFileWriter::Unknown;  // no process has that pid
    }
    return ProcessRuns(pid) ? TemporaryFileWriter::Running : TemporaryFileWriter::Ended;
}

}  // namespace

const std::string& ThisHostTag() {
    static const std::string tag = ComputeHostTag();
    return tag;
}

std::string TemporaryFileNameFor(pid_t pid, unsigned long number) {
    std::string name(kPrefix);
    if (!ThisHostTag().empty()) {
        name += ThisHostTag();
        name += '-';
    }
    name += std::to_string(pid);
    name += '-';
    name += std::to_string(number);
    return name;
}

std::string NewTemporaryFileName() {
    static std::atomic<unsigned long> counter{0};
    return TemporaryFileNameFor(::getpid(), ++counter);
}

bool IsTemporaryFileName(std::string_view name) {
    NameParts parts;
    return SplitName(name, parts);
}

bool InspectTemporaryFile(int dirFd, const char* name, TemporaryFile& file) {
    NameParts parts;
    if (!SplitName(name, parts)) {
        return false;
    }
    struct stat st {};
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    file.age = AgeOf(st);
    file.size = st.st_size;
    file.writer = WriterOf(parts);
    return true;
}

bool IsStaleTemporaryFile(const TemporaryFile& file) {
    return file.writer == TemporaryFileWriter::Ended || file.age > kStaleTemporaryFileAge;
}

std::size_t RemoveStaleTemporaryFiles(int dirFd) {
    std::size_t removed = 0;
    TemporaryFile file;
    ForEachEntry(dirFd, [&](const dirent& entry) {
        // Item files are by far the most entries; one look at the name passes them over.
        if (entry.d_name[0] != '.' || (entry.d_type != DT_REG && entry.d_type != DT_UNKNOWN)) {
            return;
        }
        if (!InspectTemporaryFile(dirFd, entry.d_name, file) || !IsStaleTemporaryFile(file)) {
            return;
        }
        // Should the name be swapped for something else since the look, unlinkat removes
        // at most that entry itself (never a link's target, never a directory). A process
        // given the pid of an ended writer later cannot take this name while the file
        // holds it: its writes skip a name that is taken (O_EXCL).
        if (::unlinkat(dirFd, entry.d_name, 0) == 0) {
            ++removed;
        }
    });
    return removed;
}

}  // namespace mv
