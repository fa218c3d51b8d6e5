// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

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

    // A modal message box; returns the button pressed (Cancel or No when closed). Its
    // default button, the one Enter presses, is the first of its buttons.
    Answer MsgBox(const QString& prompt, Buttons buttons, Icon icon, const QString& title) {
        return ShowMessage(prompt, buttons, icon, title, std::nullopt, QString());
    }
    // The same with another of its buttons as the default, for a question whose first
    // answer would be the one that cannot be taken back.
    Answer MsgBox(const QString& prompt, Buttons buttons, Icon icon, const QString& title,
                  Answer defaultButton) {
        return ShowMessage(prompt, buttons, icon, title, defaultButton, QString());
    }
    // The same with a longer text the user can unfold under the prompt (the box's
    // "Show Details..."), for what would crowd the prompt itself.
    Answer MsgBoxWithDetail(const QString& prompt, Buttons buttons, Icon icon, const QString& title,
                            const QString& detail) {
        return ShowMessage(prompt, buttons, icon, title, std::nullopt, detail);
    }
    // A question with both: its own default button and a longer text.
    Answer MsgBoxWithDetail(const QString& prompt, Buttons buttons, Icon icon, const QString& title,
                            Answer defaultButton, const QString& detail) {
        return ShowMessage(prompt, buttons, icon, title, defaultButton, detail);
    }
    // A modal input box; nullopt when the user cancelled.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
    // A file dialog asking for a file to save to; nullopt when cancelled.
    virtual std::optional<QString> SaveFileName(const QString& title, const QString& filter,
                                                const QString& initialPath) = 0;
    // Shows one of the program's own forms modally and returns its QDialog result. A form
    // larger than the free area of its screen (a small screen, a large scale factor) is
    // made to fit first, so none of its buttons opens off the screen.
    int ShowModal(QDialog& form);
    virtual void Beep() = 0;
    // The hourglass pointer on (true) or the default pointer back (false).
    virtual void SetHourglass(bool on) = 0;
    // A modal progress note for long work: shown (or updated) with the text; the user
    // can start nothing else while it is up. EndProgress takes it away.
    virtual void ShowProgress(const QString& text) = 0;
    virtual void EndProgress() = 0;
    // A modal list to pick one entry from, with the prompt above it and `action` as the
    // caption of the button that takes the pick; the index picked, or nullopt when the
    // user cancelled. `entries` is never empty.
    virtual std::optional<int> ChooseFromList(const QString& prompt, const QString& title,
                                              const QStringList& entries,
                                              const QString& action) = 0;

protected:
    // Shows the form, already fitted to its screen, modally.
    virtual int RunModal(QDialog& form) = 0;
    // Shows the box; nullopt leaves the default button to the box's first button, and
    // an empty detail shows none.
    virtual Answer ShowMessage(const QString& prompt, Buttons buttons, Icon icon,
                               const QString& title, std::optional<Answer> defaultButton,
                               const QString& detail) = 0;
};

}  // namespace ui
