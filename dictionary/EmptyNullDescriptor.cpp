// SPDX-License-Identifier: MIT
#include "dictionary/EmptyNullDescriptor.h"

#include "connection/Reconnect.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/Classification.h"
#include "dictionary/RecordsAsRead.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/ErrorCodes.h"

namespace dictionary {

void AddEmptyNullDescriptor(Variables& vars, const QString& fileName, mv::DictionaryFile& file,
                            RecordsAsRead& records) {
    const std::string kId(kEmptyNullId);
    // The select that came before may be stale: look once more right before writing.
    file.SetRecordId(kId);
    file.Read();
    if (file.Error() != mv::kRecordNotFound) {
        return;
    }
    mv::DynamicArray record;
    record.Field(1).SetStringValue("X");
    file.SetRecord(record);
    file.SetRecordId(kId);
    file.Write();
    if (file.Error() == 0) {
        records.Remember(kId, record.Text());
        vars.dialogs.MsgBox(QStringLiteral("X Descriptor @EMPTY.NULL added"), ui::Buttons::OK,
                            ui::Icon::None, ui::kProgramTitle);
    } else {
        ShowCallError(vars, file.Error(), fileName, TextBridge::ToText(kEmptyNullId));
    }
}

}  // namespace dictionary
