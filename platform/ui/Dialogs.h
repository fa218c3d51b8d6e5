// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QString>

class QDialog;

namespace ui {

enum class Buttons { OK, OKCancel, YesNo, YesNoCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Answer { OK, Cancel, Yes, No };

// The program's title, shown by boxes that give no title of their own.
inline const QString kProgramTitle = QStringLiteral("Kelvora");

// Every box, prompt, beep and pointer change of the program goes through this
// interface: QtDialogs shows real ones, tests script the answers and read back what
// was shown. Program logic never calls a Qt dialog directly.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message box; returns the button pressed (Cancel or No when closed).
    virtual Answer MsgBox(const QString& prompt, Buttons buttons, Icon icon,
                          const QString& title) = 0;
    // A modal input box; nullopt when the user cancelled.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
    // A file dialog asking for a file to save to; nullopt when cancelled.
    virtual std::optional<QString> SaveFileName(const QString& title, const QString& filter,
                                                const QString& initialPath) = 0;
    // Shows one of the program's own forms modally and returns its QDialog result.
    virtual int ShowModal(QDialog& form) = 0;
    virtual void Beep() = 0;
    // The hourglass pointer on (true) or the default pointer back (false).
    virtual void SetHourglass(bool on) = 0;
    // A modal progress note for long work: shown (or updated) with the text; the user
    // can start nothing else while it is up. EndProgress takes it away.
    virtual void ShowProgress(const QString& text) = 0;
    virtual void EndProgress() = 0;
};

}  // namespace ui
