// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace editing {
class AccountComparison;
}

// The items of the open dictionary that differ from another account's: one line each
// ("only here", "only there", "changed" and the id), the fields of the selected item
// side by side, and Copy here, which writes the other side's item into this account.
class frmCompare : public QDialog {
    Q_OBJECT
public:
    explicit frmCompare(editing::AccountComparison& comparison, QWidget* parent = nullptr);

private:
    void BuildControls();
    void FillList(int selectRow);
    void lstDifferences_Change();
    void cmdCopyHere_Click();

    editing::AccountComparison& comparison_;

    QLabel* lblCompared = nullptr;
    QListWidget* lstDifferences = nullptr;
    QTableWidget* tblFields = nullptr;
    QPushButton* cmdCopyHere = nullptr;
    QPushButton* cmdClose = nullptr;
};
