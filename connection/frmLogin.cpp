// SPDX-License-Identifier: MIT
#include "connection/frmLogin.h"

#include <utility>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "connection/DatabaseTypeBox.h"
#include "connection/Functions.h"
#include "connection/MaskCharacterStyle.h"
#include "connection/PlainPasswordWarning.h"
#include "connection/ReadAheadSetting.h"
#include "connection/Reconnect.h"
#include "connection/SessionLimits.h"
#include "connection/SettingsFile.h"
#include "connection/TextBridge.h"
#include "connection/TlsSettings.h"
#include "connection/Variables.h"
#include "connection/frmSetup.h"

namespace {

template <typename Widget>
Widget* Named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

}  // namespace

frmLogin::frmLogin(Variables& vars, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      vars_(vars) {
    BuildControls();
    Form_Load();
}

void frmLogin::BuildControls() {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Login"));

    Label1 = Named(new QLabel(QStringLiteral("Host Name"), this), QStringLiteral("Label1"));
    txtHostName = Named(new QLineEdit(this), QStringLiteral("txtHostName"));
    Label2 = Named(new QLabel(QStringLiteral("Account"), this), QStringLiteral("Label2"));
    txtAccount = Named(new QLineEdit(this), QStringLiteral("txtAccount"));
    lblLabels[0] =
        Named(new QLabel(QStringLiteral("&User Name:"), this), QStringLiteral("lblLabels_0"));
    txtUserName = Named(new QLineEdit(this), QStringLiteral("txtUserName"));
    lblLabels[1] =
        Named(new QLabel(QStringLiteral("&Password:"), this), QStringLiteral("lblLabels_1"));
    txtPassword = Named(new QLineEdit(this), QStringLiteral("txtPassword"));
    MaskCharacterStyle::Apply(*txtPassword, u'*');
    Label3 = Named(new QLabel(QStringLiteral("Database Type"), this), QStringLiteral("Label3"));
    cmbDBType = Named(new QComboBox(this), QStringLiteral("cmbDBType"));
    DatabaseTypeBox::Prepare(*cmbDBType);
    lblLabels[0]->setBuddy(txtUserName);
    lblLabels[1]->setBuddy(txtPassword);

    cmdOK = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("cmdCancel"));
    Command1 =
        Named(new QPushButton(QStringLiteral("Set Defaults"), this), QStringLiteral("Command1"));

    auto* fields = new QGridLayout;
    const std::pair<QLabel*, QWidget*> rows[] = {
        {Label1, txtHostName},       {Label2, txtAccount}, {lblLabels[0], txtUserName},
        {lblLabels[1], txtPassword}, {Label3, cmbDBType},
    };
    int row = 0;
    for (const auto& [label, field] : rows) {
        fields->addWidget(label, row, 0);
        fields->addWidget(field, row, 1);
        ++row;
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(Command1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    // A fixed-size box: the layout's size hint, neither larger nor smaller.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, txtHostName);
    setTabOrder(txtHostName, txtAccount);
    setTabOrder(txtAccount, Command1);
    setTabOrder(Command1, cmbDBType);
    txtUserName->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
    connect(Command1, &QPushButton::clicked, this, &frmLogin::Command1_Click);
}

void frmLogin::Form_Load() {
    DatabaseTypeBox::AddItems(*cmbDBType);
    const SettingsFile settings(vars_.programFolder);
    txtAccount->setText(settings.Read(SettingsFile::kAccount));
    txtHostName->setText(settings.Read(SettingsFile::kIpAddress));
    txtUserName->setText(settings.Read(SettingsFile::kUser));
    txtPassword->setText(settings.Read(SettingsFile::kPassword));
    DatabaseTypeBox::SetText(*cmbDBType, settings.Read(SettingsFile::kDatabaseType));
}

void frmLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        if (const QScreen* shown = screen()) {
            move(shown->availableGeometry().center() - rect().center());
        }
    }
}

void frmLogin::cmdOK_Click() {
    const QString databaseType = cmbDBType->currentText();
    bool connected = false;
    if (FieldsCanBeSent()) {
        ConnectSession();
        connected = vars_.LoginSucceeded;
    } else {
        vars_.LoginSucceeded = false;
    }
    // Every press of OK records the type, whatever its outcome.
    vars_.DatabaseType = databaseType;
    if (connected) {
        accept();
    }
}

bool frmLogin::FieldsCanBeSent() {
    // The texts go to the session as Latin-1 bytes; any other character would silently
    // become '?', and the server would see a user, password or path nobody typed.
    const std::pair<QLineEdit*, const char*> fields[] = {
        {txtUserName, "User Name"},
        {txtPassword, "Password"},
        {txtAccount, "Account"},
        {txtHostName, "Host Name"},
    };
    for (const auto& [field, caption] : fields) {
        if (!TextBridge::IsLatin1(field->text())) {
            vars_.dialogs.MsgBox(
                QStringLiteral("The %1 box holds characters that the connection cannot carry.\n"
                               "Only characters of the Western European (Latin-1) set can be "
                               "sent to the server.")
                    .arg(QLatin1String(caption)),
                ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
            field->setFocus();
            return false;
        }
    }
    return true;
}

void frmLogin::ConnectSession() {
    // The session of an earlier attempt is released unconnected, without Disconnect.
    vars_.session = vars_.sessionFactory();
    mv::Session& session = *vars_.session;
    session.SetUserName(TextBridge::ToBytes(txtUserName->text()));
    session.SetPassword(TextBridge::ToBytes(txtPassword->text()));
    session.SetAccountPath(TextBridge::ToBytes(txtAccount->text()));
    session.SetHostName(TextBridge::ToBytes(txtHostName->text()));
    session.SetDatabaseType(TextBridge::ToBytes(cmbDBType->currentText()));
    SessionLimits::FromSettings(vars_.programFolder).ApplyTo(session);
    ApplyTlsSettings(vars_.programFolder, session);
    session.SetReadAhead(ReadAheadSetting::FromSettings(vars_.programFolder));
    WarnOfPasswordInClear(vars_, session.HostName(), session.Secure());
    session.Connect();

    if (const int code = session.Error(); code != 0) {
        Show_ServerError(vars_, code, QString(), QString(),
                         TextBridge::ToText(session.ConnectDetail()));
        vars_.LoginSucceeded = false;
    } else if (session.IsActive()) {
        vars_.LoginSucceeded = true;
        RememberLogin(vars_, session);
    } else {
        vars_.dialogs.MsgBox(
            QStringLiteral("The Universe session could not be activated -Unspecified error!"),
            ui::Buttons::OK, ui::Icon::None, ui::kProgramTitle);
        vars_.LoginSucceeded = false;
    }
}

void frmLogin::cmdCancel_Click() {
    reject();
}

void frmLogin::reject() {
    vars_.LoginSucceeded = false;
    QDialog::reject();
}

void frmLogin::Command1_Click() {
    frmSetup setup(vars_.dialogs, SettingsFile(vars_.programFolder), this);
    connect(&setup, &frmSetup::saved, this, &frmLogin::ApplyDefaults);
    vars_.dialogs.ShowModal(setup);
}

void frmLogin::ApplyDefaults(const ConnectionDefaults& values) {
    txtAccount->setText(values.account);
    txtHostName->setText(values.hostName);
    txtPassword->setText(values.password);
    txtUserName->setText(values.user);
    DatabaseTypeBox::SetText(*cmbDBType, values.databaseType);
}
