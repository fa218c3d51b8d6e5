// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include <QString>
#include <QStringList>

#include "dictionary/ViewKind.h"

struct Variables;

namespace grid {
class DataGrid;
class DropDownList;
}  // namespace grid
namespace mv {
class DictionaryFile;
}

namespace dictionary {

struct OpenDictionary;

// What the handlers of the open dictionary see of the main window: the grids by view,
// the file name, the phrase list, the compiler's answer, the tabs and the status line.
// The window implements it; the handlers never reach its widgets any other way.
class DictionaryScreen {
public:
    virtual ~DictionaryScreen() = default;

    // The four grids, indexed as the views are.
    virtual const std::array<grid::DataGrid*, kViewCount>& Grids() const = 0;
    grid::DataGrid& Grid(ViewKind view) const {
        return *Grids()[static_cast<std::size_t>(ViewIndex(view))];
    }
    // The data-type list that edits the data-type column of a view (A/S or D/I/V).
    virtual grid::DropDownList* DataTypeList(ViewKind view) const = 0;

    virtual QString FileNameText() const = 0;
    virtual void SetFileNameText(const QString& name) = 0;
    // The account's file names, which the file name box offers as the user types.
    virtual void SetFileNameChoices(const QStringList& names) = 0;

    virtual QStringList PhraseEntries() const = 0;
    // Replaces the entries of the phrase list, showing `shown` in its box; this is not
    // a choice of the user's and starts nothing.
    virtual void SetPhraseEntries(const QStringList& entries, const QString& shown) = 0;

    // The compiler's answer, shown whole, as lines, until the next one or until hidden.
    virtual void ShowCompileAnswer(const QString& answer) = 0;
    virtual void HideCompileAnswer() = 0;

    // The detail of the current row's item, as lines of plain text (empty: no item),
    // sent whenever the current row or its item changes. A screen without a detail pane
    // ignores it.
    virtual void ShowItemDetail(const QString& /*detail*/) {}
    // False while the detail pane is hidden: the detail is then not worked out at all,
    // and is sent once the pane is shown.
    virtual bool ItemDetailShown() const { return true; }

    // The caption of a view's tab.
    virtual void SetViewCaption(ViewKind view, const QString& caption) = 0;

    // Brings the tab of a view to the front; with focus, its grid takes the focus too.
    virtual void ShowView(ViewKind view, bool focus = false) = 0;

    // The status line: a passing message (shown for shownMs, or until the next one when
    // 0), and the caption of the open dictionary that stays beside it.
    virtual void ShowStatus(const QString& message, int shownMs = 0) = 0;
    virtual void ShowOpenDictionary(const QString& caption) = 0;
};

// How long a passing note of the program's stays in the status line.
inline constexpr int kNoteShownMs = 10000;

// What every handler of the main window works with.
struct DictionaryContext {
    Variables& vars;
    OpenDictionary& open;
    DictionaryScreen& screen;
};

}  // namespace dictionary
