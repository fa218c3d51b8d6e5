// SPDX-License-Identifier: MIT
#include "app/SampleRecords.h"

#include <algorithm>
#include <unordered_set>

#include "platform/mv/DictionaryFile.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"

namespace app {

namespace {

// Past this many records kept, the cache starts again: ids typed one after another must
// not grow it without end.
constexpr std::size_t kMostKept = 500;

}  // namespace

SampleRecords::SampleRecords(mv::Session& session) : session_(session) {}

SampleRecords::~SampleRecords() = default;

void SampleRecords::Forget() {
    file_.clear();
    data_.reset();
    openFailure_.clear();
    first_.clear();
    selectedAll_ = false;
    read_.clear();
    values_.clear();
}

bool SampleRecords::Open(const std::string& file, std::size_t count, std::string& why) {
    if (file != file_) {
        Forget();
        file_ = file;
        const std::string select = count > 0 ? "SSELECT " + file : std::string();
        std::vector<int> codes;
        data_ = session_.OpenTogether({{file, false}}, select, codes).front();
        if (!data_) {
            const int code = codes.front();
            openFailure_ = code == mv::kNoSuchDictionary || code == mv::kNoSuchFile
                               ? file + " has no data file: there are no values to show."
                               : "The data file " + file + " cannot be opened (code " +
                                     std::to_string(code) + ").";
        } else if (count > 0 && session_.Command().Error() == 0) {
            TakeFirst(count);
        }
    }
    why = openFailure_;
    return data_ != nullptr;
}

void SampleRecords::SelectFirst(std::size_t count) {
    if (selectedAll_ || first_.size() >= count) {
        return;
    }
    mv::ServerCommand& select = session_.Command();
    select.SetText("SSELECT " + file_);
    select.Exec();
    if (select.Error() == 0) {
        TakeFirst(count);
    }
}

void SampleRecords::TakeFirst(std::size_t count) {
    first_.clear();
    mv::ServerSelectList& list = session_.SelectList(0);
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        if (first_.size() == count) {
            return;
        }
        first_.push_back(id);
    }
    selectedAll_ = true;
}

std::vector<SampleRecord> SampleRecords::Take(const std::string& file,
                                              const std::vector<std::string>& ids,
                                              std::size_t count, std::string& why,
                                              const std::vector<SavedItem>& evaluate,
                                              ServerValues* values) {
    std::vector<SampleRecord> records;
    if (!Open(file, ids.empty() ? count : 0, why)) {
        return records;
    }
    std::vector<std::string> wanted = ids;
    if (wanted.empty()) {
        SelectFirst(count);
        wanted.assign(first_.begin(),
                      first_.begin() + static_cast<std::ptrdiff_t>(std::min(count, first_.size())));
        if (wanted.empty()) {
            why = "The data file " + file + " holds no records.";
            return records;
        }
    }
    // The records not read yet, each once.
    const auto notRead = [&] {
        std::vector<std::string> missing;
        std::unordered_set<std::string> asked;
        for (const std::string& id : wanted) {
            if (read_.count(id) == 0 && asked.insert(id).second) {
                missing.push_back(id);
            }
        }
        return missing;
    };
    std::vector<std::string> missing = notRead();
    if (read_.size() + missing.size() > kMostKept) {
        read_.clear();
        missing = notRead();
    }
    // The items whose values on one of the records are not kept yet, asked for anew.
    const auto keyOf = [](const SavedItem& item) { return item.name + '\xFF' + item.record; };
    std::vector<std::string> ask;
    std::vector<std::string> askKeys;
    for (const SavedItem& item : values != nullptr ? evaluate : std::vector<SavedItem>()) {
        const auto kept = values_.find(keyOf(item));
        const bool whole = kept != values_.end() &&
                           std::all_of(wanted.begin(), wanted.end(), [&](const std::string& id) {
                               return kept->second.count(id) != 0;
                           });
        if (!whole) {
            ask.push_back(item.name);
            askKeys.push_back(keyOf(item));
        }
    }
    if (values_.size() + askKeys.size() > kMostKept) {
        values_.clear();
    }
    mv::RecordsGiven given = session_.ReadTogether(data_.get(), file_, missing, wanted, ask);
    reads_ += missing.size();
    for (std::size_t k = 0; k < ask.size(); ++k) {
        for (std::size_t n = 0; n < wanted.size(); ++n) {
            values_[askKeys[k]][wanted[n]] = std::move(given.values[k][n]);
        }
    }
    for (std::size_t n = 0; n < missing.size(); ++n) {
        mv::ReadResult& read = given.records[n];
        read_[missing[n]] = SampleRecord{
            missing[n], read.code == mv::kOk ? std::move(read.record) : std::string(), read.code};
    }
    for (const std::string& id : wanted) {
        records.push_back(read_.at(id));
    }
    if (values != nullptr) {
        values->clear();
        for (const SavedItem& item : evaluate) {
            const auto& kept = values_[keyOf(item)];
            std::vector<mv::ItypeResult>& list = values->emplace_back();
            for (const std::string& id : wanted) {
                list.push_back(kept.at(id));
            }
        }
    }
    return records;
}

}  // namespace app
