// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>

#include "platform/ui/Dialogs.h"

// Dialogs for tests: answers come from queues the test fills beforehand, and every box
// shown is recorded so a test can assert the exact words, buttons, icon and title the
// user would have seen. A box shown with no answer queued fails the running test and
// gets the safest answer (Cancel/No, a cancelled input box or file dialog).
class ScriptedDialogs : public ui::Dialogs {
public:
    enum class Kind { MsgBox, InputBox, SaveFileName, Modal, ChooseFromList };

    struct Shown {
        Kind kind;
        QString prompt;  // the message, the input prompt, the file dialog title,
                         // the form's objectName
        ui::Buttons buttons = ui::Buttons::OK;
        ui::Icon icon = ui::Icon::None;
        QString title;                            // a form's windowTitle
        QString defaultText;                      // input box default, file dialog initial path
        std::optional<ui::Answer> defaultButton;  // a message box's, when not its first
        QString detail;                           // a message box's detailed text
        QStringList entries;                      // a list's entries
        QString action;                           // a list's button that takes the pick
    };

    // What the next modal form does while "shown": the test fills fields and presses
    // buttons on it; ShowModal then returns the form's result. The form is shown while
    // its script runs, and must be closed (accepted, rejected or closed) by the time
    // the script ends, as a real modal form would be before exec() returns.
    using FormScript = std::function<void(QDialog&)>;

    // An answer that is not one of the box's buttons fails the test.
    void QueueAnswer(ui::Answer answer) { answers_.push_back(answer); }
    void QueueInput(std::optional<QString> text) { inputs_.push_back(std::move(text)); }
    void QueueFileName(std::optional<QString> path) { fileNames_.push_back(std::move(path)); }
    void QueueForm(FormScript script) { forms_.push_back(std::move(script)); }
    // The index a list box returns (nullopt: Cancel). An index outside the list fails
    // the test.
    void QueueChoice(std::optional<int> index) { choices_.push_back(index); }

    // For tests that use the program as a careless user would: a box with nothing
    // queued is answered at random instead of failing the test. A message box gets one
    // of its own buttons, an input box what `input` gives for its prompt (nullopt for
    // Cancel), a file dialog Cancel, a form with no script is closed
    // unchanged (Escape). Queued answers still come first. clear() leaves this mode on.
    using InputChooser = std::function<std::optional<QString>(const QString& prompt)>;
    void AnswerAtRandom(std::mt19937_64& random, InputChooser input) {
        random_ = &random;
        randomInput_ = std::move(input);
    }
    // What AnswerAtRandom answered to shown()[box], in words; empty for a box it did not
    // answer.
    QString RandomAnswerTo(std::size_t box) const {
        const auto found = randomAnswers_.find(box);
        return found == randomAnswers_.end() ? QString() : found->second;
    }

    const std::vector<Shown>& shown() const { return shown_; }
    int beeps() const { return beeps_; }
    bool hourglass() const { return hourglass_; }
    // True when every queued answer was used.
    bool allAnswersUsed() const;
    void clear();

    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    std::optional<QString> SaveFileName(const QString& title, const QString& filter,
                                        const QString& initialPath) override;
    void Beep() override { ++beeps_; }
    void SetHourglass(bool on) override { hourglass_ = on; }
    void ShowProgress(const QString& text) override { progress_.push_back(text); }
    void EndProgress() override { progressEnded_ = true; }
    std::optional<int> ChooseFromList(const QString& prompt, const QString& title,
                                      const QStringList& entries, const QString& action) override;
    const std::vector<QString>& progress() const { return progress_; }
    bool progressEnded() const { return progressEnded_; }

protected:
    int RunModal(QDialog& form) override;
    ui::Answer ShowMessage(const QString& prompt, ui::Buttons buttons, ui::Icon icon,
                           const QString& title, std::optional<ui::Answer> defaultButton,
                           const QString& detail) override;

private:
    std::deque<ui::Answer> answers_;
    std::deque<std::optional<QString>> inputs_;
    std::deque<std::optional<QString>> fileNames_;
    std::deque<FormScript> forms_;
    std::deque<std::optional<int>> choices_;
    std::vector<Shown> shown_;
    int beeps_ = 0;
    bool hourglass_ = false;
    std::vector<QString> progress_;
    bool progressEnded_ = false;
    std::mt19937_64* random_ = nullptr;
    InputChooser randomInput_;
    std::map<std::size_t, QString> randomAnswers_;
};
