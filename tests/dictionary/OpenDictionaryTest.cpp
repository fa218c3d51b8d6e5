// SPDX-License-Identifier: MIT
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include "dictionary/DictionaryReader.h"
#include "dictionary/ViewSet.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/Session.h"
#include "platform/ui/TabControl.h"
#include "tests/support/MainWindowFixture.h"

namespace {

using Fields = QByteArrayList;

class OpenDictionaryTest : public MainWindowFixture {
protected:
    QLabel& status() const { return control<QLabel>("lblOpenDictionary"); }

    // ORDERS: one item of each kind, plus the file's own D descriptor.
    void makeOrders() {
        makeDictionary(QStringLiteral("ORDERS"));
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("ORDERS"), {"D", "0"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D Quantity", "3", "", "Qty"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("TOTAL"), {"I", "QTY * PRICE"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("PRICE"), {"D", "4"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("ORD.QTY"),
                  {"A", "3", "Qty", "", "S", "", "", "", "", "R", "5", "eleven"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("LINES"), {"PH", "QTY PRICE TOTAL"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("NEXT"), {"X", "100"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("OLD"), {"d", "9"});
    }
};

TEST_F(OpenDictionaryTest, enterInTheFileNameOpensLikeTheButton) {
    makeOrders();
    login();
    filename().setText(QStringLiteral("ORDERS"));
    dialogs.QueueAnswer(ui::Answer::OK);  // the descriptor added

    QTest::keyClick(&filename(), Qt::Key_Return);

    // Sorted by field 1, then by location: "D" before "D Quantity" before "I".
    EXPECT_EQ(column(2, 0), (QStringList{QStringLiteral("PRICE"), QStringLiteral("QTY"),
                                         QStringLiteral("TOTAL")}));
    EXPECT_EQ(column(0, 0), QStringList{QStringLiteral("ORD.QTY")});
    EXPECT_EQ(column(1, 0), QStringList{QStringLiteral("LINES")});
    EXPECT_EQ(column(3, 0), (QStringList{QStringLiteral("NEXT"), QStringLiteral("OLD")}));
    EXPECT_EQ(column(2, 1).at(1), QStringLiteral("D Quantity"));
    EXPECT_EQ(column(0, 10), QStringList{QStringLiteral("R")});
    EXPECT_EQ(grid(0).BoundArray()->ColumnCount(), 11);  // fields 11 and 12 are not shown
    EXPECT_EQ(grid(1).BoundArray()->ColumnCount(), 3);
    EXPECT_EQ(window->Tabs()->Tab(), 2);
    EXPECT_FALSE(dialogs.hourglass());
}

struct TypeCase {
    const char* typed;
    const char* command;
};

class SelectCommandByType : public OpenDictionaryTest,
                            public ::testing::WithParamInterface<TypeCase> {};

TEST_P(SelectCommandByType, followsTheDatabaseTypeInAnyCase) {
    makeDictionary(QStringLiteral("VOC"));
    login(QString::fromLatin1(GetParam().typed));
    dialogs.QueueAnswer(ui::Answer::OK);  // UniVerse adds the descriptor

    open(QStringLiteral("VOC"));

    EXPECT_EQ(vars.session->Command().Text(), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, SelectCommandByType,
    ::testing::Values(TypeCase{"UniVerse", "SSELECT DICT VOC BY F1 BY RLOCATION"},
                      TypeCase{"universe", "SSELECT DICT VOC BY F1 BY RLOCATION"},
                      TypeCase{"UNIVERSE", "SSELECT DICT VOC BY F1 BY RLOCATION"},
                      TypeCase{"UniData", "SSELECT DICT VOC BY LOC BY @ID"},
                      TypeCase{"unidata", "SSELECT DICT VOC BY LOC BY @ID"},
                      TypeCase{"UNIDATA", "SSELECT DICT VOC BY LOC BY @ID"}),
    [](const ::testing::TestParamInfo<TypeCase>& test) { return std::string(test.param.typed); });

// A name with blanks is taken as typed, never trimmed, and refused: the commands split
// their words on blanks, so the select and the compile would act on another file.
TEST_F(OpenDictionaryTest, fileNameWithBlanksIsRefusedNotTrimmed) {
    makeDictionary(QStringLiteral(" ORDERS "));
    makeDictionary(QStringLiteral("ORDERS"));
    login(QStringLiteral("UniData"));
    dialogs.QueueAnswer(ui::Answer::OK);

    open(QStringLiteral(" ORDERS "));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown().front().icon, ui::Icon::Critical);
    EXPECT_TRUE(dialogs.shown().front().prompt.contains(QStringLiteral("31002")) ||
                dialogs.shown().front().prompt.endsWith(QStringLiteral(" -->File:  ORDERS ")))
        << dialogs.shown().front().prompt.toStdString();
    EXPECT_FALSE(window->Dictionary().file) << "nothing was opened, not even ORDERS";
}

TEST_F(OpenDictionaryTest, universeAddsTheEmptyNullDescriptorOnceAndUniDataNever) {
    makeOrders();
    login();
    dialogs.QueueAnswer(ui::Answer::OK);

    open(QStringLiteral("ORDERS"));

    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("@EMPTY.NULL")), Fields{"X"});
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("X Descriptor @EMPTY.NULL added")});
    EXPECT_EQ(dialogs.shown().front().title, QStringLiteral("Kelvora"));
    EXPECT_TRUE(column(3, 0).isEmpty() || !column(3, 0).contains(QStringLiteral("@EMPTY.NULL")));

