// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "core/DictionaryDiff.h"
#include "dictionary/DictionaryScreen.h"

class QWidget;

namespace mv {
class Session;
}
namespace dictionary {
class DictionaryOpener;
}

namespace editing {

class CompileOffer;

// The open dictionary ("here") against the dictionary of the same name in another
// account ("there"), reached with a login of its own that leaves the session of the
// window alone: the items only here, only there and changed, field by field. Copying an
// item here goes through the checks of a save: the lock with the read before it, the
// question when the account changed since the comparison, the journal (so Undo takes
// it back), the rows of the grids and the compile offer for I and V items.
class AccountComparison {
public:
    AccountComparison(const dictionary::DictionaryContext& context,
                      dictionary::DictionaryOpener& opener, CompileOffer& compile);
    // Ends the other account's session.
    ~AccountComparison();
    AccountComparison(const AccountComparison&) = delete;
    AccountComparison& operator=(const AccountComparison&) = delete;

    // Asks for the other account with the login form, reads the dictionary on both sides
    // and compares them. False when there is nothing to show: no dictionary is open, the
    // login was cancelled, the other account has no such dictionary or a read failed (the
    // user was told why, except for the cancelled login).
    bool Start(QWidget* parent);

    QString FileName() const;
    // The other account as the login named it: "host:ACCOUNT", or the folder of a local one.
    QString OtherAccount() const { return other_; }
    const std::vector<core::ItemDifference>& Differences() const { return differences_; }
    // Every field of an item only one side holds, or the changed fields of one both hold.
    std::vector<core::FieldDifference> FieldsOf(const core::ItemDifference& item) const;
    // Whether Copy here can write the item: the other side holds it and the open
    // dictionary takes changes.
    bool CanCopy(const std::string& id) const;

    // Makes this account hold the other side's item under id, after asking. True when it
    // does; the items are compared again either way.
    bool CopyHere(const std::string& id);

private:
    bool Copy(const std::string& id);
    bool ReadHere();
    bool ReadThere();
    void Compare();

    dictionary::DictionaryContext context_;
    dictionary::DictionaryOpener& opener_;
    CompileOffer& compile_;
    std::unique_ptr<mv::Session> session_;
    QString other_;
    core::ItemMap here_;
    core::ItemMap there_;
    std::vector<core::ItemDifference> differences_;
};

}  // namespace editing
