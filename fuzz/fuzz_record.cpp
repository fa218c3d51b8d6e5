// SPDX-License-Identifier: MIT
// The record parser: the bytes of an item file and the record they stand for.
// - file bytes -> record -> file bytes gives back the same bytes, except that a 0xFE
//   in the file comes back as a line feed (the one documented loss);
// - a record the writer accepts reads back unchanged, and it refuses exactly the
//   records holding a line feed;
// - every field found by FindField and DynamicArray is the text between field marks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/mv/DynamicArray.h"
#include "platform/mv/RecordFormat.h"

namespace {

constexpr char kFieldMark = '\xFE';

std::vector<std::string_view> SplitFields(std::string_view record) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t mark = record.find(kFieldMark, start);
        fields.push_back(
            record.substr(start, mark == std::string_view::npos ? mark : mark - start));
        if (mark == std::string_view::npos) {
            return fields;
        }
        start = mark + 1;
    }
}

// Fields 1 to 40, the last two and the one past the end: FindField walks from the start,
// so checking every field of a long record would make each input quadratic.
std::vector<std::size_t> FieldsToCheck(std::size_t count) {
    std::vector<std::size_t> numbers;
    for (std::size_t n = 1; n <= count + 1 && n <= 40; ++n) {
        numbers.push_back(n);
    }
    for (std::size_t n = count > 1 ? count - 1 : 1; n <= count + 1; ++n) {
        if (n > 40) {
            numbers.push_back(n);
        }
    }
    return numbers;
}

void CheckFields(std::string_view record) {
    using fuzz::Require;
    const std::vector<std::string_view> fields = SplitFields(record);
    const mv::DynamicArray array{std::string(record)};
    // An empty record has no fields at all, where splitting sees one empty field.
    const std::size_t count = record.empty() ? 0 : fields.size();
    Require(array.FieldCount() == static_cast<int>(count),
            "FieldCount counts the field marks plus one", record);
    for (const std::size_t n : FieldsToCheck(fields.size())) {
        const mv::FieldSpan span = mv::FindField(record, static_cast<int>(n));
        if (n <= fields.size()) {
            Require(span.found && record.substr(span.start, span.length) == fields[n - 1],
                    "FindField gives the text between field marks", record);
        } else {
            Require(!span.found, "FindField finds no field past the last", record);
        }
        if (n <= 32767) {
            const std::string value = array.FieldValue(static_cast<std::int16_t>(n));
            Require(value == (n <= fields.size() ? fields[n - 1] : std::string_view()),
                    "DynamicArray gives the text between field marks", record);
        }
    }

    // Setting one field changes that field alone, adding empty ones before it if needed.
    const std::size_t target = record.size() % (fields.size() + 3) + 1;
    if (target > 32767) {
        return;
    }
    mv::DynamicArray changed{std::string(record)};
    changed.Field(static_cast<std::int16_t>(target)).SetStringValue("NEW");
    const std::vector<std::string_view> after = SplitFields(changed.Text());
    Require(after.size() == std::max(fields.size(), target), "setting a field adds only up to it",
            record);
    for (std::size_t n = 1; n <= after.size(); ++n) {
        const std::string_view before = n <= fields.size() ? fields[n - 1] : std::string_view();
        Require(after[n - 1] == (n == target ? std::string_view("NEW") : before),
                "setting a field leaves the others alone", record);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The input as an item file.
    std::string record(input);
    mv::FileBytesToRecord(record);
    Require(record.size() == input.size(), "reading keeps the length", input);
    std::string bytes;
    Require(mv::RecordToFileBytes(record, bytes), "a record read from a file can be written",
            input);
    std::string expected(input);
    for (char& c : expected) {
        if (c == kFieldMark) {
            c = '\n';
        }
    }
    Require(bytes == expected, "file -> record -> file keeps every byte but 0xFE", input);
    CheckFields(record);

    // The input as a record to store.
    std::string file;
    const bool written = mv::RecordToFileBytes(input, file);
    Require(written == (input.find('\n') == std::string_view::npos),
            "only a record with a line feed is refused", input);
    if (written) {
        std::string back = file;
        mv::FileBytesToRecord(back);
        Require(back == input, "record -> file -> record is unchanged", input);
        Require(file.size() == input.size(), "no line feed is added or taken", input);
    }
    return 0;
}
