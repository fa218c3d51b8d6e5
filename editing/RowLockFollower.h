// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <memory>
#include <string>

#include "dictionary/DictionaryScreen.h"

#include <QObject>

namespace editing {

// Locks an existing item as the user starts to change its row (the first keystroke,
// paste or larger editor's OK), so another user's save of it waits until this row is
// settled; the lock goes when the row is saved, its changes are dropped or the rows are
// read again. An item another session holds is said in the status line at once; the row
// can still be typed, and its save meets the locked box. Off with LockWhileEditing=no in
// the settings file: then only the check before each change locks.
class RowLockFollower {
public:
    explicit RowLockFollower(const dictionary::DictionaryContext& context);
    ~RowLockFollower();
    RowLockFollower(const RowLockFollower&) = delete;
    RowLockFollower& operator=(const RowLockFollower&) = delete;

    // Follows the screen's grids for as long as this object lives.
    void Connect();

private:
    void Started(int viewIndex, int row);
    void Changed(int viewIndex);
    void Ended(int viewIndex);
    void Lock(int viewIndex);
    bool Wanted() const;

    dictionary::DictionaryContext context_;
    // The context of the grids' connections, owned here so they end with the follower.
    std::unique_ptr<QObject> connections_;
    // Per grid: the item whose lock its pending row holds or wants; empty for none.
    std::array<std::string, dictionary::kViewCount> rowItems_;
};

}  // namespace editing
