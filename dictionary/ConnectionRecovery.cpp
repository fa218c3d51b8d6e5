// SPDX-License-Identifier: MIT
#include "dictionary/ConnectionRecovery.h"

#include "connection/Reconnect.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/OpenDictionary.h"
#include "platform/mv/Session.h"

namespace dictionary {

bool RecoverConnection(const DictionaryContext& context) {
    Variables& vars = context.vars;
    if (!AskAndReconnect(vars)) {
        return false;
    }
    OpenDictionary& open = context.open;
    const QString host = TextBridge::ToText(vars.session->HostName());
    if (!open.IsOpen()) {
        context.screen.ShowStatus(QStringLiteral("Connected again to ") + host, kNoteShownMs);
        return true;
    }
    mv::Session& session = *vars.session;
    auto file = session.OpenDictionary(TextBridge::ToBytes(open.name));
    if (session.Error() != 0 || !file) {
        ShowCallError(vars, session.Error(), open.name, QString());
        return false;
    }
    open.file = std::move(file);
    open.locks.Forget();  // they ended with the old session
    context.screen.ShowStatus(
        QStringLiteral("Connected again to %1; %2 is open again").arg(host, open.name),
        kNoteShownMs);
    return true;
}

}  // namespace dictionary
