// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QString>

struct Variables;

// The path of the constants file that names the server's error codes.
QString ErrorTablePath(const Variables& vars);

// Replaces the error-name table with the contents of the constants file beside the
// program. False when the file cannot be opened, so the start-up can name the path and end.
bool Load_ErrorTable(Variables& vars);

// The name the constants file gives the code, or nullopt when it names none.
std::optional<QString> ErrorName(const Variables& vars, int code);

// The class of an error code, used as the title of its message box; empty below 10000.
QString ErrorClassText(int code);

// message followed by detail (such as Session::ConnectDetail), begun with a capital, on a
// line of its own; message alone when detail is empty.
QString WithDetail(QString message, const QString& detail);

// One critical message box naming the error and, when given, the file and the record.
// The record is shown only together with a file; a detail ends the message (WithDetail).
void Show_ServerError(Variables& vars, int code, const QString& fileName, const QString& recordId,
                      const QString& detail = QString());
