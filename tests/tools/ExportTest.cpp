// SPDX-License-Identifier: MIT
#include <QPushButton>
#include <QStatusBar>

#include "core/DatabaseKind.h"
#include "dictionary/DatabaseType.h"
#include "platform/mv/Session.h"
#include "tests/support/ScreenFixture.h"

namespace {

const QByteArray FM = "\n";  // a field mark, as item files hold it
const QByteArray VM = "\xFD";
const QByteArray SM = "\xFC";

class ExportTest : public ScreenFixture {
protected:
    TempDir outputDir;

    QString outputPath() const { return outputDir.filePath(QStringLiteral("orders.txt")); }

    QByteArray output() const {
        QFile file(outputPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    void makeOrders() {
        makeDictionary(QStringLiteral("ORDERS"));
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("@EMPTY.NULL"), {"X"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "1"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("PRICE"), {"D", "3", "", "", "", "S"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("NAME"),
                  {"A", "2", "Name" + VM + "Nom" + SM + "x", "", "", "", "", "", "L", "20",
                   "eleven", "twelve"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("LINES"), {"PH", "QTY"});
        writeItem(QStringLiteral("ORDERS"), QStringLiteral("CAFE"), {"X", "caf\xE9", "", ""});
    }

    void exportTo(const std::optional<QString>& path) {
        dialogs.QueueFileName(path);
        editing::RunGuarded(vars.dialogs, [this] { tools.cmdExport_Click(); });
    }

    QString statusLine() const { return screen.Status(); }
};

TEST_F(ExportTest, writesOneLinePerItemInSelectOrderReplacingTheFile) {
    makeOrders();
    login();
    open(QStringLiteral("ORDERS"));
    choosePhrase(1);  // narrowed items are exported all the same
    writeItem(QStringLiteral("ORDERS"), QStringLiteral("QTY"), {"D", "1", "", "Quantity"});
    {
        QFile old(outputPath());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'z'));
    }

    exportTo(outputPath());

    // Sorted by field 1, then by field 2 right-justified.
    const QByteArray expected = "NAME\tA\t2\tName" + VM + "Nom" + SM +
                                "x\t\t\t\t\t\tL\t20\r\n"
                                "QTY\tD\t1\t\tQuantity\t\t\t\t\t\t\r\n"
                                "PRICE\tD\t3\t\t\t\tS\t\t\t\t\r\n"
                                "LINES\tPH\tQTY\t\t\t\t\t\t\t\t\r\n"
                                "@EMPTY.NULL\tX\t\t\t\t\t\t\t\t\t\r\n"
                                "CAFE\tX\tcaf\xE9\t\t\t\t\t\t\t\t\r\n";
    EXPECT_EQ(output(), expected);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ScriptedDialogs::Kind::SaveFileName);
    EXPECT_EQ(dialogs.shown()[0].title, QString());
    EXPECT_EQ(statusLine(), QStringLiteral("6 items exported to ") + outputPath());
    EXPECT_FALSE(dialogs.hourglass());
    EXPECT_EQ(QDir(outputDir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("orders.txt")});
}

// The export lists the dictionary that is open, not a name typed into the box since.
TEST_F(ExportTest, uniDataSortsByLocationThenIdAndExportsTheOpenFileWhateverTheBoxHolds) {
    makeOrders();
    makeDictionary(QStringLiteral("SHORT"));
    writeItem(QStringLiteral("SHORT"), QStringLiteral("QTY"), {"D", "2"});
    writeItem(QStringLiteral("SHORT"), QStringLiteral("GONE"), {"D", "1"});
    writeItem(QStringLiteral("SHORT"), QStringLiteral("CAFE"), {"X", "1"});
    login(QStringLiteral("unidata"));
    open(QStringLiteral("SHORT"));
    screen.SetFileNameText(QStringLiteral("ORDERS"));  // typed, not opened

    exportTo(outputPath());

    EXPECT_EQ(vars.session->Command().Text(), "SSELECT DICT SHORT BY LOC BY @ID");
    const QByteArray tail(8, '\t');
    EXPECT_EQ(output(),
              "CAFE\tX\t1" + tail + "\r\nGONE\tD\t1" + tail + "\r\nQTY\tD\t2" + tail + "\r\n");
    EXPECT_EQ(statusLine(), QStringLiteral("3 items exported to %1").arg(outputPath()));
}

// An export that cannot list the items must not replace a good listing with nothing.
TEST_F(ExportTest, aFailedSelectIsShownAndLeavesAnExistingFileUntouched) {
    makeOrders();
    login();
    open(QStringLiteral("ORDERS"));
    {
        QFile old(outputPath());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the listing of yesterday\n");
    }
    ASSERT_TRUE(QDir(dictionaryPath(QStringLiteral("ORDERS"))).removeRecursively());
    dialogs.QueueAnswer(ui::Answer::OK);

    exportTo(outputPath());

    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].prompt,
              QStringLiteral("The command names a file that does not exist in this account"));
    EXPECT_EQ(dialogs.shown()[1].icon, ui::Icon::Critical);
    EXPECT_EQ(output(), QByteArray("the listing of yesterday\n"));
    EXPECT_EQ(statusLine(), QString());
    EXPECT_EQ(QDir(outputDir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("orders.txt")});
}

