// SPDX-License-Identifier: MIT
// The dictionary screen and the dialogs of the window for benchmarks that time the
// window's handlers without the window: four grids in tabs, offscreen.
#pragma once

#include <array>
#include <optional>

#include <QStringList>
#include <QWidget>

#include "dictionary/DictionaryScreen.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/TabControl.h"

namespace bench {

// Answers every box as a user going ahead would (Yes to a question, OK elsewhere), picks
// nothing from a list, types nothing, and counts the boxes shown.
class GoAheadDialogs : public ui::Dialogs {
public:
    int boxes = 0;
    ui::Answer ShowMessage(const QString&, ui::Buttons buttons, ui::Icon, const QString&,
                           std::optional<ui::Answer>, const QString&) override;
    std::optional<int> ChooseFromList(const QString&, const QString&, const QStringList&,
                                      const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> SaveFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int RunModal(QDialog&) override { return 0; }
    void Beep() override {}
    void SetHourglass(bool) override {}
    void ShowProgress(const QString&) override {}
    void EndProgress() override {}
};

// The grids of the main window in tabs, shown at the window's first size, without the window.
class BenchScreen : public dictionary::DictionaryScreen {
public:
    BenchScreen();
    const std::array<grid::DataGrid*, dictionary::kViewCount>& Grids() const override {
        return grids_;
    }
    grid::DropDownList* DataTypeList(dictionary::ViewKind view) const override;
    QString FileNameText() const override { return fileName_; }
    void SetFileNameText(const QString& name) override { fileName_ = name; }
    void SetFileNameChoices(const QStringList&) override {}
    void SetViewCaption(dictionary::ViewKind, const QString&) override {}
    QStringList PhraseEntries() const override { return entries_; }
    void SetPhraseEntries(const QStringList& entries, const QString&) override {
        entries_ = entries;
    }
    void ShowCompileAnswer(const QString&) override {}
    void HideCompileAnswer() override {}
    void ShowView(dictionary::ViewKind view, bool) override;
    void ShowStatus(const QString&, int) override {}
    void ShowOpenDictionary(const QString&) override {}

private:
    QWidget host_;
    ui::TabControl tabs_{&host_};
    std::array<grid::DataGrid*, dictionary::kViewCount> grids_{};
    std::array<grid::DropDownList*, 2> lists_{};
    QString fileName_;
    QStringList entries_;
};

}  // namespace bench
