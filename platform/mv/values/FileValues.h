// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/mv/values/Conversions.h"
#include "platform/mv/values/Evaluator.h"

namespace mv {
class MapItemSource;
class Session;
}  // namespace mv

namespace mv::values {

class BackendRecordSource;
class CachedRecordSource;

// What the items of one file's dictionary make of its records, for a caller that holds a
// session: the item's value in its internal form, and as its conversion shows it. TRANS,
// XLATE and T conversions read other files through the same session. The clock is the
// moment the object was made, so every record of one listing sees the same @DATE; and the
// records of other files are read once each while it lives, as one listing sees them.
class FileValues {
public:
    FileValues(Session& session, std::string fileName,
               std::unordered_map<std::string, std::string> dictionary);
    ~FileValues();
    FileValues(const FileValues&) = delete;
    FileValues& operator=(const FileValues&) = delete;

    // The internal value of dictionary item `item` on the record; `number` is @NI.
    Evaluated Value(const std::string& item, const std::string& id, const std::string& record,
                    int number);
    // A value converted as the item's conversion says: field 3 of a D, I or V item, field
    // 7 of an A or S item.
    Converted Shown(const std::string& item, std::string_view internal);

    // The type code of an item's record (field 1 up to its first blank), and whether it
    // is a field a record can be listed by: D, A, S, I or V.
    static std::string_view TypeOf(std::string_view record);
    static bool IsField(std::string_view record);

private:
    std::unique_ptr<MapItemSource> dictionary_;
    std::unique_ptr<BackendRecordSource> records_;
    std::unique_ptr<CachedRecordSource> readOnce_;
    ParseCache parses_;
    EvaluationContext context_;
};

}  // namespace mv::values
