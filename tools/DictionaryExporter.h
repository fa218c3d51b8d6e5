// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "core/DatabaseKind.h"
#include "dictionary/DictionaryScreen.h"

namespace tools {

// Exports the open dictionary to a file the user names: the items are selected and read
// from the account afresh (the grids and any narrowing play no part), one tab-separated
// line per item that can be read. The file takes its new contents whole when the export
// has written them all; a file that cannot be created or written is named with the
// reason, and the status bar tells how many items went to which file once it is done.
class DictionaryExporter {
public:
    explicit DictionaryExporter(const dictionary::DictionaryContext& context)
        : vars_(context.vars), open_(context.open), screen_(context.screen), context_(context) {}

    void cmdExport_Click();

private:
    enum class Outcome { Done, Failed, ConnectionLost };
    // One export of the open dictionary to path; a connection that drops on the way
    // leaves the file as it was.
    Outcome ExportTo(core::DatabaseKind kind, const QString& path);

    void ReportFileFailure(const QString& message, const QString& path, const std::string& reason);

    Variables& vars_;
    dictionary::OpenDictionary& open_;
    dictionary::DictionaryScreen& screen_;
    dictionary::DictionaryContext context_;
};

}  // namespace tools
