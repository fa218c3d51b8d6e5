// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QString>

#include "dictionary/ViewKind.h"

namespace dictionary {

// The form a cell's text is expected to follow, by what its column holds.
enum class CellForm {
    Any,             // free text, or a column the program does not check
    TypeCode,        // field 1: a type code the view holds
    Location,        // field 2 of a D item: a field number
    Format,          // width and justification, with an optional mask
    Conversion,      // conversion codes, one to a value
    SingleMultiple,  // S or M
    Justification,   // one letter: L, R, T, U or C
    Width,           // a whole number of characters
};

// What a cell of `view` is expected to hold, given the type code of its row (field 1 up
// to its first blank): the location is a field number for D items only, and the other
// items of the D/I/V view use that column for an expression.
CellForm FormOfCell(ViewKind view, int column, const QString& typeCode);

// Null when `text` follows the form, else what the cell should hold, as its tool tip
// says it. Checks only the form, never whether the value makes sense for the item:
// values that real dictionaries hold in ordinary use pass.
std::optional<QString> CheckForm(CellForm form, ViewKind view, const QString& text);

// FormOfCell and CheckForm for one cell, `typeField` being the row's field 1.
std::optional<QString> CheckCell(ViewKind view, int column, const QString& text,
                                 const QString& typeField);

}  // namespace dictionary
