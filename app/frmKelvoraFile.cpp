// SPDX-License-Identifier: MIT
// The File and Help menus of the main window: logging in to another account without
// a restart, the file name box, the dictionaries opened last, the export and the exit.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "app/RecentFiles.h"
#include "app/frmKelvora.h"
#include "app/frmOptions.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "connection/frmLogin.h"
#include "dictionary/AccountFiles.h"
#include "dictionary/PhraseList.h"
#include "dictionary/ShownRows.h"
#include "editing/UnexpectedFailure.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArrayModel.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/Session.h"

namespace {

QAction* AddAction(QMenu* menu, const QString& name, const QString& caption,
                   const QKeySequence& keys) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(keys);
    return action;
}

}  // namespace

void frmKelvora::BuildFileMenu() {
    mnuFile = new QMenu(QStringLiteral("&File"), menuBar());
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    // The File menu comes first, before the menus already on the bar.
    const QList<QAction*> bar = menuBar()->actions();
    menuBar()->insertMenu(bar.isEmpty() ? nullptr : bar.first(), mnuFile);

    connect(AddAction(mnuFile, QStringLiteral("mnuLogIn"), QStringLiteral("&Log In..."), {}),
            &QAction::triggered, this,
            [this] { editing::RunGuarded(vars_.dialogs, [this] { mnuLogIn_Click(); }); });
    connect(AddAction(mnuFile, QStringLiteral("mnuOpen"), QStringLiteral("&Open..."),
                      QKeySequence::Open),
            &QAction::triggered, this, &frmKelvora::mnuOpen_Click);
    mnuFile->addSeparator();
    mnuRecentEnd = mnuFile->addSeparator();
    // The export's own button does the work, so the menu and the button never differ.
    connect(AddAction(mnuFile, QStringLiteral("mnuExport"), QStringLiteral("&Export..."),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)),
            &QAction::triggered, cmdExport, &QPushButton::click);
    mnuFile->addSeparator();
    connect(
        AddAction(mnuFile, QStringLiteral("mnuExit"), QStringLiteral("E&xit"), QKeySequence::Quit),
        &QAction::triggered, this, &frmKelvora::cmdExit_Click);
    UpdateRecentMenu();
}

