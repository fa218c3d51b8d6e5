// SPDX-License-Identifier: MIT
#pragma once

#include "tools/ChildTable.h"
#include "tools/DictionaryExporter.h"
#include "tools/FindAndSort.h"
#include "tools/PhraseView.h"

namespace tools {

// The main window's tools in one object: child tables, the phrase view, the export, and
// the find and the column sorting.
// They share the window's state (the open dictionary, its controls) and own none of it.
class DictionaryTools {
public:
    DictionaryTools(const dictionary::DictionaryContext& context,
                    dictionary::DictionaryOpener& opener)
        : childTable_(context),
          phraseView_(context, opener),
          exporter_(context),
          findAndSort_(context) {}

    void cmdMakeChild_Click() { childTable_.cmdMakeChild_Click(); }
    void cmbPhrase_Click(int index) { phraseView_.cmbPhrase_Click(index); }
    void cmdExport_Click() { exporter_.cmdExport_Click(); }
    bool SetFindText(const QString& text) { return findAndSort_.SetFindText(text); }
    const QString& FindText() const { return findAndSort_.FindText(); }
    void HeaderClicked(int viewIndex, int column) { findAndSort_.HeaderClicked(viewIndex, column); }
    // Follows the screen's grids for as long as receiver lives.
    void ConnectGrids(QObject* receiver) { findAndSort_.Connect(receiver); }

private:
    ChildTable childTable_;
    PhraseView phraseView_;
    DictionaryExporter exporter_;
    FindAndSort findAndSort_;
};

}  // namespace tools
