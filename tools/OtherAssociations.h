// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/mv/DynamicArray.h"

namespace dictionary {
struct OpenDictionary;
}
namespace grid {
class RowArray;
}
namespace ui {
class Dialogs;
}

namespace tools {

// What a new child table takes from the others, worked out from its highlighted rows
// before anything is written: the items that belong to another child table (their
// association, field 7, names another one, or the phrase of another child table lists
// them), each with the phrases of other child tables that list it, and the items whose
// field 6 says they are single-valued, which an association of multi-valued fields does
// not expect. The phrase of a child table is one that some item names as its
// association; other phrases (listings such as @SELECT) are no child table's.
class OtherAssociations {
public:
    enum class Choice { TakeOut, Leave, Cancel };

    // `rows` are the rows the D/I/V grid shows and `highlighted` the highlighted ones,
    // in the order highlighted; `name` is the new child table's.
    OtherAssociations(const dictionary::OpenDictionary& open, const grid::RowArray& rows,
                      const QList<int>& highlighted, const QString& name);

    // True when there is something to ask about.
    bool Any() const { return !moved_.empty() || !single_.isEmpty(); }
    // The one question: Yes takes the items out of the other phrases' lists, No leaves
    // those phrases as they are; with no phrase to rewrite it is OK or Cancel.
    Choice Ask(ui::Dialogs& dialogs, const QString& title) const;
    // The other phrases that list any of `joined` (the items that took the new
    // association), each with the ids it lists, in the order first named.
    std::vector<std::pair<QString, QStringList>> PhrasesListing(const QStringList& joined) const;

    // The phrase record with every word that is one of `ids` left out (words are parted
    // by single blanks, as the phrase view parts them); nullopt when it lists none.
    static std::optional<mv::DynamicArray> PhraseWithout(const mv::DynamicArray& record,
                                                         const QStringList& ids);

private:
    struct Moved {
        QString id;
        QString association;  // empty when only a phrase lists it
        QStringList phrases;
    };
    QStringList AllPhrases() const;

    std::vector<Moved> moved_;
    QStringList single_;
    QString name_;
};

}  // namespace tools
