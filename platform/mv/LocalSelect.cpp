// SPDX-License-Identifier: MIT
#include "LocalSelect.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "DirectoryListing.h"
#include "ErrorCodes.h"
#include "RecordFormat.h"

namespace mv {
namespace {

struct Row {
    ItemFileEntry entry;
    std::string record;
    FileStamp stamp;
    bool read = false;
};

// An item that cannot be read sorts as an empty record; reading it later reports why.
void ReadRecords(int dirFd, std::vector<Row>& rows) {
    for (Row& row : rows) {
        row.read = ReadItemFile(dirFd, row.entry.fileName.c_str(), row.record, &row.stamp) == kOk;
        if (row.read) FileBytesToRecord(row.record);
    }
}

void SortRows(const std::vector<SortKey>& keys, std::vector<Row>& rows,
              std::vector<std::uint32_t>& order) {
    const std::size_t keyCount = keys.size();
    // Each row's key texts side by side, taken once instead of at every comparison.
    std::vector<std::string_view> texts(rows.size() * keyCount);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t k = 0; k < keyCount; ++k) {
            texts[r * keyCount + k] = keys[k].field == 0
                                          ? std::string_view(rows[r].entry.id)
                                          : FieldText(rows[r].record, keys[k].field);
        }
    }
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        for (std::size_t k = 0; k < keyCount; ++k) {
            const std::string_view ka = texts[a * keyCount + k];
            const std::string_view kb = texts[b * keyCount + k];
            int c = keys[k].justification == Justification::kLeft ? CompareLeft(ka, kb)
                                                                   : CompareRight(ka, kb);
            if (keys[k].descending) c = -c;
            if (c != 0) return c < 0;
        }
        return CompareLeft(rows[a].entry.id, rows[b].entry.id) < 0;
    });
}

}  // namespace

bool RunSelect(int dirFd, const SelectCommand& command, SelectSnapshot& snapshot,
               std::vector<std::string>& ids) {
    snapshot.Clear();
    ids.clear();
    std::vector<ItemFileEntry> entries;
    if (!ListItemFiles(dirFd, entries)) return false;

    std::vector<Row> rows;
    rows.reserve(entries.size());
    for (ItemFileEntry& entry : entries) rows.push_back({std::move(entry), {}, {}, false});

    const bool needsRecords = std::any_of(command.keys.begin(), command.keys.end(),
                                          [](const SortKey& key) { return key.field != 0; });
    if (needsRecords) ReadRecords(dirFd, rows);

    std::vector<std::uint32_t> order(rows.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    if (!command.keys.empty() || command.sortById) SortRows(command.keys, rows, order);

    ids.reserve(rows.size());
    for (const std::uint32_t i : order) ids.push_back(std::move(rows[i].entry.id));
    for (Row& row : rows) {
        if (row.read) snapshot.Keep(std::move(row.entry.fileName), std::move(row.record), row.stamp);
    }
    return true;
}

}  // namespace mv