void frmKelvora::BuildHelpMenu() {
    QMenu* tools = findChild<QMenu*>(QStringLiteral("mnuTools"));
    if (tools != nullptr) {
        // Enabled only where the button is: on the tab of D, I and V items.
        QAction* makeChild =
            AddAction(tools, QStringLiteral("mnuMakeChild"), QStringLiteral("Define Child &Table"),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
        connect(makeChild, &QAction::triggered, cmdMakeChild, &QPushButton::click);
        connect(tools, &QMenu::aboutToShow, this,
                [this, makeChild] { makeChild->setEnabled(cmdMakeChild->isEnabled()); });
        tools->addSeparator();
        connect(AddAction(tools, QStringLiteral("mnuOptions"), QStringLiteral("&Options..."), {}),
                &QAction::triggered, this, [this] { app::EditOptions(vars_, this); });
    }
    // Alt+H stays with the Help button: the menu takes Alt+P.
    QMenu* help = menuBar()->addMenu(QStringLiteral("Hel&p"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(AddAction(help, QStringLiteral("mnuHelpTopic"), QStringLiteral("&Help"),
                      QKeySequence::HelpContents),
            &QAction::triggered, this, &frmKelvora::ShowHelpForFocus);
    connect(AddAction(help, QStringLiteral("mnuHelpContents"), QStringLiteral("&Contents"), {}),
            &QAction::triggered, this, &frmKelvora::cmdHelp_Click);
}

void frmKelvora::mnuOpen_Click() {
    // Reaching the box settles a pending row, as a click into it does.
    txtFilename->setFocus(Qt::ShortcutFocusReason);
    txtFilename->selectAll();
}

void frmKelvora::mnuLogIn_Click() {
    // A pending row belongs to the account being left: it is saved or dropped first.
    if (!editing_.SettleBeforeOpen()) {
        return;
    }
    // The form works on state of its own: a failed attempt or Cancel leaves the
    // window's session, and the values a reconnect would use, as they are.
    Variables login(vars_.dialogs, vars_.programFolder);
    login.errorTable = vars_.errorTable;
    login.sessionFactory = vars_.sessionFactory;
    login.plainPasswordWarned = vars_.plainPasswordWarned;
    {
        frmLogin form(login, this);
        vars_.dialogs.ShowModal(form);
    }
    vars_.plainPasswordWarned = login.plainPasswordWarned;
    if (!login.LoginSucceeded || !login.session) {
        return;
    }
    const QString file = open_.IsOpen() ? open_.name : QString();
    CloseDictionary();
    if (vars_.session) {
        vars_.session->Disconnect();  // its locks go with it
    }
    vars_.session = std::move(login.session);
    vars_.DatabaseType = login.DatabaseType;
    vars_.lastLogin = login.lastLogin;
    vars_.LoginSucceeded = true;
    ShowStatus(QString());  // what it said was about the account left

    const QStringList names = dictionary::AccountFileNames(vars_);
    SetFileNameChoices(names);
    UpdateRecentMenu();
    txtFilename->setFocus();
    if (!file.isEmpty() && names.contains(file)) {
        SetFileNameText(file);
        cmdOpen_Click();
        return;
    }
    SetFileNameText(QString());
    ShowStatus(file.isEmpty()
                   ? QStringLiteral("Logged in to %1").arg(AccountName())
                   : QStringLiteral("Logged in to %1, which has no file %2: type the name of a "
                                    "file to open")
                         .arg(AccountName(), file));
}

void frmKelvora::CloseDictionary() {
    if (open_.file) {
        open_.locks.ReleaseAll(*open_.file);
        open_.file->CloseFile();
        open_.file.reset();
    }
    open_.name.clear();
    open_.readOnly = false;
    open_.views = std::make_shared<dictionary::ViewSet>();
    HideCompileAnswer();
    dictionary::Fill_ComboPH(*this, *open_.views->Rows(dictionary::ViewKind::PH));
    dictionary::BindAllShownRows(open_, *this);
    // Nothing is open that a typed row could be saved to.
    for (grid::DataGrid* grid : TDBGrid1) {
        grid->Model()->SetReadOnly(true);
    }
    ShowOpenDictionary(QString());
}

void frmKelvora::mnuRecent_Click(const QString& file) {
    editing::RunGuarded(vars_.dialogs, [this, &file] {
        if (!editing_.SettleBeforeOpen()) {
            return;
        }
        SetFileNameText(file);
        cmdOpen_Click();
    });
}

QString frmKelvora::AccountName() const {
    if (!vars_.session) {
        return QString();
    }
    const QString account = TextBridge::ToText(vars_.session->AccountPath());
    const QString host = TextBridge::ToText(vars_.session->HostName());
    return host.isEmpty() ? account : host + QLatin1Char(':') + account;
}

void frmKelvora::RememberRecentFile() {
    if (open_.IsOpen()) {
        app::AddRecentFile(AccountName(), open_.name);
        UpdateRecentMenu();
    }
}

void frmKelvora::UpdateRecentMenu() {
    for (QAction* action : mnuRecent) {
        mnuFile->removeAction(action);
        delete action;
    }
    mnuRecent.clear();
    const QStringList files = vars_.session ? app::RecentFiles(AccountName()) : QStringList();
    for (int i = 0; i < files.size(); ++i) {
        const QString file = files.at(i);
        // "&1 ORDERS": the number is the key in the open menu; "&" in a name stays one.
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QString(file).replace(
                                       QLatin1Char('&'), QStringLiteral("&&"))),
                                   mnuFile);
        action->setObjectName(QStringLiteral("mnuRecent_%1").arg(i));
        connect(action, &QAction::triggered, this, [this, file] { mnuRecent_Click(file); });
        mnuFile->insertAction(mnuRecentEnd, action);
        mnuRecent << action;
    }
    mnuRecentEnd->setVisible(!files.isEmpty());
}
