// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace app {

// One cell of the values pane: its values in order, each the lines it takes (a value a
// format folds takes more than one). A cell that failed holds its reason as its one value.
using ValueCell = std::vector<std::vector<std::string>>;

// The lines of one value as a report shows it: marked into values and subvalues, each
// laid out by the format (field 5, or the width and justification of an A or S item),
// text marks folding it into further lines. An empty format leaves the values as they are.
ValueCell CellOf(const std::string& value, const std::string& format);

// A table of cells, one row per record, laid out as text: a heading line, then each row's
// cells side by side, value position by value position, so the values of one position of
// a multivalued field stand on one line across the columns.
std::string TableText(const std::vector<std::string>& headings,
                      const std::vector<std::vector<ValueCell>>& rows);

}  // namespace app
