// SPDX-License-Identifier: MIT
#include "cli/DictionaryCheck.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "cli/Concat.h"
#include "core/Classification.h"
#include "core/ViewCaptions.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ItemFiles.h"
#include "platform/mv/ItemIdEscaping.h"
#include "platform/mv/RecordFormat.h"
#include "platform/mv/TemporaryFiles.h"
#include "platform/mv/UniqueFd.h"
#include "platform/mv/compiler/DictionaryCompiler.h"
#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/compiler/NameResolver.h"

namespace cli {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::string Quoted(std::string_view text) {
    return Concat({"\"", text, "\""});
}

std::string Count(long long n, std::string_view unit) {
    return Concat({std::to_string(n), " ", unit, n == 1 ? "" : "s"});
}

// An age in the largest whole unit that fits: "40 seconds", "3 hours", "12 days".
std::string Age(std::chrono::seconds age) {
    const long long s = age.count();
    if (s < 60)
        return Count(s, "second");
    if (s < 3600)
        return Count(s / 60, "minute");
    if (s < 48 * 3600)
        return Count(s / 3600, "hour");
    return Count(s / 86400, "day");
}

// The check only lists debris; removing it is left to the engine's next open.
std::string DebrisNote(const mv::TemporaryFile& debris) {
    const bool stale = debris.age > mv::kStaleTemporaryFileAge;
    return Concat({"note: a temporary file left by a save that did not finish (", Age(debris.age),
                   " old, ", Count(debris.size, "byte"), "); ",
                   stale ? std::string("the next session to open this dictionary removes it")
                         : Concat({"kept while a save may still be writing it, removed once "
                                   "older than ",
                                   Age(mv::kStaleTemporaryFileAge)})});
}

// The listing of a directory of its own, so dirFd's position is left alone.
std::unique_ptr<DIR, DirCloser> OpenListing(int dirFd) {
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return nullptr;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(listFd));
    if (!dir)
        ::close(listFd);
    return dir;
}

// Reads the entries of the directory: item files into `items`, with their records as
// the engine reads them, and everything the program would not see or could not store
// back unchanged into findings.
class EntryReader {
public:
    EntryReader(int dirFd, mv::MapItemSource& items, std::vector<std::string>& ids,
                std::vector<Finding>& findings)
        : dirFd_(dirFd), items_(items), ids_(ids), findings_(findings) {}

    void Take(const char* fileName) {
        const std::string_view name(fileName);
        if (name == "." || name == "..")
            return;
        if (!mv::UnescapeFileName(name, id_)) {
            NotAnId(name);
            return;
        }
        struct stat st {};
        if (::fstatat(dirFd_, fileName, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
            Add(Finding::Kind::kRefused, id_,
                S_ISLNK(st.st_mode)
                    ? "refused: the entry is a link, which the program never follows"
                    : "refused: the entry is not a regular file, so the program does not see it");
            return;
        }
        if (mv::ReadItemFile(dirFd_, fileName, bytes_, nullptr) != mv::kOk) {
            Add(Finding::Kind::kRefused, id_, "refused: the item file cannot be read");
            return;
        }
        if (const void* mark = std::memchr(bytes_.data(), '\xFE', bytes_.size())) {
            const auto offset =
                static_cast<std::size_t>(static_cast<const char*>(mark) - bytes_.data());
            Add(Finding::Kind::kRefused, id_,
                Concat({"refused: the item file holds the byte 0xFE (first at offset ",
                        std::to_string(offset),
                        "), which the program reads as a field mark and would save as a "
                        "line feed"}));
        }
        mv::FileBytesToRecord(bytes_);
        ids_.push_back(id_);
        items_.Add(id_, std::move(bytes_));
        bytes_ = std::string();
    }

private:
    void NotAnId(std::string_view name) {
        // Escaping never gives a leading dot: such a file is hidden, or left by a save
        // that did not finish, and is no item by design.
        mv::TemporaryFile debris;
        if (mv::InspectTemporaryFile(dirFd_, std::string(name).c_str(), debris)) {
            Add(Finding::Kind::kNote, std::string(name), DebrisNote(debris));
            return;
        }
        if (name.front() == '.') {
            Add(Finding::Kind::kNote, std::string(name), "note: a hidden file, not an item");
            return;
        }
        std::string text =
            "refused: the file name is not one the program gives an item id, "
            "so the program does not see it";
        std::string asId;
        if (mv::EscapeItemId(name, asId)) {
            text +=
                Concat({"; for the item id ", Quoted(name), " the file is named ", Quoted(asId)});
        }
        Add(Finding::Kind::kRefused, std::string(name), std::move(text));
    }

    void Add(Finding::Kind kind, std::string item, std::string text) {
        findings_.push_back({kind, std::move(item), std::move(text)});
    }

    int dirFd_;
    mv::MapItemSource& items_;
    std::vector<std::string>& ids_;
    std::vector<Finding>& findings_;
    std::string id_;
    std::string bytes_;
};

}  // namespace

bool DictionaryCheck::Run(DictionaryReport& report) {
    report = DictionaryReport();
    const std::unique_ptr<DIR, DirCloser> dir = OpenListing(dirFd_);
    if (!dir)
        return false;
    mv::MapItemSource items;
    std::vector<std::string> ids;
    EntryReader reader(dirFd_, items, ids, report.findings);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0)
                return false;
            break;
        }
        reader.Take(entry->d_name);
    }
    CheckItems(items, std::move(ids), report);
    return true;
}

void DictionaryCheck::CheckItems(mv::MapItemSource& items, std::vector<std::string> ids,
                                 DictionaryReport& report) {
    report.items = ids.size();

    std::sort(ids.begin(), ids.end());
    mv::DictionaryCompiler compiler(items);
    for (const std::string& id : ids) {
        const std::string_view code = mv::TypeCodeOf(*items.Find(id));
        if (const std::optional<core::ViewKind> view = core::ViewOfCapitals(code)) {
            report.findings.push_back(
                {Finding::Kind::kNote, id,
                 Concat({"note: type code ", Quoted(code),
                         " is in lower case, so the program shows the item under ",
                         core::TabCaption(core::ViewKind::Other), ", not under ",
                         core::TabCaption(*view)})});
        }
        if (!mv::IsDescriptorType(code))
            continue;
        ++report.descriptors;
        mv::ItemCompilation result;
        try {
            result = compiler.Compile(id);
        } catch (const std::bad_alloc&) {
            // One item too big to compile is a finding; the others are still checked.
            report.findings.push_back(
                {Finding::Kind::kFailed, id, "the compiler ran out of memory on this item"});
            continue;
        }
        if (result.status == mv::ItemCompilation::Status::kFailed) {
            report.findings.push_back(
                {Finding::Kind::kFailed, id,
                 Concat({"column ", std::to_string(result.column), ": ", result.message})});
        }
    }
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const Finding& a, const Finding& b) {
                         return a.item != b.item ? a.item < b.item : a.kind < b.kind;
                     });
}

}  // namespace cli
