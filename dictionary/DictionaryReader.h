// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct Variables;

namespace mv {
class DictionaryFile;
}

namespace dictionary {

class ViewSet;

// Selects every item of the dictionary named fileName, sorted as the database type
// asks, reads each through `file` and adds it to the view of its type. An item that
// cannot be read gets one error box and is left out; the read goes on. For a database
// type that is neither UniVerse nor UniData nothing is selected and nothing is read.
// Returns the number of ids the select list gave.
long long Read_Dictionary(Variables& vars, const QString& fileName, mv::DictionaryFile& file,
                          ViewSet& views);

}  // namespace dictionary
