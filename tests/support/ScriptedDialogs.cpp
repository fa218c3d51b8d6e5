// SPDX-License-Identifier: MIT
#include "tests/support/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <vector>

#include <QDialog>

namespace {

// The answer a user could not give wrongly: Cancel where there is one, else No, else OK.
ui::Answer safestAnswer(ui::Buttons buttons) {
    switch (buttons) {
        case ui::Buttons::OKCancel:
        case ui::Buttons::YesNoCancel:
            return ui::Answer::Cancel;
        case ui::Buttons::YesNo:
            return ui::Answer::No;
        case ui::Buttons::OK:
            break;
    }
    return ui::Answer::OK;
}

bool offers(ui::Buttons buttons, ui::Answer answer) {
    switch (buttons) {
        case ui::Buttons::OK:
            return answer == ui::Answer::OK;
        case ui::Buttons::OKCancel:
            return answer == ui::Answer::OK || answer == ui::Answer::Cancel;
        case ui::Buttons::YesNo:
            return answer == ui::Answer::Yes || answer == ui::Answer::No;
        case ui::Buttons::YesNoCancel:
            return answer != ui::Answer::OK;
    }
    return false;
}

// Any button the box offers, each as likely as the others.
ui::Answer anyAnswer(ui::Buttons buttons, std::mt19937_64& random) {
    static constexpr ui::Answer kAll[] = {ui::Answer::OK, ui::Answer::Cancel, ui::Answer::Yes,
                                          ui::Answer::No};
    std::vector<ui::Answer> offered;
    for (const ui::Answer answer : kAll) {
        if (offers(buttons, answer)) {
            offered.push_back(answer);
        }
    }
    std::uniform_int_distribution<std::size_t> pick(0, offered.size() - 1);
    return offered[pick(random)];
}

std::string quoted(const QString& text) {
    return '"' + text.toStdString() + '"';
}

}  // namespace

bool ScriptedDialogs::allAnswersUsed() const {
    return answers_.empty() && inputs_.empty() && fileNames_.empty() && forms_.empty() &&
           choices_.empty();
}

void ScriptedDialogs::clear() {
    answers_.clear();
    inputs_.clear();
    fileNames_.clear();
    forms_.clear();
    choices_.clear();
    shown_.clear();
    randomAnswers_.clear();
    beeps_ = 0;
    hourglass_ = false;
}

ui::Answer ScriptedDialogs::ShowMessage(const QString& prompt, ui::Buttons buttons, ui::Icon icon,
                                        const QString& title,
                                        std::optional<ui::Answer> defaultButton,
                                        const QString& detail) {
    shown_.push_back(
        {Kind::MsgBox, prompt, buttons, icon, title, {}, defaultButton, detail, {}, {}});
    if (defaultButton && !offers(buttons, *defaultButton)) {
        ADD_FAILURE() << "Message box " << quoted(prompt) << " has no button for its default";
    }
    if (answers_.empty() && random_ != nullptr) {
        const ui::Answer answer = anyAnswer(buttons, *random_);
        static const char* const kNames[] = {"OK", "Cancel", "Yes", "No"};
        randomAnswers_[shown_.size() - 1] = QString::fromLatin1(kNames[static_cast<int>(answer)]);
        return answer;
    }
    if (answers_.empty()) {
        ADD_FAILURE() << "Message box " << quoted(prompt) << " (title " << quoted(title)
                      << ") shown with no answer queued";
        return safestAnswer(buttons);
    }
    const ui::Answer answer = answers_.front();
    answers_.pop_front();
    if (!offers(buttons, answer)) {
        ADD_FAILURE() << "Message box " << quoted(prompt) << " has no button for the queued answer "
                      << static_cast<int>(answer);
    }
    return answer;
}

namespace {

// Taken apart rather than moved whole: GCC's optimiser wrongly warns that a moved
// std::optional<QString> may be used uninitialised.
std::optional<QString> TakeFront(std::deque<std::optional<QString>>& queue) {
    const bool given = queue.front().has_value();
    const QString text = given ? *queue.front() : QString();
    queue.pop_front();
    if (!given) {
        return std::nullopt;
    }
    return text;
}

}  // namespace

