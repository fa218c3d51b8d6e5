// SPDX-License-Identifier: MIT
#include "dictionary/DictionaryReader.h"

#include <string_view>

#include "connection/Reconnect.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "core/Classification.h"
#include "dictionary/DatabaseType.h"
#include "dictionary/ProgressNote.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/ViewSet.h"
#include "platform/mv/Session.h"

namespace dictionary {

namespace {

// Classified and shown from the record's own bytes: the rule is the core's, and the read of
// a big dictionary makes no text of each field for it.
void AddItem(const std::string& fileName, const mv::DictionaryFile& file, ViewSet& views) {
    const std::string& text = file.Record().Text();
    const std::string_view field1 =
        std::string_view(text).substr(0, text.find(mv::DynamicArray::kFieldMark));
    const core::Placement placement = core::Classify(field1, file.RecordId(), fileName);
    if (placement.setsEmptyNull) {
        views.SetEmptyNull(true);
    }
    if (placement.view) {
        views.AddItemRow(*placement.view, file.RecordId(), text);
    }
}

}  // namespace

long long Read_Dictionary(Variables& vars, const QString& fileName, mv::DictionaryFile& file,
                          ViewSet& views) {
    const DatabaseKind kind = KindOf(vars.DatabaseType);
    if (kind == DatabaseKind::Neither) {
        return 0;
    }
    mv::ServerCommand& command = vars.session->Command();
    command.SetText(TextBridge::ToBytes(SelectCommandFor(kind, fileName)));
    command.Exec();
    if (command.Error() != 0) {
        ShowCallError(vars, command.Error(), QString(), TextBridge::ToText(command.Text()));
    }

    mv::ServerSelectList& list = vars.session->SelectList(0);
    const std::string fileBytes = TextBridge::ToBytes(fileName);
    ProgressNote progress(vars.dialogs, QStringLiteral("Reading the dictionary: %1 items read"));
    long long count = 0;
    std::string id = list.Next();
    while (!list.LastRecordRead()) {
        // The descriptor exists when the list names it, even if it cannot be read or is
        // of another type: it must never be written over.
        if (id == core::kEmptyNullId) {
            views.SetEmptyNull(true);
        }
        file.SetRecordId(id);
        file.Read();
        if (file.Error() == 0) {
            AddItem(fileBytes, file, views);
            views.Records().Remember(id, file.Record().Text());
        } else {
            ShowCallError(vars, file.Error(), fileName, TextBridge::ToText(id));
            // A lost connection fails every read after it: one box says so, not one an item.
            if (!vars.session->IsActive()) {
                break;
            }
        }
        progress.Step(++count);
        id = list.Next();
    }
    return count;
}

}  // namespace dictionary
