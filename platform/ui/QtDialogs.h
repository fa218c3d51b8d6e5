// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QProgressDialog>

#include "platform/ui/Dialogs.h"

namespace ui {

// The program's real boxes. Every box is application-modal and parented to the active
// window. Lives on the user-interface thread for the whole run; the hourglass it set is
// taken away when it is destroyed.
class QtDialogs : public Dialogs {
public:
    QtDialogs() = default;
    QtDialogs(const QtDialogs&) = delete;
    QtDialogs& operator=(const QtDialogs&) = delete;
    ~QtDialogs() override;

    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    std::optional<QString> SaveFileName(const QString& title, const QString& filter,
                                        const QString& initialPath) override;
    void Beep() override;
    // Works like a pointer property, not a stack: on twice and off once gives the
    // default pointer back, and off without on does nothing.
    void SetHourglass(bool on) override;
    void ShowProgress(const QString& text) override;
    void EndProgress() override;
    std::optional<int> ChooseFromList(const QString& prompt, const QString& title,
                                      const QStringList& entries, const QString& action) override;

protected:
    int RunModal(QDialog& form) override;
    Answer ShowMessage(const QString& prompt, Buttons buttons, Icon icon, const QString& title,
                       std::optional<Answer> defaultButton, const QString& detail) override;

private:
    class NormalPointerForBox;

    bool hourglass_ = false;
    std::unique_ptr<QProgressDialog> progress_;
};

}  // namespace ui
