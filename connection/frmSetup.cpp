// SPDX-License-Identifier: MIT
#include "connection/frmSetup.h"

#include <utility>

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "connection/DatabaseTypeBox.h"
#include "connection/MaskCharacterStyle.h"
#include "platform/ui/Dialogs.h"

namespace {

template <typename Widget>
Widget* Named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QLabel* RightAlignedLabel(const QString& caption, const QString& name, QWidget* parent) {
    auto* label = Named(new QLabel(caption, parent), name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// What the user is told when a field's value cannot be kept as typed.
QString RefusalMessage(const QString& field, const QString& value, SettingsFile::Refusal refusal) {
    if (refusal == SettingsFile::Refusal::TooLong) {
        return QStringLiteral(
                   "%1 is %2 characters long; at most %3 characters can be saved.\n"
                   "Shorten it and press Save again.")
            .arg(field)
            .arg(value.size())
            .arg(SettingsFile::kMaxLength);
    }
    return QStringLiteral(
               "%1 holds a line break or a character that the settings file cannot "
               "keep.\nChange it and press Save again.")
        .arg(field);
}

}  // namespace

frmSetup::frmSetup(ui::Dialogs& dialogs, SettingsFile settings, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), settings_(std::move(settings)) {
    BuildControls();
    Form_Load();
}

void frmSetup::BuildControls() {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Setup Values"));

    Label1 = RightAlignedLabel(QStringLiteral("Universe Account"), QStringLiteral("Label1"), this);
    Label2 = RightAlignedLabel(QStringLiteral("Host Name or IP Address"), QStringLiteral("Label2"),
                               this);
    Label3 = RightAlignedLabel(QStringLiteral("User"), QStringLiteral("Label3"), this);
    Label4 = RightAlignedLabel(QStringLiteral("Password"), QStringLiteral("Label4"), this);
    Label5 = RightAlignedLabel(QStringLiteral("Database Type"), QStringLiteral("Label5"), this);
    txtAccount = Named(new QLineEdit(this), QStringLiteral("txtAccount"));
    txtIP = Named(new QLineEdit(this), QStringLiteral("txtIP"));
    txtUser = Named(new QLineEdit(this), QStringLiteral("txtUser"));
    txtPassword = Named(new QLineEdit(this), QStringLiteral("txtPassword"));
    MaskCharacterStyle::Apply(*txtPassword, u'#');
    cmbDBType = Named(new QComboBox(this), QStringLiteral("cmbDBType"));
    DatabaseTypeBox::Prepare(*cmbDBType);
    cmdSave = Named(new QPushButton(QStringLiteral("Save"), this), QStringLiteral("cmdSave"));
    // The only button, so Enter saves wherever the focus is.
    cmdSave->setDefault(true);

    auto* fields = new QGridLayout;
    const std::pair<QLabel*, QWidget*> rows[] = {
        {Label1, txtAccount},  {Label2, txtIP},     {Label3, txtUser},
        {Label4, txtPassword}, {Label5, cmbDBType},
    };
    int row = 0;
    for (const auto& [label, field] : rows) {
        fields->addWidget(label, row, 0);
        fields->addWidget(field, row, 1);
        ++row;
    }
    fields->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);

    setTabOrder(txtAccount, txtIP);
    setTabOrder(txtIP, cmdSave);
    setTabOrder(cmdSave, txtUser);
    setTabOrder(txtUser, txtPassword);
    setTabOrder(txtPassword, cmbDBType);
    txtAccount->setFocus();

    connect(cmdSave, &QPushButton::clicked, this, &frmSetup::cmdSave_Click);
}

void frmSetup::Form_Load() {
    DatabaseTypeBox::AddItems(*cmbDBType);
    txtAccount->setText(settings_.Read(SettingsFile::kAccount));
    txtIP->setText(settings_.Read(SettingsFile::kIpAddress));
    txtUser->setText(settings_.Read(SettingsFile::kUser));
    txtPassword->setText(settings_.Read(SettingsFile::kPassword));
    DatabaseTypeBox::SetText(*cmbDBType, settings_.Read(SettingsFile::kDatabaseType));
}

void frmSetup::cmdSave_Click() {
    const ConnectionDefaults values{txtAccount->text(), txtIP->text(), txtUser->text(),
                                    txtPassword->text(), cmbDBType->currentText()};
    struct Entry {
        const QString& key;
        const QString& value;
        QLabel* label;
        QWidget* field;
    };
    const Entry entries[] = {
        {SettingsFile::kAccount, values.account, Label1, txtAccount},
        {SettingsFile::kIpAddress, values.hostName, Label2, txtIP},
        {SettingsFile::kUser, values.user, Label3, txtUser},
        {SettingsFile::kPassword, values.password, Label4, txtPassword},
        {SettingsFile::kDatabaseType, values.databaseType, Label5, cmbDBType},
    };
    // Every value is checked before the first is written: a value that would not read
    // back as typed leaves the file as it was and the dialog open to correct it.
    for (const Entry& entry : entries) {
        if (const auto refusal = SettingsFile::RefusalOf(entry.value)) {
            dialogs_.MsgBox(RefusalMessage(entry.label->text(), entry.value, *refusal),
                            ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
            entry.field->setFocus();
            return;
        }
    }
    bool allWritten = true;
    for (const Entry& entry : entries) {
        if (!settings_.Write(entry.key, entry.value)) {
            allWritten = false;
        }
    }
    // A failed write must not pass for a saved one; the values still serve this login.
    if (!allWritten) {
        dialogs_.MsgBox(QStringLiteral("The default values could not be saved to %1.\n"
                                       "They are used for this login only.")
                            .arg(QDir::toNativeSeparators(settings_.path())),
                        ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
    }
    emit saved(values);
    accept();
}
