// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QHash>
#include <QString>

// The names of the server's error codes, read from the client library's constants file.
// Keys are the codes as decimal text ("39101", "-5"), values the names shown to the user.
class ErrorTable {
public:
    struct Entry {
        QString key;
        QString name;
    };

    // The entry a line of the constants file gives, or nullopt when the line is not used:
    // it lacks "UVE_" (in any case) or its code reads as 0.
    static std::optional<Entry> ParseLine(const QString& line);

    // Replaces the table with the entries of the file at path. Lines end with CR, CRLF or
    // LF; bytes are read as Latin-1. When a code occurs on two lines the first one wins.
    // False, with the table left empty, when the file cannot be opened.
    bool Load(const QString& path);

    std::optional<QString> Name(const QString& key) const;
    qsizetype size() const { return names_.size(); }
    bool isEmpty() const { return names_.isEmpty(); }

private:
    QHash<QString, QString> names_;
};
