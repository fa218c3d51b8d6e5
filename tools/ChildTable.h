// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QList>
#include <QString>
#include <QStringList>

#include "dictionary/DictionaryScreen.h"
#include "platform/mv/DynamicArray.h"

namespace tools {

// Defines a child table: a PH descriptor whose phrase lists the items highlighted in the
// D/I/V grid, in the order they were highlighted, each of which gets the descriptor's
// name as its association (field 7). The descriptor is written at once and joins the PH
// view and the phrase list.
//
// The descriptor is written first and the associations after it, so a refused descriptor
// leaves no item pointing at it. An association shows in the grids only once the account
// holds it; items that could not be read or written are named together at the end, and
// an item changed in the account since it was read gets the association only when the
// user agrees. A name that belongs to an item of another type is replaced only when the
// user agrees.
//
// Before anything is written, one question names the items that belong to another child
// table and the single-valued ones (OtherAssociations); the user may have the items that
// take the new association left out of the other tables' phrases, leave those phrases
// as they are, or define nothing.
class ChildTable {
public:
    explicit ChildTable(const dictionary::DictionaryContext& context)
        : vars_(context.vars), open_(context.open), screen_(context.screen), context_(context) {}

    void cmdMakeChild_Click();

private:
    struct Failure {
        QString itemId;
        bool read;  // the read failed; else the write did
        int code;
    };

    // `replaced` takes what the account holds under the name, for the journal.
    bool ConfirmReplacing(const QString& name, std::optional<mv::DynamicArray>& replaced);
    QStringList HighlightedIds();
    // False when the connection dropped on the way: the items not reached are among the
    // failures, and the drop has been shown.
    // `joined` takes the items written with the new association.
    bool WriteAssociations(const QString& name, const QStringList& members,
                           QList<Failure>& failures, QStringList& joined);
    // Rewrites each phrase without the ids given with it; false as WriteAssociations.
    bool TakeOutOfPhrases(const std::vector<std::pair<QString, QStringList>>& phrases,
                          QList<Failure>& failures);
    // After a call lost the connection (its box shown): the way to log in again, and the
    // word that the child table was not (fully) defined.
    void RecoverAfterDrop(const QString& name);
    bool WriteDescriptor(const QString& name, const QString& phrase,
                         const std::optional<mv::DynamicArray>& replaced);
    void AddToPhView(const QString& name, const QString& phrase);
    void ReportFailures(const QString& name, const QList<Failure>& failures,
                        const QList<Failure>& phraseFailures, bool lost);

    Variables& vars_;
    dictionary::OpenDictionary& open_;
    dictionary::DictionaryScreen& screen_;
    dictionary::DictionaryContext context_;
};

}  // namespace tools
