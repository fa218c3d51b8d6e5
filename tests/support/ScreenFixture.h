// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QObject>

#include "connection/Functions.h"
#include "connection/TextBridge.h"
#include "dictionary/DictionaryOpener.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewSet.h"
#include "editing/EditingHandlers.h"
#include "editing/UnexpectedFailure.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"
#include "platform/mv/Session.h"
#include "tests/remote/TestBackend.h"
#include "tests/support/AccountFixture.h"
#include "tests/support/TestScreen.h"
#include "tools/DictionaryTools.h"

// The handlers of the open dictionary on a test screen, logged in to an account of their
// own (through kelvora-server when the suite runs remote), without the main window:
// the open, editing and tools act as the window's buttons and grids make them act.
class ScreenFixture : public AccountFixture {
protected:
    TestScreen screen;
    dictionary::OpenDictionary openDictionary;
    dictionary::DictionaryContext context{vars, openDictionary, screen};
    dictionary::DictionaryOpener opener{context};
    editing::EditingHandlers editing{context, opener};
    tools::DictionaryTools tools{context, opener};
    QObject receiver;

    void SetUp() override {
        AccountFixture::SetUp();
        editing.ConnectGrids(&receiver);
        tools.ConnectGrids(&receiver);
    }

    // Connects the session as an OK of the login form does, with the constants file read.
    void login(const QString& databaseType = QStringLiteral("UniVerse")) {
        ASSERT_TRUE(Load_ErrorTable(vars));
        const testbackend::Reach reach = testbackend::ReachFor(account().toStdString());
        vars.session = vars.sessionFactory();
        vars.session->SetHostName(reach.host);
        vars.session->SetAccountPath(reach.account);
        vars.session->SetDatabaseType(TextBridge::ToBytes(databaseType));
        vars.session->Connect();
        ASSERT_EQ(vars.session->Error(), 0);
        vars.LoginSucceeded = true;
        vars.DatabaseType = databaseType;
    }

    // Types the name and presses Open.
    void open(const QString& file) {
        screen.SetFileNameText(file);
        editing::RunGuarded(vars.dialogs, [this] { editing.OpenAfterSettling(); });
    }

    // Picks an entry of the phrase list, as the user does.
    void choosePhrase(int index) {
        screen.PickPhrase(index);
        editing::RunGuarded(vars.dialogs, [this, index] { tools.cmbPhrase_Click(index); });
    }

    dictionary::OpenDictionary& Dictionary() { return openDictionary; }
    const dictionary::OpenDictionary& Dictionary() const { return openDictionary; }
    grid::DataGrid& grid(int view) const { return *screen.Grids()[static_cast<std::size_t>(view)]; }

    // Column `column` of every row of the view's row array.
    QStringList column(int view, int column) const {
        QStringList cells;
        const auto& rows = grid(view).BoundArray();
        for (int row = 0; rows && row < rows->RowCount(); ++row) {
            cells << rows->Cell(row, column);
        }
        return cells;
    }

    QStringList phraseEntries() const { return screen.PhraseEntries(); }
};
