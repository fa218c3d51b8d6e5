// SPDX-License-Identifier: MIT
#include "DeleteHandler.h"

#include <algorithm>

#include <QLineEdit>

#include "DataGrid.h"
#include "DictionaryFile.h"
#include "Functions.h"
#include "MainControls.h"
#include "OpenDictionary.h"
#include "TextBridge.h"
#include "UnexpectedFailure.h"
#include "Variables.h"

namespace editing {

void DeleteHandler::BeforeDelete(int viewIndex, bool* cancel) {
    if (!dictionary::IsViewIndex(viewIndex) || !open_.IsOpen()) {
        return;
    }
    if (!RunGuarded(vars_.dialogs, [&] { Delete(viewIndex, cancel); })) {
        *cancel = true;
    }
}

void DeleteHandler::Delete(int viewIndex, bool* cancel) {
    if (vars_.dialogs.MsgBox(QStringLiteral("Are you sure?"), ui::Buttons::YesNo, ui::Icon::None,
                             QStringLiteral("Delete?")) != ui::Answer::Yes) {
        *cancel = true;
        return;
    }
    grid::DataGrid& grid = *controls_.TDBGrid1[static_cast<std::size_t>(viewIndex)];
    grid.SetCol(0);
    mv::DictionaryFile& file = *open_.file;
    file.SetRecordId(TextBridge::ToBytes(grid.Text()));
    file.DeleteRecord();
    const QString deletedId = TextBridge::ToText(file.RecordId());
    if (file.Error() != 0) {
        Show_ServerError(vars_, file.Error(), controls_.txtFilename->text(), deletedId);
        *cancel = true;
        return;
    }
    vars_.dialogs.MsgBox(
        QStringLiteral("Record ") + deletedId + QStringLiteral(" has been deleted"),
        ui::Buttons::OK, ui::Icon::None, QStringLiteral("Success"));
    dictionary::ViewSet& views = *open_.views;
    const dictionary::ViewKind view = dictionary::ViewAt(viewIndex);
    views.SetCounter(view, std::max(0, views.Counter(view) - 1));
}

void DeleteHandler::AfterDelete(int viewIndex) {
    if (!dictionary::IsViewIndex(viewIndex) || !open_.IsOpen()) {
        return;
    }
    // A grid showing a narrowed copy removed the row from the copy; the view's own
    // array, and so its counter, keep the row until the next read.
    dictionary::ViewSet& views = *open_.views;
    const dictionary::ViewKind view = dictionary::ViewAt(viewIndex);
    views.SetCounter(view, views.Rows(view)->RowCount());
}

}  // namespace editing
