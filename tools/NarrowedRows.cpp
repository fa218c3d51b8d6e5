// SPDX-License-Identifier: MIT
#include "tools/NarrowedRows.h"

#include <QHash>

#include "platform/grid/RowArray.h"

namespace tools {

QStringList PhraseWords(const QString& phrase) {
    return phrase.split(QLatin1Char(' '), Qt::KeepEmptyParts);
}

std::shared_ptr<grid::RowArray> NarrowedRows(const grid::RowArray& rows, int lastColumn,
                                             const QStringList& words) {
    // How often each word occurs, so each row is looked up once however long the phrase.
    QHash<QString, int> occurrences;
    for (const QString& word : words) {
        if (!word.isEmpty()) {
            ++occurrences[word];
        }
    }
    QList<int> copies;
    for (int row = 0; row <= rows.HighestRow(); ++row) {
        const int times = occurrences.value(rows.Cell(row, 0));
        for (int i = 0; i < times; ++i) {
            copies << row;
        }
    }
    auto narrowed =
        std::make_shared<grid::RowArray>(static_cast<int>(copies.size()), lastColumn + 1);
    for (int target = 0; target < static_cast<int>(copies.size()); ++target) {
        for (int column = 0; column <= lastColumn; ++column) {
            narrowed->SetCell(target, column, rows.Cell(copies[target], column));
        }
    }
    return narrowed;
}

}  // namespace tools