    dialogs.clear();
    open(QStringLiteral("ORDERS"));  // now the item is there: shown, not written again
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(column(3, 0).contains(QStringLiteral("@EMPTY.NULL")));

    makeDictionary(QStringLiteral("PARTS"));
    vars.DatabaseType = QStringLiteral("UniData");
    open(QStringLiteral("PARTS"));
    EXPECT_FALSE(itemExists(QStringLiteral("PARTS"), QStringLiteral("@EMPTY.NULL")));
}

TEST_F(OpenDictionaryTest, anExistingEmptyNullItemIsNeverReplacedWhateverItsType) {
    makeDictionary(QStringLiteral("A"));
    writeItem(QStringLiteral("A"), QStringLiteral("@EMPTY.NULL"), {"D", "0", "", "Keep me"});
    makeDictionary(QStringLiteral("B"));
    ASSERT_TRUE(QDir().mkpath(dictionaryPath(QStringLiteral("B")) + "/@EMPTY.NULL"));  // unreadable
    login();

    open(QStringLiteral("A"));
    EXPECT_EQ(itemFields(QStringLiteral("A"), QStringLiteral("@EMPTY.NULL")),
              (Fields{"D", "0", "", "Keep me"}));
    EXPECT_TRUE(dialogs.shown().empty());

    open(QStringLiteral("B"));
    EXPECT_TRUE(dialogs.shown().empty());  // no descriptor written, no success box
    EXPECT_TRUE(QFileInfo(dictionaryPath(QStringLiteral("B")) + "/@EMPTY.NULL").isDir());
}

TEST_F(OpenDictionaryTest, idsTheOpenFileLacksGiveOneBoxEachAndTheReadGoesOn) {
    // A read after the file name was changed without opening: the ids come from the
    // dictionary now named, the items from the file opened last.
    makeOrders();
    makeDictionary(QStringLiteral("NEW"));
    writeItem(QStringLiteral("NEW"), QStringLiteral("QTY"), {"D", "1"});
    writeItem(QStringLiteral("NEW"), QStringLiteral("GONE"), {"D", "2"});
    writeItem(QStringLiteral("NEW"), QStringLiteral("LOST"), {"D", "3"});
    login(QStringLiteral("UniData"));
    open(QStringLiteral("ORDERS"));
    dialogs.QueueAnswer(ui::Answer::OK);
    dialogs.QueueAnswer(ui::Answer::OK);

    dictionary::ViewSet views;
    dictionary::Read_Dictionary(vars, QStringLiteral("NEW"), *window->Dictionary().file, views);

    EXPECT_EQ(prompts(),
              (QStringList{QStringLiteral("Record not found -->File: NEW -->Record: GONE"),
                           QStringLiteral("Record not found -->File: NEW -->Record: LOST")}));
    EXPECT_EQ(views.Counter(dictionary::ViewKind::DIV), 1);  // QTY, read from ORDERS
    EXPECT_EQ(views.Rows(dictionary::ViewKind::DIV)->Cell(0, 1), QStringLiteral("D Quantity"));
}

