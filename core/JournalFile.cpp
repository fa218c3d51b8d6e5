// SPDX-License-Identifier: MIT
#include "core/JournalFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/mv/LockHolder.h"
#include "platform/mv/Session.h"
#include "platform/mv/UniqueFd.h"

namespace core {

namespace {

// The folder of a local account that holds its journal, beside the D_ folders. It starts
// with a dot, so no file of the account is named by it.
constexpr const char* kAccountJournalFolder = ".kelvora-journal";

// A full rewrite keeps the newest changes up to this share of the cap, so that the file
// is not rewritten again at the next few appends.
constexpr std::int64_t kKeptShareDivisor = 2;
constexpr std::size_t kReadableLength = 48;
constexpr std::size_t kHashDigits = 16;

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool ReadAllOf(int fd, std::string& bytes) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            bytes.resize(done);
            return got == 0;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// The frames of one change: the change and, when known, its outcome.
std::string FramesOf(const JournalEntry& entry) {
    std::string frames = EncodeChangeFrame(entry);
    if (entry.outcome != ChangeOutcome::Unknown) {
        frames += EncodeOutcomeFrame(entry.session, entry.sequence, entry.outcome);
    }
    return frames;
}

// The folder part of a path: what comes before its last '/'.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

void SyncFolderOf(const std::string& path) {
    const mv::UniqueFd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Valid()) {
        ::fsync(folder.Get());
    }
}

bool IsAccountJournal(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string name = std::string("/") + kAccountJournalFolder;
    return folder.size() >= name.size() &&
           folder.compare(folder.size() - name.size(), name.size(), name) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Makes a folder and any folder above it that is missing.
bool MakeFolders(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0777) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return IsFolder(folder);
    }
    if (errno != ENOENT) {
        return false;
    }
    const std::string parent = FolderOf(folder);
    if (parent == folder || !MakeFolders(parent)) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0777) == 0 || (errno == EEXIST && IsFolder(folder));
}

// A path with its repeated and trailing slashes, its "." parts and each ".." with the
// part before it taken out, as the window cleans its paths: a ".." with nothing before it
// stays, "" stays "", and a relative path cleaned to nothing is ".".
std::string CleanPath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    const bool absolute = path.front() == '/';
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == ".." && !parts.empty() && parts.back() != "..") {
            parts.pop_back();
        } else {
            parts.push_back(std::move(part));
        }
    }
    std::string cleaned = absolute ? "/" : "";
    for (std::size_t n = 0; n < parts.size(); ++n) {
        cleaned += (n == 0 ? "" : "/") + parts[n];
    }
    return cleaned.empty() ? std::string(".") : cleaned;
}

std::string Sha256Hex(const std::string& bytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr) != 1) {
        size = 0;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int n = 0; n < size; ++n) {
        hex.push_back(kHex[digest[n] >> 4]);
        hex.push_back(kHex[digest[n] & 0x0F]);
    }
    return hex;
}

std::uint64_t RandomRunId() {
    std::uint64_t id = 0;
    if (::getrandom(&id, sizeof id, 0) == static_cast<ssize_t>(sizeof id)) {
        return id;
    }
    // No randomness to be had: the time and the process keep runs apart well enough.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
               std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()) ^
           (static_cast<std::uint64_t>(::getpid()) << 40);
}

std::int64_t MillisecondsNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

JournalFile::JournalFile(std::string accountKey) : JournalFile(accountKey, PathOf(accountKey)) {
    if (path_ != DefaultPathOf(accountKey_)) {
        AlsoRead(DefaultPathOf(accountKey_));
    }
}

JournalFile::JournalFile(std::string accountKey, std::string path, std::int64_t capBytes)
    : accountKey_(std::move(accountKey)),
      path_(std::move(path)),
      shared_(IsAccountJournal(path_)),
      user_(mv::LoginName()),
      capBytes_(capBytes),
      runId_(RandomRunId()) {}

std::string JournalFile::AccountKeyOf(const mv::Session& session) {
    if (!session.HostName().empty()) {
        return "remote:" + session.HostName() + "/" + session.AccountPath();
    }
    return LocalAccountKey(session.AccountPath());
}

