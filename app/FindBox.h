// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>

namespace app {

// The find box: a line edit that Escape empties, as a search field does, so the grids
// show every row again with one key.
class FindBox : public QLineEdit {
    Q_OBJECT
public:
    explicit FindBox(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace app
