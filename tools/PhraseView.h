// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QStringList>

struct MainControls;
struct Variables;

namespace dictionary {
class DictionaryOpener;
struct OpenDictionary;
}  // namespace dictionary

namespace tools {

// The phrase list's choices. "All (Refresh)", the first entry, reads the dictionary again
// and binds all four grids to the fresh rows. Any other entry narrows the A/S and D/I/V
// grids to the items its phrase names: each grid is bound to a filtered copy of its view's
// rows, and the view set keeps its own rows as they are. A row saved, deleted or given an
// association in a narrowed grid changes the view's own rows too, so every view shows
// what the account holds.
class PhraseView {
public:
    PhraseView(Variables& vars, MainControls& controls, dictionary::OpenDictionary& open,
               dictionary::DictionaryOpener& opener)
        : vars_(vars), controls_(controls), open_(open), opener_(opener) {}

    // The user picked entry `index` of cmbPhrase.
    void cmbPhrase_Click(int index);
    // A click on the compiler's answer empties and hides it.
    void txtResult_Click();

private:
    void Refresh();
    void Narrow(const QString& chosen);
    // The words of the last PH row named `chosen`, or nullopt when no row is.
    std::optional<QStringList> WordsOf(const QString& chosen) const;

    Variables& vars_;
    MainControls& controls_;
    dictionary::OpenDictionary& open_;
    dictionary::DictionaryOpener& opener_;
};

}  // namespace tools
