// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QStringList>

namespace grid {
class RowArray;
}

namespace tools {

// The words of a phrase: its text split at every single blank. Two blanks in a row give an
// empty word, which names no item.
QStringList PhraseWords(const QString& phrase);

// A new row array with copies of the rows of `rows` whose item id (column 0) is one of the
// words, columns 0 to lastColumn, in the order of `rows`; a row whose id occurs twice
// among the words is copied twice. Ids are compared exactly, case included. With no
// match the array has no rows. `rows` is not changed.
std::shared_ptr<grid::RowArray> NarrowedRows(const grid::RowArray& rows, int lastColumn,
                                             const QStringList& words);

}  // namespace tools
