// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QSet>

namespace grid {

// The highlighted rows of a grid, in the order the user highlighted them (the program
// builds text from the rows in this order), with a set beside the list so painting can
// ask about a row without walking the list.
class HighlightList {
public:
    int Count() const { return static_cast<int>(order_.size()); }
    // The row highlighted index-th, counting from 0; -1 outside the list.
    int At(int index) const;
    const QList<int>& Rows() const { return order_; }
    bool Contains(int row) const { return members_.contains(row); }

    void Clear();
    void Add(int row);
    void Remove(int row);
    void Toggle(int row);
    // Adds the rows from `from` to `to` in that direction, skipping rows already in.
    void AddRange(int from, int to);

    // Keeps the list in step with the rows: a removed row leaves it and later rows move
    // up by one; rows at or past rowCount leave it.
    void RowRemoved(int row);
    void KeepBelow(int rowCount);

private:
    QList<int> order_;
    QSet<int> members_;
};

}  // namespace grid
