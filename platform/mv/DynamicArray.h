// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace mv {

// A record as the client library hands it over: raw bytes, fields separated by the
// field mark 0xFE. Value (0xFD), subvalue (0xFC) and text (0xFB) marks and every
// other byte are kept as they are; nothing is decoded.
class DynamicArray {
public:
    static constexpr char kFieldMark = '\xFE';

    // Read-write view of one field, as returned by Field(n).
    class FieldRef {
    public:
        std::string StringValue() const;
        void SetStringValue(const std::string& value);

    private:
        friend class DynamicArray;
        FieldRef(DynamicArray& owner, std::int16_t n) : owner_(owner), n_(n) {}
        DynamicArray& owner_;
        std::int16_t n_;
    };

    DynamicArray() = default;  // new and empty: no fields
    explicit DynamicArray(std::string text);

    // n from 1. A field the record lacks reads as empty text; setting it adds the
    // empty fields before it. n below 1 sets Error to kBadFieldNumber.
    FieldRef Field(std::int16_t n);
    std::string FieldValue(std::int16_t n) const;

    const std::string& Text() const { return text_; }
    int FieldCount() const;  // 0 for a new array
    int Error() const { return error_; }

private:
    std::string text_;
    bool empty_ = true;  // distinguishes no fields from one empty field
    int error_ = 0;
};

}  // namespace mv
