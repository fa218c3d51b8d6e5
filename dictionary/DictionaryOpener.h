// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "dictionary/DictionaryScreen.h"

namespace dictionary {

// Opens the dictionary named in the file name box and shows its items: the file, a fresh
// view set, the read, the phrase list, the "@EMPTY.NULL" descriptor on UniVerse, and the
// four grids bound to the new rows. A failed open changes nothing: the dictionary shown
// before stays open, its name goes back into the file name box, and saving, deleting and
// the tools go on working on it.
class DictionaryOpener {
public:
    explicit DictionaryOpener(const DictionaryContext& context) : context_(context) {}

    // True when the new dictionary is open.
    bool cmdOpen_Click();
    // Opens the open dictionary again, as a fresh open of its name would.
    bool Reopen();
    // Reads the open dictionary's items again into a fresh view set and binds the grids
    // to it; the file object stays. The one read that Open and "All (Refresh)" share.
    void ReadAgain();

private:
    bool OpenNamed(const QString& fileName);
    // Reads the items of the open file into a fresh view set (nothing for a database
    // type that is neither UniVerse nor UniData), fills the phrase list and binds.
    void ReadInto(const QString& fileName, mv::DictionaryFile& file);
    void BindGrids();
    void PutOpenNameBack();
    void ShowOpenDictionary();

    DictionaryContext context_;
};

}  // namespace dictionary
