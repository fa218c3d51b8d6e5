// SPDX-License-Identifier: MIT
#include "DictionaryOpener.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DataGrid.h"
#include "DatabaseType.h"
#include "DictionaryReader.h"
#include "EmptyNullDescriptor.h"
#include "FileNameCheck.h"
#include "Functions.h"
#include "Hourglass.h"
#include "MainControls.h"
#include "OpenDictionary.h"
#include "PhraseList.h"
#include "RowArrayModel.h"
#include "Session.h"
#include "TabControl.h"
#include "TextBridge.h"
#include "Variables.h"

namespace dictionary {

namespace {

constexpr int kDivTab = 2;
constexpr int kAsDataTypeColumn = 6;
constexpr int kDivDataTypeColumn = 8;
constexpr int kPhraseColumn = 2;

}  // namespace

bool DictionaryOpener::cmdOpen_Click() {
    return OpenNamed(controls_.txtFilename->text());
}

bool DictionaryOpener::Reopen() {
    return open_.IsOpen() && OpenNamed(open_.name);
}

bool DictionaryOpener::OpenNamed(const QString& fileName) {
    if (!RequireByteFileName(vars_, fileName)) {
        PutOpenNameBack();
        return false;
    }
    const ui::Hourglass hourglass(vars_.dialogs);
    mv::Session& session = *vars_.session;
    auto file = session.OpenDictionary(TextBridge::ToBytes(fileName));
    if (session.Error() != 0 || !file) {
        Show_ServerError(vars_, session.Error(), fileName, QString());
        PutOpenNameBack();
        return false;
    }

    auto views = std::make_shared<ViewSet>();
    const DatabaseKind kind = KindOf(vars_.DatabaseType);
    if (kind == DatabaseKind::Neither) {
        vars_.dialogs.MsgBox(UnknownTypeMessage(vars_.DatabaseType), ui::Buttons::OK,
                             ui::Icon::Exclamation, ui::kProgramTitle);
    } else {
        Read_Dictionary(vars_, fileName, *file, *views);
    }
    open_.name = fileName;
    open_.file = std::move(file);
    open_.views = std::move(views);
    controls_.txtFilename->setText(fileName);
    ShowOpenDictionary();

    Fill_ComboPH(*controls_.cmbPhrase, *open_.views->Rows(ViewKind::PH));
    if (kind == DatabaseKind::UniVerse && !open_.views->EmptyNull()) {
        AddEmptyNullDescriptor(vars_, fileName, *open_.file, open_.views->Records());
    }
    BindGrids();
    controls_.SSTab1->SetTab(kDivTab);
    controls_.cmdMakeChild->setEnabled(true);
    return true;
}

void DictionaryOpener::ReadAgain() {
    const ui::Hourglass hourglass(vars_.dialogs);
    auto views = std::make_shared<ViewSet>();
    if (KindOf(vars_.DatabaseType) == DatabaseKind::Neither) {
        vars_.dialogs.MsgBox(UnknownTypeMessage(vars_.DatabaseType), ui::Buttons::OK,
                             ui::Icon::Exclamation, ui::kProgramTitle);
    } else {
        Read_Dictionary(vars_, open_.name, *open_.file, *views);
    }
    open_.views = std::move(views);
    Fill_ComboPH(*controls_.cmbPhrase, *open_.views->Rows(ViewKind::PH));
    BindGrids();
}

void DictionaryOpener::PutOpenNameBack() {
    // Every later action works on the dictionary that is open: the box must not show a
    // name that is not.
    if (open_.IsOpen()) {
        controls_.txtFilename->setText(open_.name);
    }
}

void DictionaryOpener::ShowOpenDictionary() {
    if (controls_.lblOpenDictionary == nullptr) {
        return;
    }
    const mv::Session& session = *vars_.session;
    QString where = QDir::toNativeSeparators(TextBridge::ToText(session.AccountPath()));
    if (!session.HostName().empty()) {
        where += QStringLiteral(" on ") + TextBridge::ToText(session.HostName());
    }
    controls_.lblOpenDictionary->setText(open_.name + QStringLiteral(" in ") + where);
}

void DictionaryOpener::BindGrids() {
    auto& grids = controls_.TDBGrid1;
    const ViewSet& views = *open_.views;
    grids[0]->Bind(views.Rows(ViewKind::AS));
    grids[0]->SetDropDown(kAsDataTypeColumn, controls_.TDBDropDown1[0]);
    grids[2]->Bind(views.Rows(ViewKind::DIV));
    grids[2]->SetDropDown(kDivDataTypeColumn, controls_.TDBDropDown1[1]);
    grids[3]->Bind(views.Rows(ViewKind::Other));
    grids[1]->Bind(views.Rows(ViewKind::PH));
    grids[1]->Model()->SetWholeTextTips(kPhraseColumn, true);
}

}  // namespace dictionary
