// SPDX-License-Identifier: MIT
#include "dictionary/ItemDetail.h"

#include <algorithm>

#include "connection/TextBridge.h"
#include "dictionary/Dependencies.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"
#include "platform/grid/RowArrayModel.h"
#include "platform/grid/ValueMarks.h"

namespace dictionary {

namespace {

QString OrNothing(const QString& words) {
    return words.isEmpty() ? QStringLiteral("nothing") : words;
}

}  // namespace

QString FieldLine(int n, const QStringList& captions, const QString& value) {
    QString line = QStringLiteral("Field %1").arg(n);
    if (n < captions.size()) {
        line += QStringLiteral(" (") + captions[n] + QLatin1Char(')');
    }
    line += QLatin1Char(':');
    if (!value.isEmpty()) {
        line += QLatin1Char(' ') + grid::WithMarkLabels(value);
    }
    return line;
}

QString ItemDetailText(const OpenDictionary& open, const grid::DataGrid& grid) {
    const int row = grid.CurrentRow();
    const grid::RowArrayModel& model = *grid.Model();
    if (!open.IsOpen() || row < 0 || !model.Array()) {
        return {};
    }
    const bool pending = model.HasPendingRow() && model.PendingRow() == row;
    const bool newRow = row == model.NewRowLine();
    if (newRow && !pending) {
        return {};
    }
    const QStringList captions = grid.ColumnCaptions();
    const int lastColumn = static_cast<int>(captions.size()) - 1;
    const QString shownId = newRow ? QString() : model.Array()->Cell(row, kIdColumn);
    const std::string id = TextBridge::ToBytes(shownId);
    const std::string* asRead = newRow ? nullptr : open.views->Records().Find(id);
    const QStringList fields =
        asRead != nullptr ? TextBridge::ToText(*asRead).split(grid::kFieldMark) : QStringList();

    QStringList lines;
    if (newRow) {
        const QString typedId = model.CellText(row, kIdColumn);
        lines << QStringLiteral("New item %1, not saved: the values typed")
                     .arg(typedId.isEmpty() ? QStringLiteral("(no id yet)") : typedId);
    } else if (pending) {
        lines << QStringLiteral("Item %1, changed and not saved: fields 1 to %2 as typed")
                     .arg(shownId)
                     .arg(lastColumn);
        if (const QString typedId = model.CellText(row, kIdColumn); typedId != shownId) {
            lines << QStringLiteral("Item id typed: ") + typedId;
        }
    } else if (asRead == nullptr) {
        lines
            << QStringLiteral("Item %1, not read from the account: the row's values").arg(shownId);
    } else {
        lines << QStringLiteral("Item ") + shownId;
    }

    // Typed values in the grid's columns on a row being edited, else what was read;
    // a row whose item was never read shows its cells.
    const bool fromCells = pending || asRead == nullptr;
    const int fieldCount = std::max(fromCells ? lastColumn : 0, static_cast<int>(fields.size()));
    for (int n = 1; n <= fieldCount; ++n) {
        const bool typed = fromCells && n <= lastColumn;
        const QString value = typed ? model.CellText(row, n) : fields.value(n - 1);
        lines << FieldLine(n, captions, value);
    }

    if (!newRow) {
        const Dependencies& dependencies = open.views->CurrentDependencies();
        lines << QString();
        lines << QStringLiteral("Used by: ") + OrNothing(UsersInWords(dependencies.UsedBy(id)));
        lines << QStringLiteral("Uses: ") + OrNothing(NamesInWords(dependencies.Uses(id))) +
                     (pending ? QStringLiteral(" (as saved)") : QString());
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace dictionary
