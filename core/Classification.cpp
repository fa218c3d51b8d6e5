// SPDX-License-Identifier: MIT
#include "core/Classification.h"

#include <string>

namespace core {

namespace {

std::optional<ViewKind> ViewOfCode(std::string_view code) {
    if (code == "A" || code == "S") {
        return ViewKind::AS;
    }
    if (code == "D" || code == "I" || code == "V") {
        return ViewKind::DIV;
    }
    if (code == "PH") {
        return ViewKind::PH;
    }
    return std::nullopt;
}

}  // namespace

std::string_view TypeCodeOf(std::string_view field1) {
    const std::size_t blank = field1.find(' ');
    return blank == std::string_view::npos ? field1 : field1.substr(0, blank);
}

Placement Classify(std::string_view field1, std::string_view itemId, std::string_view fileName) {
    const std::optional<ViewKind> view = ViewOfCode(TypeCodeOf(field1));
    if (view == ViewKind::DIV && itemId == fileName) {
        return {std::nullopt, false};
    }
    if (view) {
        return {view, false};
    }
    return {ViewKind::Other, itemId == kEmptyNullId};
}

std::optional<ViewKind> ViewOfCapitals(std::string_view typeCode) {
    std::string upper(typeCode);
    bool lower = false;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
            lower = true;
        }
    }
    return lower ? ViewOfCode(upper) : std::nullopt;
}

}  // namespace core