std::optional<QString> ScriptedDialogs::InputBox(const QString& prompt, const QString& title,
                                                 const QString& defaultText) {
    shown_.push_back({Kind::InputBox,
                      prompt,
                      ui::Buttons::OKCancel,
                      ui::Icon::None,
                      title,
                      defaultText,
                      {},
                      {},
                      {},
                      {}});
    if (inputs_.empty() && random_ != nullptr) {
        const std::optional<QString> input = randomInput_ ? randomInput_(prompt) : std::nullopt;
        randomAnswers_[shown_.size() - 1] =
            input ? QLatin1Char('"') + *input + QLatin1Char('"') : QStringLiteral("Cancel");
        return input;
    }
    if (inputs_.empty()) {
        ADD_FAILURE() << "Input box " << quoted(prompt) << " shown with no input queued";
        return std::nullopt;
    }
    return TakeFront(inputs_);
}

std::optional<QString> ScriptedDialogs::SaveFileName(const QString& title, const QString&,
                                                     const QString& initialPath) {
    shown_.push_back({Kind::SaveFileName,
                      title,
                      ui::Buttons::OKCancel,
                      ui::Icon::None,
                      title,
                      initialPath,
                      {},
                      {},
                      {},
                      {}});
    if (fileNames_.empty() && random_ != nullptr) {
        return std::nullopt;
    }
    if (fileNames_.empty()) {
        ADD_FAILURE() << "File dialog " << quoted(title) << " shown with no file name queued";
        return std::nullopt;
    }
    return TakeFront(fileNames_);
}

std::optional<int> ScriptedDialogs::ChooseFromList(const QString& prompt, const QString& title,
                                                   const QStringList& entries,
                                                   const QString& action) {
    shown_.push_back({Kind::ChooseFromList,
                      prompt,
                      ui::Buttons::OKCancel,
                      ui::Icon::None,
                      title,
                      {},
                      {},
                      {},
                      entries,
                      action});
    if (entries.isEmpty()) {
        ADD_FAILURE() << "List " << quoted(prompt) << " shown with no entries";
    }
    if (choices_.empty() && random_ != nullptr && !entries.isEmpty()) {
        // Cancel about as often as any one entry.
        const int pick =
            std::uniform_int_distribution<int>(-1, static_cast<int>(entries.size()) - 1)(*random_);
        randomAnswers_[shown_.size() - 1] =
            pick < 0 ? QStringLiteral("Cancel") : QStringLiteral("entry %1").arg(pick);
        return pick < 0 ? std::nullopt : std::optional<int>(pick);
    }
    if (choices_.empty()) {
        ADD_FAILURE() << "List " << quoted(prompt) << " shown with no choice queued";
        return std::nullopt;
    }
    const std::optional<int> choice = choices_.front();
    choices_.pop_front();
    if (choice && (*choice < 0 || *choice >= entries.size())) {
        ADD_FAILURE() << "List " << quoted(prompt) << " has no entry " << *choice;
        return std::nullopt;
    }
    return choice;
}

int ScriptedDialogs::RunModal(QDialog& form) {
    shown_.push_back({Kind::Modal,
                      form.objectName(),
                      ui::Buttons::OK,
                      ui::Icon::None,
                      form.windowTitle(),
                      {},
                      {},
                      {},
                      {},
                      {}});
    if (forms_.empty() && random_ != nullptr) {
        // As a user who presses Escape: the form changes nothing.
        randomAnswers_[shown_.size() - 1] = QStringLiteral("closed");
        return QDialog::Rejected;
    }
    if (forms_.empty()) {
        ADD_FAILURE() << "Form " << quoted(form.objectName()) << " shown with no script queued";
        return QDialog::Rejected;
    }
    const FormScript script = std::move(forms_.front());
    forms_.pop_front();

    // As exec() does: a fresh result, the form on screen (so its show handlers run and
    // focus settles) for as long as the script needs it.
    form.setResult(QDialog::Rejected);
    form.show();
    script(form);
    if (form.isVisible()) {
        ADD_FAILURE() << "Form " << quoted(form.objectName())
                      << " was still open when its script ended";
        form.reject();
    }
    return form.result();
}
