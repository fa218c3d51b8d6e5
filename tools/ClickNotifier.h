// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QWidget;

namespace tools {

// Turns a click (press and release of the left button) on a widget that has no clicked
// signal of its own into one. For a scroll area, such as a text box, watch its viewport.
// A child of the watched widget, so it lives as long as the widget does.
class ClickNotifier : public QObject {
    Q_OBJECT
public:
    explicit ClickNotifier(QWidget* watched);

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tools