std::string JournalFile::LocalAccountKey(const std::string& folder) {
    if (folder.empty()) {
        return "local:";
    }
    if (char* resolved = ::realpath(folder.c_str(), nullptr)) {
        std::string canonical(resolved);
        std::free(resolved);
        return "local:" + canonical;
    }
    std::string absolute = folder;
    if (folder.front() != '/') {
        std::array<char, PATH_MAX> here{};
        if (::getcwd(here.data(), here.size()) != nullptr) {
            absolute = std::string(here.data()) + "/" + folder;
        }
    }
    return "local:" + CleanPath(absolute);
}

std::string JournalFile::DataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') {
        return data;
    }
    const char* home = std::getenv("HOME");
    const std::string folder = home != nullptr && home[0] != '\0' ? home : "/";
    return CleanPath(folder) + "/.local/share";
}

std::string JournalFile::PathUnder(const std::string& dataFolder, const std::string& accountKey) {
    // A readable name for the user who looks into the folder, and a hash that keeps two
    // accounts apart whose readable names are the same.
    std::string readable;
    for (const char byte : accountKey) {
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '.' || byte == '-';
        readable.push_back(plain ? byte : '_');
    }
    if (readable.size() > kReadableLength) {
        readable.erase(0, readable.size() - kReadableLength);
    }
    return dataFolder + "/kelvora/journal/" + readable + "-" +
           Sha256Hex(accountKey).substr(0, kHashDigits) + ".journal";
}

std::string JournalFile::DefaultPathOf(const std::string& accountKey) {
    return PathUnder(DataFolder(), accountKey);
}

std::string JournalFile::AccountJournalPath(const std::string& accountFolder) {
    return CleanPath(accountFolder) + "/" + kAccountJournalFolder + "/journal";
}

std::string JournalFile::PathOf(const std::string& accountKey) {
    constexpr std::string_view kLocal = "local:";
    if (accountKey.size() > kLocal.size() && accountKey.compare(0, kLocal.size(), kLocal) == 0) {
        return AccountJournalPath(accountKey.substr(kLocal.size()));
    }
    return DefaultPathOf(accountKey);
}

JournalEntry JournalFile::NextChange(ChangeOrigin origin, const std::string& file,
                                     const std::string& id,
                                     const std::optional<std::string>& before,
                                     const std::optional<std::string>& after) {
    JournalEntry entry;
    entry.session = runId_;
    entry.sequence = ++lastSequence_;
    entry.msecsSinceEpoch = MillisecondsNow();
    entry.origin = origin;
    entry.file = file;
    entry.id = id;
    entry.before = before;
    entry.after = after;
    entry.user = user_;
    return entry;
}

bool JournalFile::Append(const JournalEntry& change) {
    return AppendFrame(EncodeChangeFrame(change));
}

std::uint64_t JournalFile::Begin(ChangeOrigin origin, const std::string& file,
                                 const std::string& id, const std::optional<std::string>& before,
                                 const std::optional<std::string>& after) {
    return Begin(origin, file, id, before ? &*before : nullptr, after ? &*after : nullptr);
}

std::uint64_t JournalFile::Begin(ChangeOrigin origin, const std::string& file,
                                 const std::string& id, const std::string* before,
                                 const std::string* after) {
    const JournalEntry change = NextChange(origin, file, id, std::nullopt, std::nullopt);
    const std::string frame = EncodeChangeFrame(change, before, after);
    // A change larger than the share of the cap the journal keeps would be dropped by the
    // very next append: it is not journaled, and no rewrite reads the file for it.
    if (static_cast<std::int64_t>(frame.size()) > capBytes_ / kKeptShareDivisor) {
        problem_ = "The change of " + id + " (" + std::to_string(frame.size() >> 20) +
                   " MB) is larger than the journal keeps (" +
                   std::to_string((capBytes_ / kKeptShareDivisor) >> 20) + " MB of " + path_ +
                   "): it is made but not journaled";
        return 0;
    }
    return AppendFrame(frame) ? change.sequence : 0;
}

std::vector<std::uint64_t> JournalFile::BeginBatch(ChangeOrigin origin, const std::string& file,
                                                   const std::vector<BatchChange>& changes) {
    std::vector<std::uint64_t> numbers(changes.size(), 0);
    std::string frames;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const BatchChange& change = changes[i];
        const JournalEntry entry = NextChange(origin, file, *change.id, std::nullopt, std::nullopt);
        std::string frame = EncodeChangeFrame(entry, change.before, change.after);
        // As in Begin: a change larger than the journal keeps is made but not journaled.
        if (static_cast<std::int64_t>(frame.size()) > capBytes_ / kKeptShareDivisor) {
            problem_ = "The change of " + *change.id + " is larger than the journal keeps (" +
                       path_ + "): it is made but not journaled";
            continue;
        }
        frames += frame;
        numbers[i] = entry.sequence;
    }
    if (!frames.empty() && !AppendFrame(frames)) {
        std::fill(numbers.begin(), numbers.end(), 0);
    }
    return numbers;
}

