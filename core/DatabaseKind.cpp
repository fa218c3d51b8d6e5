// SPDX-License-Identifier: MIT
#include "core/DatabaseKind.h"

#include <algorithm>

namespace core {

namespace {

bool EqualsIgnoringCase(std::string_view text, std::string_view word) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return text.size() == word.size() &&
           std::equal(text.begin(), text.end(), word.begin(),
                      [&](char a, char b) { return lower(a) == lower(b); });
}

}  // namespace

std::optional<DatabaseKind> KindOf(std::string_view databaseType) {
    if (EqualsIgnoringCase(databaseType, "UniVerse")) {
        return DatabaseKind::UniVerse;
    }
    if (EqualsIgnoringCase(databaseType, "UniData")) {
        return DatabaseKind::UniData;
    }
    return std::nullopt;
}

std::string SelectCommandFor(DatabaseKind kind, std::string_view fileName) {
    std::string command = "SSELECT DICT ";
    command += fileName;
    command += kind == DatabaseKind::UniVerse ? " BY F1 BY RLOCATION" : " BY LOC BY @ID";
    return command;
}

}  // namespace core
