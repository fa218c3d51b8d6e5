// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "core/Classification.h"
#include "dictionary/CellForms.h"
#include "dictionary/ViewLayout.h"

using dictionary::CellForm;
using dictionary::CheckCell;
using dictionary::CheckForm;
using dictionary::ViewKind;

namespace {

namespace fs = std::filesystem;

struct FormCase {
    CellForm form;
    const char* text;
    bool follows;
};

// Values the servers document, values real dictionaries hold, and near misses.
const FormCase kFormCases[] = {
    {CellForm::Format, "10L", true},
    {CellForm::Format, "8R", true},
    {CellForm::Format, "20T", true},
    {CellForm::Format, "12C", true},
    {CellForm::Format, "5R#####", true},
    {CellForm::Format, "12L(###)###-####", true},
    {CellForm::Format, "R((###)###-####)", true},
    {CellForm::Format, "9R,", true},
    {CellForm::Format, "12R2$,", true},
    {CellForm::Format, "10*R", true},
    {CellForm::Format, "", true},
    {CellForm::Format, "L10", false},
    {CellForm::Format, "10X", false},
    {CellForm::Format, "10", false},
    {CellForm::Format, "S", false},
    {CellForm::Format, "3L8L", false},
    {CellForm::Format, "10l", false},
    {CellForm::Conversion, "", true},
    {CellForm::Conversion, " ", true},
    {CellForm::Conversion, "D", true},
    {CellForm::Conversion, "D2/", true},
    {CellForm::Conversion, "D4-", true},
    {CellForm::Conversion, "D-YMD", true},
    {CellForm::Conversion, "D2DMYL[,A3]", true},
    {CellForm::Conversion, "DI", true},
    {CellForm::Conversion, "MD2", true},
    {CellForm::Conversion, "MR22", true},
    {CellForm::Conversion, "MD2$", true},
    {CellForm::Conversion, "ML0,$", true},
    {CellForm::Conversion, "MD00P", true},
    {CellForm::Conversion, "G0*1", true},
    {CellForm::Conversion, "G1.2", true},
    {CellForm::Conversion, "TCUSTOMERS;X;;1", true},
    {CellForm::Conversion, "TDICT ORDERS;C;2;2", true},
    {CellForm::Conversion, "T1,5", true},
    {CellForm::Conversion, "MCU", true},
    {CellForm::Conversion, "MCL", true},
    {CellForm::Conversion, "MCT", true},
    {CellForm::Conversion, "MC/N", true},
    {CellForm::Conversion, "MCDX", true},
    {CellForm::Conversion, "MT", true},
    {CellForm::Conversion, "MTHS", true},
    {CellForm::Conversion, "MX", true},
    {CellForm::Conversion, "P(3N-2N-4N);(9N)", true},
    {CellForm::Conversion, "L0,10", true},
    {CellForm::Conversion, "R1,99", true},
    {CellForm::Conversion, "F;1;2;+", true},
    {CellForm::Conversion, "[DATE,4]", true},
    {CellForm::Conversion,
     "MD2\xFD"
     "D2/",
     true},
    {CellForm::Conversion, "SIZE", false},
    {CellForm::Conversion, "DATE", false},
    {CellForm::Conversion,
     "MD2\xFD"
     "XYZ",
     false},
    {CellForm::Conversion, "TCUSTOMERS", false},
    {CellForm::Conversion, "MCQ", false},
    {CellForm::Conversion, "G*", false},
    {CellForm::Conversion, "md2", false},
    {CellForm::SingleMultiple, "S", true},
    {CellForm::SingleMultiple, "M", true},
    {CellForm::SingleMultiple, "MV", true},
    {CellForm::SingleMultiple, "", true},
    {CellForm::SingleMultiple, "s", false},
    {CellForm::SingleMultiple, "X", false},
    {CellForm::SingleMultiple, "S ", false},
    {CellForm::Location, "0", true},
    {CellForm::Location, "12", true},
    {CellForm::Location, "", false},
    {CellForm::Location, "1.5", false},
    {CellForm::Location, "-1", false},
    {CellForm::Location, "A", false},
    {CellForm::Justification, "T", true},
    {CellForm::Justification, "LR", false},
    {CellForm::Width, "10", true},
    {CellForm::Width, "ten", false},
    {CellForm::Any, "anything \xFD at all", true},
};

TEST(CellForms, eachFormTakesItsValuesAndMarksNearMisses) {
    for (const FormCase& c : kFormCases) {
        const auto mark = CheckForm(c.form, ViewKind::DIV, QString::fromLatin1(c.text));
        EXPECT_EQ(!mark.has_value(), c.follows)
            << "form " << static_cast<int>(c.form) << " of \"" << c.text << "\"";
        if (mark) {
            EXPECT_FALSE(mark->isEmpty()) << c.text;
        }
    }
}

TEST(CellForms, typeCodeMustBelongToTheTabItIsTypedIn) {
    const auto typeIn = [](ViewKind view, const char* field1) {
        return CheckCell(view, 1, QString::fromLatin1(field1), QString::fromLatin1(field1));
    };
    EXPECT_FALSE(typeIn(ViewKind::DIV, "D"));
    EXPECT_FALSE(typeIn(ViewKind::DIV, "D Customer's name"));
    EXPECT_FALSE(typeIn(ViewKind::DIV, "V"));
    EXPECT_FALSE(typeIn(ViewKind::AS, "S"));
    EXPECT_FALSE(typeIn(ViewKind::PH, "PH"));
    EXPECT_FALSE(typeIn(ViewKind::Other, "X"));
    EXPECT_FALSE(typeIn(ViewKind::Other, "d"));  // a UniData SQL column, kept under Other
    const auto moved = typeIn(ViewKind::DIV, "X");
    ASSERT_TRUE(moved);
    EXPECT_TRUE(moved->contains(QStringLiteral("D, I or V"))) << moved->toStdString();
    EXPECT_TRUE(typeIn(ViewKind::AS, "PH"));
    EXPECT_TRUE(typeIn(ViewKind::PH, "PHRASE"));
    EXPECT_TRUE(typeIn(ViewKind::Other, ""));
    EXPECT_TRUE(typeIn(ViewKind::DIV, " D"));
}

TEST(CellForms, columnsAreCheckedByViewAndTypeOfTheRow) {
    const QString bad = QStringLiteral("QQ");
    // The location is a field number for D items, an expression for I and V items.
    EXPECT_TRUE(CheckCell(ViewKind::DIV, 2, bad, QStringLiteral("D")));
    EXPECT_FALSE(CheckCell(ViewKind::DIV, 2, bad, QStringLiteral("I")));
    EXPECT_FALSE(CheckCell(ViewKind::DIV, 2, QStringLiteral("3"), QStringLiteral("D Qty")));
    EXPECT_TRUE(CheckCell(ViewKind::DIV, 3, bad, QStringLiteral("D")));   // conversion
    EXPECT_FALSE(CheckCell(ViewKind::DIV, 4, bad, QStringLiteral("D")));  // column name
    EXPECT_TRUE(CheckCell(ViewKind::DIV, 5, bad, QStringLiteral("D")));   // format
    EXPECT_TRUE(CheckCell(ViewKind::DIV, 6, bad, QStringLiteral("D")));   // S / M
    EXPECT_FALSE(CheckCell(ViewKind::DIV, 7, bad, QStringLiteral("D")));  // association
    EXPECT_TRUE(CheckCell(ViewKind::AS, 7, bad, QStringLiteral("A")));    // conversion
    EXPECT_FALSE(CheckCell(ViewKind::AS, 8, bad, QStringLiteral("A")));   // correlative
    EXPECT_TRUE(CheckCell(ViewKind::AS, 9, bad, QStringLiteral("A")));    // align
    EXPECT_TRUE(CheckCell(ViewKind::AS, 10, bad, QStringLiteral("A")));   // width
    EXPECT_FALSE(CheckCell(ViewKind::Other, 3, bad, QStringLiteral("X")));
    EXPECT_FALSE(CheckCell(ViewKind::PH, 2, bad, QStringLiteral("PH")));
}

// Every cell of every item of the real dictionaries, in the column the grids show it in:
// only these values, each a fault of its own item, are marked.
std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::multiset<std::string> MarkedCells(const fs::path& root, std::size_t& cells) {
    std::multiset<std::string> marked;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const fs::path dictionary = entry.path().parent_path();
        const std::string folder = dictionary.filename().string();
        if (!entry.is_regular_file() || folder.rfind("D_", 0) != 0) {
            continue;
        }
        const QStringList fields =
            QString::fromLatin1(FileText(entry.path())).split(QLatin1Char('\n'));
        const std::string id = entry.path().filename().string();
        const auto placement =
            core::Classify(fields[0].toLatin1().toStdString(), id, folder.substr(2));
        if (!placement.view) {
            continue;
        }
        const ViewKind view = *placement.view;
        const int lastColumn = dictionary::LayoutOf(view).LastColumn();
        for (int column = 1; column <= lastColumn; ++column) {
            const QString text = column <= fields.size() ? fields[column - 1] : QString();
            ++cells;
            if (CheckCell(view, column, text, fields[0])) {
                marked.insert(folder + " " + id + " " + std::to_string(column) + " " +
                              text.toStdString());
            }
        }
    }
    return marked;
}

