// SPDX-License-Identifier: MIT
#include "app/SampleRecords.h"

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
}

bool SampleRecords::Open(const std::string& file, std::string& why) {
    if (file != file_) {
        Forget();
        file_ = file;
        data_ = session_.OpenFile(file);
        if (!data_) {
            const int code = session_.Error();
            openFailure_ = code == mv::kNoSuchDictionary || code == mv::kNoSuchFile
                               ? file + " has no data file: there are no values to show."
                               : "The data file " + file + " cannot be opened (code " +
                                     std::to_string(code) + ").";
        }
    }
    why = openFailure_;
    return data_ != nullptr;
}

void SampleRecords::SelectFirst(std::size_t count) {
    if (selectedAll_ || first_.size() >= count) {
        return;
    }
    first_.clear();
    mv::ServerCommand& select = session_.Command();
    select.SetText("SSELECT " + file_);
    select.Exec();
    if (select.Error() != 0) {
        return;
    }
    mv::ServerSelectList& list = session_.SelectList(0);
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        if (first_.size() == count) {
            return;
        }
        first_.push_back(id);
    }
    selectedAll_ = true;
}

const SampleRecord& SampleRecords::Record(const std::string& id) {
    if (const auto kept = read_.find(id); kept != read_.end()) {
        return kept->second;
    }
    if (read_.size() >= kMostKept) {
        read_.clear();
    }
    data_->SetRecordId(id);
    data_->Read();
    ++reads_;
    SampleRecord record{id, data_->Error() == mv::kOk ? data_->Record().Text() : std::string(),
                        data_->Error()};
    return read_.emplace(id, std::move(record)).first->second;
}

std::vector<SampleRecord> SampleRecords::Take(const std::string& file,
                                              const std::vector<std::string>& ids,
                                              std::size_t count, std::string& why) {
    std::vector<SampleRecord> records;
    if (!Open(file, why)) {
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
    for (const std::string& id : wanted) {
        records.push_back(Record(id));
    }
    return records;
}

}  // namespace app
