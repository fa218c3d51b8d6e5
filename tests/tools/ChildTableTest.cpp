// SPDX-License-Identifier: MIT
#include <QPushButton>

#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewSet.h"
#include "platform/grid/DataGrid.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/RecordLocks.h"
#include "tests/editing/ConflictWindow.h"
#include "tests/support/ScreenFixture.h"

namespace {

using dictionary::ViewKind;
using Fields = QByteArrayList;

constexpr int kPh = 1;
constexpr int kDiv = 2;

class ChildTableTest : public ScreenFixture {
protected:
    // ORDERS: D/I/V rows QTY, PRICE, TOTAL (in that order: D 1, D 2, I) and one PH item.
    void openOrders(bool withPhrase = true) {
        makeDictionary(QStringLiteral("ORDERS"));
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("@EMPTY.NULL"), {"X"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "1", "", "Qty"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("PRICE"),
                  {"D", "2", "MD2", "Price", "R", "S", "OLD", "DEC", "nine", "ten"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("TOTAL"), {"I", "QTY * PRICE"});
        if (withPhrase) {
            writeItem(QStringLiteral("ORDERS"), QStringLiteral("LINES"), {"PH", "QTY"});
        }
        login();
        open(QStringLiteral("ORDERS"));
        ASSERT_TRUE(dialogs.shown().empty());
    }

    void defineChildTable(const QList<int>& highlighted, const std::optional<QString>& name) {
        grid(kDiv).SetHighlightedRows(highlighted);
        dialogs.QueueInput(name);
        editing::RunGuarded(vars.dialogs, [this] { tools.cmdMakeChild_Click(); });
    }

    QString ordersItem(const char* id, int field) const {
        return QString::fromLatin1(
            itemFields(QStringLiteral("ORDERS"), QString::fromLatin1(id)).value(field - 1));
    }
    int phCounter() { return Dictionary().views->Counter(ViewKind::PH); }
};

TEST_F(ChildTableTest, writesThePhraseInHighlightOrderAndTheAssociationOfEachItem) {
    openOrders();
    dialogs.QueueAnswer(ui::Answer::OK);  // PRICE leaves association OLD
    dialogs.QueueAnswer(ui::Answer::OK);

    defineChildTable({2, 0, 1}, QStringLiteral("ORDER.LINES"));

    ASSERT_EQ(dialogs.shown().size(), 3u);
    const auto& input = dialogs.shown()[0];
    EXPECT_EQ(input.prompt, QStringLiteral("Enter the name of the PH descriptor"));
    EXPECT_EQ(input.title, QStringLiteral("Child table"));
    EXPECT_EQ(input.defaultText, QString());
    const auto& success = dialogs.shown()[2];
    EXPECT_EQ(success.prompt, QStringLiteral("PH descriptor ORDER.LINES written"));
    EXPECT_EQ(success.buttons, ui::Buttons::OK);
    EXPECT_EQ(success.icon, ui::Icon::None);
    EXPECT_EQ(success.title, QStringLiteral("Success"));

    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("ORDER.LINES")),
              (Fields{"PH", "TOTAL QTY PRICE"}));
    // Only field 7 changes; fields after 8 that the grid does not show are kept.
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("PRICE")),
              (Fields{"D", "2", "MD2", "Price", "R", "S", "ORDER.LINES", "DEC", "nine", "ten"}));
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("QTY")),
              (Fields{"D", "1", "", "Qty", "", "", "ORDER.LINES"}));
    EXPECT_EQ(ordersItem("TOTAL", 7), QStringLiteral("ORDER.LINES"));
    EXPECT_EQ(column(kDiv, 7), QStringList(3, QStringLiteral("ORDER.LINES")));

    EXPECT_EQ(column(kPh, 0),
              (QStringList{QStringLiteral("LINES"), QStringLiteral("ORDER.LINES")}));
    EXPECT_EQ(column(kPh, 1).last(), QStringLiteral("PH"));
    EXPECT_EQ(column(kPh, 2).last(), QStringLiteral("TOTAL QTY PRICE"));
    EXPECT_EQ(phCounter(), 2);
    EXPECT_EQ(phraseEntries(),
              (QStringList{QStringLiteral("All (Refresh)"), QStringLiteral("LINES"),
                           QStringLiteral("ORDER.LINES")}));
    EXPECT_EQ(dialogs.beeps(), 0);
}

