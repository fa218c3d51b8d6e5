// SPDX-License-Identifier: MIT
#include <QPlainTextEdit>
#include <QTest>

#include "platform/grid/LongTextEditor.h"
#include "tests/editing/EditingFixture.h"

namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;

class LargerEditorTest : public EditingFixture {
protected:
    // Presses Shift+F2 on the grid, as the user does.
    void shiftF2(int view) {
        grid(view).setFocus();
        QTest::keyClick(&grid(view), Qt::Key_F2, Qt::ShiftModifier);
    }
    // The next larger editor: records what it showed, then types `text` with the keys
    // (none when empty) and presses OK or Cancel.
    void queueEditor(QString* shown, const QString& text, bool ok) {
        dialogs.QueueForm([shown, text, ok](QDialog& form) {
            auto& editor = dynamic_cast<grid::LongTextEditor&>(form);
            *shown = editor.Text();
            if (!text.isEmpty()) {
                editor.SetText(text);
            }
            if (ok) {
                QTest::keyClick(editor.Editor(), Qt::Key_Return);  // Enter takes the text
            } else {
                form.reject();
            }
        });
    }
};

TEST_F(LargerEditorTest, okTypesTheTextIntoTheCellAndLeavingTheRowSavesIt) {
    openOrders();
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "TOTAL")));
    grid(kDIV).SetCol(2);
    QString shown;
    queueEditor(&shown, QStringLiteral("QTY * PRICE; @1 * 2"), true);

    shiftF2(kDIV);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].prompt, QStringLiteral("frmLongText"));
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("Attribute Count or Formula of TOTAL"));
    EXPECT_EQ(shown, QStringLiteral("QTY * PRICE"));
    EXPECT_TRUE(grid(kDIV).HasPendingRow());
    EXPECT_EQ(grid(kDIV).Text(), QStringLiteral("QTY * PRICE; @1 * 2"));

    answer({Answer::Yes, Answer::OK, Answer::No});
    leaveRow(kDIV);
    EXPECT_EQ(onDisk("TOTAL").value(1), "QTY * PRICE; @1 * 2");
}

TEST_F(LargerEditorTest, cancelChangesNothingAndAnOpenCellEditorsTextGoesIntoTheEditor) {
    openOrders();
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "PRICE")));
    grid(kDIV).SetCol(4);
    QString shown;
    queueEditor(&shown, QStringLiteral("never taken"), false);
    shiftF2(kDIV);
    EXPECT_EQ(shown, QStringLiteral("Price"));
    EXPECT_FALSE(grid(kDIV).HasPendingRow());
    EXPECT_EQ(grid(kDIV).Text(), QStringLiteral("Price"));

    // Half typed in the cell: the larger editor goes on from there.
    QWidget* window = grid(kDIV).window();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    grid(kDIV).setFocus();
    for (const QChar c : QStringLiteral("Unit")) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &grid(kDIV);
        QTest::keyClicks(target, QString(c));
    }
    ASSERT_NE(QApplication::focusWidget(), &grid(kDIV)) << "a cell editor is open";
    queueEditor(&shown, QString(), false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(shown, QStringLiteral("Unit"));
    EXPECT_EQ(grid(kDIV).Text(), QStringLiteral("Unit")) << "what was typed stays typed";
}

TEST_F(LargerEditorTest, aRefusedFieldMarkIsReportedAsTypingIsAndTheTextComesBack) {
    openOrders();
    ASSERT_TRUE(grid(kDIV).SetCurrentRow(rowOf(kDIV, "TOTAL")));
    grid(kDIV).SetCol(2);
    const QString withFieldMark = QStringLiteral("QTY\u00FEPRICE");
    QString first;
    QString second;
    queueEditor(&first, withFieldMark, true);
    queueEditor(&second, QString(), false);

    shiftF2(kDIV);

    EXPECT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(second, withFieldMark) << "the refused text is not lost";
    EXPECT_EQ(dialogs.beeps(), 1);
    EXPECT_TRUE(screen.Status().contains(QStringLiteral("field mark")))
        << screen.Status().toStdString();
    EXPECT_FALSE(grid(kDIV).HasPendingRow());
    EXPECT_EQ(grid(kDIV).Text(), QStringLiteral("QTY * PRICE"));
}

// The editor's own keys: the marks as in a cell, and bytes the plain-text view would
// otherwise change (a no-break space) kept.
TEST(LongTextEditor, typesMarksWithTheCellsKeysAndKeepsEveryByte) {
    grid::LongTextEditor editor;
    editor.SetText(QStringLiteral("A\u00A0B"));
    QTest::keyClick(editor.Editor(), Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(editor.Text(), QStringLiteral("A\u00A0B\u00FD"));
    EXPECT_EQ(editor.objectName(), QStringLiteral("frmLongText"));
}

}  // namespace
