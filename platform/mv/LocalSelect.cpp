// SPDX-License-Identifier: MIT
#include "platform/mv/LocalSelect.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "platform/mv/DirectoryListing.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RecordFormat.h"

namespace mv {
namespace {

struct Row {
    ItemFileEntry entry;
    std::string record;
    FileStamp stamp;
    bool read = false;
};

// An item that cannot be read sorts as an empty record, and is selected as one; reading
// it later reports why. Stamps are only needed when no change watch stands guard over the
// snapshot.
void ReadRecord(int dirFd, bool needStamps, Row& row, std::string& scratch) {
    const char* name = row.entry.fileName.c_str();
    const int error = needStamps ? ReadItemFile(dirFd, name, row.record, &row.stamp)
                                 : ReadListedItemFile(dirFd, name, row.record, scratch);
    row.read = error == kOk;
    if (row.read) {
        FileBytesToRecord(row.record);
    }
}

// One row's text for one key, with what a right-justified comparison needs worked out once.
struct KeyText {
    std::string_view text;
    RightKey right;
};

// A number that orders like the key but more coarsely: when two differ, the keys differ
// the same way, so most comparisons end on integers held side by side. Exact when equal
// numbers can only come from keys that sort as equal.
struct Coarse {
    std::uint64_t value = 0;
    bool exact = false;
};

Coarse CoarseKey(const KeyText& key, Justification justification) {
    Coarse coarse;
    if (justification == Justification::kLeft) {
        // Up to seven bytes, then the length (255 for eight bytes or more).
        for (std::size_t i = 0; i < 7; ++i) {
            const auto byte = i < key.text.size() ? static_cast<unsigned char>(key.text[i]) : 0u;
            coarse.value = (coarse.value << 8) | byte;
        }
        coarse.exact = key.text.size() < 8;
        coarse.value = (coarse.value << 8) | (coarse.exact ? key.text.size() : 255u);
        return coarse;
    }
    constexpr std::uint64_t kCap = (std::uint64_t{1} << 59) - 1;
    const RightKey& right = key.right;
    if (right.rank == 0) {
        coarse.exact = true;
        return coarse;
    }
    if (right.rank == 2) {
        coarse.value = (std::uint64_t{3} << 60) + std::min<std::uint64_t>(right.text.size(), kCap);
        return coarse;
    }
    if (right.negative) {
        coarse.value = std::uint64_t{1} << 60;
        return coarse;
    }
    std::uint64_t whole = 0;  // the integer part, held at kCap once it grows past it
    for (const char digit : right.whole) {
        whole = whole >= kCap / 10 ? kCap : whole * 10 + static_cast<unsigned>(digit - '0');
    }
    coarse.value = (std::uint64_t{2} << 60) + whole;
    coarse.exact = whole < kCap && right.fraction.empty();
    return coarse;
}

// The coarse forms of the first keys, the id among them as the last tie-break. A level
// may decide only when every level before it was exact and equal.
constexpr std::size_t kLevels = 3;
struct SortItem {
    std::uint64_t coarse[kLevels];
    bool exact[kLevels];
    std::uint32_t row;
};

void SortRows(const std::vector<SortKey>& keys, const std::vector<Row>& rows,
              std::vector<std::uint32_t>& order) {
    // The keys of each row side by side, the id last as the final tie-break.
    const std::size_t width = keys.size() + 1;
    const std::size_t levels = std::min(width, kLevels);
    std::vector<KeyText> texts(rows.size() * width);
    std::vector<SortItem> items(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        KeyText* row = &texts[r * width];
        for (std::size_t k = 0; k < width; ++k) {
            const bool isId = k == keys.size() || keys[k].field == 0;
            row[k].text = isId ? std::string_view(rows[r].entry.id)
                               : FieldText(rows[r].record, keys[k].field);
            if (k < keys.size() && keys[k].justification == Justification::kRight) {
                row[k].right = RightKey::Of(row[k].text);
            }
        }
        items[r].row = static_cast<std::uint32_t>(r);
        for (std::size_t k = 0; k < levels; ++k) {
            const bool key = k < keys.size();
            const bool right = key && keys[k].justification == Justification::kRight;
            const Coarse coarse =
                CoarseKey(row[k], right ? Justification::kRight : Justification::kLeft);
            items[r].coarse[k] = key && keys[k].descending ? ~coarse.value : coarse.value;
            items[r].exact[k] = coarse.exact;
        }
    }
    // Compares from key `from` on: the keys before it are known to be equal.
    auto fullCompare = [&](std::uint32_t a, std::uint32_t b, std::size_t from) {
        const KeyText* ka = &texts[a * width];
        const KeyText* kb = &texts[b * width];
        for (std::size_t k = from; k < keys.size(); ++k) {
            int c = keys[k].justification == Justification::kLeft
                        ? CompareLeft(ka[k].text, kb[k].text)
                        : CompareRight(ka[k].right, kb[k].right);
            if (keys[k].descending) {
                c = -c;
            }
            if (c != 0) {
                return c < 0;
            }
        }
        return CompareLeft(ka[keys.size()].text, kb[keys.size()].text) < 0;
    };
    std::sort(items.begin(), items.end(), [&](const SortItem& a, const SortItem& b) {
        std::size_t k = 0;
        for (; k < levels; ++k) {
            if (a.coarse[k] != b.coarse[k]) {
                return a.coarse[k] < b.coarse[k];
            }
            if (!a.exact[k] || !b.exact[k]) {
                break;
            }
        }
        return fullCompare(a.row, b.row, k);
    });
    for (std::size_t i = 0; i < items.size(); ++i) {
        order[i] = items[i].row;
    }
}

}  // namespace

bool RunSelect(int dirFd, const DirectoryId& directory, const SelectCommand& command,
               SelectSnapshot& snapshot, std::vector<std::string>& ids) {
    ids.clear();
    const auto usesField = [](const SortKey& key) { return key.field != 0; };
    bool needsRecords = std::any_of(command.keys.begin(), command.keys.end(), usesField);
    for (const std::vector<Condition>& group : command.selection.anyOf) {
        for (const Condition& condition : group) {
            needsRecords = needsRecords || usesField(condition.field);
        }
    }
    // The watch starts before the listing, so no change made after a read escapes it.
    const bool watched = needsRecords ? snapshot.Begin(dirFd, directory) : false;
    if (!needsRecords) {
        snapshot.Clear();
    }

    std::vector<ItemFileEntry> entries;
    if (!ListItemFiles(dirFd, entries)) {
        return false;
    }
    // SAMPLE stops at its count in directory order, before any sorting, so a sample of a
    // large file costs no more than its records.
    const std::size_t most = command.sample == 0 ? entries.size() : command.sample;
    std::vector<Row> rows;
    rows.reserve(std::min(entries.size(), most));
    std::string scratch;
    for (ItemFileEntry& entry : entries) {
        if (rows.size() >= most) {
            break;
        }
        Row row{std::move(entry), {}, {}, false};
        if (needsRecords) {
            ReadRecord(dirFd, !watched, row, scratch);
        }
        if (Selects(command.selection, row.entry.id, row.record)) {
            rows.push_back(std::move(row));
        }
    }

    std::vector<std::uint32_t> order(rows.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    if (!command.keys.empty() || command.sortById) {
        SortRows(command.keys, rows, order);
    }

    ids.reserve(rows.size());
    if (needsRecords) {
        snapshot.Reserve(rows.size());
    }
    for (const std::uint32_t i : order) {
        Row& row = rows[i];
        ids.push_back(std::move(row.entry.id));
        if (row.read) {
            snapshot.Keep(std::move(row.entry.fileName), std::move(row.record), row.stamp);
        }
    }
    return true;
}

}  // namespace mv