TEST_F(ChildTableTest, selectListNameSetsNoAssociationAndAnEmptyPhViewGetsOneRow) {
    openOrders(false);
    dialogs.QueueAnswer(ui::Answer::OK);

    defineChildTable({0, 1}, QStringLiteral("@SELECT"));

    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("@SELECT")),
              (Fields{"PH", "QTY PRICE"}));
    EXPECT_EQ(ordersItem("QTY", 7), QString());
    EXPECT_EQ(ordersItem("PRICE", 7), QStringLiteral("OLD"));
    EXPECT_EQ(column(kDiv, 7), (QStringList{QString(), QStringLiteral("OLD"), QString()}));
    EXPECT_EQ(column(kPh, 0), QStringList{QStringLiteral("@SELECT")});
    EXPECT_EQ(phCounter(), 1);

    dialogs.QueueAnswer(ui::Answer::OK);
    defineChildTable({}, QStringLiteral("EMPTY"));
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("EMPTY")), (Fields{"PH", ""}));
    EXPECT_EQ(column(kPh, 2).last(), QString());
    EXPECT_EQ(phCounter(), 2);
}

TEST_F(ChildTableTest, redefiningReplacesThePhraseOfItsRowsAndOtherCaseIsANewTable) {
    openOrders();
    auto phRows = Dictionary().views->Rows(ViewKind::PH);
    // A second row of the same name, and a counter that lags behind the rows.
    phRows->Resize(1, 2);
    phRows->SetCell(1, 0, QStringLiteral("LINES"));
    phRows->SetCell(1, 2, QStringLiteral("second"));
    Dictionary().views->SetCounter(ViewKind::PH, 1);

    // The phrase exists: the question comes first, and No writes nothing.
    dialogs.QueueAnswer(ui::Answer::No);
    defineChildTable({1}, QStringLiteral("LINES"));
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("LINES")), (Fields{"PH", "QTY"}));
    ASSERT_EQ(dialogs.shown().size(), 2u);  // the name, then the question
    EXPECT_EQ(dialogs.shown()[1].prompt,
              QStringLiteral("LINES already exists. Replace its list of fields with the "
                             "highlighted rows?"));
    EXPECT_EQ(dialogs.shown()[1].defaultButton, ui::Answer::No);
    EXPECT_EQ(dialogs.shown()[1].title, QStringLiteral("Kelvora"));

    dialogs.QueueAnswer(ui::Answer::Yes);
    dialogs.QueueAnswer(ui::Answer::OK);  // PRICE leaves association OLD
    dialogs.QueueAnswer(ui::Answer::OK);
    defineChildTable({1}, QStringLiteral("LINES"));

    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("LINES")),
              (Fields{"PH", "PRICE"}));
    // Every row of the item shows what the account holds; no row is added.
    EXPECT_EQ(column(kPh, 2), (QStringList{QStringLiteral("PRICE"), QStringLiteral("PRICE")}));
    EXPECT_EQ(phCounter(), 2);

    dialogs.QueueAnswer(ui::Answer::OK);
    defineChildTable({0}, QStringLiteral("lines"));

    // Added after the last row, not at the counter, and no row is overwritten.
    EXPECT_EQ(column(kPh, 0), (QStringList{QStringLiteral("LINES"), QStringLiteral("LINES"),
                                           QStringLiteral("lines")}));
    EXPECT_EQ(column(kPh, 2).last(), QStringLiteral("QTY"));
    EXPECT_EQ(phCounter(), 3);
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("lines")), (Fields{"PH", "QTY"}));
}

TEST_F(ChildTableTest, cancelOrAnEmptyNameChangesNothing) {
    openOrders();
    for (const std::optional<QString>& answer :
         {std::optional<QString>(), std::optional(QString())}) {
        dialogs.clear();
        defineChildTable({0, 1}, answer);
        EXPECT_EQ(dialogs.shown().size(), 1u);  // the input box only
    }
    EXPECT_EQ(ordersItem("QTY", 7), QString());
    EXPECT_EQ(column(kPh, 0), QStringList{QStringLiteral("LINES")});
    EXPECT_EQ(
        QDir(dictionaryPath(QStringLiteral("ORDERS"))).entryList(QDir::Files | QDir::Hidden),
        (QStringList{QStringLiteral("@EMPTY.NULL"), QStringLiteral("LINES"),
                     QStringLiteral("PRICE"), QStringLiteral("QTY"), QStringLiteral("TOTAL")}));
}

