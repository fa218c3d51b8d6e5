// SPDX-License-Identifier: MIT
#include "editing/UsedByQuestion.h"

#include "connection/TextBridge.h"
#include "dictionary/Dependencies.h"
#include "dictionary/ViewSet.h"
#include "platform/ui/Dialogs.h"

namespace editing {

UsedByAnswer AskWhenUsed(ui::Dialogs& dialogs, const dictionary::ViewSet& views,
                         const QString& itemId, const QString& question) {
    const QString users =
        dictionary::UsersInWords(views.CurrentDependencies().UsedBy(TextBridge::ToBytes(itemId)));
    if (users.isEmpty()) {
        return UsedByAnswer::Unused;
    }
    // Going on breaks the users' references: only a deliberate Yes does.
    const ui::Answer answer = dialogs.MsgBox(
        itemId + QStringLiteral(" is used by ") + users + QStringLiteral(". ") + question,
        ui::Buttons::YesNo, ui::Icon::Exclamation, ui::kProgramTitle, ui::Answer::No);
    return answer == ui::Answer::Yes ? UsedByAnswer::GoOn : UsedByAnswer::Stop;
}

}  // namespace editing
