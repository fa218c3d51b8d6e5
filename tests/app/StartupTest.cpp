// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "app/Startup.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

namespace {

TEST(Startup, missingConstantsFileIsReportedByPathAndEndsBeforeLogin) {
    TempDir folder;
    ScriptedDialogs dialogs;
    dialogs.QueueAnswer(ui::Answer::OK);

    EXPECT_EQ(app::RunProgram(folder.path(), dialogs), 1);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    const auto& box = dialogs.shown().front();
    EXPECT_EQ(box.kind, ScriptedDialogs::Kind::MsgBox);
    EXPECT_TRUE(box.prompt.contains(folder.filePath(QStringLiteral("Uvoaif.txt"))));
    EXPECT_EQ(box.icon, ui::Icon::Critical);
    EXPECT_EQ(box.title, QStringLiteral("Kelvora"));
}

TEST(Startup, loginIsShownAfterTheErrorTableLoads) {
    TempDir folder;
    ASSERT_TRUE(QFile::copy(QStringLiteral(KELVORA_SOURCE_DIR "/platform/mv/Uvoaif.txt"),
                            folder.filePath(QStringLiteral("Uvoaif.txt"))));
    ScriptedDialogs dialogs;
    QString loginTitle;
    dialogs.QueueForm([&](QDialog& form) {
        loginTitle = form.windowTitle();
        form.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    });

    EXPECT_EQ(app::RunProgram(folder.path(), dialogs), 0);

    EXPECT_EQ(loginTitle, QStringLiteral("Login"));
    EXPECT_TRUE(dialogs.allAnswersUsed());
    EXPECT_EQ(dialogs.shown().size(), 1u);  // the login form, and no box
}

}  // namespace
