// SPDX-License-Identifier: MIT
#include "platform/mv/values/FileValues.h"

#include "platform/mv/RecordFormat.h"
#include "platform/mv/Session.h"
#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/compiler/NameResolver.h"
#include "platform/mv/values/BackendRecordSource.h"
#include "platform/mv/values/CachedRecordSource.h"

namespace mv::values {

FileValues::FileValues(Session& session, std::string fileName,
                       std::unordered_map<std::string, std::string> dictionary)
    : dictionary_(std::make_unique<MapItemSource>(std::move(dictionary))),
      records_(std::make_unique<BackendRecordSource>(session.ActiveBackend())),
      readOnce_(std::make_unique<CachedRecordSource>(*records_)) {
    context_.fileName = std::move(fileName);
    context_.dictionary = dictionary_.get();
    context_.records = readOnce_.get();
    context_.now = std::chrono::system_clock::now();
    context_.parses = &parses_;
}

FileValues::~FileValues() = default;

Evaluated FileValues::Value(const std::string& item, const std::string& id,
                            const std::string& record, int number) {
    context_.recordNumber = number;
    return EvaluateItem(item, id, record, context_);
}

Converted FileValues::Shown(const std::string& item, std::string_view internal) {
    const std::string* record = dictionary_->Find(item);
    if (record == nullptr) {
        return {std::string(internal), {}, true};
    }
    const std::string_view type = TypeOf(*record);
    const bool pickStyle = type == "A" || type == "S";
    return Oconv(internal, FieldText(*record, pickStyle ? 7 : 3), readOnce_.get());
}

std::string_view FileValues::TypeOf(std::string_view record) {
    return TypeCodeOf(record);
}

bool FileValues::IsField(std::string_view record) {
    return IsFieldType(TypeCodeOf(record));
}

}  // namespace mv::values
