// SPDX-License-Identifier: MIT
#include "platform/ui/QtDialogs.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {
namespace {

// The title as the window system should show it. Qt treats "[*]" in a window title as
// the "modified" placeholder and drops it; a doubled "[*][*]" shows as one literal
// "[*]". Most platforms show the application's name for an empty title, so an empty
// title becomes a single blank, which looks the same as no title.
QString windowTitleFor(const QString& title) {
    if (title.isEmpty()) {
        return QStringLiteral(" ");
    }
    QString shown = title;
    shown.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return shown;
}

QMessageBox::Icon messageBoxIcon(Icon icon) {
    switch (icon) {
        case Icon::Critical:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons all;
    QMessageBox::StandardButton first;   // the default button
    QMessageBox::StandardButton escape;  // Escape and the window's close button
};

ButtonSet buttonSet(Buttons buttons) {
    switch (buttons) {
        case Buttons::OKCancel:
            return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
        case Buttons::YesNo:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No};
        case Buttons::YesNoCancel:
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                    QMessageBox::Cancel};
        case Buttons::OK:
            break;
    }
    return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
}

QMessageBox::StandardButton standardButtonFor(Answer answer) {
    switch (answer) {
        case Answer::Yes:
            return QMessageBox::Yes;
        case Answer::No:
            return QMessageBox::No;
        case Answer::Cancel:
            return QMessageBox::Cancel;
        case Answer::OK:
            break;
    }
    return QMessageBox::Ok;
}

Answer answerFor(int clicked, QMessageBox::StandardButton escape) {
    switch (clicked) {
        case QMessageBox::Ok:
            return Answer::OK;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        default:
            break;
    }
    // Not one of our buttons (closed some other way): the answer Escape would give.
    return answerFor(escape, QMessageBox::Ok);
}

}  // namespace

QtDialogs::~QtDialogs() {
    SetHourglass(false);
}

// While a box is up during long work, the user gets the ordinary pointer to answer it.
class QtDialogs::NormalPointerForBox {
public:
    explicit NormalPointerForBox(bool hourglass) : hourglass_(hourglass) {
        if (hourglass_) {
            QApplication::restoreOverrideCursor();
        }
    }
    ~NormalPointerForBox() {
        if (hourglass_) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
    NormalPointerForBox(const NormalPointerForBox&) = delete;
    NormalPointerForBox& operator=(const NormalPointerForBox&) = delete;

private:
    bool hourglass_;
};

Answer QtDialogs::ShowMessage(const QString& prompt, Buttons buttons, Icon icon,
                              const QString& title, std::optional<Answer> defaultButton,
                              const QString& detail) {
    const NormalPointerForBox pointer(hourglass_);
    const ButtonSet set = buttonSet(buttons);
    QMessageBox box(messageBoxIcon(icon), windowTitleFor(title), prompt, set.all,
                    QApplication::activeWindow());
    // The prompt is shown as typed; "<b>" in an item id must not turn into bold text.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton ? standardButtonFor(*defaultButton) : set.first);
    box.setEscapeButton(set.escape);
    if (!detail.isEmpty()) {
        box.setDetailedText(detail);
    }
    return answerFor(box.exec(), set.escape);
}

std::optional<QString> QtDialogs::InputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText) {
    const NormalPointerForBox pointer(hourglass_);
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(windowTitleFor(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

std::optional<QString> QtDialogs::SaveFileName(const QString& title, const QString& filter,
                                               const QString& initialPath) {
    const NormalPointerForBox pointer(hourglass_);
    // An empty title keeps the dialog's own ("Save As"), as the system dialog does.
    const QString path =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), title, initialPath, filter);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

int QtDialogs::RunModal(QDialog& form) {
    return form.exec();
}

std::optional<int> QtDialogs::ChooseFromList(const QString& prompt, const QString& title,
                                             const QStringList& entries, const QString& action) {
    const NormalPointerForBox pointer(hourglass_);
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(windowTitleFor(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(prompt, &dialog);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    auto* list = new QListWidget(&dialog);
    list->addItems(entries);
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    QPushButton* take = buttons->addButton(action, QDialogButtonBox::AcceptRole);
    take->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    dialog.resize(dialog.sizeHint().expandedTo(QSize(480, 320)));
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) {
        return std::nullopt;
    }
    return list->currentRow();
}

void QtDialogs::Beep() {
    QApplication::beep();
}

void QtDialogs::SetHourglass(bool on) {
    if (on == hourglass_) {
        return;
    }
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    hourglass_ = on;
}

void QtDialogs::ShowProgress(const QString& text) {
    if (!progress_) {
        progress_ = std::make_unique<QProgressDialog>(QApplication::activeWindow());
        progress_->setWindowTitle(kProgramTitle);
        progress_->setWindowModality(Qt::ApplicationModal);
        progress_->setCancelButton(nullptr);
        progress_->setRange(0, 0);  // a busy bar: the total is not known beforehand
        progress_->setMinimumDuration(0);
        progress_->show();
    }
    progress_->setLabelText(text);
    // Paint the note, but take no clicks or keys: the work in progress must finish
    // before anything else can start.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtDialogs::EndProgress() {
    progress_.reset();
}

}  // namespace ui
