// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// How many reads of a dictionary's items a server session sends before the program asks
// for them, from the settings file key ReadAhead. 1 sends each read when asked, for a
// server that does not take requests sent ahead; absent, or not a whole number from 1
// to kLargest, keeps the session's default.
struct ReadAheadSetting {
    static constexpr int kLargest = 4096;

    static int FromSettings(const QString& programFolder);
    static int Parse(const QString& value);
};
