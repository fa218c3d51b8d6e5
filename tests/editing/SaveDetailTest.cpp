// SPDX-License-Identifier: MIT
#include "tests/editing/ConflictWindow.h"
#include "tests/editing/EditingFixture.h"

namespace {

using ui::Answer;
using Boxes = std::vector<std::string>;

// The "Save?" box keeps its words, buttons and title, and offers what it is about to
// write as its detailed text.
class SaveDetailTest : public EditingFixture {
protected:
    QString saveDetail() const {
        for (const auto& box : dialogs.shown()) {
            if (box.prompt == QStringLiteral("Save?")) {
                EXPECT_EQ(box.buttons, ui::Buttons::YesNo);
                EXPECT_EQ(box.icon, ui::Icon::None);
                EXPECT_EQ(box.title, QStringLiteral("Kelvora"));
                return box.detail;
            }
        }
        ADD_FAILURE() << "no Save? box";
        return {};
    }
};

TEST_F(SaveDetailTest, listsEachChangedFieldWithItsOldAndNewValueMarksLabelled) {
    openOrders();
    type(kDIV, rowOf(kDIV, "PRICE"),
         {{3, QStringLiteral("MD4")}, {4, QStringLiteral("Price\u00FDCost")}, {5, QString()}});
    answer({Answer::No});
    leaveRow(kDIV);

    EXPECT_EQ(saveDetail(), QStringLiteral("Save PRICE?\n"
                                           "Field 3 (Conv): MD2 -> MD4\n"
                                           "Field 4 (Column Name): Price -> Price[VM]Cost\n"
                                           "Field 5 (Align): 8R -> (empty)"));
    EXPECT_EQ(onDisk("PRICE"), (Fields{"D", "4", "MD2", "Price", "8R", "S"}));

    // Typed back to what was read: nothing to write but the row itself.
    dialogs.clear();
    type(kDIV, rowOf(kDIV, "PRICE"), {{3, QStringLiteral("MD0")}, {3, QStringLiteral("MD2")}});
    answer({Answer::No});
    leaveRow(kDIV);
    EXPECT_EQ(saveDetail(), QStringLiteral("Save PRICE?\nNo field changes."));
}

TEST_F(SaveDetailTest, aNewRowListsItsFieldsAndFieldsPastTheColumnsAreKeptUnmentioned) {
    openOrders();
    typeNewRow(kPH, {{0, QStringLiteral("HEADS")},
                     {1, QStringLiteral("PH")},
                     {2, QStringLiteral("QTY PRICE")}});
    answer({Answer::Yes, Answer::OK});
    leaveRow(kPH);
    EXPECT_EQ(saveDetail(), QStringLiteral("New item HEADS:\n"
                                           "Field 1 (Type): PH\n"
                                           "Field 2 (Phrase): QTY PRICE"));

    // A new row under the id of an item the account holds replaces that item whole.
    dialogs.clear();
    typeNewRow(kPH, {{0, QStringLiteral("LINES")}, {1, QStringLiteral("PH")}});
    answer({Answer::No});
    leaveRow(kPH);
    EXPECT_TRUE(saveDetail().startsWith(QStringLiteral("LINES, replaced whole:\n")))
        << saveDetail().toStdString();
    grid(kPH).CancelRow();

    // ORD.QTY holds 12 fields, one past the A/S grid's columns: the save keeps it.
    dialogs.clear();
    type(kAS, rowOf(kAS, "ORD.QTY"), {{3, QStringLiteral("Quantity")}});
    answer({Answer::Yes, Answer::OK});
    leaveRow(kAS);
    EXPECT_EQ(saveDetail(),
              QStringLiteral("Save ORD.QTY?\nField 3 (Column Name): Qty -> Quantity"));
    EXPECT_EQ(onDisk("ORD.QTY").value(11), "eleven");
}

TEST_F(SaveDetailTest, theCompiledFormThatASaveLeavesOutIsSaid) {
    makeOrders();
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("TOTAL"),
              {"I", "QTY * PRICE", "MD2", "Total", "10R", "S", "", "", "", "compiled", "QTY"});
    login();
    open(QStringLiteral("ORDERS"));
    dialogs.clear();
    type(kDIV, rowOf(kDIV, "TOTAL"), {{2, QStringLiteral("QTY * PRICE * 2")}});
    answer({Answer::Yes, Answer::OK, Answer::No});
    leaveRow(kDIV);

    EXPECT_EQ(
        saveDetail(),
        QStringLiteral("Save TOTAL?\n"
                       "Field 2 (Attribute Count or Formula): QTY * PRICE -> QTY * PRICE * 2\n"
                       "Fields 9 to 11 (the compiled form): left out; compiling the item "
                       "writes them again"));
    EXPECT_EQ(onDisk("TOTAL").size(), 8);
}

TEST_F(SaveDetailTest, aCopyListsTheFieldsItWritesUnderTheNewName) {
    openOrders();
    const auto copy = [this](const char* id, const QString& name) {
        type(kDIV, rowOf(kDIV, id), {{3, QStringLiteral("MD0")}, {0, QStringLiteral("X")}});
        dialogs.QueueInput(name);
        leaveRow(kDIV);
    };
    answer({Answer::Yes, Answer::No});  // QTY's users named; No to Save?
    copy("QTY", QStringLiteral("COPY1"));
    EXPECT_EQ(saveDetail(), QStringLiteral("New item COPY1:\n"
                                           "Field 1 (Type): D Quantity\n"
                                           "Field 2 (Attribute Count or Formula): 3\n"
                                           "Field 3 (Conv): MD0\n"
                                           "Field 4 (Column Name): Qty\n"
                                           "Field 5 (Align): 5R\n"
                                           "Field 6 (S / M): S\n"
                                           "Field 7 (Association):\n"
                                           "Field 8 (Data Type):"));
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("COPY1")));

    dialogs.clear();
    ConflictSeen replace;
    dialogs.QueueForm(AnswerReplace(true, &replace));
    answer({Answer::Yes, Answer::No});  // users, Save?
    copy("QTY", QStringLiteral("PRICE"));
    EXPECT_TRUE(saveDetail().startsWith(QStringLiteral("PRICE, replaced whole:\n")));
}

}  // namespace
