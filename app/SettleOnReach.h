// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include <QObject>

class QWidget;

namespace app {

// Asks about a pending row as the user reaches a control whose use would settle it (the
// phrase list, the file name box), so the question comes before anything is typed or
// chosen there, and no key meant for that control answers it. A click settles at once and
// is swallowed while the row stays pending; reaching the control with the keyboard settles
// right after the focus has moved.
class SettleOnReach : public QObject {
    Q_OBJECT
public:
    // `pending` tells whether a row is pending; `settle` settles it, true when none stays.
    SettleOnReach(QWidget* watched, std::function<bool()> pending, std::function<bool()> settle);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool()> pending_;
    std::function<bool()> settle_;
};

}  // namespace app
