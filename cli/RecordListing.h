// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace cli {

// One column of a listing: a dictionary item and how a report shows it.
struct ListedField {
    std::string name;
    std::string heading;  // field 4 of a D, I or V item, field 3 of an A or S item
    std::string format;   // field 5 (D, I, V), or width and justification (A, S)
};

// One record's row: the id and each field's value as converted, or why there is none.
struct ListedRow {
    std::string id;
    std::vector<std::string> values;
    std::vector<bool> failed;  // the value could not be worked out: "?" in the report
};

// The rows as a report lays them out: @ID first, a heading line, each column in its
// format, multivalues (and text a format folds) on the lines that follow.
std::string ReportOf(const std::vector<ListedField>& fields, const std::vector<ListedRow>& rows);

// One line per row, LF ended: the id, then each value, tab-separated, marks as their bytes.
std::string TabSeparatedOf(const std::vector<ListedRow>& rows);

}  // namespace cli
