// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include "connection/UserOptions.h"

class QCheckBox;
struct Variables;

namespace app {

// Tools > Options...: how saves are confirmed and how successful writes are reported.
class frmOptions : public QDialog {
public:
    explicit frmOptions(const UserOptions& options, QWidget* parent = nullptr);

    UserOptions Options() const;

private:
    QCheckBox* chkConfirmSaves_ = nullptr;
    QCheckBox* chkReportInStatusBar_ = nullptr;
};

// Shows the options; OK makes them the program's and keeps them in the user's config
// folder (a file that cannot be written is said, and the options hold for this run).
void EditOptions(Variables& vars, QWidget* parent);

}  // namespace app
