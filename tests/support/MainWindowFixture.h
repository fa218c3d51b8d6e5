// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "app/frmKelvora.h"
#include "connection/Variables.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"
#include "tests/remote/TestBackend.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

// The real main window, logged in to an account of its own through the scripted login
// form, for tests of what the user does in it. Items are written to and read from the
// account's files directly, so a test checks exactly what is on disk.
class MainWindowFixture : public ::testing::Test {
protected:
    TempDir programDir;
    ScriptedDialogs dialogs;
    Variables vars{dialogs, programDir.path()};
    std::unique_ptr<frmKelvora> window;

    void SetUp() override {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KELVORA_SOURCE_DIR "/platform/mv/Uvoaif.txt"),
                                programDir.filePath(QStringLiteral("Uvoaif.txt"))));
        ASSERT_TRUE(QDir().mkpath(account()));
    }

    QString account() const { return programDir.filePath(QStringLiteral("account")); }
    QString dictionaryPath(const QString& file) const {
        return account() + QStringLiteral("/D_") + file;
    }

    void makeDictionary(const QString& file) const {
        ASSERT_TRUE(QDir().mkpath(dictionaryPath(file)));
    }

    // An item whose id needs no escaping, fields joined by field marks.
    void writeItem(const QString& file, const QString& id, const QByteArrayList& fields) const {
        QFile item(dictionaryPath(file) + QLatin1Char('/') + id);
        ASSERT_TRUE(item.open(QIODevice::WriteOnly));
        item.write(fields.join('\n'));
    }

    // The item's fields as on disk; an empty list for a missing item.
    QByteArrayList itemFields(const QString& file, const QString& id) const {
        QFile item(dictionaryPath(file) + QLatin1Char('/') + id);
        if (!item.open(QIODevice::ReadOnly)) {
            return {};
        }
        return item.readAll().split('\n');
    }

    bool itemExists(const QString& file, const QString& id) const {
        return QFile::exists(dictionaryPath(file) + QLatin1Char('/') + id);
    }

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

    // The prompts of every box shown so far.
    QStringList prompts() const {
        QStringList shown;
        for (const auto& box : dialogs.shown()) {
            shown << box.prompt;
        }
        return shown;
    }
};
