// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>
#include <vector>

#include "core/ViewKind.h"

namespace core {

// The caption of a view's tab, as the program and kelvora-cmd name the view.
std::string_view TabCaption(ViewKind view);

// The captions of a view's columns: column 0 is the item id and column n is field n, so
// the last column is also the number of fields the view shows.
const std::vector<std::string_view>& ColumnCaptions(ViewKind view);

// The column edited with the data-type list, or -1.
int DataTypeColumn(ViewKind view);

}  // namespace core