TEST_F(ExportTest, nothingIsTouchedWhenTheUserChoosesNoFile) {
    makeOrders();
    login();
    open(QStringLiteral("ORDERS"));
    vars.session->Command().SetText("unchanged");

    exportTo(std::nullopt);
    exportTo(QString());

    EXPECT_EQ(vars.session->Command().Text(), "unchanged");
    EXPECT_TRUE(QDir(outputDir.path()).isEmpty());
    EXPECT_EQ(statusLine(), QString());
}

TEST_F(ExportTest, aFileThatCannotBeCreatedIsNamedWithTheReasonAndNothingClaimsSuccess) {
    makeOrders();
    login();
    open(QStringLiteral("ORDERS"));
    const QString intoNowhere = outputDir.filePath(QStringLiteral("missing/orders.txt"));
    dialogs.QueueAnswer(ui::Answer::OK);

    exportTo(intoNowhere);

    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].prompt,
              QStringLiteral("The export file %1 cannot be created: No such file or directory.")
                  .arg(intoNowhere));
    EXPECT_EQ(dialogs.shown()[1].icon, ui::Icon::Critical);
    EXPECT_EQ(statusLine(), QString());
}

TEST_F(ExportTest, withoutADictionaryOrAKnownDatabaseTypeNothingIsAskedOrWritten) {
    makeOrders();
    login(QStringLiteral("Pick"));
    for (const bool exporting : {true, false}) {
        dialogs.clear();
        dialogs.QueueAnswer(ui::Answer::OK);
        if (exporting) {
            tools.cmdExport_Click();
        } else {
            tools.cmdMakeChild_Click();
        }
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].prompt, QStringLiteral("No dictionary is open. Type the name "
                                                            "of a file and press Open first."));
    }

    dialogs.QueueAnswer(ui::Answer::OK);  // the open says the type is unknown
    open(QStringLiteral("ORDERS"));
    dialogs.clear();
    dialogs.QueueAnswer(ui::Answer::OK);
    tools.cmdExport_Click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].prompt, dictionary::UnknownTypeMessage(QStringLiteral("Pick")));
    EXPECT_TRUE(QDir(outputDir.path()).isEmpty());
}

TEST(ExportSelect, isTheSelectTheOpenUses) {
    for (const char* type : {"UniVerse", "unidata"}) {
        const QString fileName = QStringLiteral(" ORDERS ");
        EXPECT_EQ(
            QString::fromStdString(
                core::SelectCommandFor(*core::KindOf(type), fileName.toStdString())),
            dictionary::SelectCommandFor(dictionary::KindOf(QString::fromLatin1(type)), fileName));
    }
}

}  // namespace