TEST_F(OpenDictionaryTest, emptyDictionaryShowsEmptyViewsAndAllInThePhraseList) {
    makeDictionary(QStringLiteral("EMPTY"));
    login(QStringLiteral("UniData"));
    window->Tabs()->SetTab(0);

    open(QStringLiteral("EMPTY"));

    for (int view = 0; view < 4; ++view) {
        EXPECT_EQ(grid(view).BoundArray()->RowCount(), 0);
    }
    EXPECT_EQ(phraseEntries(), QStringList{QStringLiteral("All (Refresh)")});
    EXPECT_EQ(phrases().currentText(), QStringLiteral("ALL"));
    EXPECT_EQ(window->Tabs()->Tab(), 2);
    EXPECT_TRUE(control<QPushButton>("cmdMakeChild").isEnabled());
}

TEST_F(OpenDictionaryTest, secondOpenReplacesEveryViewAndThePhraseList) {
    makeOrders();
    makeDictionary(QStringLiteral("PARTS"));
    writeItem(QStringLiteral("PARTS"), QStringLiteral("DESC"), {"D", "1"});
    writeItem(QStringLiteral("PARTS"), QStringLiteral("ALL.PARTS"), {"PH", "DESC"});
    login(QStringLiteral("UniData"));

    open(QStringLiteral("ORDERS"));
    EXPECT_EQ(phraseEntries(),
              (QStringList{QStringLiteral("All (Refresh)"), QStringLiteral("LINES")}));
    open(QStringLiteral("PARTS"));

    EXPECT_EQ(column(2, 0), QStringList{QStringLiteral("DESC")});
    EXPECT_TRUE(column(0, 0).isEmpty());
    EXPECT_TRUE(column(3, 0).isEmpty());
    EXPECT_EQ(phraseEntries(),
              (QStringList{QStringLiteral("All (Refresh)"), QStringLiteral("ALL.PARTS")}));
}

TEST_F(OpenDictionaryTest, failedOpenKeepsThePreviousDictionaryInUse) {
    makeOrders();
    login(QStringLiteral("UniData"));
    open(QStringLiteral("ORDERS"));
    const auto fileBefore = window->Dictionary().file;
    const auto rowsBefore = grid(2).BoundArray();
    dialogs.QueueAnswer(ui::Answer::OK);

    open(QStringLiteral("NOSUCH"));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown().front().title, QStringLiteral("File OPEN Error"));
    EXPECT_TRUE(dialogs.shown().front().prompt.endsWith(QStringLiteral(" -->File: NOSUCH")));
    EXPECT_EQ(window->Dictionary().file, fileBefore);
    EXPECT_EQ(grid(2).BoundArray(), rowsBefore);
    EXPECT_EQ(window->Dictionary().views->Rows(dictionary::ViewKind::DIV), rowsBefore);
    EXPECT_FALSE(dialogs.hourglass());
}

