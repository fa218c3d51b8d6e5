// SPDX-License-Identifier: MIT
#include "platform/ui/HelpViewer.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "platform/ui/ScreenFit.h"

namespace ui {

HelpViewer::HelpViewer(QWidget* owner) : QDialog(owner), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Kelvora Help"));
    setModal(false);
    browser_->setObjectName(QStringLiteral("helpText"));
    browser_->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    resize(720, 640);
}

QString HelpViewer::AnchorOf(const QString& heading) {
    QString anchor;
    for (const QChar c : heading.trimmed().toLower()) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_') {
            anchor += c;
        } else if (c.isSpace()) {
            anchor += u'-';
        }
    }
    return anchor;
}

bool HelpViewer::Load(const QString& helpFilePath) {
    QFile file(helpFilePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    if (helpFilePath != loadedPath_) {
        // Pictures are named relative to the help file, which they sit beside.
        browser_->setSearchPaths({QFileInfo(helpFilePath).absolutePath()});
        browser_->setMarkdown(QString::fromUtf8(file.readAll()));
        NameHeadings();
        loadedPath_ = helpFilePath;
    }
    return true;
}

// Markdown gives headings no anchor names; each heading gets the name its links use, so
// the browser scrolls to it when a link is followed.
void HelpViewer::NameHeadings() {
    QTextDocument* document = browser_->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0) {
            continue;
        }
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setAnchor(true);
        format.setAnchorNames({AnchorOf(block.text())});
        cursor.mergeCharFormat(format);
    }
}

bool HelpViewer::ShowContents(const QString& helpFilePath) {
    return ShowSection(helpFilePath, QString());
}

bool HelpViewer::ShowSection(const QString& helpFilePath, const QString& anchor) {
    if (!Load(helpFilePath)) {
        return false;
    }
    if (!isVisible()) {
        FitWithinScreen(*this);
    }
    show();
    raise();
    activateWindow();
    browser_->moveCursor(QTextCursor::Start);
    browser_->verticalScrollBar()->setValue(0);
    if (!anchor.isEmpty()) {
        // The document is laid out lazily; a heading below what was laid out yet has no
        // place to scroll to until all of it is.
        browser_->document()->documentLayout()->documentSize();
        browser_->scrollToAnchor(anchor);
    }
    return true;
}

}  // namespace ui
