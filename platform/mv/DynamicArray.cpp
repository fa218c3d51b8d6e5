// SPDX-License-Identifier: MIT
#include "platform/mv/DynamicArray.h"

#include <algorithm>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RecordFormat.h"

namespace mv {

DynamicArray::DynamicArray(std::string text) : text_(std::move(text)), empty_(text_.empty()) {}

std::string DynamicArray::FieldRef::StringValue() const {
    if (n_ < 1) {
        owner_.error_ = kBadFieldNumber;
        return {};
    }
    owner_.error_ = kOk;
    return owner_.FieldValue(n_);
}

void DynamicArray::FieldRef::SetStringValue(const std::string& value) {
    if (n_ < 1) {
        owner_.error_ = kBadFieldNumber;
        return;
    }
    owner_.error_ = kOk;
    std::string& text = owner_.text_;
    if (owner_.empty_) {
        // A new array: field n is preceded by n - 1 empty fields.
        text.assign(static_cast<std::size_t>(n_ - 1), kFieldMark);
        text += value;
        owner_.empty_ = false;
        return;
    }
    const FieldSpan span = FindField(text, n_);
    if (!span.found) {
        text.append(static_cast<std::size_t>(n_ - owner_.FieldCount()), kFieldMark);
        text += value;
        return;
    }
    text.replace(span.start, span.length, value);
}

DynamicArray::FieldRef DynamicArray::Field(std::int16_t n) {
    error_ = n < 1 ? kBadFieldNumber : kOk;
    return FieldRef(*this, n);
}

std::string DynamicArray::FieldValue(std::int16_t n) const {
    if (n < 1 || empty_) {
        return {};
    }
    return std::string(FieldText(text_, n));
}

int DynamicArray::FieldCount() const {
    if (empty_) {
        return 0;
    }
    return static_cast<int>(std::count(text_.begin(), text_.end(), kFieldMark)) + 1;
}

}  // namespace mv
