// SPDX-License-Identifier: MIT
#include <new>
#include <stdexcept>

#include "editing/UnexpectedFailure.h"
#include "tests/editing/EditingFixture.h"
#include "tests/support/MainWindowFixture.h"

namespace {

using ui::Answer;

struct FailureCase {
    const char* name;
    std::exception_ptr failure;
    int number;
    const char* description;
};

class FailureNumbering : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailureNumbering, givesTheBoxItsNumberAsTitleAndItsDescription) {
    ScriptedDialogs dialogs;
    dialogs.QueueAnswer(Answer::OK);

    editing::ShowUnexpectedFailure(dialogs, GetParam().failure);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    const auto& box = dialogs.shown().front();
    EXPECT_EQ(box.prompt, QStringLiteral("Error ") + QString::fromLatin1(GetParam().description));
    EXPECT_EQ(box.buttons, ui::Buttons::OK);
    EXPECT_EQ(box.icon, ui::Icon::Critical);
    EXPECT_EQ(box.title, QString::number(GetParam().number));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailureNumbering,
    ::testing::Values(
        FailureCase{"outOfMemory", std::make_exception_ptr(std::bad_alloc()), 7, "Out of memory"},
        FailureCase{"outOfRange", std::make_exception_ptr(std::out_of_range("no row 9")), 9,
                    "no row 9"},
        FailureCase{"overflow", std::make_exception_ptr(std::overflow_error("too big")), 6,
                    "too big"},
        FailureCase{"invalid", std::make_exception_ptr(std::invalid_argument("bad")), 5, "bad"},
        FailureCase{"other", std::make_exception_ptr(std::runtime_error("broken")), 51, "broken"},
        FailureCase{"notAnException", std::make_exception_ptr(42), 51, "Internal error"}),
    [](const auto& test) { return std::string(test.param.name); });

// Dialogs that fail once, on the box with a given prompt, as a call that runs out of
// memory would; every other box goes to the scripted dialogs.
class FailingDialogs : public ui::Dialogs {
public:
    explicit FailingDialogs(ScriptedDialogs& inner) : inner_(inner) {}
    void FailOn(const QString& prompt) { failOn_ = prompt; }

    ui::Answer ShowMessage(const QString& prompt, ui::Buttons buttons, ui::Icon icon,
                           const QString& title, std::optional<ui::Answer> defaultButton,
                           const QString& detail) override {
        if (!failOn_.isEmpty() && prompt == failOn_) {
            failOn_.clear();
            throw std::bad_alloc();
        }
        if (!detail.isEmpty()) {
            return inner_.MsgBoxWithDetail(prompt, buttons, icon, title, detail);
        }
        return defaultButton ? inner_.MsgBox(prompt, buttons, icon, title, *defaultButton)
                             : inner_.MsgBox(prompt, buttons, icon, title);
    }
    std::optional<int> ChooseFromList(const QString& prompt, const QString& title,
                                      const QStringList& entries, const QString& action) override {
        return inner_.ChooseFromList(prompt, title, entries, action);
    }
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override {
        return inner_.InputBox(prompt, title, defaultText);
    }
    std::optional<QString> SaveFileName(const QString& title, const QString& filter,
                                        const QString& initialPath) override {
        return inner_.SaveFileName(title, filter, initialPath);
    }
    int RunModal(QDialog& form) override { return inner_.ShowModal(form); }
    void Beep() override { inner_.Beep(); }
    void SetHourglass(bool on) override { inner_.SetHourglass(on); }
    void ShowProgress(const QString& text) override { inner_.ShowProgress(text); }
    void EndProgress() override { inner_.EndProgress(); }

private:
    ScriptedDialogs& inner_;
    QString failOn_;
};

// The main window run with the failing dialogs.
class UnexpectedFailureTest : public EditingFixtureOn<MainWindowFixture> {
protected:
    FailingDialogs failing{dialogs};
    Variables failingVars{failing, programDir.path()};

    void openWithFailingDialogs() {
        makeOrders();
        const QString path = account();
        dialogs.QueueForm([path](QDialog& form) {
            form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))->setText(path);
            form.findChild<QComboBox*>(QStringLiteral("cmbDBType"))
                ->setEditText(QStringLiteral("UniVerse"));
            form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        });
        window = std::make_unique<frmKelvora>(failingVars);
        ASSERT_TRUE(window->Form_Load());
        open(QStringLiteral("ORDERS"));
        dialogs.clear();
    }

    static std::string memoryBox() { return "Error Out of memory | OK | Critical | 7"; }
};

TEST_F(UnexpectedFailureTest, aFailureWhileSavingKeepsTheRowPendingAndWritesNothing) {
    openWithFailingDialogs();
    const int row = rowOf(kDIV, "PRICE");
    type(kDIV, row, {{3, QStringLiteral("MD4")}});
    failing.FailOn(QStringLiteral("Save?"));
    answer({Answer::OK});

    EXPECT_EQ(leaveRow(kDIV), grid::CommitOutcome::Cancelled);

    EXPECT_EQ(boxes(), std::vector<std::string>{memoryBox()});
    EXPECT_TRUE(grid(kDIV).HasPendingRow());
    EXPECT_EQ(grid(kDIV).Model()->CellText(row, 3), QStringLiteral("MD4"));
    EXPECT_EQ(column(kDIV, 3).at(row), QStringLiteral("MD2"));
    EXPECT_EQ(onDisk("PRICE").at(2), "MD2");
}

// An exception in the middle of an open (here while telling the user about the descriptor
// it added) is shown once and stops there; the window goes on working.
TEST_F(UnexpectedFailureTest, aFailureDuringAnOpenIsShownAndTheWindowGoesOn) {
    openWithFailingDialogs();
    makeDictionary(QStringLiteral("FRESH"));
    writeItem(QStringLiteral("FRESH"), QStringLiteral("CODE"), {"D", "1"});
    failing.FailOn(QStringLiteral("X Descriptor @EMPTY.NULL added"));
    answer({Answer::OK});

    open(QStringLiteral("FRESH"));

    EXPECT_EQ(boxes(), std::vector<std::string>{memoryBox()});
    EXPECT_TRUE(itemExists(QStringLiteral("FRESH"), QStringLiteral("@EMPTY.NULL")));
    dialogs.clear();
    open(QStringLiteral("ORDERS"));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_NE(rowOf(kDIV, "PRICE"), -1);
}

TEST_F(UnexpectedFailureTest, aFailureWhileDeletingKeepsTheRowAndTheItem) {
    openWithFailingDialogs();
    grid(kOther).SetHighlightedRows({rowOf(kOther, "NEXT")});
    failing.FailOn(QStringLiteral("Are you sure?"));
    answer({Answer::OK});

    EXPECT_EQ(grid(kOther).DeleteRows(), 0);

    EXPECT_EQ(boxes(), std::vector<std::string>{memoryBox()});
    EXPECT_NE(rowOf(kOther, "NEXT"), -1);
    EXPECT_TRUE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NEXT")));
}

}  // namespace
