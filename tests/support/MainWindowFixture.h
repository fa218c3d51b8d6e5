// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "app/frmKelvora.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"
#include "tests/remote/TestBackend.h"
#include "tests/support/AccountFixture.h"

// The real main window, logged in to an account of its own through the scripted login
// form, for tests of what the user does in it.
class MainWindowFixture : public AccountFixture {
protected:
    std::unique_ptr<frmKelvora> window;

    // Through kelvora-server when the suite runs on the remote backend.
    void login(const QString& databaseType = QStringLiteral("UniVerse")) {
        const testbackend::Reach reach = testbackend::ReachFor(account().toStdString());
        const QString path = QString::fromStdString(reach.account);
        const QString host = QString::fromStdString(reach.host);
        dialogs.QueueForm([path, host, databaseType](QDialog& form) {
            form.findChild<QLineEdit*>(QStringLiteral("txtHostName"))->setText(host);
            form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))->setText(path);
            form.findChild<QComboBox*>(QStringLiteral("cmbDBType"))->setEditText(databaseType);
            form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        });
        window = std::make_unique<frmKelvora>(vars);
        ASSERT_TRUE(window->Form_Load());
        dialogs.clear();  // tests look at what happens after the login
    }

    // Types the name and presses Open, as the user does.
    void open(const QString& file) {
        filename().setText(file);
        control<QPushButton>("cmdOpen").click();
    }

    template <typename W>
    W& control(const char* name) const {
        auto* widget = window->findChild<W*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            throw std::runtime_error(std::string("no control named ") + name);
        }
        return *widget;
    }
    QLineEdit& filename() const { return control<QLineEdit>("txtFilename"); }
    QComboBox& phrases() const { return control<QComboBox>("cmbPhrase"); }
    grid::DataGrid& grid(int view) const { return *window->Grid(view); }
    dictionary::OpenDictionary& Dictionary() const { return window->Dictionary(); }

    // Column `column` of every row of the view's row array.
    QStringList column(int view, int column) const {
        QStringList cells;
        const auto& rows = window->Grid(view)->BoundArray();
        for (int row = 0; rows && row < rows->RowCount(); ++row) {
            cells << rows->Cell(row, column);
        }
        return cells;
    }

    QStringList phraseEntries() const {
        QStringList entries;
        for (int i = 0; i < phrases().count(); ++i) {
            entries << phrases().itemText(i);
        }
        return entries;
    }
};
