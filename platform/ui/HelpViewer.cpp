// SPDX-License-Identifier: MIT
#include "platform/ui/HelpViewer.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

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

bool HelpViewer::ShowContents(const QString& helpFilePath) {
    QFile file(helpFilePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    browser_->setMarkdown(QString::fromUtf8(file.readAll()));
    browser_->moveCursor(QTextCursor::Start);
    show();
    raise();
    activateWindow();
    return true;
}

}  // namespace ui
