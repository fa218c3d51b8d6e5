// SPDX-License-Identifier: MIT
#pragma once

#include "tools/ChildTable.h"
#include "tools/DictionaryExporter.h"
#include "tools/PhraseView.h"

namespace tools {

// The main window's tools in one object: child tables, the phrase view and the export.
// They share the window's state (the open dictionary, its controls) and own none of it.
class DictionaryTools {
public:
    DictionaryTools(const dictionary::DictionaryContext& context,
                    dictionary::DictionaryOpener& opener)
        : childTable_(context), phraseView_(context, opener), exporter_(context) {}

    void cmdMakeChild_Click() { childTable_.cmdMakeChild_Click(); }
    void cmbPhrase_Click(int index) { phraseView_.cmbPhrase_Click(index); }
    void cmdExport_Click() { exporter_.cmdExport_Click(); }

private:
    ChildTable childTable_;
    PhraseView phraseView_;
    DictionaryExporter exporter_;
};

}  // namespace tools
