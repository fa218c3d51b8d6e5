// SPDX-License-Identifier: MIT
#include "tools/NarrowedRows.h"

#include "dictionary/ShownRows.h"
#include "platform/grid/RowArray.h"

namespace tools {

QStringList PhraseWords(const QString& phrase) {
    return phrase.split(QLatin1Char(' '), Qt::KeepEmptyParts);
}

std::shared_ptr<grid::RowArray> NarrowedRows(const grid::RowArray& rows, int lastColumn,
                                             const QStringList& words) {
    dictionary::ShownRowsState phrase;
    phrase.phraseWords = words;
    return dictionary::CopyOfRows(
        rows, lastColumn,
        dictionary::ShownRowIndices(rows, lastColumn, dictionary::ViewKind::AS, phrase));
}

}  // namespace tools
