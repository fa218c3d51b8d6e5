// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct LoginValues;
struct Variables;
namespace mv {
class Session;
}

// Recording the values of a login, and the way back when the connection of a session
// to its server drops: the error box naming the host, the question whether to log in
// again, and the new session.

// Keeps what session connected with as the run's last successful login.
void RememberLogin(Variables& vars, const mv::Session& session);

// Sets the values, the time limits of the settings file, and connects; the caller reads
// the session's Error.
void ConnectWith(Variables& vars, mv::Session& session, const LoginValues& values);

// True when the session of the run was connected to a server and no longer is, so
// code (a failure of the last call) came from losing the connection.
bool ConnectionDropped(const Variables& vars, int code);

// True when the session of the run was connected to a server and its connection is gone.
bool SessionDropped(const Variables& vars);

// The error box of a failed call: for a dropped connection it names the host, then
// the file and record as Show_ServerError does; any other code goes to Show_ServerError.
void ShowCallError(Variables& vars, int code, const QString& fileName, const QString& recordId);

// Asks whether to log in again with the values of the last login; on Yes connects a new
// session with them and makes it the session of the run. False when the user said No,
// no login succeeded yet, or the new connection failed (after its error box).
bool AskAndReconnect(Variables& vars);
