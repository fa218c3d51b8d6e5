// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QWidget>

#include "connection/Functions.h"
#include "connection/Variables.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

// A program folder of its own, scripted dialogs and the program-wide state built on them.
class ConnectionTest : public ::testing::Test {
protected:
    TempDir programDir;
    ScriptedDialogs dialogs;
    Variables vars{dialogs, programDir.path()};

    QString settingsPath() const { return programDir.filePath(QStringLiteral("Kelvora.ini")); }

    void writeSettings(const QByteArray& contents) const {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    QByteArray readSettings() const {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The constants file the program ships, beside this test's program folder.
    void loadShippedErrorTable() {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KELVORA_SOURCE_DIR "/platform/mv/Uvoaif.txt"),
                                ErrorTablePath(vars)));
        ASSERT_TRUE(Load_ErrorTable(vars));
    }

    // An account directory holding the dictionary of the file X.
    QString makeAccount() const {
        const QString account = programDir.filePath(QStringLiteral("account"));
        EXPECT_TRUE(QDir().mkpath(account + QStringLiteral("/D_X")));
        return account;
    }
};

// The child named name; a missing control fails the running test.
template <typename Widget>
Widget& child(const QWidget& parent, const QString& name) {
    auto* widget = parent.findChild<Widget*>(name);
    if (widget == nullptr) {
        throw std::runtime_error("no control named " + name.toStdString());
    }
    return *widget;
}
