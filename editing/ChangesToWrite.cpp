// SPDX-License-Identifier: MIT
#include "editing/ChangesToWrite.h"

#include "connection/TextBridge.h"
#include "dictionary/Classification.h"
#include "dictionary/ItemDetail.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"
#include "platform/grid/RowArrayModel.h"
#include "platform/grid/ValueMarks.h"

namespace editing {

namespace {

QString Shown(const QString& value) {
    return value.isEmpty() ? QStringLiteral("(empty)") : grid::WithMarkLabels(value);
}

QStringList TypedFields(const grid::DataGrid& grid, int lastField) {
    QStringList typed;
    for (int n = 1; n <= lastField; ++n) {
        typed << grid.Model()->CellText(grid.CurrentRow(), n);
    }
    return typed;
}

}  // namespace

QString ChangesToWrite(const WriteToDescribe& write) {
    const int typedCount = static_cast<int>(write.typed.size());
    QStringList lines;
    if (write.asRead == nullptr) {
        if (!write.keptItemId.isEmpty() && !write.replacesWhole) {
            lines << QStringLiteral("Writes a new item %1; %2 stays as it is.")
                         .arg(write.itemId, write.keptItemId);
        }
        lines << (write.replacesWhole ? QStringLiteral("%1, replaced whole:")
                                      : QStringLiteral("New item %1:"))
                     .arg(write.itemId);
        for (int n = 1; n <= typedCount; ++n) {
            lines << dictionary::FieldLine(n, write.captions, write.typed[n - 1]);
        }
        return lines.join(QLatin1Char('\n'));
    }
    const QStringList read = TextBridge::ToText(*write.asRead).split(grid::kFieldMark);
    // The box's own words are fixed; the detail says which item it asks about.
    lines << QStringLiteral("Save %1?").arg(write.itemId);
    for (int n = 1; n <= typedCount; ++n) {
        const QString& now = write.typed[n - 1];
        const QString before = read.value(n - 1);
        if (now != before) {
            lines << dictionary::FieldLine(n, write.captions, QString()) + QLatin1Char(' ') +
                         Shown(before) + QStringLiteral(" -> ") + Shown(now);
        }
    }
    const int readCount = static_cast<int>(read.size());
    if (!write.keepsLaterFields && readCount > typedCount) {
        const QString fields =
            readCount == typedCount + 1
                ? QStringLiteral("Field %1").arg(readCount)
                : QStringLiteral("Fields %1 to %2").arg(typedCount + 1).arg(readCount);
        lines << fields + QStringLiteral(
                              " (the compiled form): left out; compiling the item "
                              "writes them again");
    }
    if (lines.size() == 1) {
        lines << QStringLiteral("No field changes.");
    }
    return lines.join(QLatin1Char('\n'));
}

QString SaveDetail(const dictionary::OpenDictionary& open, const grid::DataGrid& grid,
                   dictionary::ViewKind view) {
    const int row = grid.CurrentRow();
    WriteToDescribe write;
    write.itemId = grid.Model()->CellText(row, dictionary::kIdColumn);
    write.captions = grid.ColumnCaptions();
    write.typed = TypedFields(grid, dictionary::LayoutOf(view).LastColumn());
    const bool namesNewItem = grid.PendingRowIsNew() ||
                              grid.BoundArray()->Cell(row, dictionary::kIdColumn) != write.itemId;
    const std::string* held = open.views->Records().Find(TextBridge::ToBytes(write.itemId));
    if (namesNewItem) {
        // A new row, or an overtyped id, names an item the save replaces whole if it exists.
        write.replacesWhole = held != nullptr;
        if (!grid.PendingRowIsNew()) {
            write.keptItemId = grid.BoundArray()->Cell(row, dictionary::kIdColumn);
        }
    } else {
        write.asRead = held;
    }
    if (write.asRead != nullptr) {
        const QString readType = TextBridge::ToText(*write.asRead).section(grid::kFieldMark, 0, 0);
        // As the save does: the compiled form is left for the compile to write anew.
        write.keepsLaterFields = view != dictionary::ViewKind::DIV ||
                                 !(dictionary::CarriesCompiledForm(write.typed.value(0)) ||
                                   dictionary::CarriesCompiledForm(readType));
    }
    return ChangesToWrite(write);
}

QString CopyDetail(const dictionary::OpenDictionary& open, const grid::DataGrid& grid,
                   const QString& name, int lastField) {
    WriteToDescribe write;
    write.itemId = name;
    write.captions = grid.ColumnCaptions();
    write.typed = TypedFields(grid, lastField);
    write.replacesWhole = open.views->Records().Find(TextBridge::ToBytes(name)) != nullptr;
    return ChangesToWrite(write);
}

}  // namespace editing
