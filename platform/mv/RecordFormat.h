// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mv {

// Where field n (from 1) of a record lies; found is false when the record has fewer fields.
struct FieldSpan {
    bool found = false;
    std::size_t start = 0;
    std::size_t length = 0;
};
FieldSpan FindField(std::string_view record, int n);

// The text of field n, empty when the record lacks it.
inline std::string_view FieldText(std::string_view record, int n) {
    const FieldSpan span = FindField(record, n);
    return span.found ? record.substr(span.start, span.length) : std::string_view();
}

// An item file holds the record with each field mark written as a line feed; nothing
// else changes, and no line feed is added at the end or taken away.

// Turns the bytes of an item file into the record, in place.
void FileBytesToRecord(std::string& bytes);

// The bytes of the item file for record; false when a field holds a line feed, which
// could not be told from a field mark when read back.
bool RecordToFileBytes(std::string_view record, std::string& bytes);

}  // namespace mv
