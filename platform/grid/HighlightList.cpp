// SPDX-License-Identifier: MIT
#include "platform/grid/HighlightList.h"

namespace grid {

int HighlightList::At(int index) const {
    return index >= 0 && index < order_.size() ? order_.at(index) : -1;
}

void HighlightList::Clear() {
    order_.clear();
    members_.clear();
}

void HighlightList::Add(int row) {
    if (row >= 0 && !members_.contains(row)) {
        order_.append(row);
        members_.insert(row);
    }
}

void HighlightList::Remove(int row) {
    if (members_.remove(row)) {
        order_.removeOne(row);
    }
}

void HighlightList::Toggle(int row) {
    if (members_.contains(row)) {
        Remove(row);
    } else {
        Add(row);
    }
}

void HighlightList::AddRange(int from, int to) {
    const int step = from <= to ? 1 : -1;
    for (int row = from;; row += step) {
        Add(row);
        if (row == to) {
            break;
        }
    }
}

void HighlightList::RowRemoved(int row) {
    QList<int> kept;
    kept.reserve(order_.size());
    for (const int r : order_) {
        if (r < row) {
            kept.append(r);
        } else if (r > row) {
            kept.append(r - 1);
        }
    }
    order_ = kept;
    members_ = QSet<int>(order_.cbegin(), order_.cend());
}

void HighlightList::KeepBelow(int rowCount) {
    QList<int> kept;
    for (const int r : order_) {
        if (r < rowCount) {
            kept.append(r);
        }
    }
    if (kept.size() != order_.size()) {
        order_ = kept;
        members_ = QSet<int>(order_.cbegin(), order_.cend());
    }
}

}  // namespace grid
