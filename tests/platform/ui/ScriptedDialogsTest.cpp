// SPDX-License-Identifier: MIT
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>

#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

using ui::Answer;
using ui::Buttons;
using ui::Icon;

TEST(ScriptedDialogs, answersInOrderAndRecordsWhatWasShown) {
    ScriptedDialogs dialogs;
    dialogs.QueueAnswer(Answer::Yes);
    dialogs.QueueInput(QStringLiteral("COPY1"));
    dialogs.QueueAnswer(Answer::OK);

    EXPECT_EQ(dialogs.MsgBox("Save?", Buttons::YesNo, Icon::Question, "Kelvora"), Answer::Yes);
    EXPECT_EQ(dialogs.InputBox("Name?", "Copying", "x"), QStringLiteral("COPY1"));
    EXPECT_EQ(dialogs.MsgBox("Written", Buttons::OK, Icon::Information, ""), Answer::OK);
    EXPECT_TRUE(dialogs.allAnswersUsed());

    ASSERT_EQ(dialogs.shown().size(), 3u);
    const auto& save = dialogs.shown()[0];
    EXPECT_EQ(save.kind, ScriptedDialogs::Kind::MsgBox);
    EXPECT_EQ(save.prompt, "Save?");
    EXPECT_EQ(save.buttons, Buttons::YesNo);
    EXPECT_EQ(save.icon, Icon::Question);
    EXPECT_EQ(save.title, "Kelvora");
    EXPECT_EQ(dialogs.shown()[1].kind, ScriptedDialogs::Kind::InputBox);
    EXPECT_EQ(dialogs.shown()[1].defaultText, "x");
    EXPECT_EQ(dialogs.shown()[2].prompt, "Written");
}

TEST(ScriptedDialogs, anUnexpectedBoxFailsTheTestAndGetsTheSafestAnswer) {
    ScriptedDialogs dialogs;
    Answer answer = Answer::OK;
    EXPECT_NONFATAL_FAILURE(
        answer = dialogs.MsgBox("Are you sure?", Buttons::YesNoCancel, Icon::None, ""),
        "Are you sure?");
    EXPECT_EQ(answer, Answer::Cancel);
    EXPECT_NONFATAL_FAILURE(answer = dialogs.MsgBox("Delete?", Buttons::YesNo, Icon::None, ""),
                            "Delete?");
    EXPECT_EQ(answer, Answer::No);
    std::optional<QString> input = QStringLiteral("x");
    EXPECT_NONFATAL_FAILURE(input = dialogs.InputBox("New name", "", ""), "New name");
    EXPECT_FALSE(input.has_value());
    EXPECT_EQ(dialogs.shown().size(), 3u);
}

TEST(ScriptedDialogs, anAnswerTheBoxDoesNotOfferFailsTheTest) {
    ScriptedDialogs dialogs;
    dialogs.QueueAnswer(Answer::Yes);
    EXPECT_NONFATAL_FAILURE(dialogs.MsgBox("Written", Buttons::OK, Icon::None, ""), "Written");
}

TEST(ScriptedDialogs, runsTheFormScriptAndReturnsTheFormsResult) {
    ScriptedDialogs dialogs;
    QDialog form;
    form.setObjectName("frmSetup");
    form.setWindowTitle("Setup Values");
    auto* save = new QPushButton("Save", &form);
    QObject::connect(save, &QPushButton::clicked, &form, &QDialog::accept);

    bool shownWhileScripted = false;
    dialogs.QueueForm([&](QDialog& shown) {
        shownWhileScripted = shown.isVisible();
        save->click();
    });
    EXPECT_EQ(dialogs.ShowModal(form), QDialog::Accepted);
    EXPECT_TRUE(shownWhileScripted);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(dialogs.shown().at(0).prompt, "frmSetup");
    EXPECT_EQ(dialogs.shown().at(0).title, "Setup Values");

    // A form closed by its frame is rejected, even after an earlier accept.
    dialogs.QueueForm([](QDialog& shown) { shown.close(); });
    EXPECT_EQ(dialogs.ShowModal(form), QDialog::Rejected);
}

TEST(ScriptedDialogs, aFormLeftOpenByItsScriptFailsTheTest) {
    ScriptedDialogs dialogs;
    QDialog form;
    form.setObjectName("frmLogin");
    int result = QDialog::Accepted;
    dialogs.QueueForm([](QDialog&) {});
    EXPECT_NONFATAL_FAILURE(result = dialogs.ShowModal(form), "still open");
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(form.isVisible());
    EXPECT_NONFATAL_FAILURE(result = dialogs.ShowModal(form), "frmLogin");
    EXPECT_EQ(result, QDialog::Rejected);
}

}  // namespace
