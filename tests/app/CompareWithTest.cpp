// SPDX-License-Identifier: MIT
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include "dictionary/ViewLayout.h"
#include "tests/editing/EditingFixture.h"
#include "tests/support/MainWindowFixture.h"

namespace {

using ui::Answer;

// Tools > Compare with... on the window, the other account reached through its own login.
class CompareWithTest : public EditingFixtureOn<MainWindowFixture> {
protected:
    QString other() const { return programDir.filePath(QStringLiteral("other")); }

    void writeThere(const QString& id, const QByteArrayList& fields) const {
        QFile item(other() + QStringLiteral("/D_ORDERS/") + id);
        ASSERT_TRUE(item.open(QIODevice::WriteOnly));
        item.write(fields.join('\n'));
    }

    // Compare with... answered on the login form with the other account, or Cancel;
    // `work` then drives the comparison form, when there is one.
    void compare(bool cancel, ScriptedDialogs::FormScript work = {}) {
        const testbackend::Reach reach = testbackend::ReachFor(other().toStdString());
        dialogs.QueueForm([reach, cancel](QDialog& form) {
            form.findChild<QLineEdit*>(QStringLiteral("txtHostName"))
                ->setText(QString::fromStdString(reach.host));
            form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))
                ->setText(QString::fromStdString(reach.account));
            form.findChild<QPushButton*>(cancel ? QStringLiteral("cmdCancel")
                                                : QStringLiteral("cmdOK"))
                ->click();
        });
        if (work) {
            dialogs.QueueForm(std::move(work));
        }
        control<QAction>("mnuCompare").trigger();
    }
};

QStringList Lines(const QDialog& form) {
    QStringList lines;
    const auto* list = form.findChild<QListWidget*>(QStringLiteral("lstDifferences"));
    for (int row = 0; row < list->count(); ++row) {
        lines << list->item(row)->text();
    }
    return lines;
}

// Each row of the fields table as "number|caption|here|there".
QStringList FieldRows(const QDialog& form) {
    QStringList rows;
    const auto* table = form.findChild<QTableWidget*>(QStringLiteral("tblFields"));
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            cells << table->item(row, column)->text();
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

TEST_F(CompareWithTest, listsTheDifferencesAndCopiesItemsHereThroughTheSave) {
    openOrders();
    ASSERT_TRUE(QDir().mkpath(other()));
    const auto before = onDisk("QTY");

    // A cancelled login shows nothing more; an account without the file says so.
    compare(/*cancel=*/true);
    answer({Answer::OK});
    compare(/*cancel=*/false);
    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_TRUE(dialogs.shown()[2].prompt.endsWith(
        QStringLiteral(" has no dictionary ORDERS: there is nothing to compare.")))
        << dialogs.shown()[2].prompt.toStdString();
    dialogs.clear();

    ASSERT_TRUE(QDir().mkpath(other() + QStringLiteral("/D_ORDERS")));
    for (const char* same : {"ORDERS", "PRICE", "TOTAL", "ORD.QTY", "@EMPTY.NULL", "LINES"}) {
        writeThere(QString::fromLatin1(same), onDisk(same));
    }
    const QByteArrayList qtyThere = {"D Quantity",
                                     "3",
                                     "",
                                     "Quantity\xFD"
                                     "Ordered",
                                     "6R",
                                     "S"};
    const QByteArrayList discThere = {"D", "5", "MD2", "Discount", "6R", "S"};
    writeThere(QStringLiteral("QTY"), qtyThere);
    writeThere(QStringLiteral("DISC"), discThere);
    const QStringList captions = dictionary::LayoutOf(dictionary::ViewKind::DIV).columnCaptions;
    const QStringList others = dictionary::LayoutOf(dictionary::ViewKind::Other).columnCaptions;

    compare(false, [&](QDialog& form) {
        auto* list = form.findChild<QListWidget*>(QStringLiteral("lstDifferences"));
        auto* copy = form.findChild<QPushButton*>(QStringLiteral("cmdCopyHere"));
        EXPECT_EQ(Lines(form),
                  (QStringList{QStringLiteral("only there  DISC"),
                               QStringLiteral("only here  NEXT"), QStringLiteral("changed  QTY")}));
        struct Case {
            int row;
            bool copies;
            QStringList fields;
        };
        const Case cases[] = {
            {0,
             true,
             {QStringLiteral("1|%1||D").arg(captions[1]),
              QStringLiteral("2|%1||5").arg(captions[2])}},
            {1,
             false,
             {QStringLiteral("1|%1|X|").arg(others[1]),
              QStringLiteral("2|%1|100|").arg(others[2])}},
            {2,
             true,
             {QStringLiteral("4|%1|Qty|Quantity[VM]Ordered").arg(captions[4]),
              QStringLiteral("5|%1|5R|6R").arg(captions[5])}},
        };
        for (const Case& c : cases) {
            list->setCurrentRow(c.row);
            EXPECT_EQ(copy->isEnabled(), c.copies) << c.row;
            EXPECT_EQ(FieldRows(form).mid(0, 2), c.fields) << c.row;
        }

        // The changed item, then the item only there: each asked, written, and gone
        // from the list.
        answer({Answer::Yes, Answer::Yes});
        copy->click();
        EXPECT_EQ(Lines(form), (QStringList{QStringLiteral("only there  DISC"),
                                            QStringLiteral("only here  NEXT")}));
        list->setCurrentRow(0);
        copy->click();
        EXPECT_EQ(Lines(form), QStringList{QStringLiteral("only here  NEXT")});
        form.findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
    });

    ASSERT_EQ(dialogs.shown().size(), 4u);  // login, form, two questions
    for (const int box : {2, 3}) {
        EXPECT_TRUE(dialogs.shown()[box].prompt.startsWith(
            box == 2 ? QStringLiteral("Save QTY here as ") : QStringLiteral("Save DISC here as ")));
        EXPECT_EQ(dialogs.shown()[box].buttons, ui::Buttons::YesNo);
    }
    EXPECT_TRUE(dialogs.shown()[2].detail.contains(QStringLiteral("there: Quantity[VM]Ordered")));
    EXPECT_EQ(onDisk("QTY"), qtyThere);
    EXPECT_EQ(onDisk("DISC"), discThere);
    EXPECT_EQ(column(kDIV, 4).value(rowOf(kDIV, "QTY")), QStringLiteral("Quantity\xFD"
                                                                        "Ordered"));
    EXPECT_EQ(column(kDIV, 4).value(rowOf(kDIV, "DISC")), QStringLiteral("Discount"));
    EXPECT_TRUE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("NEXT")));

    // Each copy is one step of Undo.
    dialogs.clear();
    control<QAction>("mnuUndo").trigger();
    EXPECT_FALSE(itemExists(QStringLiteral("ORDERS"), QStringLiteral("DISC")));
    EXPECT_EQ(rowOf(kDIV, "DISC"), -1);
    control<QAction>("mnuUndo").trigger();
    EXPECT_EQ(onDisk("QTY"), before);
    EXPECT_EQ(column(kDIV, 4).value(rowOf(kDIV, "QTY")), QStringLiteral("Qty"));
    EXPECT_TRUE(dialogs.shown().empty()) << prompts().join(QLatin1Char('|')).toStdString();
}

}  // namespace
