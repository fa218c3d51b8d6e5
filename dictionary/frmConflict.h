// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QStringList>

#include "core/FieldMerge.h"
#include "dictionary/AccountCheck.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace dictionary {

// The window for an item the account changed after it was read: one line per field that
// differs, as read, as the account holds it and as this change would make it, and who
// changed it. Fields only one side changed merge; a field both changed differently is
// marked and settled by a click on the version to keep, or Enter or Space on it. The
// answer is one of Merge, Write mine, Keep theirs or Cancel.
class frmConflict : public QDialog {
public:
    // captions: the item's view's column captions (column n names field n); may be empty.
    frmConflict(const QString& itemId, ChangeKind kind, const ItemVersions& versions,
                const QStringList& captions, QWidget* parent = nullptr);
    // The same window for a write under an id the account holds already: two columns,
    // the item there and yours, and Replace (answer Overwrite) or Cancel.
    frmConflict(const QString& itemId, const std::string& existing, const std::string& yours,
                const QStringList& captions, QWidget* parent = nullptr);

    // KeepPending when the window was closed without a button.
    ChangedAnswer Answer() const { return answer_; }
    // The record Merge writes: the account's version with this change's fields on top
    // and the chosen version of each field both changed. nullopt while a choice is open.
    std::optional<std::string> Merged() const;
    bool MergeAllowed() const;

    // Columns of the field table.
    static constexpr int kAsReadColumn = 0;
    static constexpr int kAccountColumn = 1;
    static constexpr int kYoursColumn = 2;
    static constexpr int kChangedByColumn = 3;

protected:
    // Enter and Space on a cell of the table pick that version while a field waits for a
    // choice, instead of pressing the window's default button.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build(const QString& prompt, ChangeKind kind, const QStringList& captions);
    void Choose(int row, int column);
    void ShowChoice(int row);
    void Finish(ChangedAnswer answer);

    ItemVersions versions_;
    core::MergePlan plan_;
    bool mergeable_ = false;  // both sides hold the item: there is something to merge
    // Per line of plan_.fields, for a field both changed: the side chosen (nullopt: none).
    std::vector<std::optional<int>> choices_;
    ChangedAnswer answer_ = ChangedAnswer::KeepPending;

    QLabel* lblPrompt_ = nullptr;
    QTableWidget* tblFields_ = nullptr;
    QPushButton* cmdMerge_ = nullptr;
    QPushButton* cmdWriteMine_ = nullptr;
    QPushButton* cmdKeepTheirs_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace dictionary
