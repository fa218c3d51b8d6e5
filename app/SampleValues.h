// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/SampleRecords.h"

namespace mv {
class Session;
}

namespace app {

using ItemSnapshot = std::unordered_map<std::string, std::string>;

// What the values pane is asked to show: the item of the current row (as typed, on a row
// being edited) over the dictionary's items as last read, on some records of the file.
struct ValuesQuery {
    std::uint64_t generation = 0;  // the newest request wins
    std::uint64_t cacheEpoch = 0;  // a change drops the records read before (a refresh)
    std::string file;
    std::shared_ptr<const ItemSnapshot> items;
    std::string item;              // the row's item id
    std::string record;            // the row's item, fields as typed on a row being edited
    bool typed = false;            // the row is being edited: its fields are not saved
    std::vector<std::string> ids;  // the records named; none: the first `count`
    std::size_t count = 10;
};

// The pane's text for the query on these records: a line saying what is shown, then a
// table with a block of lines per record. For a field (D, A, S, I, V): the id, the value
// as stored (the internal value of an I or V item) and as a report shows it. For a
// phrase: the id and each of its fields as shown, side by side by value position. A cell
// that cannot be worked out says why in words; the others are still shown. With
// `serverValues`, a saved I or V item's values are the server's: `server` holds them for
// the items ItemsForServer names, in that order, and a cell where Kelvora's differs says
// both.
std::string ValuesText(mv::Session& session, const ValuesQuery& query,
                       const std::vector<SampleRecord>& records, bool serverValues,
                       const ServerValues& server);

// The items whose values a server is asked for: a saved I or V item, or the I and V
// fields of a saved phrase; none for a row being typed, which exists nowhere but here.
std::vector<SavedItem> ItemsForServer(const ValuesQuery& query);

}  // namespace app
