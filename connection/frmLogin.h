// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include <QDialog>

#include "connection/ConnectionDefaults.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct Variables;

// Collects the connection values, opens the server session of the run and records the
// outcome in Variables: the session, LoginSucceeded and the database type, all of which
// outlive the dialog. Give it the main window as parent so it has no task-bar entry.
class frmLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmLogin(Variables& vars, QWidget* parent = nullptr);

public slots:
    void cmdOK_Click();
    void cmdCancel_Click();
    void Command1_Click();
    // The values the setup dialog saved, put into the fields.
    void ApplyDefaults(const ConnectionDefaults& values);
    // Escape, Cancel and the frame's close button all end here.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    // Steps of OK that open the session; the caller records the database type after.
    void ConnectSession();
    // False, after telling the user, when a field holds text the connection cannot send.
    bool FieldsCanBeSent();

    Variables& vars_;

    QLabel* Label1 = nullptr;
    QLineEdit* txtHostName = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtAccount = nullptr;
    std::array<QLabel*, 2> lblLabels{};
    QLineEdit* txtUserName = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cmbDBType = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* Command1 = nullptr;
};
