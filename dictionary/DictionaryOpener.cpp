// SPDX-License-Identifier: MIT
#include "dictionary/DictionaryOpener.h"

#include <QDir>

#include "connection/Reconnect.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/AccountFiles.h"
#include "dictionary/ConnectionRecovery.h"
#include "dictionary/DatabaseType.h"
#include "dictionary/DictionaryReader.h"
#include "dictionary/EmptyNullDescriptor.h"
#include "dictionary/FileNameCheck.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/PhraseList.h"
#include "dictionary/ShownRows.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArrayModel.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/FreedMemory.h"
#include "platform/mv/Session.h"
#include "platform/ui/Hourglass.h"

namespace dictionary {

bool DictionaryOpener::cmdOpen_Click() {
    return OpenNamed(context_.screen.FileNameText());
}

bool DictionaryOpener::Reopen() {
    return context_.open.IsOpen() && OpenNamed(context_.open.name);
}

bool DictionaryOpener::OpenNamed(const QString& fileName) {
    Variables& vars = context_.vars;
    OpenDictionary& open = context_.open;
    if (!RequireByteFileName(vars, fileName)) {
        PutOpenNameBack();
        return false;
    }
    const ui::Hourglass hourglass(vars.dialogs);
    mv::Session& session = *vars.session;
    auto file = session.OpenDictionary(TextBridge::ToBytes(fileName));
    if (session.Error() != 0 || !file) {
        const int code = session.Error();
        ShowCallError(vars, code, fileName, QString());
        // After a new login the open is tried again, once for each Yes of the user.
        if (ConnectionDropped(vars, code) && RecoverConnection(context_)) {
            return OpenNamed(fileName);
        }
        if (code == mv::kNoSuchDictionary || code == mv::kNoSuchFile) {
            const QStringList names = AccountFileNames(vars);
            // The account's files as they are now, for the name typed next.
            context_.screen.SetFileNameChoices(names);
            if (const std::optional<QString> other = AskForNameInOtherCase(vars, names, fileName)) {
                return OpenNamed(*other);
            }
        }
        PutOpenNameBack();
        return false;
    }
    if (open.file) {
        open.locks.ReleaseAll(*open.file);  // the rows are read anew: no row keeps a lock
    }
    if (fileName != open.name) {
        context_.screen.HideCompileAnswer();  // it was about the other file
    }
    open.name = fileName;
    open.file = std::move(file);
    UseJournalOfAccount(open, session);
    context_.screen.SetFileNameText(fileName);
    ShowOpenDictionary();
    open.readOnly = !open.file->Writable();
    ReadInto(fileName, *open.file);
    if (KindOf(vars.DatabaseType) == DatabaseKind::UniVerse && !open.views->EmptyNull() &&
        !open.readOnly) {
        open.readOnly = !AddEmptyNullDescriptor(vars, open);
    }
    // Typing into rows that cannot be saved would only lose the typing at the save.
    for (grid::DataGrid* grid : context_.screen.Grids()) {
        grid->Model()->SetReadOnly(open.readOnly);
    }
    if (open.readOnly) {
        context_.screen.ShowStatus(fileName + QStringLiteral(" is read-only here"), 0);
    }
    context_.screen.ShowView(ViewKind::DIV);
    return true;
}

void DictionaryOpener::ReadAgain() {
    ReadInto(context_.open.name, *context_.open.file);
}

void DictionaryOpener::ReadInto(const QString& fileName, mv::DictionaryFile& file) {
    Variables& vars = context_.vars;
    OpenDictionary& open = context_.open;
    const ui::Hourglass hourglass(vars.dialogs);
    auto views = std::make_shared<ViewSet>();
    if (KindOf(vars.DatabaseType) == DatabaseKind::Neither) {
        vars.dialogs.MsgBox(UnknownTypeMessage(vars.DatabaseType), ui::Buttons::OK,
                            ui::Icon::Exclamation, ui::kProgramTitle);
    } else {
        Read_Dictionary(vars, fileName, file, *views);
        // A read cut short by a dropped connection starts again on the new session,
        // which has the dictionary open again.
        while (SessionDropped(vars) && RecoverConnection(context_)) {
            views = std::make_shared<ViewSet>();
            Read_Dictionary(vars, fileName, *open.file, *views);
        }
    }
    open.views = std::move(views);
    Fill_ComboPH(context_.screen, *open.views->Rows(ViewKind::PH));
    BindGrids();
    // The rows of the last read are gone with their grids' binding: give their memory
    // back, so the window is as large after a re-open as after the first.
    mv::ReturnFreedMemory();
}

void DictionaryOpener::PutOpenNameBack() {
    // Every later action works on the dictionary that is open: the box must not show a
    // name that is not.
    if (context_.open.IsOpen()) {
        context_.screen.SetFileNameText(context_.open.name);
    }
}

void DictionaryOpener::ShowOpenDictionary() {
    const mv::Session& session = *context_.vars.session;
    QString where = QDir::toNativeSeparators(TextBridge::ToText(session.AccountPath()));
    if (!session.HostName().empty()) {
        where += QStringLiteral(" on ") + TextBridge::ToText(session.HostName());
    }
    context_.screen.ShowOpenDictionary(context_.open.name + QStringLiteral(" in ") + where);
}

void DictionaryOpener::BindGrids() {
    DictionaryScreen& screen = context_.screen;
    // A fresh read shows every item: the phrase list is back at "All". The find and the
    // orders stay, as their controls still show them.
    context_.open.shown.phraseWords.reset();
    BindAllShownRows(context_.open, screen);
    for (const ViewKind view : {ViewKind::AS, ViewKind::PH, ViewKind::DIV, ViewKind::Other}) {
        grid::DataGrid& grid = screen.Grid(view);
        const int dataTypeColumn = LayoutOf(view).dataTypeColumn;
        if (dataTypeColumn >= 0) {
            grid.SetDropDown(dataTypeColumn, screen.DataTypeList(view));
        }
    }
    screen.Grid(ViewKind::PH).Model()->SetWholeTextTips(kPhraseColumn, true);
}

}  // namespace dictionary
