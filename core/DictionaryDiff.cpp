// SPDX-License-Identifier: MIT
#include "core/DictionaryDiff.h"

#include <algorithm>

#include "core/Classification.h"
#include "core/ViewCaptions.h"
#include "platform/mv/DescriptorCheck.h"

namespace core {

std::vector<std::string_view> SplitFields(std::string_view record) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t mark = record.find('\xFE', start);
        fields.push_back(record.substr(start, mark - start));
        if (mark == std::string_view::npos) {
            return fields;
        }
        start = mark + 1;
    }
}

bool IsCompiledDescriptor(std::string_view record) {
    const std::string_view type = TypeCodeOf(SplitFields(record).front());
    return type == "I" || type == "V";
}

namespace {

// The fields compared: without compiled, an I or V item's fields up to the last before
// the compiler's, padded with empty ones, so a compile's additions are no difference.
std::vector<std::optional<std::string_view>> Compared(std::string_view record, bool compiled) {
    const std::vector<std::string_view> fields = SplitFields(record);
    std::vector<std::optional<std::string_view>> compared(fields.begin(), fields.end());
    if (!compiled && IsCompiledDescriptor(record)) {
        compared.resize(static_cast<std::size_t>(mv::FirstCompiledField() - 1), std::string_view());
    }
    return compared;
}

std::string CaptionOf(std::string_view record, const std::string& id, const std::string& fileName,
                      std::size_t number) {
    const Placement placement = Classify(SplitFields(record).front(), id, fileName);
    if (placement.view) {
        const auto& captions = ColumnCaptions(*placement.view);
        if (number < captions.size()) {
            return std::string(captions[number]);
        }
    }
    return "Field " + std::to_string(number);
}

std::optional<std::string_view> FieldAt(const std::vector<std::optional<std::string_view>>& fields,
                                        std::size_t index) {
    return index < fields.size() ? fields[index] : std::nullopt;
}

}  // namespace

std::vector<FieldDifference> DiffRecords(const std::string& id, const std::string& a,
                                         const std::string& b, const std::string& fileName,
                                         bool compiled, Comparison how) {
    const auto fieldsA = Compared(a, compiled);
    const auto fieldsB = Compared(b, compiled);
    std::vector<FieldDifference> changed;
    for (std::size_t i = 0; i < std::max(fieldsA.size(), fieldsB.size()); ++i) {
        const std::optional<std::string_view> fieldA = FieldAt(fieldsA, i);
        const std::optional<std::string_view> fieldB = FieldAt(fieldsB, i);
        if (!FieldsDiffer(fieldA, fieldB, how)) {
            continue;
        }
        FieldDifference field;
        field.number = i + 1;
        field.caption = CaptionOf(b, id, fileName, field.number);
        if (fieldA) {
            field.a = std::string(*fieldA);
        }
        if (fieldB) {
            field.b = std::string(*fieldB);
        }
        changed.push_back(std::move(field));
    }
    return changed;
}

bool RecordsDiffer(const std::string& a, const std::string& b, bool compiled, Comparison how) {
    if (a == b) {
        return false;
    }
    const auto fieldsA = Compared(a, compiled);
    const auto fieldsB = Compared(b, compiled);
    for (std::size_t i = 0; i < std::max(fieldsA.size(), fieldsB.size()); ++i) {
        if (FieldsDiffer(FieldAt(fieldsA, i), FieldAt(fieldsB, i), how)) {
            return true;
        }
    }
    return false;
}

std::vector<ItemDifference> DiffDictionaries(const ItemMap& a, const ItemMap& b,
                                             const std::string& fileName, bool compiled,
                                             Comparison how) {
    std::vector<ItemDifference> differences;
    auto inA = a.begin();
    auto inB = b.begin();
    while (inA != a.end() || inB != b.end()) {
        ItemDifference item;
        if (inB == b.end() || (inA != a.end() && inA->first < inB->first)) {
            item.kind = ItemDifference::Kind::OnlyInA;
            item.id = (inA++)->first;
        } else if (inA == a.end() || inB->first < inA->first) {
            item.kind = ItemDifference::Kind::OnlyInB;
            item.id = (inB++)->first;
        } else {
            const bool differ = RecordsDiffer(inA->second, inB->second, compiled, how);
            if (differ) {
                item.id = inA->first;
                item.fields =
                    DiffRecords(item.id, inA->second, inB->second, fileName, compiled, how);
            }
            ++inA;
            ++inB;
            if (!differ) {
                continue;
            }
        }
        differences.push_back(std::move(item));
    }
    return differences;
}

std::string ShownValue(std::string_view value) {
    std::string shown;
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\xFD') {
            shown += "[VM]";
        } else if (c == '\xFC') {
            shown += "[SM]";
        } else if (c == '\xFB') {
            shown += "[TM]";
        } else if (byte < 0x20 || byte == 0x7F) {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xF];
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace core
