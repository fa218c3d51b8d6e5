// SPDX-License-Identifier: MIT
#include "connection/Reconnect.h"

#include "connection/Functions.h"
#include "connection/LoginValues.h"
#include "connection/ReadAheadSetting.h"
#include "connection/SessionLimits.h"
#include "connection/TextBridge.h"
#include "connection/TlsSettings.h"
#include "connection/Variables.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"
#include "platform/ui/Hourglass.h"

namespace {

QString HostOf(const Variables& vars) {
    return TextBridge::ToText(vars.lastLogin.set ? vars.lastLogin.host : vars.session->HostName());
}

// Show_ServerError's box with the host after the error's name.
void ShowNamingHost(Variables& vars, int code, const QString& fileName, const QString& recordId,
                    const QString& detail = QString()) {
    QString message = ErrorName(vars, code).value_or(QStringLiteral("Unidentified Error"));
    message += QStringLiteral(" -->Host: ") + HostOf(vars);
    if (!fileName.isEmpty()) {
        message += QStringLiteral(" -->File: ") + fileName;
        if (!recordId.isEmpty()) {
            message += QStringLiteral(" -->Record: ") + recordId;
        }
    }
    vars.dialogs.MsgBox(WithDetail(message, detail), ui::Buttons::OK, ui::Icon::Critical,
                        ErrorClassText(code));
}

}  // namespace

void RememberLogin(Variables& vars, const mv::Session& session) {
    vars.lastLogin = LoginValues{session.HostName(), session.AccountPath(),  session.UserName(),
                                 session.Password(), session.DatabaseType(), true};
}

void ConnectWith(Variables& vars, mv::Session& session, const LoginValues& values) {
    session.SetUserName(values.user);
    session.SetPassword(values.password);
    session.SetAccountPath(values.account);
    session.SetHostName(values.host);
    session.SetDatabaseType(values.databaseType);
    SessionLimits::FromSettings(vars.programFolder).ApplyTo(session);
    ApplyTlsSettings(vars.programFolder, session);
    session.SetReadAhead(ReadAheadSetting::FromSettings(vars.programFolder));
    session.Connect();
}

bool ConnectionDropped(const Variables& vars, int code) {
    // These are the failures after which a remote session is closed.
    const bool connectionCode =
        code == mv::kConnectionLost || code == mv::kTimeout || code == mv::kBadServerMessage;
    return connectionCode && SessionDropped(vars);
}

bool SessionDropped(const Variables& vars) {
    return vars.session && !vars.session->HostName().empty() && !vars.session->IsActive();
}

void ShowCallError(Variables& vars, int code, const QString& fileName, const QString& recordId) {
    if (ConnectionDropped(vars, code)) {
        ShowNamingHost(vars, code, fileName, recordId);
    } else {
        Show_ServerError(vars, code, fileName, recordId);
    }
}

bool AskAndReconnect(Variables& vars) {
    if (!vars.lastLogin.set) {
        return false;
    }
    const LoginValues& values = vars.lastLogin;
    const QString question =
        QStringLiteral(
            "The connection to %1 was lost.\n"
            "Log in again as %2 to the account %3? Rows you have not saved stay "
            "as they are.")
            .arg(TextBridge::ToText(values.host), TextBridge::ToText(values.user),
                 TextBridge::ToText(values.account));
    if (vars.dialogs.MsgBox(question, ui::Buttons::YesNo, ui::Icon::Question,
                            QStringLiteral("Connection lost")) != ui::Answer::Yes) {
        return false;
    }
    std::unique_ptr<mv::Session> session = vars.sessionFactory();
    {
        const ui::Hourglass hourglass(vars.dialogs);
        ConnectWith(vars, *session, values);
    }
    if (const int code = session->Error(); code != 0 || !session->IsActive()) {
        // The dropped session stays the session of the run: a later call fails the same
        // way and asks again.
        ShowNamingHost(vars, code != 0 ? code : mv::kNotConnected, QString(), QString(),
                       TextBridge::ToText(session->ConnectDetail()));
        return false;
    }
    vars.session = std::move(session);
    vars.LoginSucceeded = true;
    return true;
}
