// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QString>

#include "dictionary/DictionaryScreen.h"

namespace core {
struct JournalEntry;
}
namespace dictionary {
class ChangeJournal;
class DictionaryOpener;
}  // namespace dictionary

namespace editing {

// Undo and redo of this run's changes to the items of the open dictionary.
//
// Every save, delete, copy, rename and child-table write of the run is journaled; each one
// the account took (each item a child table wrote counts as its own change; the items a
// rename wrote and deleted are one change) can be undone:
// the item gets its bytes from before the change back, an item the change created is
// deleted, a deleted one is written back. Undo and redo work on the open dictionary:
// the changes of another file (or account) stay in the list, to be undone once it is
// open again. An undo goes through the same check as a save: when the account no longer
// holds what the change wrote, the user is asked before it is written over. The undo is
// journaled itself, and can be redone until a new change of the same dictionary is made.
//
// A row left pending in a grid is settled first (the "Save?" question) and the undo goes
// no further: the settled row is the user's newest change, undone by the next undo.
class UndoHandler {
public:
    UndoHandler(const dictionary::DictionaryContext& context, dictionary::DictionaryOpener& opener)
        : context_(context), opener_(opener) {}

    // True when a change was undone (redone).
    bool Undo();
    bool Redo();
    // What the next undo (redo) would do, for the Edit menu: "Undo save of QTY", "Undo
    // delete of QTY", "Undo copy to QTY2", "Undo rename of QTY to AMOUNT"; empty when there is
    // nothing to undo (redo).
    QString UndoText();
    QString RedoText();

private:
    // One change, or the changes of a group (a rename), first to last.
    struct Step {
        std::shared_ptr<dictionary::ChangeJournal> journal;
        std::uint64_t sequence = 0;
        std::uint64_t last = 0;
    };
    enum class Direction { Back, Forward };

    bool Move(Direction direction);
    // Takes the changes of the run that the journal recorded since the last look.
    void Collect();
    struct Seen {
        std::shared_ptr<dictionary::ChangeJournal> journal;
        std::size_t entries = 0;  // how many of its changes of this run were looked at
        bool problemTold = false;
    };
    void CollectFrom(Seen& seen);
    // The newest step of the list that belongs to the open dictionary, or -1.
    int NewestOfOpen(const std::vector<Step>& steps) const;
    QString Describe(const std::vector<Step>& steps, const QString& verb);
    void TellNothingTo(const QString& verb, const std::vector<Step>& steps);
    static const core::JournalEntry& EntryOf(const Step& step);
    static QString WhatStepChanged(const Step& step);
    // Puts back every change of the step, newest first for an undo; when one cannot be,
    // the ones already put back are made again, so the step is whole or not at all.
    bool PutBackStep(const Step& step, bool back);

    dictionary::DictionaryContext context_;
    dictionary::DictionaryOpener& opener_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    std::vector<Seen> journals_;
};

}  // namespace editing