TEST_F(ChildTableTest, anItemOfAnotherTypeIsReplacedOnlyWhenTheUserAgrees) {
    openOrders();
    dialogs.QueueAnswer(ui::Answer::No);

    defineChildTable({0}, QStringLiteral("PRICE"));

    ASSERT_EQ(dialogs.shown().size(), 2u);
    const auto& question = dialogs.shown()[1];
    EXPECT_EQ(question.prompt, QStringLiteral("PRICE is already an item of this dictionary, and "
                                              "not a PH descriptor. Replace it with the new PH "
                                              "descriptor?"));
    EXPECT_EQ(question.buttons, ui::Buttons::YesNo);
    EXPECT_EQ(question.icon, ui::Icon::Question);
    EXPECT_EQ(ordersItem("PRICE", 1), QStringLiteral("D"));
    EXPECT_EQ(ordersItem("QTY", 7), QString());

    dialogs.clear();
    dialogs.QueueAnswer(ui::Answer::Yes);
    dialogs.QueueAnswer(ui::Answer::OK);
    defineChildTable({0}, QStringLiteral("PRICE"));
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("PRICE")), (Fields{"PH", "QTY"}));
    EXPECT_EQ(dialogs.shown().back().title, QStringLiteral("Success"));
}

TEST_F(ChildTableTest, itemsThatCannotBeReadOrWrittenAreNamedOnceAndKeepTheirOldAssociation) {
    openOrders();
    ASSERT_TRUE(QFile::remove(dictionaryPath(QStringLiteral("ORDERS")) + QStringLiteral("/QTY")));
    dialogs.QueueAnswer(ui::Answer::OK);  // PRICE leaves association OLD
    dialogs.QueueAnswer(ui::Answer::OK);  // success
    dialogs.QueueAnswer(ui::Answer::OK);  // the items named

    // A line feed cannot be stored inside a field, so every association write fails.
    defineChildTable({0, 1}, QStringLiteral("TWO\nLINES"));

    ASSERT_EQ(dialogs.shown().size(), 4u);
    EXPECT_EQ(dialogs.shown()[2].title, QStringLiteral("Success"));
    const auto& failures = dialogs.shown()[3];
    EXPECT_EQ(failures.prompt,
              QStringLiteral("The association TWO\nLINES could not be given to "
                             "these items:\nQTY: could not be read (Record not found)\n"
                             "PRICE: could not be written (The record cannot be "
                             "stored faithfully: a field holds a line feed)"));
    EXPECT_EQ(failures.icon, ui::Icon::Exclamation);
    EXPECT_EQ(dialogs.beeps(), 1);
    EXPECT_EQ(column(kDiv, 7), (QStringList{QString(), QStringLiteral("OLD"), QString()}));
    EXPECT_EQ(ordersItem("PRICE", 7), QStringLiteral("OLD"));
    EXPECT_EQ(column(kPh, 2).last(), QStringLiteral("QTY PRICE"));
}

// The descriptor is written first: when it is refused, no item may point at it.
TEST_F(ChildTableTest, aRefusedDescriptorWritesNoAssociationAndKeepsThePhView) {
    openOrders();
    const QString tooLong(300, QLatin1Char('N'));  // too long for a file name once escaped
    dialogs.QueueAnswer(ui::Answer::OK);

    defineChildTable({0}, tooLong);

    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].icon, ui::Icon::Critical);
    EXPECT_TRUE(dialogs.shown()[1].prompt.endsWith(QStringLiteral(" -->File: ORDERS -->Record: ") +
                                                   tooLong));
    EXPECT_EQ(ordersItem("QTY", 7), QString());
    EXPECT_EQ(column(kDiv, 7).first(), QString());
    EXPECT_EQ(column(kPh, 0), QStringList{QStringLiteral("LINES")});
    EXPECT_EQ(phCounter(), 1);
    EXPECT_EQ(phraseEntries(),
              (QStringList{QStringLiteral("All (Refresh)"), QStringLiteral("LINES")}));
}

TEST_F(ChildTableTest, namesThatCannotBeAnAssociationAreRefusedBeforeAnythingIsWritten) {
    openOrders();
    for (const QString& name : {QStringLiteral("A\u00FEB"), QStringLiteral("\u0100")}) {
        dialogs.clear();
        dialogs.QueueAnswer(ui::Answer::OK);
        defineChildTable({0}, name);
        ASSERT_EQ(dialogs.shown().size(), 2u);
        EXPECT_EQ(dialogs.shown()[1].icon, ui::Icon::Exclamation);
    }
    EXPECT_EQ(ordersItem("QTY", 7), QString());
    EXPECT_EQ(column(kPh, 0), QStringList{QStringLiteral("LINES")});
}

