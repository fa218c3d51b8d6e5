// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListView>

#include "platform/grid/DropDownList.h"
#include "platform/grid/MarkPainter.h"
#include "platform/grid/ValueMarks.h"
#include "tests/platform/grid/GridFixture.h"

using grid::CommitOutcome;

namespace {

using GridEditorTest = GridFixture;

struct MarkKey {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QChar mark;
};

class GridMarkKeyTest : public GridFixture, public ::testing::WithParamInterface<MarkKey> {};

TEST_P(GridMarkKeyTest, theMarkKeyTypesTheMarkAndTheStoredCellKeepsIt) {
    const MarkKey& param = GetParam();
    GoTo(0, 1);
    Type("a");
    Press(param.key, param.modifiers);
    Type("b");
    Press(Qt::Key_Down);
    EXPECT_EQ(rows_->Cell(0, 1), QStringLiteral("a") + param.mark + QStringLiteral("b"));
}

TEST_P(GridMarkKeyTest, theMarkKeyOnAClosedCellAppendsTheMark) {
    const MarkKey& param = GetParam();
    GoTo(2, 0);
    Press(param.key, param.modifiers);
    Press(Qt::Key_Return);
    EXPECT_EQ(grid_->model()->index(2, 0).data().toString(), QStringLiteral("r2c0") + param.mark);
}

INSTANTIATE_TEST_SUITE_P(
    Marks, GridMarkKeyTest,
    ::testing::Values(MarkKey{"value", Qt::Key_BracketRight, Qt::ControlModifier, grid::kValueMark},
                      MarkKey{"subvalue", Qt::Key_Backslash, Qt::ControlModifier,
                              grid::kSubvalueMark},
                      MarkKey{"text", Qt::Key_AsciiCircum, Qt::ControlModifier | Qt::ShiftModifier,
                              grid::kTextMark}),
    [](const ::testing::TestParamInfo<MarkKey>& key) { return std::string(key.param.name); });

TEST_F(GridEditorTest, editingOneCharacterLeavesEveryOtherCharacterAsItWas) {
    // Leading and trailing blanks, a carriage return, a tab, marks and more text than
    // a line edit holds by default.
    const QString original = QStringLiteral("  lead\r\ttab\u00FDvm\u00FC ") +
                             QString(40000, QLatin1Char('x')) + QStringLiteral("  ");
    rows_->SetCell(1, 2, original);
    grid_->ReBind();
    GoTo(1, 2);
    Press(Qt::Key_F2);
    Press(Qt::Key_End);
    Type("!");
    Press(Qt::Key_Up);
    EXPECT_EQ(rows_->Cell(1, 2), original + QStringLiteral("!"));
}

// A cell is one field of bytes: a character above U+00FF has no byte, and the field mark
// (U+00FE) would split the field on saving. Each refusal is reported with its reason.
TEST_F(GridEditorTest, charactersAByteCannotHoldAndTheFieldMarkAreRefusedAndReported) {
    QList<grid::CellRefusal> refusals;
    QObject::connect(grid_, &grid::DataGrid::textRefused, grid_,
                     [&refusals](int, grid::CellRefusal why) { refusals << why; });
    GoTo(0, 1);
    Press(Qt::Key_F2);
    Press(Qt::Key_End);
    // é and ÿ accepted; ā, € and the field mark þ refused.
    Type(QStringLiteral("\u00E9\u0101\u20AC\u00FE\u00FF"));
    auto* editor = grid_->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QApplication::clipboard()->setText(QStringLiteral("a\u00FEb"));
    editor->paste();
    Press(Qt::Key_Return);

    EXPECT_EQ(grid_->model()->index(0, 1).data().toString(), QStringLiteral("r0c1\u00E9\u00FF"));
    ASSERT_GE(refusals.size(), 4);
    EXPECT_EQ(refusals[0], grid::CellRefusal::NotOneByte);
    EXPECT_EQ(refusals[2], grid::CellRefusal::FieldMark);
    EXPECT_EQ(refusals.last(), grid::CellRefusal::FieldMark) << "the paste";

    refusals.clear();
    EXPECT_FALSE(grid_->SetText(QStringLiteral("\u20AC")));
    EXPECT_FALSE(grid_->SetText(QStringLiteral("one\u00FEtwo")));
    EXPECT_EQ(refusals, (QList{grid::CellRefusal::NotOneByte, grid::CellRefusal::FieldMark}));
    EXPECT_TRUE(grid_->SetText(QStringLiteral("v\u00FDs\u00FCt\u00FB")))
        << "value, subvalue and text marks stay typable";
}

class GridDropDownTest : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        auto types = std::make_shared<grid::RowArray>(4, 1);
        types->SetCell(0, 0, "INT");
        types->SetCell(1, 0, "VARCHAR");
        types->SetCell(2, 0, "DATE");  // row 3 stays empty: an empty entry
        list_ = new grid::DropDownList(1, &window_);
        list_->setObjectName("TDBDropDown1_1");
        list_->Bind(types);
        grid_->SetDropDown(2, list_);
    }
    QComboBox* OpenCombo() {
        GoTo(0, 2);
        Press(Qt::Key_F2);
        return qobject_cast<QComboBox*>(grid_->viewport()->findChild<QComboBox*>());
    }
    grid::DropDownList* list_ = nullptr;
};

