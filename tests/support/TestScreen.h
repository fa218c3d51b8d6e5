// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <memory>

#include <QWidget>

#include "dictionary/DictionaryScreen.h"
#include "platform/ui/TabControl.h"

namespace grid {
class RowArray;
}

// The dictionary screen without the main window: the four grids in tabs with their
// data-type lists, as the window lays them out, and the file name, phrase list, compile
// answer and status line kept as plain values a test reads and sets.
class TestScreen : public dictionary::DictionaryScreen {
public:
    TestScreen();
    ~TestScreen() override;

    const std::array<grid::DataGrid*, dictionary::kViewCount>& Grids() const override {
        return grids_;
    }
    grid::DropDownList* DataTypeList(dictionary::ViewKind view) const override;
    QString FileNameText() const override { return fileName_; }
    void SetFileNameText(const QString& name) override { fileName_ = name; }
    void SetFileNameChoices(const QStringList& names) override { fileNameChoices_ = names; }
    void SetViewCaption(dictionary::ViewKind view, const QString& caption) override;
    QStringList PhraseEntries() const override { return phraseEntries_; }
    void SetPhraseEntries(const QStringList& entries, const QString& shown) override;
    void ShowCompileAnswer(const QString& answer) override;
    void HideCompileAnswer() override { compileAnswer_.clear(); }
    void ShowItemDetail(const QString& detail) override {
        itemDetail_ = detail;
        ++itemDetailsShown_;
    }
    void ShowView(dictionary::ViewKind view, bool focus = false) override;
    void ShowStatus(const QString& message, int shownMs = 0) override;
    void ShowOpenDictionary(const QString& caption) override { openCaption_ = caption; }

    // What the screen shows now.
    QString PhraseShown() const { return phraseShown_; }
    // The phrase list shows the entry the user picks, as a drop-down does.
    void PickPhrase(int index) { phraseShown_ = phraseEntries_.value(index); }
    // The compile answer; empty when none was shown since the last ClearCompileAnswer.
    QString CompileAnswer() const { return compileAnswer_; }
    void ClearCompileAnswer() { compileAnswer_.clear(); }
    int CurrentTab() const { return tabs_.Tab(); }
    QString TabCaption(int index) const { return tabs_.Caption(index); }
    QStringList FileNameChoices() const { return fileNameChoices_; }
    QString Status() const { return status_; }
    // The last item detail sent, and how many were sent.
    QString ItemDetail() const { return itemDetail_; }
    int ItemDetailsShown() const { return itemDetailsShown_; }
    QString OpenCaption() const { return openCaption_; }

private:
    QWidget host_;
    ui::TabControl tabs_{&host_};
    std::array<grid::DataGrid*, dictionary::kViewCount> grids_{};
    std::array<grid::DropDownList*, 2> lists_{};
    std::shared_ptr<grid::RowArray> dataTypes_;
    QString fileName_;
    QStringList fileNameChoices_;
    QStringList phraseEntries_;
    QString phraseShown_;
    QString compileAnswer_;
    QString itemDetail_;
    int itemDetailsShown_ = 0;
    QString status_;
    QString openCaption_;
};
