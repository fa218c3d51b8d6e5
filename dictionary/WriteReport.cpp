// SPDX-License-Identifier: MIT
#include "dictionary/WriteReport.h"

#include "connection/Variables.h"
#include "dictionary/DictionaryScreen.h"

namespace dictionary {

void ReportWritten(const DictionaryContext& context, const QString& message, const QString& title) {
    if (context.vars.options.reportInStatusBar) {
        context.screen.ShowStatus(message, kNoteShownMs);
        return;
    }
    context.vars.dialogs.MsgBox(message, ui::Buttons::OK, ui::Icon::None, title);
}

}  // namespace dictionary
