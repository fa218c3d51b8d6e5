// SPDX-License-Identifier: MIT
#include "dictionary/EmptyNullDescriptor.h"

#include "connection/Reconnect.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/AccountCheck.h"
#include "dictionary/Classification.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/ErrorCodes.h"

namespace dictionary {

bool AddEmptyNullDescriptor(Variables& vars, OpenDictionary& open) {
    const std::string kId(kEmptyNullId);
    mv::DictionaryFile& file = *open.file;
    // The select that came before may be stale: look once more right before writing.
    const ChangeLock lock(open, kId);
    const AccountItem now = ReadForChange(open, kId);
    if (now.error != 0 || now.Exists()) {
        return true;  // another session holds it, or has written it
    }
    mv::DynamicArray record;
    record.Field(1).SetStringValue("X");
    WriteItem(open, kId, std::nullopt, record, ChangeOrigin::Automatic);
    if (file.Error() == 0) {
        open.views->Records().Remember(kId, record.Text());
        vars.dialogs.MsgBox(QStringLiteral("X Descriptor @EMPTY.NULL added"), ui::Buttons::OK,
                            ui::Icon::None, ui::kProgramTitle);
    } else if (file.Error() == mv::kPermissionDenied || file.Error() == mv::kWriteFailed) {
        return false;
    } else {
        ShowCallError(vars, file.Error(), open.name, TextBridge::ToText(kEmptyNullId));
    }
    return true;
}

}  // namespace dictionary