TEST(CellForms, realDictionariesAreMarkedOnlyWhereTheyAreWrong) {
    std::size_t cells = 0;
    const std::multiset<std::string> mit =
        MarkedCells(fs::path(KELVORA_SOURCE_DIR) / "tests/data/corpus-mit", cells);
    EXPECT_TRUE(mit.empty()) << *mit.begin();
    EXPECT_GT(cells, 200u);

    const fs::path corpus = KELVORA_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    cells = 0;
    const std::multiset<std::string> all = MarkedCells(corpus, cells);
    const std::multiset<std::string> expected = {
        // Two I items of the demo account's map without their conversion: the heading
        // stands where the conversion goes, and S where the format goes.
        "D_WORLD_MAP BS 3 SIZE",
        "D_WORLD_MAP BS 5 S",
        "D_WORLD_MAP LEN_BOUNDARY 3 SIZE",
        "D_WORLD_MAP LEN_BOUNDARY 5 S",
        // A typing slip: two formats in one.
        "D_$SCREENS.DIC DISP.STEP 5 3L8L",
        // Empty items, with no type code at all.
        "D_dict.voc CASERATIO 1 ",
        "D_dict.voc COLUMN_NAME 1 ",
        "D_dict.voc CONV2UTF8 1 ",
        "D_dict.voc PROGRAM_DATE 1 ",
        "D_dict.voc TABLE_NAME 1 ",
        "D_dict.voc TIMEDATE 1 ",
    };
    EXPECT_EQ(all, expected);
    EXPECT_GT(cells, 10000u);
}

}  // namespace