// The association changes field 7 of what the account holds now; an item changed since
// its row was read gets it only when the user agrees, and keeps the other's change.
TEST_F(ChildTableTest, anItemChangedInTheAccountIsAskedAboutAndKeepsTheOthersChange) {
    openOrders();
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "1", "", "Quantity"});
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("PRICE"),
              {"D", "2", "MD2", "Price", "R", "S", "OLD", "DEC", "nine", "ten", "eleven"});
    dialogs.QueueAnswer(ui::Answer::OK);  // PRICE leaves association OLD
    dialogs.QueueAnswer(ui::Answer::OK);
    // Each time they changed other fields than 7, which this changes: QTY merges, and
    // PRICE is left as they made it.
    ConflictSeen qty;
    ConflictSeen price;
    dialogs.QueueForm(AnswerConflict("cmdMerge", {}, &qty));
    dialogs.QueueForm(AnswerConflict("cmdKeepTheirs", {}, &price));

    defineChildTable({0, 1}, QStringLiteral("BOTH"));

    ASSERT_EQ(dialogs.shown().size(), 5u);
    EXPECT_EQ(dialogs.shown()[2].title, QStringLiteral("Changed in the account"));
    EXPECT_TRUE(qty.prompt.startsWith(QStringLiteral("QTY was changed")))
        << qty.prompt.toStdString();
    EXPECT_TRUE(qty.mergeEnabledFirst);
    EXPECT_EQ(price.lines, (QStringList{"Field 7 (Association) | OLD | OLD | BOTH | you",
                                        "Field 11 | (none) | eleven | (none) | them"}))
        << price.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("QTY")),
              (Fields{"D", "1", "", "Quantity", "", "", "BOTH"}));
    EXPECT_EQ(ordersItem("PRICE", 7), QStringLiteral("OLD"));
    EXPECT_EQ(ordersItem("PRICE", 11), QStringLiteral("eleven"));
    // The rows show what the account holds: QTY with both changes, PRICE as it is now.
    EXPECT_EQ(column(kDiv, 4).first(), QStringLiteral("Quantity"));
    EXPECT_EQ(column(kDiv, 7).first(), QStringLiteral("BOTH"));
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("BOTH")),
              (Fields{"PH", "QTY PRICE"}));
}

TEST_F(ChildTableTest, inANarrowedGridExactlyTheHighlightedItemsGetTheAssociation) {
    makeDictionary(QStringLiteral("ORDERS"));
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("PAIR"), {"PH", "TOTAL PRICE"});
    openOrders();
    choosePhrase(static_cast<int>(phraseEntries().indexOf(QStringLiteral("PAIR"))));
    ASSERT_EQ(column(kDiv, 0), (QStringList{QStringLiteral("PRICE"), QStringLiteral("TOTAL")}));
    dialogs.QueueAnswer(ui::Answer::OK);

    defineChildTable({1}, QStringLiteral("ONE"));

    EXPECT_EQ(ordersItem("TOTAL", 7), QStringLiteral("ONE"));
    EXPECT_EQ(ordersItem("PRICE", 7), QStringLiteral("OLD"));
    EXPECT_EQ(ordersItem("QTY", 7), QString());
    EXPECT_EQ(column(kDiv, 7), (QStringList{QStringLiteral("OLD"), QStringLiteral("ONE")}));
    // The full view shows the association too, without reading the dictionary again.
    const auto& fullView = *Dictionary().views->Rows(ViewKind::DIV);
    EXPECT_EQ(fullView.Cell(2, 0), QStringLiteral("TOTAL"));
    EXPECT_EQ(fullView.Cell(2, 7), QStringLiteral("ONE"));
    EXPECT_EQ(fullView.Cell(1, 7), QStringLiteral("OLD"));
    choosePhrase(0);
    EXPECT_EQ(column(kDiv, 7),
              (QStringList{QString(), QStringLiteral("OLD"), QStringLiteral("ONE")}));
}

// An item of another child table leaves it only on the user's word: one question before
// anything is written names it with the phrase that lists it (a mere listing such as
// LINES is no child table's) and the single-valued items; Yes rewrites that phrase
// without it, No leaves the phrase, Cancel writes nothing.
struct OtherTableCase {
    const char* name;
    ui::Answer answer;
    bool phraseLocked;
    const char* contactsAfter;  // nullptr: nothing written at all
};

class ChildTableOfOtherItemsTest : public ChildTableTest,
                                   public ::testing::WithParamInterface<OtherTableCase> {};

