// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "platform/grid/RowArray.h"

namespace dictionary {

// The SQL data types offered in the two data-type columns: one column, twelve rows,
// the last one empty so a cell can be cleared from the list.
std::shared_ptr<grid::RowArray> MakeDataTypeList();

}  // namespace dictionary
