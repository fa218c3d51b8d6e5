// SPDX-License-Identifier: MIT
#include "cli/DumpFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

#include "cli/Concat.h"
#include "core/ListingFile.h"
#include "platform/mv/ItemIdEscaping.h"
#include "platform/mv/UniqueFd.h"

namespace cli {
namespace {

constexpr std::string_view kDumpListHeader = "kelvora dictionary dump 1\n";
constexpr const char* kGitAttributesName = ".gitattributes";
// Stands in the folder from the start of a dump until every file it wrote is on disk.
constexpr const char* kUnfinishedName = ".kelvora-dump-unfinished";

// Reads a regular file of a dump folder: never through a link, and without blocking on a
// FIFO planted under an item's name.
bool ReadWhole(const std::filesystem::path& path, std::string& bytes) {
    mv::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    // One byte more than the file holds: a short read proves the end without another call,
    // and a file that grew meanwhile is read on to its end.
    std::size_t got = 0;
    std::size_t want = static_cast<std::size_t>(st.st_size) + 1;
    for (;;) {
        bytes.resize(got + want);
        const ssize_t n = ::read(fd.Get(), bytes.data() + got, want);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            bytes.clear();
            return false;
        }
        got += static_cast<std::size_t>(n);
        if (static_cast<std::size_t>(n) < want) {
            bytes.resize(got);
            return true;
        }
        want = 65536;
    }
}

// Whether the file at path holds exactly text: one read of one byte more than text
// tells. A name that is no regular file holds nothing a dump wrote: a link is not
// followed, and a FIFO without a writer reads as empty.
bool HoldsExactly(const std::filesystem::path& path, std::string_view text, std::string& buffer) {
    mv::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.Valid()) {
        return false;
    }
    buffer.resize(text.size() + 1);
    ssize_t n = 0;
    do {
        n = ::read(fd.Get(), buffer.data(), buffer.size());
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(text.size()) &&
           std::string_view(buffer.data(), text.size()) == text;
}

// The item file names the last dump into folder wrote, from its list.
std::set<std::string> LastDumpNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    std::string list;
    if (!ReadWhole(folder / kDumpListName, list) || list.rfind(kDumpListHeader, 0) != 0) {
        return names;
    }
    std::istringstream lines(list.substr(kDumpListHeader.size()));
    std::string line;
    std::getline(lines, line);  // the file the dictionary belongs to
    while (std::getline(lines, line)) {
        std::string id;
        if (mv::UnescapeFileName(line, id)) {
            names.insert(line);
        }
    }
    return names;
}

enum class Flush { Now, WithTheFolder };

// Replaces the file at path with bytes, whole: written beside it, then renamed over it. A
// name in the folder that is a link or no regular file is refused, never written through.
bool ReplaceFile(const std::filesystem::path& path, std::string_view bytes, std::string& why,
                 Flush flush = Flush::Now) {
    exporting::ListingFile file(path, exporting::ListingFile::Target::OnlyRegularFiles);
    if (file.Open() && file.Write(bytes) &&
        (flush == Flush::Now ? file.Commit() : file.CommitUnflushed())) {
        return true;
    }
    why = Concat({"cannot write ", path.string(), ": ", file.Failure()});
    return false;
}

// Puts everything written into the folder's file system on disk, the folder's entries
// with it: one call for all the files of a dump rather than one per file.
bool SyncFolder(const std::filesystem::path& folder, std::string& why) {
    const mv::UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid() && ::syncfs(fd.Get()) == 0 && ::fsync(fd.Get()) == 0) {
        return true;
    }
    why = Concat({"cannot flush ", folder.string(), " to disk: ", std::strerror(errno)});
    return false;
}

// An item file to write: its name and its text.
struct ItemFile {
    std::string name;
    std::string text;
};

// The files of items whose file is missing or differs; the list of every name, and the
// names themselves. False, with why, for an id that cannot be a file name.
bool FilesToWrite(const std::filesystem::path& root, const ItemMap& items, std::string& list,
                  std::set<std::string>& names, std::vector<ItemFile>& files, DumpCounts& counts,
                  std::string& why) {
    std::string name;
    std::string existing;
    for (const auto& [id, record] : items) {
        if (!mv::EscapeItemId(id, name)) {
            why = Concat({"the item id ", ItemText(id).substr(0, 60),
                          " cannot be a file name (empty, or too long)"});
            return false;
        }
        std::string text = ItemText(record);
        if (HoldsExactly(root / name, text, existing)) {
            ++counts.unchanged;
        } else {
            files.push_back({name, std::move(text)});
        }
        names.insert(name);
        list += name;
        list += '\n';
    }
    return true;
}

