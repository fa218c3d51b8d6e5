// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "platform/grid/RowArray.h"

namespace dictionary {

class DictionaryScreen;

// The values offered in the S / M columns: S, M, and an empty entry to clear the cell.
std::shared_ptr<grid::RowArray> MakeSingleMultipleList();
// The conversion codes used most, offered in the conversion columns, and an empty entry.
std::shared_ptr<grid::RowArray> MakeConversionList();

// Gives the S / M and conversion columns of the A/S and D/I/V grids their lists. The
// cells still take any typed text.
void AttachValueLists(DictionaryScreen& screen);

}  // namespace dictionary
