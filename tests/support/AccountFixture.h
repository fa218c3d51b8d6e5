// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QByteArrayList>
#include <QDir>
#include <QFile>

#include "connection/Variables.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

// A program folder with the constants file, the program state with scripted dialogs, and
// an account folder whose items a test writes and reads directly, so it checks exactly
// what is on disk.
class AccountFixture : public ::testing::Test {
protected:
    TempDir programDir;
    ScriptedDialogs dialogs;
    Variables vars{dialogs, programDir.path()};

    void SetUp() override {
        // The window keeps its placement in the user's config folder: one of the test's own.
        qputenv("XDG_CONFIG_HOME",
                QFile::encodeName(programDir.filePath(QStringLiteral("config"))));
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

    // The prompts of every box shown so far.
    QStringList prompts() const {
        QStringList shown;
        for (const auto& box : dialogs.shown()) {
            shown << box.prompt;
        }
        return shown;
    }
};
