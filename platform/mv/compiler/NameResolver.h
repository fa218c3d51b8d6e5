// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

namespace mv {

// What the compiler asks of the dictionary an expression belongs to.
class NameResolver {
public:
    virtual ~NameResolver() = default;
    // The type code of the item called `name` (field 1 up to its first blank), or nullopt
    // when the dictionary has no such item. Names are matched exactly, case included.
    virtual std::optional<std::string_view> TypeCode(std::string_view name) = 0;
    // After TypeCode gave nullopt: true when the item exists but could not be read.
    virtual bool Unreadable(std::string_view /*name*/) { return false; }
};

// Field 1 of record up to its first blank: "I" for "I Total of the lines".
std::string_view TypeCodeOf(std::string_view record);

// Items an expression may name: data fields (D, A, S) and other computed fields (I, V).
// Lower-case codes are other things in some databases ("d" is a SQL column on UniData).
bool IsFieldType(std::string_view typeCode);

// I- and V-descriptors: the items that hold an expression of their own.
bool IsDescriptorType(std::string_view typeCode);

}  // namespace mv
