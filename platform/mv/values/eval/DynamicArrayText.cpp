// SPDX-License-Identifier: MIT
#include "platform/mv/values/eval/DynamicArrayText.h"

#include "platform/mv/values/eval/Value.h"

namespace mv::values {
namespace {

enum class Edit { kReplace, kInsert, kDelete };

std::vector<std::string> Owned(std::string_view text, char mark) {
    std::vector<std::string> parts;
    for (const std::string_view part : SplitOn(text, mark)) {
        parts.emplace_back(part);
    }
    return parts;
}

// Applies one edit at `positions` (field, value, subvalue; trailing zeros mean "the whole
// element above") to text holding the marks from `level` down.
std::string EditLevel(std::string_view text, const long* positions, int remaining, Edit edit,
                      std::string_view element) {
    static constexpr char kMarks[] = {kFieldMark, kValueMark, kSubvalueMark};
    const char mark = kMarks[3 - remaining];
    std::vector<std::string> parts = Owned(text, mark);
    long at = positions[0];
    const bool deeper = remaining > 1 && positions[1] != 0;
    if (at == -1) {
        if (deeper || edit == Edit::kDelete) {
            at = static_cast<long>(parts.size());  // the last element, edited inside
        } else {
            at = text.empty() ? 1 : static_cast<long>(parts.size()) + 1;
        }
    }
    if (at < 1) {
        if (!deeper) {
            return std::string(text);
        }
        at = 1;
    }
    const auto index = static_cast<std::size_t>(at - 1);
    if (edit == Edit::kDelete && index >= parts.size()) {
        return std::string(text);
    }
    if (index >= parts.size()) {
        parts.resize(index + 1);
    }
    if (deeper) {
        parts[index] = EditLevel(parts[index], positions + 1, remaining - 1, edit, element);
    } else if (edit == Edit::kReplace) {
        parts[index] = std::string(element);
    } else if (edit == Edit::kInsert) {
        if (text.empty() && at == 1) {
            return std::string(element);
        }
        parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(index), std::string(element));
    } else {
        parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(index));
    }
    return JoinWith(parts, mark);
}

std::string Edited(std::string_view array, long f, long v, long s, Edit edit,
                   std::string_view element) {
    if (v == 0 && s != 0) {
        v = 1;
    }
    const long positions[] = {f, v, s};
    return EditLevel(array, positions, 3, edit, element);
}

}  // namespace

std::vector<std::string_view> SplitOn(std::string_view text, char mark) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(mark, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string JoinWith(const std::vector<std::string>& parts, char mark) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i != 0) {
            out.push_back(mark);
        }
        out += parts[i];
    }
    return out;
}

std::string_view ExtractElement(std::string_view array, long f, long v, long s) {
    if (f < 1) {
        return {};
    }
    // The n-th part of text between marks, without splitting the rest.
    const auto part = [](std::string_view text, long n, char mark) -> std::string_view {
        std::size_t start = 0;
        for (long i = 1; i < n; ++i) {
            const std::size_t next = text.find(mark, start);
            if (next == std::string_view::npos) {
                return {};
            }
            start = next + 1;
        }
        const std::size_t end = text.find(mark, start);
        return text.substr(start,
                           end == std::string_view::npos ? text.size() - start : end - start);
    };
    std::string_view element = part(array, f, kFieldMark);
    if (v < 1 && s < 1) {
        return element;
    }
    element = part(element, v < 1 ? 1 : v, kValueMark);
    if (s < 1) {
        return element;
    }
    return part(element, s, kSubvalueMark);
}

std::string ReplaceElement(std::string_view array, long f, long v, long s,
                           std::string_view replacement) {
    return Edited(array, f, v, s, Edit::kReplace, replacement);
}

std::string InsertElement(std::string_view array, long f, long v, long s,
                          std::string_view insertion) {
    return Edited(array, f, v, s, Edit::kInsert, insertion);
}

std::string DeleteElement(std::string_view array, long f, long v, long s) {
    return Edited(array, f, v, s, Edit::kDelete, {});
}

}  // namespace mv::values

namespace mv::values {

std::string_view GroupOf(std::string_view text, std::string_view delimiter, long occurrence,
                         long count) {
    occurrence = occurrence < 1 ? 1 : occurrence;
    count = count < 1 ? 1 : count;
    if (delimiter.empty()) {
        return occurrence == 1 ? text : std::string_view();
    }
    const char mark = delimiter[0];
    std::size_t start = 0;
    for (long i = 1; i < occurrence; ++i) {
        const std::size_t next = text.find(mark, start);
        if (next == std::string_view::npos) {
            return {};
        }
        start = next + 1;
    }
    std::size_t end = start;
    for (long i = 0; i < count; ++i) {
        end = text.find(mark, i == 0 ? start : end + 1);
        if (end == std::string_view::npos) {
            return text.substr(start);
        }
    }
    return text.substr(start, end - start);
}

}  // namespace mv::values
