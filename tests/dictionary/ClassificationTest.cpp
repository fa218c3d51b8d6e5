// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "dictionary/Classification.h"
#include "dictionary/DataTypeList.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/ViewSet.h"

using dictionary::Classify;
using dictionary::ViewKind;

namespace {

struct PlacementCase {
    const char* name;
    const char* field1;
    const char* itemId;
    const char* fileName;
    std::optional<ViewKind> view;
    bool setsEmptyNull;
};

class ClassifyItem : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(ClassifyItem, placesItemInItsView) {
    const PlacementCase& c = GetParam();
    const auto placement = Classify(QString::fromLatin1(c.field1), QString::fromLatin1(c.itemId),
                                    QString::fromLatin1(c.fileName));
    EXPECT_EQ(placement.view, c.view);
    EXPECT_EQ(placement.setsEmptyNull, c.setsEmptyNull);
}

const PlacementCase kCases[] = {
    {"dWithDescriptionGoesToDiv", "D Customer's name", "NAME", "CUSTOMERS", ViewKind::DIV, false},
    {"iAndVGoToDiv", "I", "TOTAL", "ORDERS", ViewKind::DIV, false},
    {"vGoesToDiv", "V", "DESC", "ORDERS", ViewKind::DIV, false},
    {"aAndSGoToAs", "A", "CUST", "ORDERS", ViewKind::AS, false},
    {"sGoesToAs", "S", "VALUE", "ORDERS", ViewKind::AS, false},
    {"phGoesToPh", "PH", "LINES", "ORDERS", ViewKind::PH, false},
    {"phraseIsNotPh", "PHRASE", "LINES", "ORDERS", ViewKind::Other, false},
    {"leadingBlankGivesEmptyCode", " D", "FAX", "ORDERS", ViewKind::Other, false},
    {"lowerCaseDIsOther", "d", "OLD", "ORDERS", ViewKind::Other, false},
    {"lowerCasePhIsOther", "ph", "LABEL", "ORDERS", ViewKind::Other, false},
    {"emptyFieldIsOther", "", "PRIORITY", "ORDERS", ViewKind::Other, false},
    {"dNamedLikeFileIsHidden", "D", "ORDERS", "ORDERS", std::nullopt, false},
    {"iNamedLikeFileIsHidden", "I", "ORDERS", "ORDERS", std::nullopt, false},
    {"fileNameInOtherCaseIsShown", "D", "ORDERS", "orders", ViewKind::DIV, false},
    {"aNamedLikeFileIsShown", "A", "ORDERS", "ORDERS", ViewKind::AS, false},
    {"phNamedLikeFileIsShown", "PH", "ORDERS", "ORDERS", ViewKind::PH, false},
    {"xNamedLikeFileIsShown", "X", "ORDERS", "ORDERS", ViewKind::Other, false},
    {"xEmptyNullSetsFlag", "X", "@EMPTY.NULL", "ORDERS", ViewKind::Other, true},
    {"dEmptyNullDoesNotSetFlag", "D", "@EMPTY.NULL", "ORDERS", ViewKind::DIV, false},
};

INSTANTIATE_TEST_SUITE_P(Classification, ClassifyItem, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PlacementCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(ViewSet, addRowFillsColumnsFromFieldsAndCountsIt) {
    dictionary::ViewSet views;
    views.AddRow(ViewKind::PH, QStringLiteral("LINES"),
                 {QStringLiteral("PH"), QStringLiteral("QTY PRICE"), QStringLiteral("extra")});
    views.AddRow(ViewKind::PH, QStringLiteral("ALL"), {QStringLiteral("PH")});

    const auto rows = views.Rows(ViewKind::PH);
    ASSERT_EQ(rows->RowCount(), 2);
    EXPECT_EQ(rows->ColumnCount(), 3);  // the third field has no column in the PH view
    EXPECT_EQ(views.Counter(ViewKind::PH), 2);
    EXPECT_EQ(rows->Cell(0, 2), QStringLiteral("QTY PRICE"));
    EXPECT_EQ(rows->Cell(1, 0), QStringLiteral("ALL"));
    EXPECT_EQ(rows->Cell(1, 2), QString());  // a missing field is an empty cell
}

TEST(ViewSet, emptyViewsHaveNoRowsAndZeroCounters) {
    const dictionary::ViewSet views;
    for (int v = 0; v < dictionary::kViewCount; ++v) {
        EXPECT_EQ(views.Rows(dictionary::ViewAt(v))->RowCount(), 0);
        EXPECT_EQ(views.Counter(dictionary::ViewAt(v)), 0);
    }
    EXPECT_FALSE(views.EmptyNull());
}

TEST(ViewSet, holdsMoreRowsThanASixteenBitCounter) {
    dictionary::ViewSet views;
    const QStringList fields{QStringLiteral("D"), QStringLiteral("1")};
    for (int i = 0; i < 100000; ++i) {
        views.AddRow(ViewKind::DIV, QString::number(i), fields);
    }
    EXPECT_EQ(views.Counter(ViewKind::DIV), 100000);
    EXPECT_EQ(views.Rows(ViewKind::DIV)->RowCount(), 100000);
    EXPECT_EQ(views.Rows(ViewKind::DIV)->Cell(99999, 0), QStringLiteral("99999"));
    EXPECT_EQ(views.Rows(ViewKind::DIV)->Cell(32768, 1), QStringLiteral("D"));
}

TEST(ViewLayouts, columnCountsAndDataTypeColumnsMatchTheFieldsEachViewEdits) {
    EXPECT_EQ(dictionary::LayoutOf(ViewKind::AS).LastColumn(), 10);
    EXPECT_EQ(dictionary::LayoutOf(ViewKind::PH).LastColumn(), 2);
    EXPECT_EQ(dictionary::LayoutOf(ViewKind::DIV).LastColumn(), 8);
    EXPECT_EQ(dictionary::LayoutOf(ViewKind::Other).LastColumn(), 10);
    EXPECT_EQ(dictionary::LayoutOf(ViewKind::AS).columnCaptions[6], QStringLiteral("Data Type"));
    EXPECT_EQ(dictionary::LayoutOf(ViewKind::DIV).columnCaptions[8], QStringLiteral("Data Type"));
    EXPECT_EQ(dictionary::LayoutOf(ViewKind::Other).columnCaptions[10], QStringLiteral("A10"));
}

TEST(DataTypeList, hasTwelveEntriesTheLastEmpty) {
    const auto list = dictionary::MakeDataTypeList();
    ASSERT_EQ(list->RowCount(), 12);
    EXPECT_EQ(list->ColumnCount(), 1);
    EXPECT_EQ(list->Cell(0, 0), QStringLiteral("INT"));
    EXPECT_EQ(list->Cell(10, 0), QStringLiteral("TIME"));
    EXPECT_EQ(list->Cell(11, 0), QString());
}

}  // namespace