TEST_P(ChildTableOfOtherItemsTest, itemsOfAnotherChildTableAreNamedAndLeaveItsPhraseOnlyOnYes) {
    const OtherTableCase& test = GetParam();
    makeDictionary(QStringLiteral("ORDERS"));
    for (const char* id : {"CONTACT.NAME", "CONTACT.PHONE", "CONTACT.CITY"}) {
        writeItem(QStringLiteral("ORDERS"), QString::fromLatin1(id),
                  {"D", "5", "", "", "10L", "M", "CONTACTS"});
    }
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("CONTACTS"),
              {"PH", "CONTACT.NAME CONTACT.PHONE CONTACT.CITY"});
    openOrders();
    std::shared_ptr<mv::LocalEngine> other;
    int otherFile = 0;
    if (test.phraseLocked) {
        ASSERT_EQ(mv::LocalEngine::Open(account().toStdString(), other), mv::kOk);
        ASSERT_EQ(other->OpenDictionary("ORDERS", otherFile), mv::kOk);
        ASSERT_EQ(other->Lock(otherFile, "CONTACTS", mv::kLockExclusive), mv::kOk);
    }
    const QStringList ids = column(kDiv, 0);
    dialogs.QueueAnswer(test.answer);
    dialogs.QueueAnswer(ui::Answer::OK);  // success
    dialogs.QueueAnswer(ui::Answer::OK);  // the phrase that could not be rewritten

    defineChildTable(
        {static_cast<int>(ids.indexOf("QTY")), static_cast<int>(ids.indexOf("CONTACT.PHONE")),
         static_cast<int>(ids.indexOf("PRICE"))},
        QStringLiteral("PHONES"));

    ASSERT_GE(dialogs.shown().size(), 2u);
    const auto& question = dialogs.shown()[1];
    EXPECT_EQ(question.prompt,
              QStringLiteral(
                  "These highlighted items belong to another child table:\n"
                  "  CONTACT.PHONE: association CONTACTS, listed by the phrase CONTACTS\n"
                  "  PRICE: association OLD, which no phrase lists\n"
                  "Single-valued (S in field 6), though the fields of a child table hold several "
                  "values: PRICE.\n"
                  "Take them out of the list of the phrase CONTACTS? No leaves it as it is; "
                  "Cancel defines no child table."));
    EXPECT_EQ(question.buttons, ui::Buttons::YesNoCancel);
    EXPECT_EQ(question.title, QStringLiteral("Child table"));
    const QString contacts = QString::fromLatin1(
        itemFields(QStringLiteral("ORDERS"), QStringLiteral("CONTACTS")).value(1));
    if (test.contactsAfter == nullptr) {
        EXPECT_EQ(dialogs.shown().size(), 2u);
        EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("PHONES")));
        EXPECT_EQ(ordersItem("CONTACT.PHONE", 7), QStringLiteral("CONTACTS"));
        EXPECT_EQ(ordersItem("PRICE", 7), QStringLiteral("OLD"));
        EXPECT_EQ(contacts, QStringLiteral("CONTACT.NAME CONTACT.PHONE CONTACT.CITY"));
        return;
    }
    EXPECT_EQ(ordersItem("CONTACT.PHONE", 7), QStringLiteral("PHONES"));
    EXPECT_EQ(ordersItem("PRICE", 7), QStringLiteral("PHONES"));
    EXPECT_EQ(itemFields(QStringLiteral("ORDERS"), QStringLiteral("LINES")), (Fields{"PH", "QTY"}));
    EXPECT_EQ(contacts, QString::fromLatin1(test.contactsAfter));
    EXPECT_EQ(column(kPh, 2).at(column(kPh, 0).indexOf("CONTACTS")), contacts);
    if (!test.phraseLocked) {
        EXPECT_EQ(dialogs.shown().size(), 3u);
        return;
    }
    ASSERT_EQ(dialogs.shown().size(), 4u);
    EXPECT_TRUE(dialogs.shown()[3].prompt.startsWith(
        QStringLiteral("These phrases still list the items that joined PHONES:\n"
                       "CONTACTS: could not be read (")))
        << dialogs.shown()[3].prompt.toStdString();
    other->Release(otherFile, "CONTACTS");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ChildTableOfOtherItemsTest,
    ::testing::Values(OtherTableCase{"yesRewritesThePhrase", ui::Answer::Yes, false,
                                     "CONTACT.NAME CONTACT.CITY"},
                      OtherTableCase{"yesNamesALockedPhrase", ui::Answer::Yes, true,
                                     "CONTACT.NAME CONTACT.PHONE CONTACT.CITY"},
                      OtherTableCase{"noLeavesThePhrase", ui::Answer::No, false,
                                     "CONTACT.NAME CONTACT.PHONE CONTACT.CITY"},
                      OtherTableCase{"cancelWritesNothing", ui::Answer::Cancel, false, nullptr}),
    [](const ::testing::TestParamInfo<OtherTableCase>& param) { return param.param.name; });

}  // namespace
