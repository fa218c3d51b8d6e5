// SPDX-License-Identifier: MIT
#pragma once

#include "dictionary/GridNotes.h"
#include "editing/CompileOffer.h"
#include "editing/CopyUnderNewName.h"
#include "editing/DeleteHandler.h"
#include "editing/ItemDetailFollower.h"
#include "editing/ItemHistory.h"
#include "editing/LargerCellEditor.h"
#include "editing/RenameHandler.h"
#include "editing/RowLockFollower.h"
#include "editing/SaveHandler.h"
#include "editing/UndoHandler.h"
#include "platform/grid/ValueMarks.h"

class QObject;

namespace editing {

// The editing of dictionary items in one object: the grids' save and delete
// notifications, typing the grids refuse, copying and compiling, and settling pending
// rows before an open or a close. It shares the screen's state (the open dictionary, its
// grids) and owns none of it.
class EditingHandlers {
public:
    EditingHandlers(const dictionary::DictionaryContext& context,
                    dictionary::DictionaryOpener& opener)
        : vars_(context.vars),
          screen_(context.screen),
          open_(context.open),
          opener_(opener),
          notes_(context.open, context.screen),
          compile_(context),
          copy_(context, opener, compile_),
          save_(context, compile_, copy_),
          delete_(context),
          detail_(context),
          rowLocks_(context),
          largerEditor_(context),
          undo_(context, opener),
          rename_(context, opener),
          history_(context, opener) {}

    void TDBGrid1_BeforeSave(int viewIndex, bool* cancel) { save_.BeforeSave(viewIndex, cancel); }
    void TDBGrid1_AfterSave(int viewIndex) { save_.AfterSave(viewIndex); }
    void TDBGrid1_BeforeDelete(int viewIndex, bool* cancel) {
        delete_.BeforeDelete(viewIndex, cancel);
    }
    // After a grid removed rows: the phrase list follows a deleted phrase.
    void TDBGrid1_AfterDelete(int viewIndex);
    // A cell refused typed or pasted text: a beep, and the reason in the status line.
    void TDBGrid1_TextRefused(grid::CellRefusal why);

    // Connects the notifications of the screen's grids to these handlers, for as long as
    // receiver lives.
    // Gives the grids their notes (the form each column expects, the I and V items that
    // do not compile) and the lists of the S / M and conversion columns.
    void ConnectGrids(QObject* receiver);

    // "Compile All": compiles every I and V item of the open dictionary with CD, shows
    // the answer, and marks the items that still do not compile.
    void CompileAll();
    // Compiles the descriptors on the client again when the items changed since, and
    // marks the rows that do not compile. It runs after each save, delete and compile of
    // the grids; the grids also find out when they paint.
    void RefreshMarks() { notes_.Refresh(); }
    const dictionary::GridNotes& Notes() const { return notes_; }

    // The detail pane (F3): the text of the current row's item in the grid in front,
    // every field numbered, and who uses it and what it uses. ConnectGrids keeps it sent
    // to the screen (ShowItemDetail) as rows change; ShowItemDetail sends it at once, for
    // when another tab comes to the front or the pane is shown.
    QString CurrentItemDetail() const { return detail_.CurrentDetail(); }
    void ShowItemDetail() { detail_.ShowCurrent(); }

    // Shift+F2 on a grid (ConnectGrids connects it): the current cell of the view's grid
    // in a larger editor; OK types its text into the cell.
    void EditCellInLargerEditor(int viewIndex) { largerEditor_.Edit(viewIndex); }

    // The Open button: settles the pending rows, then opens the named dictionary.
    void OpenAfterSettling();

    // Before another dictionary is opened: settles the rows left pending in the grids,
    // which the open would drop. False when a row is still pending; its tab is then in
    // front and the user is told why the open did not go on.
    bool SettleBeforeOpen();
    // Before the window closes: when rows are changed and not saved, asks whether to
    // save them. False keeps the window open (Cancel, or a row that stays pending).
    bool SettleBeforeClose();

    // Edit > Undo (Ctrl+Z) and Edit > Redo (Ctrl+Shift+Z): the last change of this run to
    // the open dictionary, and the last one undone. True when one was made.
    bool Undo() { return MarkedAfter(undo_.Undo()); }
    bool Redo() { return MarkedAfter(undo_.Redo()); }
    // The captions of those menu entries, such as "Undo save of QTY"; empty (the entry
    // disabled) when there is nothing to undo or redo.
    QString UndoText() { return undo_.UndoText(); }
    QString RedoText() { return undo_.RedoText(); }
    // Edit > Rename...: the item of the current row of the view's grid gets a new name.
    // True when it was renamed.
    bool Rename(int viewIndex) { return MarkedAfter(rename_.Rename(viewIndex)); }
    // Edit > Copy As...: the current row of the view's grid under a new name.
    void CopyAs(int viewIndex) {
        save_.CopyAs(viewIndex);
        RefreshMarks();
    }
    // "History of a deleted item...": the versions of an item the journal saw deleted.
    void ShowDeletedHistory() { history_.ShowDeleted(); }
    // "History..." on a grid's context menu: the versions of the item of its current row.
    void ShowHistory(int viewIndex) {
        history_.Show(viewIndex);
        RefreshMarks();
    }

    // The compile offer that follows a save, for other flows that write items.
    CompileOffer& Compiler() { return compile_; }

private:
    // The items an undo or a restore wrote may compile differently now.
    bool MarkedAfter(bool changed) {
        RefreshMarks();
        return changed;
    }

    Variables& vars_;
    dictionary::DictionaryScreen& screen_;
    dictionary::OpenDictionary& open_;
    dictionary::DictionaryOpener& opener_;
    dictionary::GridNotes notes_;
    CompileOffer compile_;
    CopyUnderNewName copy_;
    SaveHandler save_;
    DeleteHandler delete_;
    ItemDetailFollower detail_;
    RowLockFollower rowLocks_;
    LargerCellEditor largerEditor_;
    UndoHandler undo_;
    RenameHandler rename_;
    ItemHistory history_;
};

}  // namespace editing