bool JournalFile::FinishBatch(
    const std::vector<std::pair<std::uint64_t, ChangeOutcome>>& outcomes) {
    std::string frames;
    for (const auto& [sequence, outcome] : outcomes) {
        if (sequence != 0) {
            frames += EncodeOutcomeFrame(runId_, sequence, outcome);
        }
    }
    return frames.empty() || AppendFrame(frames);
}

bool JournalFile::PrepareForAppends() {
    return tailChecked_ || AppendFrame(std::string());
}

bool JournalFile::Finish(std::uint64_t sequence, ChangeOutcome outcome) {
    return sequence != 0 && AppendFrame(EncodeOutcomeFrame(runId_, sequence, outcome));
}

bool JournalFile::AppendGroup(std::uint64_t first, std::uint64_t last, ChangeGroupKind kind,
                              const std::string& from, const std::string& to) {
    return first != 0 && AppendFrame(EncodeGroupFrame({runId_, first, last, kind, from, to}));
}

void JournalFile::Fail(const std::string& what) {
    const int error = errno;
    problem_ = what + " " + path_ + ": " + std::strerror(error);
}

bool JournalFile::EnsureFolder() {
    const std::string folder = FolderOf(path_);
    if (shared_) {
        // Made once, inside an account that must exist: with the account's group, which
        // its files keep (set-group-id), and no access for others.
        struct stat account {};
        if (IsFolder(folder)) {
            return true;
        }
        if (::stat(FolderOf(folder).c_str(), &account) == 0 && ::mkdir(folder.c_str(), 0700) == 0) {
            if (::chown(folder.c_str(), static_cast<uid_t>(-1), account.st_gid) != 0 ||
                ::chmod(folder.c_str(), 02770) != 0) {
                ::chmod(folder.c_str(), 0700);
            }
            return true;
        }
        if (IsFolder(folder)) {
            return true;  // another program made it meanwhile
        }
        problem_ = "Cannot create the folder " + folder;
        return false;
    }
    if (MakeFolders(folder)) {
        // What was changed may be private: the folder is the user's alone.
        ::chmod(folder.c_str(), 0700);
        return true;
    }
    problem_ = "Cannot create the folder " + folder;
    return false;
}

bool JournalFile::FallBack() {
    if (!shared_ || olderPath_.empty()) {
        return false;
    }
    // This user may change the account's items but not write its journal (an account
    // folder that is not theirs): the changes go to the journal of their data folder,
    // which is read with the account's.
    std::swap(path_, olderPath_);
    shared_ = false;
    tailChecked_ = false;
    return true;
}

bool JournalFile::AppendFrame(const std::string& frame) {
    if (!EnsureFolder()) {
        return FallBack() && AppendFrame(frame);
    }
    // Another program may replace the file (its own rewrite) between the open and the
    // lock: then the lock is taken again on the new file.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const mv::UniqueFd fd(
            ::open(path_.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, FileMode()));
        if (!fd.Valid()) {
            if ((errno == EACCES || errno == EPERM || errno == EROFS) && FallBack()) {
                return AppendFrame(frame);
            }
            Fail("Cannot open");
            return false;
        }
        struct stat opened {};
        struct stat named {};
        if (::flock(fd.Get(), LOCK_EX) != 0 || ::fstat(fd.Get(), &opened) != 0) {
            Fail("Cannot lock");
            return false;
        }
        if (::stat(path_.c_str(), &named) != 0 || named.st_ino != opened.st_ino ||
            named.st_dev != opened.st_dev) {
            continue;
        }
        if (opened.st_size == 0) {
            SyncFolderOf(path_);
        }
        // A journal made by hand or by an older copy may be readable by others, and the
        // umask may have cut what the account's group needs.
        if ((opened.st_mode & 0777) != FileMode() && opened.st_uid == ::geteuid()) {
            ::fchmod(fd.Get(), FileMode());
        }
        return AppendLocked(fd.Get(), frame);
    }
    problem_ = "The journal file " + path_ + " keeps changing";
    return false;
}

