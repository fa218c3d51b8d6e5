// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include <QByteArray>
#include <QString>

// The engine holds bytes, the user interface holds QString. Latin-1 maps every byte to
// exactly one character and back, so marks and any 8-bit text survive the trip in both
// directions unchanged.
namespace TextBridge {

inline QString ToText(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Characters above U+00FF have no byte; toLatin1 would turn each into '?', so callers
// that take text from the user check IsLatin1 first.
inline std::string ToBytes(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

inline bool IsLatin1(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            return false;
        }
    }
    return true;
}

}  // namespace TextBridge
