// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>

#include <QColor>
#include <QString>

namespace grid {

// What the program says about a cell beside its text: the cell is tinted and marked by
// kind, and the note is its tool tip. The grid never refuses a cell for a note.
struct CellNote {
    enum class Kind {
        Doubtful,  // the text does not follow the form its column expects
        Broken,    // the row's item is wrong as a whole
    };
    Kind kind = Kind::Doubtful;
    QString toolTip;
};

// The tint of a cell with a note of that kind: light enough that the text stays readable.
inline QColor BackgroundOf(CellNote::Kind kind) {
    return kind == CellNote::Kind::Broken ? QColor(255, 205, 205) : QColor(255, 222, 173);
}

// Asked for the note of a cell as it is shown: `row` and `column` of the grid's bound
// array (or the new-row line), `shownText` the text on show, typed values included.
// Called as cells are painted, so it must be quick; it reads rows by their content (the
// bound array may be a narrowed or sorted copy), never by their index alone.
using CellNoteSource =
    std::function<std::optional<CellNote>(int row, int column, const QString& shownText)>;

}  // namespace grid
