// SPDX-License-Identifier: MIT
#include <QFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <gtest/gtest.h>

#include "platform/ui/HelpViewer.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

namespace {

// A help file long enough that each section starts below the first screenful.
QString WriteHelp(const TempDir& dir) {
    QString text = QStringLiteral("# Help\n\n## Contents\n\n- [Second topic](#second-topic)\n\n");
    for (const char* title : {"First topic", "Second topic", "Third, and last (topic)"}) {
        text += QStringLiteral("## %1\n\n").arg(QLatin1String(title));
        for (int i = 0; i < 60; ++i) {
            text += QStringLiteral("Line %1 of %2.\n\n").arg(i).arg(QLatin1String(title));
        }
    }
    const QString path = dir.filePath(QStringLiteral("help.md"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    return path;
}

// The text of the first block the window shows.
QString TopBlock(const ui::HelpViewer& help) {
    return help.Browser()->cursorForPosition(QPoint(4, 4)).block().text();
}

TEST(HelpViewer, anchorsAreTheHeadingsInLowerCaseWithHyphens) {
    EXPECT_EQ(ui::HelpViewer::AnchorOf(QStringLiteral("Opening a dictionary")),
              QStringLiteral("opening-a-dictionary"));
    EXPECT_EQ(ui::HelpViewer::AnchorOf(QStringLiteral("Compiling I-descriptors")),
              QStringLiteral("compiling-i-descriptors"));
    EXPECT_EQ(ui::HelpViewer::AnchorOf(QStringLiteral("Third, and last (topic)")),
              QStringLiteral("third-and-last-topic"));
}

TEST(HelpViewer, aSectionIsShownAtItsHeadingAndTheContentsLinksJumpToTheirs) {
    TempDir dir;
    const QString path = WriteHelp(dir);
    ui::HelpViewer help(nullptr);
    help.resize(500, 300);

    ASSERT_TRUE(help.ShowSection(path, QStringLiteral("third-and-last-topic")));
    EXPECT_EQ(TopBlock(help), QStringLiteral("Third, and last (topic)"));

    ASSERT_TRUE(help.ShowContents(path));
    EXPECT_EQ(help.Browser()->verticalScrollBar()->value(), 0);
    help.Browser()->setSource(QUrl(QStringLiteral("#second-topic")));
    EXPECT_EQ(TopBlock(help), QStringLiteral("Second topic"));
}

TEST(HelpViewer, aMissingFileShowsNothing) {
    ui::HelpViewer help(nullptr);
    EXPECT_FALSE(help.ShowSection(QStringLiteral("/nonexistent/help.md"), QString()));
    EXPECT_FALSE(help.isVisible());
}

// Every heading of the shipped help file shows, and a link to it reaches it: text such as
// "<id>" in the file must not be taken for markup that swallows what follows.
TEST(HelpViewer, everySectionOfTheShippedHelpIsReachable) {
    const QString path = QStringLiteral(KELVORA_SOURCE_DIR "/docs/help/Kelvora.hlp");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ui::HelpViewer help(nullptr);
    help.resize(720, 640);
    int sections = 0;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (!line.startsWith(QStringLiteral("## "))) {
            continue;
        }
        ++sections;
        const QString heading = line.mid(3).trimmed();
        ASSERT_TRUE(help.ShowSection(path, ui::HelpViewer::AnchorOf(heading)));
        const QString top = TopBlock(help);
        // The last sections cannot scroll to the top of the window; they are on screen.
        EXPECT_TRUE(top == heading || help.Browser()->verticalScrollBar()->value() ==
                                          help.Browser()->verticalScrollBar()->maximum())
            << heading.toStdString() << " shows " << top.toStdString();
    }
    EXPECT_GT(sections, 10);
}

// A picture named in the help is read from beside the help file.
TEST(HelpViewer, thePicturesOfTheShippedHelpLoadFromBesideIt) {
    const QString path = QStringLiteral(KELVORA_SOURCE_DIR "/docs/help/Kelvora.hlp");
    ui::HelpViewer help(nullptr);
    ASSERT_TRUE(help.ShowSection(path, QString()));
    const QVariant picture = help.Browser()->loadResource(QTextDocument::ImageResource,
                                                          QUrl(QStringLiteral("values-pane.png")));
    EXPECT_FALSE(picture.isNull());
}

}  // namespace
