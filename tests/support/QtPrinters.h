// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>

#include <QByteArray>
#include <QString>

// Lets GoogleTest print Qt strings in failure messages as text rather than raw bytes.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toPercentEncoding(" =[];'\"").toStdString() << '"';
}
