// SPDX-License-Identifier: MIT
#include "app/frmOptions.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "connection/Variables.h"

namespace app {

frmOptions::frmOptions(const UserOptions& options, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    auto* layout = new QVBoxLayout(this);

    chkConfirmSaves_ = new QCheckBox(QStringLiteral("&Confirm saves"), this);
    chkConfirmSaves_->setObjectName(QStringLiteral("chkConfirmSaves"));
    chkConfirmSaves_->setToolTip(
        QStringLiteral("Ask \"Save?\" before a changed row is written. Off: leaving the row "
                       "saves it."));
    chkConfirmSaves_->setChecked(options.confirmSaves);
    layout->addWidget(chkConfirmSaves_);

    chkReportInStatusBar_ =
        new QCheckBox(QStringLiteral("&Report successful writes in the status bar"), this);
    chkReportInStatusBar_->setObjectName(QStringLiteral("chkReportInStatusBar"));
    chkReportInStatusBar_->setToolTip(
        QStringLiteral("Say a successful save, delete or copy in the status bar instead of "
                       "a box; the history lists every change either way."));
    chkReportInStatusBar_->setChecked(options.reportInStatusBar);
    layout->addWidget(chkReportInStatusBar_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

UserOptions frmOptions::Options() const {
    UserOptions options;
    options.confirmSaves = chkConfirmSaves_->isChecked();
    options.reportInStatusBar = chkReportInStatusBar_->isChecked();
    return options;
}

void EditOptions(Variables& vars, QWidget* parent) {
    frmOptions form(vars.options, parent);
    if (vars.dialogs.ShowModal(form) != QDialog::Accepted) {
        return;
    }
    vars.options = form.Options();
    if (!SaveUserOptions(vars.options)) {
        vars.dialogs.MsgBox(QStringLiteral("The options hold until Kelvora ends, but could not be "
                                           "kept for the next start: ") +
                                UserOptionsFile() + QStringLiteral(" cannot be written."),
                            ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Options"));
    }
}

}  // namespace app
