// SPDX-License-Identifier: MIT
#include "editing/CompileOffer.h"

#include "dictionary/AccountCheck.h"
#include "dictionary/ConnectionRecovery.h"
#include "dictionary/FileNameCheck.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ShownItems.h"

#include "connection/Reconnect.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "platform/mv/Session.h"

namespace editing {

void CompileOffer::Offer(const QString& itemId) {
    if (vars_.dialogs.MsgBox(QStringLiteral("Do you want to compile the I-descriptor now?"),
                             ui::Buttons::YesNo, ui::Icon::None,
                             QStringLiteral("Compile necessary!")) != ui::Answer::Yes) {
        return;
    }
    const QString text = QStringLiteral("CD ") + open_.name + QLatin1Char(' ') + itemId;
    if (!dictionary::RequireByteFileName(vars_, text, QStringLiteral("Nothing was compiled."))) {
        return;
    }
    // A compile stores the same compiled form however often it runs: after a new login
    // it simply runs again.
    for (;;) {
        mv::ServerCommand& command = vars_.session->Command();
        command.SetText(TextBridge::ToBytes(text));
        command.Exec();
        if (const int code = command.Error(); code != 0) {
            ShowCallError(vars_, code, QStringLiteral("Command"),
                          TextBridge::ToText(command.Text()));
            if (ConnectionDropped(vars_, code) &&
                dictionary::RecoverConnection({vars_, open_, screen_})) {
                continue;
            }
            ReadBack(itemId);
            return;
        }
        ReadBack(itemId);
        screen_.ShowCompileAnswer(TextBridge::ToText(command.Response()));
        return;
    }
}

void CompileOffer::ReadBack(const QString& itemId) {
    if (!open_.IsOpen()) {
        return;
    }
    const std::string id = TextBridge::ToBytes(itemId);
    const dictionary::AccountItem now = dictionary::ReadFromAccount(*open_.file, id);
    // Runs inside the grid's notification: rows may change their cells, never leave the
    // array. An item gone by now is found at the next write.
    if (now.error == 0 && now.Exists()) {
        dictionary::ShownItems(open_, screen_.Grids()).Show(id, *now.record);
    }
}

}  // namespace editing
