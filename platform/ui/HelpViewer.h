// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QTextBrowser;

namespace ui {

// The help window: shows a help file written in Markdown at its contents topic (its
// beginning). Non-modal, one per owner; showing it again brings it to the front.
class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* owner);

    // Loads the file and shows it; false, showing nothing, when it cannot be read.
    bool ShowContents(const QString& helpFilePath);

    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

}  // namespace ui
