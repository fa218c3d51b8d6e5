// SPDX-License-Identifier: MIT
#pragma once

namespace core {

// The four views of a dictionary; the value is also the index of the view's grid and tab.
enum class ViewKind { AS = 0, PH = 1, DIV = 2, Other = 3 };

inline constexpr int kViewCount = 4;

inline constexpr int ViewIndex(ViewKind view) {
    return static_cast<int>(view);
}

// False for an index that names no view (notifications carry a plain number).
inline constexpr bool IsViewIndex(int index) {
    return index >= 0 && index < kViewCount;
}

inline constexpr ViewKind ViewAt(int index) {
    return static_cast<ViewKind>(index);
}

}  // namespace core
