// SPDX-License-Identifier: MIT
#include "cli/RecordListing.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "platform/mv/values/Conversions.h"

namespace cli {

namespace {

constexpr std::size_t kIdWidth = 10;
constexpr const char* kColumnGap = "  ";

// The lines a cell takes: its values and subvalues one below the other, each as the
// column's format lays it out.
std::vector<std::string> CellLines(const std::string& value, const std::string& format) {
    std::vector<std::string> lines;
    for (std::vector<std::string>& part : mv::values::ReportLines(value, format)) {
        lines.insert(lines.end(), std::make_move_iterator(part.begin()),
                     std::make_move_iterator(part.end()));
    }
    return lines;
}

// The width a format names (its leading digits), or 0.
std::size_t WidthOf(const std::string& format) {
    std::size_t width = 0;
    for (const char c : format) {
        if (!std::isdigit(static_cast<unsigned char>(c)) || width > 1000) {
            break;
        }
        width = width * 10 + static_cast<std::size_t>(c - '0');
    }
    return width;
}

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

std::string ReportOf(const std::vector<ListedField>& fields, const std::vector<ListedRow>& rows) {
    // Each row's cells as the lines they take; a column is as wide as its format says,
    // its heading, or its widest line (a mask or a long value).
    std::vector<std::vector<std::vector<std::string>>> cells;
    // A heading's value marks part it into lines, as a report's column headings are.
    std::vector<std::vector<std::string>> headings{{"@ID"}};
    for (const ListedField& field : fields) {
        headings.push_back(CellLines(field.heading, std::string()));
    }
    std::vector<std::size_t> widths;
    for (std::size_t c = 0; c < headings.size(); ++c) {
        widths.push_back(c == 0 ? 0 : WidthOf(fields[c - 1].format));
        for (const std::string& text : headings[c]) {
            widths[c] = std::max(widths[c], text.size());
        }
    }
    widths[0] = std::max(widths[0], kIdWidth);
    for (const ListedRow& row : rows) {
        std::vector<std::vector<std::string>> rowCells{{row.id}};
        for (std::size_t f = 0; f < fields.size(); ++f) {
            rowCells.push_back(row.failed[f] ? std::vector<std::string>{"?"}
                                             : CellLines(row.values[f], fields[f].format));
        }
        for (std::size_t c = 0; c < rowCells.size(); ++c) {
            for (const std::string& text : rowCells[c]) {
                widths[c] = std::max(widths[c], text.size());
            }
        }
        cells.push_back(std::move(rowCells));
    }
    const auto line = [&](const std::vector<std::string>& shown) {
        std::string text;
        for (std::size_t c = 0; c < shown.size(); ++c) {
            text += c + 1 < shown.size() ? Padded(shown[c], widths[c]) + kColumnGap : shown[c];
        }
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        return text + '\n';
    };
    const auto block = [&](const std::vector<std::vector<std::string>>& columns) {
        std::size_t height = 1;
        for (const auto& column : columns) {
            height = std::max(height, column.size());
        }
        std::string text;
        for (std::size_t l = 0; l < height; ++l) {
            std::vector<std::string> shown;
            for (const auto& column : columns) {
                shown.push_back(l < column.size() ? column[l] : std::string());
            }
            text += line(shown);
        }
        return text;
    };
    std::string report = block(headings);
    for (const auto& rowCells : cells) {
        report += block(rowCells);
    }
    return report;
}

std::string TabSeparatedOf(const std::vector<ListedRow>& rows) {
    std::string text;
    for (const ListedRow& row : rows) {
        text += row.id;
        for (std::size_t f = 0; f < row.values.size(); ++f) {
            text += '\t';
            if (!row.failed[f]) {
                text += row.values[f];
            }
        }
        text += '\n';
    }
    return text;
}

}  // namespace cli
