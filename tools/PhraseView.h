// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QStringList>

#include "dictionary/DictionaryScreen.h"

namespace dictionary {
class DictionaryOpener;
}

namespace tools {

// The phrase list's choices. "All (Refresh)", the first entry, reads the dictionary again
// and binds all four grids to the fresh rows. Any other entry narrows the A/S and D/I/V
// grids to the items its phrase names: each grid is bound to a filtered copy of its view's
// rows, and the view set keeps its own rows as they are. A row saved, deleted or given an
// association in a narrowed grid changes the view's own rows too, so every view shows
// what the account holds.
class PhraseView {
public:
    PhraseView(const dictionary::DictionaryContext& context, dictionary::DictionaryOpener& opener)
        : open_(context.open), screen_(context.screen), opener_(opener) {}

    // The user picked entry `index` of cmbPhrase.
    void cmbPhrase_Click(int index);

private:
    void Refresh();
    void Narrow(const QString& chosen);
    // The words of the last PH row named `chosen`, or nullopt when no row is.
    std::optional<QStringList> WordsOf(const QString& chosen) const;

    dictionary::OpenDictionary& open_;
    dictionary::DictionaryScreen& screen_;
    dictionary::DictionaryOpener& opener_;
};

}  // namespace tools