bool WriteItemFiles(const std::filesystem::path& root, const std::vector<ItemFile>& files,
                    const std::vector<std::string>& stale, DumpCounts& counts, std::string& why) {
    for (const ItemFile& file : files) {
        if (!ReplaceFile(root / file.name, file.text, why, Flush::WithTheFolder)) {
            return false;
        }
        ++counts.written;
    }
    std::error_code error;
    for (const std::string& name : stale) {
        if (std::filesystem::remove(root / name, error)) {
            ++counts.removed;
        }
    }
    return true;
}

}  // namespace

bool IsDumpFolder(const std::string& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(
        std::filesystem::symlink_status(std::filesystem::path(folder) / kDumpListName, error));
}

bool ReadDumpFolder(const std::string& folder, ItemMap& items, std::string& why) {
    items.clear();
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(
            std::filesystem::path(folder) / kUnfinishedName, error))) {
        why = Concat({"the dump into ", folder,
                      " did not finish (it was stopped, or the machine went down while it "
                      "wrote): some of its files may be cut short; dump again"});
        return false;
    }
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        why = Concat({"cannot list ", folder, ": ", error.message()});
        return false;
    }
    std::string bytes;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.') {
            continue;
        }
        std::string id;
        if (!mv::UnescapeFileName(name, id)) {
            why = Concat({folder, "/", name, " is no item file: its name is not an escaped id"});
            return false;
        }
        std::string record;
        if (entry.is_symlink(error)) {
            why = Concat({folder, "/", name,
                          " is a symbolic link: a dump's items are never read through one"});
            return false;
        }
        if (!entry.is_regular_file(error) || !ReadWhole(entry.path(), bytes) ||
            !RecordOfText(bytes, record, why)) {
            why = Concat({folder, "/", name, " cannot be read as an item",
                          why.empty() ? std::string() : Concat({": ", why})});
            return false;
        }
        items.emplace(std::move(id), std::move(record));
    }
    return true;
}

bool WriteDumpFolder(const std::string& folder, const std::string& fileName, const ItemMap& items,
                     DumpCounts& counts, std::string& why) {
    counts = DumpCounts{};
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        why = Concat({"cannot make the folder ", folder});
        return false;
    }
    const std::filesystem::path root(folder);
    // Git leaves the line ends of a new dump's files alone, so a checkout on Windows
    // gives back the bytes dumped; a folder dumped into before keeps what it has.
    if (!IsDumpFolder(folder) &&
        !std::filesystem::exists(
            std::filesystem::symlink_status(root / kGitAttributesName, error)) &&
        !ReplaceFile(root / kGitAttributesName, "* -text\n", why)) {
        return false;
    }
    std::string list = Concat({std::string(kDumpListHeader), fileName, "\n"});
    std::set<std::string> names;
    std::vector<ItemFile> files;
    if (!FilesToWrite(root, items, list, names, files, counts, why)) {
        return false;
    }
    std::vector<std::string> stale;
    for (const std::string& name : LastDumpNames(root)) {
        if (names.count(name) == 0) {
            stale.push_back(name);
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
        const std::string entryName = entry.path().filename().string();
        if (!entryName.empty() && entryName[0] != '.' && names.count(entryName) == 0 &&
            std::find(stale.begin(), stale.end(), entryName) == stale.end()) {
            counts.foreign.push_back(entryName);
        }
    }
    std::sort(counts.foreign.begin(), counts.foreign.end());
    if (files.empty() && stale.empty()) {
        // Nothing to write: the folder stays as it is, and there is nothing to flush.
        std::string lastList;
        return (ReadWhole(root / kDumpListName, lastList) && lastList == list) ||
               ReplaceFile(root / kDumpListName, list, why);
    }
    // The item files are flushed to disk together at the end. Until then a machine that
    // stops could leave a file written last empty or cut short under its name, so the
    // folder says that it is unfinished, and load, diff and apply refuse it.
    if (!ReplaceFile(root / kUnfinishedName, "a dump is writing this folder\n", why) ||
        !SyncFolder(root, why)) {
        return false;
    }
    const bool written = WriteItemFiles(root, files, stale, counts, why);
    std::string syncWhy;
    if (!SyncFolder(root, syncWhy)) {
        why = written ? syncWhy : why;
        return false;
    }
    if (!written) {
        std::filesystem::remove(root / kUnfinishedName, error);
        return false;
    }
    if (!ReplaceFile(root / kDumpListName, list, why)) {
        return false;
    }
    std::filesystem::remove(root / kUnfinishedName, error);
    return true;
}

}  // namespace cli
