// SPDX-License-Identifier: MIT
#include <QColor>
#include <QLineEdit>

#include "platform/grid/CellToolTip.h"
#include "platform/grid/RowArrayModel.h"
#include "tests/platform/grid/GridFixture.h"

using grid::CellNote;

namespace {

class GridNotesTest : public GridFixture {
protected:
    // Column 2 of a row is doubtful when it holds "bad"; the row whose id is "r1c0" is
    // broken as a whole. Rows are told apart by their id, as the program does.
    void SetUp() override {
        GridFixture::SetUp();
        grid_->Model()->SetNoteSource(
            [this](int row, int column, const QString& shown) -> std::optional<CellNote> {
                ++asked_;
                if (column == 2 && shown == QLatin1String("bad")) {
                    return CellNote{CellNote::Kind::Doubtful, QStringLiteral("expected good")};
                }
                if (grid_->Model()->CellText(row, 0) == QLatin1String("r1c0")) {
                    return CellNote{CellNote::Kind::Broken, QStringLiteral("does not compile")};
                }
                return std::nullopt;
            });
    }

    QVariant Data(int row, int column, int role) const {
        return grid_->Model()->data(grid_->Model()->index(row, column), role);
    }
    QString Tip(int row, int column) const {
        return grid::CellToolTip(*grid_, grid_->Model()->index(row, column));
    }

    int asked_ = 0;
};

TEST_F(GridNotesTest, notesFollowTheTypedValueAndTheRowsId) {
    EXPECT_FALSE(Data(0, 2, grid::RowArrayModel::NoteRole).isValid());
    EXPECT_FALSE(Data(0, 2, Qt::BackgroundRole).isValid());
    EXPECT_EQ(Data(1, 1, Qt::ToolTipRole).toString(), "does not compile");
    EXPECT_EQ(Data(1, 1, grid::RowArrayModel::NoteRole).toInt(),
              static_cast<int>(CellNote::Kind::Broken));

    // Typed, not yet stored: the note follows the pending value, and goes with it.
    GoTo(0, 2);
    ASSERT_TRUE(grid_->SetText(QStringLiteral("bad")));
    EXPECT_EQ(Data(0, 2, Qt::ToolTipRole).toString(), "expected good");
    EXPECT_EQ(Data(0, 2, grid::RowArrayModel::NoteRole).toInt(),
              static_cast<int>(CellNote::Kind::Doubtful));
    const QColor pending = Data(0, 1, Qt::BackgroundRole).value<QColor>();
    const QColor doubtful = Data(0, 2, Qt::BackgroundRole).value<QColor>();
    EXPECT_TRUE(pending.isValid());
    EXPECT_NE(doubtful, pending);
    ASSERT_TRUE(grid_->SetText(QStringLiteral("good")));
    EXPECT_FALSE(Data(0, 2, grid::RowArrayModel::NoteRole).isValid());
    ASSERT_TRUE(grid_->SetText(QStringLiteral("bad")));
    Press(Qt::Key_Escape);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(grid_->HasPendingRow());
    EXPECT_FALSE(Data(0, 2, grid::RowArrayModel::NoteRole).isValid());

    // A broken row being typed keeps the tint of a typed row; its note stays.
    GoTo(1, 1);
    ASSERT_TRUE(grid_->SetText(QStringLiteral("typed")));
    EXPECT_EQ(Data(1, 1, Qt::BackgroundRole).value<QColor>(), pending);
    EXPECT_EQ(Data(1, 1, Qt::ToolTipRole).toString(), "does not compile");
    Press(Qt::Key_Escape);
    Press(Qt::Key_Escape);

    // Sorted or narrowed, rows carry their notes along: the note goes by the id.
    auto reordered = std::make_shared<grid::RowArray>(2, 3);
    reordered->SetCell(0, 0, QStringLiteral("r1c0"));
    reordered->SetCell(1, 0, QStringLiteral("r0c0"));
    grid_->Bind(reordered);
    EXPECT_TRUE(Data(0, 1, grid::RowArrayModel::NoteRole).isValid());
    EXPECT_FALSE(Data(1, 1, grid::RowArrayModel::NoteRole).isValid());
    // The empty line for a new row has no note until something is typed into it.
    asked_ = 0;
    EXPECT_FALSE(Data(grid_->NewRowLine(), 2, Qt::ToolTipRole).isValid());
    EXPECT_EQ(asked_, 0);
}

TEST_F(GridNotesTest, anOpenEditorShowsTheNoteOfItsTextKeyByKey) {
    GoTo(0, 2);
    Type("ba");
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    const QColor plain = editor->palette().color(QPalette::Base);
    EXPECT_EQ(editor->toolTip(), "");
    Type("d");
    EXPECT_EQ(editor->text(), "bad");
    EXPECT_EQ(editor->toolTip(), "expected good");
    EXPECT_NE(editor->palette().color(QPalette::Base), plain);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(editor->toolTip(), "");
    EXPECT_EQ(editor->palette().color(QPalette::Base), plain);
    Type("d");
    Press(Qt::Key_Return);  // the cell takes it, and keeps the note
    EXPECT_EQ(Data(0, 2, Qt::ToolTipRole).toString(), "expected good");
}

TEST_F(GridNotesTest, aCellTooNarrowForItsTextShowsItWholeBesideItsNote) {
    grid_->setColumnWidth(2, 60);
    const QString longText = QStringLiteral("an expression far too long to fit in sixty pixels");
    rows_->SetCell(0, 2, longText);
    rows_->SetCell(1, 2, longText);
    EXPECT_EQ(Tip(0, 2), longText);
    EXPECT_EQ(Tip(1, 2), "does not compile\n\n" + longText);
    EXPECT_EQ(Tip(1, 1), "does not compile");
    EXPECT_EQ(Tip(2, 2), "");  // "r2c2" fits
    grid_->setColumnWidth(2, 2000);
    EXPECT_EQ(Tip(0, 2), "");
    // A column that always shows its whole text does not show it twice.
    grid_->Model()->SetWholeTextTips(2, true);
    grid_->setColumnWidth(2, 60);
    EXPECT_EQ(Tip(0, 2), longText);
}

}  // namespace
