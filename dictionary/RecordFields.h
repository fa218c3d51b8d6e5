// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

namespace mv {
class DynamicArray;
}

namespace dictionary {

// Fields 1 to lastField of a record as the texts of a row, each the whole text of its
// field, missing ones empty (what Field(n).StringValue gives), taken in one pass.
QStringList FieldTexts(const mv::DynamicArray& record, int lastField);

}  // namespace dictionary
