// SPDX-License-Identifier: MIT
#include "tools/OtherAssociations.h"

#include <algorithm>
#include <set>
#include <string>

#include "connection/TextBridge.h"
#include "dictionary/Dependencies.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/ViewSet.h"
#include "platform/grid/RowArray.h"
#include "platform/ui/Dialogs.h"

namespace tools {

namespace {

constexpr int kPhraseField = 2;

std::vector<std::string> Bytes(const QStringList& names) {
    std::vector<std::string> bytes;
    for (const QString& name : names) {
        bytes.push_back(TextBridge::ToBytes(name));
    }
    return bytes;
}

QString InWords(const QStringList& names) {
    return dictionary::NamesInWords(Bytes(names));
}

QString PhrasesInWords(const QStringList& phrases) {
    return (phrases.size() == 1 ? QStringLiteral("the phrase ") : QStringLiteral("the phrases ")) +
           InWords(phrases);
}

}  // namespace

OtherAssociations::OtherAssociations(const dictionary::OpenDictionary& open,
                                     const grid::RowArray& rows, const QList<int>& highlighted,
                                     const QString& name)
    : name_(name) {
    // The associations in use anywhere in the dictionary name the child tables' phrases.
    std::set<QString> associations;
    if (const auto all = open.views->Rows(dictionary::ViewKind::DIV)) {
        for (int row = 0; row < all->RowCount(); ++row) {
            associations.insert(all->Cell(row, dictionary::kAssociationColumn));
        }
    }
    const dictionary::Dependencies& dependencies = open.views->CurrentDependencies();
    std::set<QString> seen;
    for (const int row : highlighted) {
        const QString id = rows.Cell(row, dictionary::kIdColumn);
        if (!seen.insert(id).second) {
            continue;
        }
        Moved moved{id, rows.Cell(row, dictionary::kAssociationColumn), {}};
        if (moved.association == name) {
            moved.association.clear();
        }
        for (const dictionary::Dependencies::User& user :
             dependencies.UsedBy(TextBridge::ToBytes(id))) {
            const QString phrase = TextBridge::ToText(user.id);
            if (user.phrase && phrase != name &&
                (phrase == moved.association || associations.count(phrase) != 0)) {
                moved.phrases << phrase;
            }
        }
        if (!moved.association.isEmpty() || !moved.phrases.isEmpty()) {
            moved_.push_back(std::move(moved));
        }
        if (rows.Cell(row, dictionary::kDivSingleMultipleColumn)
                .trimmed()
                .compare(QLatin1String("S"), Qt::CaseInsensitive) == 0) {
            single_ << id;
        }
    }
}

QStringList OtherAssociations::AllPhrases() const {
    QStringList phrases;
    for (const Moved& moved : moved_) {
        for (const QString& phrase : moved.phrases) {
            if (!phrases.contains(phrase)) {
                phrases << phrase;
            }
        }
    }
    return phrases;
}

OtherAssociations::Choice OtherAssociations::Ask(ui::Dialogs& dialogs, const QString& title) const {
    QStringList lines;
    if (!moved_.empty()) {
        lines << QStringLiteral("These highlighted items belong to another child table:");
        for (const Moved& moved : moved_) {
            QString line = QStringLiteral("  ") + moved.id + QStringLiteral(": ");
            if (!moved.association.isEmpty()) {
                line += QStringLiteral("association ") + moved.association +
                        (moved.phrases.isEmpty() ? QStringLiteral(", which no phrase lists")
                                                 : QStringLiteral(", "));
            }
            if (!moved.phrases.isEmpty()) {
                line += QStringLiteral("listed by ") + PhrasesInWords(moved.phrases);
            }
            lines << line;
        }
    }
    if (!single_.isEmpty()) {
        lines << QStringLiteral(
                     "Single-valued (S in field 6), though the fields of a child table "
                     "hold several values: ") +
                     InWords(single_) + QLatin1Char('.');
    }
    const QStringList phrases = AllPhrases();
    if (phrases.isEmpty()) {
        lines << QStringLiteral("Define the child table %1 all the same?").arg(name_);
        return dialogs.MsgBox(lines.join(QLatin1Char('\n')), ui::Buttons::OKCancel,
                              ui::Icon::Question, title) == ui::Answer::OK
                   ? Choice::Leave
                   : Choice::Cancel;
    }
    lines << QStringLiteral(
                 "Take them out of the list of %1? No leaves %2; Cancel defines no "
                 "child table.")
                 .arg(PhrasesInWords(phrases), phrases.size() == 1
                                                   ? QStringLiteral("it as it is")
                                                   : QStringLiteral("them as they are"));
    switch (dialogs.MsgBox(lines.join(QLatin1Char('\n')), ui::Buttons::YesNoCancel,
                           ui::Icon::Question, title)) {
        case ui::Answer::Yes:
            return Choice::TakeOut;
        case ui::Answer::No:
            return Choice::Leave;
        default:
            return Choice::Cancel;
    }
}

std::vector<std::pair<QString, QStringList>> OtherAssociations::PhrasesListing(
    const QStringList& joined) const {
    std::vector<std::pair<QString, QStringList>> listing;
    for (const Moved& moved : moved_) {
        if (!joined.contains(moved.id)) {
            continue;
        }
        for (const QString& phrase : moved.phrases) {
            auto found = std::find_if(listing.begin(), listing.end(),
                                      [&](const auto& entry) { return entry.first == phrase; });
            if (found == listing.end()) {
                listing.push_back({phrase, {}});
                found = listing.end() - 1;
            }
            found->second << moved.id;
        }
    }
    return listing;
}

std::optional<mv::DynamicArray> OtherAssociations::PhraseWithout(const mv::DynamicArray& record,
                                                                 const QStringList& ids) {
    const std::vector<std::string> leftOut = Bytes(ids);
    const std::string phrase = record.FieldValue(kPhraseField);
    std::string kept;
    bool changed = false;
    bool first = true;
    std::size_t start = 0;
    while (start <= phrase.size()) {
        const std::size_t blank = std::min(phrase.find(' ', start), phrase.size());
        const std::string word = phrase.substr(start, blank - start);
        if (std::find(leftOut.begin(), leftOut.end(), word) != leftOut.end()) {
            changed = true;
        } else {
            kept += (first ? std::string() : std::string(" ")) + word;
            first = false;
        }
        start = blank + 1;
    }
    if (!changed) {
        return std::nullopt;
    }
    mv::DynamicArray after(record.Text());
    after.Field(kPhraseField).SetStringValue(kept);
    return after;
}

}  // namespace tools
