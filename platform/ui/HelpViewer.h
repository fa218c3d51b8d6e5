// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QTextBrowser;

namespace ui {

// The help window: shows a help file written in Markdown at its contents topic (its
// beginning) or at one of its sections. Every heading can be reached by a link to its
// name in the GitHub manner ("## Opening a dictionary" by "#opening-a-dictionary").
// Non-modal, one per owner; showing it again brings it to the front.
class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* owner);

    // Loads the file and shows it; false, showing nothing, when it cannot be read.
    bool ShowContents(const QString& helpFilePath);
    // The same, scrolled to the section whose heading has this anchor name (the
    // beginning when there is none).
    bool ShowSection(const QString& helpFilePath, const QString& anchor);

    // The name a link to a heading uses: lower case, blanks as hyphens, punctuation
    // other than hyphens and underscores dropped.
    static QString AnchorOf(const QString& heading);

    QTextBrowser* Browser() const { return browser_; }

private:
    bool Load(const QString& helpFilePath);
    void NameHeadings();

    QTextBrowser* browser_;
    QString loadedPath_;
};

}  // namespace ui
