// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/mv/Backend.h"

namespace mv {
class DictionaryFile;
class Session;
}  // namespace mv

namespace app {

// The server's values of items on records: one list per item, one result per record.
using ServerValues = std::vector<std::vector<mv::ItypeResult>>;

// An item whose values the server is asked for, as saved: a change to it asks again.
struct SavedItem {
    std::string name;
    std::string record;
};

// A data record as read: its id, its bytes, and the read's code (0 when read).
struct SampleRecord {
    std::string id;
    std::string record;
    int read = 0;
};

// The records of one data file that the values pane shows, read through a session of
// their own and kept, so moving from row to row reads nothing again. Another file, or
// Forget (a refresh), starts afresh. Plain C++: it lives on the pane's worker thread.
class SampleRecords {
public:
    explicit SampleRecords(mv::Session& session);
    ~SampleRecords();
    SampleRecords(const SampleRecords&) = delete;
    SampleRecords& operator=(const SampleRecords&) = delete;

    // The records named, or with none named the first `count` of the file's records in
    // id order. Empty with `why` set when there is nothing to show: no data file, or no
    // records in it. With `values`, the items of `evaluate` are evaluated on the records
    // by the engine serving the account, asked for with the reads of the records not read
    // yet: on a server, the file's opening with its select is one round trip, and the
    // reads with the values another. The values are kept with the records, for the item
    // as it was saved.
    std::vector<SampleRecord> Take(const std::string& file, const std::vector<std::string>& ids,
                                   std::size_t count, std::string& why,
                                   const std::vector<SavedItem>& evaluate = {},
                                   ServerValues* values = nullptr);
    void Forget();
    // How many reads of records reached the session since it was made (for tests).
    std::size_t Reads() const { return reads_; }

private:
    // Opens the file unless it is open, with the select of its first records behind the
    // opening when count is not 0.
    bool Open(const std::string& file, std::size_t count, std::string& why);
    void SelectFirst(std::size_t count);
    // Takes the first ids from select list 0 after the select ran.
    void TakeFirst(std::size_t count);

    mv::Session& session_;
    std::string file_;
    std::shared_ptr<mv::DictionaryFile> data_;
    std::string openFailure_;         // why the file could not be opened, said each time
    std::vector<std::string> first_;  // the first ids of the file's select
    bool selectedAll_ = false;        // first_ holds every id of the file
    std::unordered_map<std::string, SampleRecord> read_;
    // The server's values kept: by the item's name and record, by record id.
    std::unordered_map<std::string, std::unordered_map<std::string, mv::ItypeResult>> values_;
    std::size_t reads_ = 0;
};

}  // namespace app
