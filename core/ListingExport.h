// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string_view>

#include "core/DatabaseKind.h"

namespace mv {
class DictionaryFile;
class ServerSelectList;
class Session;
}  // namespace mv

namespace exporting {

class ListingSink;

// Runs the select of every item of the dictionary of fileName, sorted as the database
// kind asks, on the session's command object; select list 0 then holds the ids.
// Returns the command's Error (0 when the select worked).
int SelectItems(mv::Session& session, core::DatabaseKind kind, std::string_view fileName);

struct ListingCounts {
    long long listed = 0;   // ids the select list gave
    long long written = 0;  // lines written: the items that could be read
    bool sinkFailed = false;
};

// Called after each id with the number of ids taken so far.
using ListingProgress = std::function<void(long long listed)>;

// Walks the select list from where it stands to its end: each id is read through `file`
// and, when the read works, its line goes to the sink; an id that cannot be read gives no
// line and no message. Stops at the first write the sink refuses.
ListingCounts WriteListing(mv::ServerSelectList& list, mv::DictionaryFile& file, ListingSink& sink,
                           const ListingProgress& progress = {});

}  // namespace exporting
