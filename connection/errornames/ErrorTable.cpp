// SPDX-License-Identifier: MIT
#include "connection/errornames/ErrorTable.h"

#include <QFile>

#include "connection/errornames/NumericText.h"

namespace {

// The code is read from this many characters after the equals sign, so a line whose
// number stands further away reads as 0 and is not used.
constexpr qsizetype kCodeTextLength = 7;

}  // namespace

std::optional<ErrorTable::Entry> ErrorTable::ParseLine(const QString& line) {
    if (!line.contains(u"UVE_", Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    // indexOf gives -1 when the character is missing, so +1 yields the whole line then.
    const QString name = line.mid(line.indexOf(u'\'') + 1);
    const QStringView codeText = QStringView(line).mid(line.indexOf(u'=') + 1, kCodeTextLength);
    const std::optional<double> code = NumericText::Read(codeText);
    if (!code || *code == 0.0) {
        return std::nullopt;
    }
    return Entry{NumericText::ToDecimalText(*code), name};
}

bool ErrorTable::Load(const QString& path) {
    names_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QString text = QString::fromLatin1(file.readAll());

    qsizetype lineStart = 0;
    while (lineStart < text.size()) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < text.size() && text[lineEnd] != u'\r' && text[lineEnd] != u'\n') {
            ++lineEnd;
        }
        const auto entry = ParseLine(text.sliced(lineStart, lineEnd - lineStart));
        if (entry && !names_.contains(entry->key)) {  // the first line naming a code wins
            names_.insert(entry->key, entry->name);
        }
        lineStart = lineEnd + 1;
        if (text.mid(lineEnd, 2) == u"\r\n") {
            ++lineStart;
        }
    }
    return true;
}

std::optional<QString> ErrorTable::Name(const QString& key) const {
    const auto it = names_.constFind(key);
    if (it == names_.cend()) {
        return std::nullopt;
    }
    return *it;
}