// After a failed open the box and the status bar name the dictionary that is open, and
// every later action works on it, not on the name that failed.
TEST_F(OpenDictionaryTest, failedOpenPutsTheOpenNameBackForEveryLaterAction) {
    makeOrders();
    login();
    EXPECT_EQ(status().text(), QString());
    dialogs.QueueAnswer(ui::Answer::OK);
    open(QStringLiteral("NOSUCH"));
    EXPECT_EQ(filename().text(), QStringLiteral("NOSUCH")) << "nothing open to go back to";

    dialogs.clear();
    dialogs.QueueAnswer(ui::Answer::OK);  // the @EMPTY.NULL descriptor is added
    open(QStringLiteral("ORDERS"));
    // The account as the login named it: its folder, or its name on the server.
    QString where = QDir::toNativeSeparators(QString::fromStdString(vars.session->AccountPath()));
    if (!vars.session->HostName().empty()) {
        where += QStringLiteral(" on ") + QString::fromStdString(vars.session->HostName());
    }
    EXPECT_EQ(status().text(), QStringLiteral("ORDERS in ") + where);
    EXPECT_TRUE(where.endsWith(QStringLiteral("account")) ||
                where.contains(QStringLiteral("account on 127.0.0.1:")))
        << where.toStdString();
    dialogs.QueueAnswer(ui::Answer::OK);
    open(QStringLiteral("NOSUCH"));
    EXPECT_EQ(filename().text(), QStringLiteral("ORDERS"));
    EXPECT_EQ(status().text(), QStringLiteral("ORDERS in ") + where);

    // Typed but not opened: the refresh still reads ORDERS.
    filename().setText(QStringLiteral("TYPO"));
    dialogs.clear();
    emit phrases().activated(0);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(vars.session->Command().Text(), "SSELECT DICT ORDERS BY F1 BY RLOCATION");
    EXPECT_EQ(column(2, 0).size(), 3);
}

TEST_F(OpenDictionaryTest, typeThatIsNeitherReadsNothingAndSaysSoOnce) {
    makeOrders();
    login(QStringLiteral("Pick"));
    dialogs.QueueAnswer(ui::Answer::OK);

    open(QStringLiteral("ORDERS"));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown().front().prompt.contains(QStringLiteral("\"Pick\"")));
    EXPECT_TRUE(dialogs.shown().front().prompt.contains(QStringLiteral("UniVerse")));
    EXPECT_TRUE(dialogs.shown().front().prompt.contains(QStringLiteral("UniData")));
    EXPECT_TRUE(vars.session->Command().Text().empty());
    EXPECT_EQ(grid(2).BoundArray()->RowCount(), 0);
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("@EMPTY.NULL")));
}

TEST_F(OpenDictionaryTest, deletingAPhraseRowRefillsThePhraseList) {
    makeOrders();
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("MORE"), {"PH", "QTY"});
    login(QStringLiteral("UniData"));
    open(QStringLiteral("ORDERS"));
    ASSERT_EQ(phraseEntries().size(), 3);

    const int lines = column(1, 0).indexOf(QStringLiteral("LINES"));
    grid(1).BoundArray()->RemoveRow(lines);
    emit grid(1).afterDelete(1);  // as the grid does after removing a row

    EXPECT_EQ(phraseEntries(),
              (QStringList{QStringLiteral("All (Refresh)"), QStringLiteral("MORE")}));
}

TEST_F(OpenDictionaryTest, demoAccountOpensWithEveryItemInItsView) {
    ASSERT_TRUE(copyTree(QStringLiteral(KELVORA_SOURCE_DIR "/examples/demo"), account()));
    login();
    dialogs.QueueAnswer(ui::Answer::OK);  // ORDERS has no @EMPTY.NULL yet

    open(QStringLiteral("ORDERS"));

    const int shown = grid(0).BoundArray()->RowCount() + grid(1).BoundArray()->RowCount() +
                      grid(2).BoundArray()->RowCount() + grid(3).BoundArray()->RowCount();
    const int items = static_cast<int>(QDir(dictionaryPath(QStringLiteral("ORDERS")))
                                           .entryList(QDir::Files | QDir::NoDotAndDotDot)
                                           .size());
    EXPECT_EQ(shown, items - 2);  // the file's own D item is hidden; @EMPTY.NULL came after
    EXPECT_FALSE(column(2, 0).contains(QStringLiteral("ORDERS")));
}

}  // namespace