bool JournalFile::AppendLocked(int fd, const std::string& frame) {
    if (!tailChecked_) {
        tailChecked_ = true;
        std::string bytes;
        if (ReadAllOf(fd, bytes)) {
            // A change cut short by a crash would sit between good frames: cut it off.
            const std::size_t goodEnd = DecodeJournal(bytes).goodEnd;
            if (IsTornTail(bytes, goodEnd) && ::ftruncate(fd, static_cast<off_t>(goodEnd)) != 0) {
                Fail("Cannot repair");
            }
        }
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        Fail("Cannot read");
        return false;
    }
    if (info.st_size + static_cast<std::int64_t>(frame.size()) > capBytes_) {
        return RewriteWith(fd, frame);
    }
    if (!WriteAll(fd, frame) || ::fsync(fd) != 0) {
        Fail("Cannot write");
        // The part of the frame the disk took (a full disk, a write error) is cut off
        // again: the change is reported as not written, so the file must not hold it,
        // nor its bytes sit in front of the changes appended after it.
        if (::ftruncate(fd, info.st_size) != 0) {
            problem_ += std::string("; the part written could not be cut off (") +
                        std::strerror(errno) + "), and is skipped when the journal is read";
        }
        return false;
    }
    return true;
}

bool JournalFile::RewriteWith(int fd, const std::string& frame) {
    std::string bytes;
    if (!ReadAllOf(fd, bytes)) {
        Fail("Cannot read");
        return false;
    }
    const DecodedJournal decoded = DecodeJournal(bytes);
    const std::vector<JournalEntry>& entries = decoded.entries;
    // The newest changes that fit in the kept share, the oldest going first; a group
    // stays after its last change, as it was written.
    const std::int64_t room =
        capBytes_ / kKeptShareDivisor - static_cast<std::int64_t>(frame.size());
    std::vector<std::string> kept;
    std::int64_t used = 0;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        std::string frames = FramesOf(*entry);
        for (const JournalGroup& group : decoded.groups) {
            if (group.session == entry->session && group.last == entry->sequence) {
                frames += EncodeGroupFrame(group);
            }
        }
        used += static_cast<std::int64_t>(frames.size());
        if (used > room) {
            break;
        }
        kept.push_back(std::move(frames));
    }
    std::string rewritten;
    for (auto frames = kept.rbegin(); frames != kept.rend(); ++frames) {
        rewritten += *frames;
    }
    rewritten += frame;

    // Written beside the file and renamed over it: a crash leaves the old file or the
    // new one, never a mix.
    const std::string temporary = path_ + ".new" + std::to_string(::getpid());
    bool written = false;
    {
        const mv::UniqueFd out(
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, FileMode()));
        if (!out.Valid()) {
            Fail("Cannot rewrite");
            return false;
        }
        written = ::fchmod(out.Get(), FileMode()) == 0 && WriteAll(out.Get(), rewritten) &&
                  ::fsync(out.Get()) == 0;
    }
    if (!written || ::rename(temporary.c_str(), path_.c_str()) != 0) {
        Fail("Cannot rewrite");
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolderOf(path_);
    return true;
}

namespace {

std::vector<JournalEntry> ReadJournalAt(const std::string& path) {
    const mv::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) {
        return {};
    }
    std::string bytes;
    // A shared lock: an append in progress is read whole or not at all.
    ::flock(fd.Get(), LOCK_SH);
    if (!ReadAllOf(fd.Get(), bytes)) {
        return {};
    }
    return DecodeJournal(bytes).entries;
}

}  // namespace

std::vector<JournalEntry> JournalFile::ReadAll() const {
    std::vector<JournalEntry> entries = ReadJournalAt(path_);
    if (olderPath_.empty()) {
        return entries;
    }
    // The older journal's changes, then this one's, each file in the order written.
    std::vector<JournalEntry> all = ReadJournalAt(olderPath_);
    all.insert(all.end(), std::make_move_iterator(entries.begin()),
               std::make_move_iterator(entries.end()));
    std::stable_sort(all.begin(), all.end(), [](const JournalEntry& a, const JournalEntry& b) {
        return a.msecsSinceEpoch < b.msecsSinceEpoch;
    });
    return all;
}

}  // namespace core
