// SPDX-License-Identifier: MIT
#include "platform/mv/values/Conversions.h"

namespace mv::values {

namespace {

constexpr char kValueMark = '\xFD';
constexpr char kSubvalueMark = '\xFC';
constexpr char kTextMark = '\xFB';

std::vector<std::string> Folded(std::string_view shown) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (true) {
        const std::size_t fold = shown.find(kTextMark, from);
        lines.emplace_back(shown.substr(from, fold == std::string_view::npos ? fold : fold - from));
        if (fold == std::string_view::npos) {
            return lines;
        }
        from = fold + 1;
    }
}

}  // namespace

std::vector<std::vector<std::string>> ReportLines(std::string_view value, std::string_view format) {
    std::vector<std::vector<std::string>> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = value.find_first_of(std::string{kValueMark, kSubvalueMark}, start);
        const std::string_view part =
            value.substr(start, end == std::string_view::npos ? end : end - start);
        lines.push_back(Folded(format.empty() ? std::string(part) : Format(part, format)));
        if (end == std::string_view::npos) {
            return lines;
        }
        start = end + 1;
    }
}

}  // namespace mv::values
