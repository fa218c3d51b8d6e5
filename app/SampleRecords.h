// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace mv {
class DictionaryFile;
class Session;
}  // namespace mv

namespace app {

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
    // records in it.
    std::vector<SampleRecord> Take(const std::string& file, const std::vector<std::string>& ids,
                                   std::size_t count, std::string& why);
    void Forget();
    // How many reads of records reached the session since it was made (for tests).
    std::size_t Reads() const { return reads_; }

private:
    bool Open(const std::string& file, std::string& why);
    void SelectFirst(std::size_t count);
    const SampleRecord& Record(const std::string& id);

    mv::Session& session_;
    std::string file_;
    std::shared_ptr<mv::DictionaryFile> data_;
    std::string openFailure_;         // why the file could not be opened, said each time
    std::vector<std::string> first_;  // the first ids of the file's select
    bool selectedAll_ = false;        // first_ holds every id of the file
    std::unordered_map<std::string, SampleRecord> read_;
    std::size_t reads_ = 0;
};

}  // namespace app
