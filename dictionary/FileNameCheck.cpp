// SPDX-License-Identifier: MIT
#include "dictionary/FileNameCheck.h"

#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "platform/ui/Dialogs.h"

namespace dictionary {

bool RequireByteFileName(Variables& vars, const QString& fileName, const QString& consequence) {
    if (TextBridge::IsLatin1(fileName)) {
        return true;
    }
    QString message = QStringLiteral(
        "The file name holds characters that no file name of the "
        "account can hold.");
    if (!consequence.isEmpty()) {
        message += QLatin1Char(' ') + consequence;
    }
    vars.dialogs.MsgBox(message, ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
    return false;
}

}  // namespace dictionary
