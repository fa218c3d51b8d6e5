// SPDX-License-Identifier: MIT
#include <functional>

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "platform/ui/QtDialogs.h"
#include "tests/support/QtPrinters.h"

namespace {

using ui::Answer;
using ui::Buttons;
using ui::Icon;

// Hands the next modal window to `act` from inside its event loop. `act` must close it,
// or the box waits for a user forever; a box still open after a second is closed with
// a failure so the test ends.
class OnModal {
public:
    explicit OnModal(std::function<void(QWidget*)> act) : act_(std::move(act)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }

    bool acted() const { return acted_; }

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            return;
        }
        if (!acted_) {
            acted_ = true;
            act_(modal);
            return;
        }
        if (++pollsAfterAct_ > 200) {
            ADD_FAILURE() << "The modal window was left open";
            modal->close();
        }
    }

    std::function<void(QWidget*)> act_;
    QTimer timer_;
    bool acted_ = false;
    int pollsAfterAct_ = 0;
};

struct ButtonCase {
    Buttons buttons;
    QMessageBox::StandardButtons shown;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton press;
    Answer expected;
};

class QtDialogsMsgBox : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(QtDialogsMsgBox, showsTheButtonsAndAnswersWithThePressedOne) {
    const ButtonCase& c = GetParam();
    ui::QtDialogs dialogs;
    OnModal onModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->standardButtons(), c.shown);
        EXPECT_EQ(box->defaultButton(), box->button(c.defaultButton));
        box->button(c.press)->click();
    });
    EXPECT_EQ(dialogs.MsgBox("Prompt", c.buttons, Icon::None, "Kelvora"), c.expected);
    EXPECT_TRUE(onModal.acted());
}

const auto kOk = QMessageBox::Ok;
const auto kCancel = QMessageBox::Cancel;
const auto kYes = QMessageBox::Yes;
const auto kNo = QMessageBox::No;

std::string ButtonCaseName(const ::testing::TestParamInfo<ButtonCase>& test) {
    static const char* const buttonNames[] = {"OK", "OKCancel", "YesNo", "YesNoCancel"};
    static const char* const answerNames[] = {"OK", "Cancel", "Yes", "No"};
    return std::string(buttonNames[static_cast<int>(test.param.buttons)]) + "Answered" +
           answerNames[static_cast<int>(test.param.expected)];
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, QtDialogsMsgBox,
    ::testing::Values(
        ButtonCase{Buttons::OK, kOk, kOk, kOk, Answer::OK},
        ButtonCase{Buttons::OKCancel, kOk | kCancel, kOk, kOk, Answer::OK},
        ButtonCase{Buttons::OKCancel, kOk | kCancel, kOk, kCancel, Answer::Cancel},
        ButtonCase{Buttons::YesNo, kYes | kNo, kYes, kYes, Answer::Yes},
        ButtonCase{Buttons::YesNo, kYes | kNo, kYes, kNo, Answer::No},
        ButtonCase{Buttons::YesNoCancel, kYes | kNo | kCancel, kYes, kYes, Answer::Yes},
        ButtonCase{Buttons::YesNoCancel, kYes | kNo | kCancel, kYes, kNo, Answer::No},
        ButtonCase{Buttons::YesNoCancel, kYes | kNo | kCancel, kYes, kCancel, Answer::Cancel}),
    ButtonCaseName);

// A question whose first button cannot be taken back names another as its default, so
// Enter alone does not delete or overwrite.
TEST(QtDialogsDefault, aNamedDefaultButtonIsTheOneEnterPresses) {
    ui::QtDialogs dialogs;
    OnModal onModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->defaultButton(), box->button(kCancel));
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs.MsgBox("Prompt", Buttons::YesNoCancel, Icon::None, "Kelvora", Answer::Cancel),
              Answer::Cancel);
    EXPECT_TRUE(onModal.acted());
}

TEST(QtDialogs, escapeAnswersCancelOrNo) {
    const std::pair<Buttons, Answer> cases[] = {{Buttons::OK, Answer::OK},
                                                {Buttons::OKCancel, Answer::Cancel},
                                                {Buttons::YesNo, Answer::No},
                                                {Buttons::YesNoCancel, Answer::Cancel}};
    ui::QtDialogs dialogs;
    for (const auto& [buttons, expected] : cases) {
        OnModal onModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        EXPECT_EQ(dialogs.MsgBox("Prompt", buttons, Icon::None, "Kelvora"), expected)
            << static_cast<int>(buttons);
    }
}

TEST(QtDialogs, msgBoxShowsTextIconAndTitleAsGiven) {
    const std::pair<Icon, QMessageBox::Icon> icons[] = {
        {Icon::None, QMessageBox::NoIcon},
        {Icon::Critical, QMessageBox::Critical},
        {Icon::Question, QMessageBox::Question},
        {Icon::Exclamation, QMessageBox::Warning},
        {Icon::Information, QMessageBox::Information}};
    ui::QtDialogs dialogs;
    for (const auto& [icon, shownIcon] : icons) {
        const QMessageBox::Icon expected = shownIcon;
        OnModal onModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), expected);
            EXPECT_EQ(box->text(), "Item <b>X</b> [*]");
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->windowHandle()->title(), "Server Error [*]");
            box->close();
        });
        dialogs.MsgBox("Item <b>X</b> [*]", Buttons::OK, icon, "Server Error [*]");
        EXPECT_TRUE(onModal.acted());
    }
}

TEST(QtDialogs, anEmptyTitleDoesNotBecomeTheApplicationName) {
    ui::QtDialogs dialogs;
    // Window systems show the application's name for a window whose title is empty, so
    // the box must give a title that is not empty yet shows nothing.
    OnModal onModal([](QWidget* box) {
        const QString title = box->windowHandle()->title();
        EXPECT_FALSE(title.isEmpty());
        EXPECT_TRUE(title.trimmed().isEmpty()) << title.toStdString();
        box->close();
    });
    dialogs.MsgBox("Prompt", Buttons::OK, Icon::None, "");
    EXPECT_TRUE(onModal.acted());
}

TEST(QtDialogs, inputBoxShowsPromptTitleAndDefault) {
    ui::QtDialogs dialogs;
    OnModal cancel([](QWidget* modal) {
        auto* box = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->labelText(), "Enter the name of the PH descriptor");
        EXPECT_EQ(box->windowTitle(), "Child table");
        EXPECT_EQ(box->textValue(), "PH1");
        box->reject();
    });
    EXPECT_EQ(dialogs.InputBox("Enter the name of the PH descriptor", "Child table", "PH1"),
              std::nullopt);

    OnModal accept([](QWidget* modal) {
        auto* box = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(box, nullptr);
        box->setTextValue(" typed ");
        box->accept();
    });
    EXPECT_EQ(dialogs.InputBox("Name", "Title", ""), QStringLiteral(" typed "));
}

TEST(QtDialogs, hourglassNeverSticks) {
    {
        ui::QtDialogs dialogs;
        dialogs.SetHourglass(true);
        dialogs.SetHourglass(true);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        dialogs.SetHourglass(false);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        dialogs.SetHourglass(false);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        dialogs.SetHourglass(true);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // restored when the dialogs go
}

}  // namespace
