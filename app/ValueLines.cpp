// SPDX-License-Identifier: MIT
#include "app/ValueLines.h"

#include <algorithm>

#include "platform/mv/values/Conversions.h"

namespace app {

namespace {

constexpr const char* kColumnGap = "  ";

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

ValueCell CellOf(const std::string& value, const std::string& format) {
    return mv::values::ReportLines(value, format);
}

std::string TableText(const std::vector<std::string>& headings,
                      const std::vector<std::vector<ValueCell>>& rows) {
    std::vector<std::size_t> widths;
    for (const std::string& heading : headings) {
        widths.push_back(heading.size());
    }
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            for (const auto& value : row[c]) {
                for (const std::string& line : value) {
                    widths[c] = std::max(widths[c], line.size());
                }
            }
        }
    }
    const auto line = [&widths](const std::vector<std::string>& shown) {
        std::string text;
        for (std::size_t c = 0; c < shown.size(); ++c) {
            text += c + 1 < shown.size() ? Padded(shown[c], widths[c]) + kColumnGap : shown[c];
        }
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        return text + '\n';
    };
    std::string text = line(headings);
    for (const auto& row : rows) {
        std::size_t positions = 0;
        for (const ValueCell& cell : row) {
            positions = std::max(positions, cell.size());
        }
        for (std::size_t p = 0; p < positions; ++p) {
            std::size_t height = 1;
            for (const ValueCell& cell : row) {
                height = std::max(height, p < cell.size() ? cell[p].size() : 0);
            }
            for (std::size_t l = 0; l < height; ++l) {
                std::vector<std::string> shown;
                for (const ValueCell& cell : row) {
                    const bool there = p < cell.size() && l < cell[p].size();
                    shown.push_back(there ? cell[p][l] : std::string());
                }
                text += line(shown);
            }
        }
    }
    return text;
}

}  // namespace app
