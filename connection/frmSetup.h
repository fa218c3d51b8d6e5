// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include "connection/ConnectionDefaults.h"
#include "connection/SettingsFile.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class Dialogs;
}

// Shows the default connection values of the settings file, lets the user change them,
// writes them back on Save and hands them on through saved(). A value the file cannot
// keep as typed (too long, or text it cannot hold) is named in a message, and Save then
// writes nothing and leaves the dialog open. Closing it any other way discards the edits.
class frmSetup : public QDialog {
    Q_OBJECT
public:
    frmSetup(ui::Dialogs& dialogs, SettingsFile settings, QWidget* parent = nullptr);

signals:
    // After Save has written the file (or failed to): the values to use for this login.
    void saved(const ConnectionDefaults& values);

public slots:
    void cmdSave_Click();

private:
    void BuildControls();
    void Form_Load();

    ui::Dialogs& dialogs_;
    SettingsFile settings_;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* txtAccount = nullptr;
    QLineEdit* txtIP = nullptr;
    QLineEdit* txtUser = nullptr;
    QLineEdit* txtPassword = nullptr;
    QComboBox* cmbDBType = nullptr;
    QPushButton* cmdSave = nullptr;
};