TEST_F(GridDropDownTest, listsTheEntriesAndPickingOnePutsItsTextIntoTheCell) {
    EXPECT_FALSE(list_->isVisible());
    QComboBox* combo = OpenCombo();
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(3), "");
    EXPECT_EQ(combo->currentText(), "r0c2");
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    EXPECT_EQ(grid_->model()->index(0, 2).data().toString(), "DATE");
    EXPECT_EQ(grid_->Phase(), grid::EditPhase::Editing);
    EXPECT_EQ(grid_->CommitRow(), CommitOutcome::Stored);
    EXPECT_EQ(rows_->Cell(0, 2), "DATE");
}

TEST_F(GridDropDownTest, typedTextIsKeptAsTypedEvenWhenAnEntryLooksAlike) {
    QComboBox* combo = OpenCombo();
    ASSERT_NE(combo, nullptr);
    combo->lineEdit()->selectAll();
    Type("varchar(40)");
    Press(Qt::Key_Return);
    EXPECT_EQ(grid_->model()->index(0, 2).data().toString(), "varchar(40)");
    EXPECT_EQ(grid_->Col(), 0) << "Enter on the last column moves to the next row";
    EXPECT_EQ(grid_->CurrentRow(), 1);
    EXPECT_EQ(rows_->Cell(0, 2), "varchar(40)");
}

TEST_F(GridDropDownTest, typingIntoAPickListCellReplacesItsTextAsInEveryOtherCell) {
    GoTo(0, 2);
    Type("QQ9");
    Press(Qt::Key_Tab);
    EXPECT_EQ(grid_->model()->index(0, 2).data().toString(), "QQ9");
    GoTo(0, 1);
    Type("S");
    Press(Qt::Key_Tab);
    EXPECT_EQ(grid_->model()->index(0, 1).data().toString(), "S");
}

TEST_F(GridEditorTest, columnWidthsInTwipsKeepTheirFractionsAndAddUpToTheTotal) {
    grid_->SetColumnWidthTwips(0, 15075.0 / 8);
    grid_->SetColumnWidthTwips(1, 15075.0 / 20);
    grid_->SetColumnWidthTwips(2, 15075.0 / 4);
    EXPECT_DOUBLE_EQ(grid_->ColumnWidthTwips(2), 3768.75);
    const int total = grid_->columnWidth(0) + grid_->columnWidth(1) + grid_->columnWidth(2);
    EXPECT_EQ(total, qRound((15075.0 / 8 + 15075.0 / 20 + 15075.0 / 4) / 15));
    EXPECT_EQ(grid_->columnWidth(2), 251);

    grid_->horizontalHeader()->resizeSection(1, 99);  // the user drags a column
    EXPECT_DOUBLE_EQ(grid_->ColumnWidthTwips(1), 99 * 15.0);
    grid_->resize(1005, 300);
    EXPECT_DOUBLE_EQ(grid_->WidthTwips(), 15075.0);
}

TEST_F(GridEditorTest, marksArePaintedAsColouredBoxesNotAsLetters) {
    const auto countColour = [](const QImage& image, const QColor& colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                n += image.pixelColor(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    };
    rows_->SetCell(0, 1, QStringLiteral("A\u00FDB\u00FCC"));
    grid_->ReBind();
    const QImage image = grid_->viewport()->grab().toImage();
    EXPECT_GT(countColour(image, grid::MarkColour(grid::kValueMark)), 10);
    EXPECT_GT(countColour(image, grid::MarkColour(grid::kSubvalueMark)), 10);
    EXPECT_EQ(countColour(image, grid::MarkColour(grid::kTextMark)), 0);
    EXPECT_EQ(rows_->Cell(0, 1), QStringLiteral("A\u00FDB\u00FCC"));
}

}  // namespace

namespace {

TEST_F(GridEditorTest, theCurrentRowsSelectorShowsAMarkerAndOthersDoNot) {
    GoTo(1, 0);
    QHeaderView* header = grid_->verticalHeader();
    const QImage image = header->grab().toImage();
    const auto darkIn = [&](int row) {
        const int top = header->sectionViewportPosition(row);
        int n = 0;
        for (int y = top; y < top + header->sectionSize(row); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                n += qGray(image.pixel(x, y)) < 80 ? 1 : 0;
            }
        }
        return n;
    };
    EXPECT_GT(darkIn(1), 10);
    EXPECT_EQ(darkIn(0), 0);
}

}  // namespace
