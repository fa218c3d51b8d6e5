// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QString>

#include "dictionary/ItemLocks.h"
#include "dictionary/ShownRows.h"
#include "dictionary/ViewSet.h"

namespace mv {
class DictionaryFile;
}

namespace dictionary {

class ChangeJournal;

// The dictionary the grids show: its file object, through which every read, write and
// delete of items goes, and its view set. Both are replaced together by a successful
// open, so what the user sees and what a save writes to always belong to one file.
//
// `name` is the file name the dictionary was opened with. Every later action (saves,
// compiles, refreshes, exports, error reports) names this file, whatever the file name
// box holds by then.
struct OpenDictionary {
    QString name;
    std::shared_ptr<mv::DictionaryFile> file;
    std::shared_ptr<ViewSet> views = std::make_shared<ViewSet>();
    // The record of every change made to the account's items. Kept across opens of the
    // same account, so the changes of a dictionary opened before stay known.
    std::shared_ptr<ChangeJournal> journal;
    // What narrows and orders the grids; kept when another dictionary is opened.
    ShownRowsState shown;
    // The record locks the session holds in this dictionary.
    ItemLocks locks;
    // Its items cannot be written here: the grids take no typing.
    bool readOnly = false;

    bool IsOpen() const { return file != nullptr; }
};

}  // namespace dictionary
