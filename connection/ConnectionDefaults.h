// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The five default connection values the setup dialog saves and hands to the login.
struct ConnectionDefaults {
    QString account;
    QString hostName;
    QString user;
    QString password;
    QString databaseType;
};
