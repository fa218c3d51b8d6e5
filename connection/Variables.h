// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include <QString>

#include "connection/LoginValues.h"
#include "connection/UserOptions.h"
#include "core/ErrorTable.h"
#include "platform/mv/Session.h"
#include "platform/ui/Dialogs.h"

// The program-wide state: one object, owned by the application and handed by reference
// to every form and procedure that needs it, so tests can run side by side.
// The dialogs object must outlive it.
struct Variables {
    Variables(ui::Dialogs& dialogs_, QString programFolder_)
        : dialogs(dialogs_), programFolder(std::move(programFolder_)) {}

    ui::Dialogs& dialogs;
    // The folder that holds the executable, beside which the settings and constants
    // files live.
    QString programFolder;

    // The server session of the run: none until the first OK of the login, replaced by
    // every further OK, disconnected only at shut-down.
    std::unique_ptr<mv::Session> session;
    bool LoginSucceeded = false;
    // As the user left it in the login dialog, neither trimmed nor case-folded.
    QString DatabaseType;
    core::ErrorTable errorTable;
    // The values of the last successful login, so a dropped connection can be opened
    // again without asking for them; the password is kept in memory only.
    LoginValues lastLogin;
    // How saves are confirmed and writes reported: the defaults until start-up reads the
    // user's own.
    UserOptions options;
    // The warning that a password travels almost in clear is shown once a run.
    bool plainPasswordWarned = false;

    // Makes each new session of the login; it must not return null. Tests substitute a
    // session whose connection misbehaves.
    std::function<std::unique_ptr<mv::Session>()> sessionFactory = [] {
        return std::make_unique<mv::Session>();
    };
};
