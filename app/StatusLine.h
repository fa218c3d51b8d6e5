// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QStatusBar;

namespace app {

// The main window's status bar: the handlers' messages at its left, the open dictionary
// and its account at its right. A message is never drawn under that label: while one is
// shown the label gives up room, its text elided and whole in its tool tip, and a message
// wider than the whole bar is elided with its text whole in the bar's tool tip. Owned by
// the bar.
class StatusLine : public QObject {
public:
    explicit StatusLine(QStatusBar& bar);

    // The message for shownMs milliseconds (0: until the next one); empty clears it.
    void ShowMessage(const QString& message, int shownMs);
    void SetCaption(const QString& caption);
    QLabel* Label() const { return label_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The right edge the label keeps, whatever its width.
    int LabelRight();
    void Fit();

    QStatusBar& bar_;
    QLabel* label_;
    QString caption_;
    QString message_;  // whole, as the handler gave it
};

}  // namespace app
