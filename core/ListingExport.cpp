// SPDX-License-Identifier: MIT
#include "core/ListingExport.h"

#include <string>

#include "core/ListingLine.h"
#include "core/ListingSink.h"
#include "platform/mv/Session.h"

namespace exporting {

int SelectItems(mv::Session& session, core::DatabaseKind kind, std::string_view fileName) {
    mv::ServerCommand& command = session.Command();
    command.SetText(core::SelectCommandFor(kind, fileName));
    command.Exec();
    return command.Error();
}

ListingCounts WriteListing(mv::ServerSelectList& list, mv::DictionaryFile& file, ListingSink& sink,
                           const ListingProgress& progress) {
    ListingCounts counts;
    std::string line;
    // LastRecordRead is asked before each Next; the Next that makes it true found no id.
    while (!list.LastRecordRead()) {
        std::string id = list.Next();
        if (list.LastRecordRead()) {
            break;
        }
        ++counts.listed;
        file.SetRecordId(std::move(id));
        file.Read();
        if (file.Error() == 0) {
            line.clear();
            AppendListingLine(line, file.RecordId(), file.Record().Text());
            if (!sink.Write(line)) {
                counts.sinkFailed = true;
                break;
            }
            ++counts.written;
        }
        if (progress) {
            progress(counts.listed);
        }
    }
    return counts;
}

}  // namespace exporting
