// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct MainControls;
struct Variables;

namespace dictionary {

struct OpenDictionary;

// Opens the dictionary named in txtFilename and shows its items: the file, a fresh view
// set, the read, the phrase list, the "@EMPTY.NULL" descriptor on UniVerse, and the four
// grids bound to the new rows. A failed open changes nothing: the dictionary shown
// before stays open, its name goes back into the file name box, and saving, deleting
// and the tools go on working on it.
class DictionaryOpener {
public:
    DictionaryOpener(Variables& vars, MainControls& controls, OpenDictionary& open)
        : vars_(vars), controls_(controls), open_(open) {}

    // True when the new dictionary is open.
    bool cmdOpen_Click();
    // Opens the open dictionary again, as a fresh open of its name would.
    bool Reopen();
    // Reads the open dictionary's items again into a fresh view set and binds the grids
    // to it; the file object stays.
    void ReadAgain();

    // Binds the four grids to the current view set and attaches the data-type lists.
    void BindGrids();

private:
    bool OpenNamed(const QString& fileName);
    void PutOpenNameBack();
    void ShowOpenDictionary();

    Variables& vars_;
    MainControls& controls_;
    OpenDictionary& open_;
};

}  // namespace dictionary
