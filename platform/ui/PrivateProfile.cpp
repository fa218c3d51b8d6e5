// SPDX-License-Identifier: MIT
#include "platform/ui/PrivateProfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

// The file is handled as Latin-1: every byte is one character and back, so any byte of
// a value survives a read and a rewrite, and lines this code does not change are
// written back byte for byte. Lines end in LF or CRLF (a lone CR at the very end of the
// file also ends its last line); a rewrite keeps the ending the file already uses, and a
// new file gets LF.
namespace ui::PrivateProfile {
namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Only spaces and tabs count as blanks: QString::trimmed() would also eat 0x85 and
// 0xA0, which are ordinary characters of a Latin-1 value.
QStringView trimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Line {
    qsizetype start;     // first character
    qsizetype textEnd;   // just past the text, before its "\r\n" or "\n"
    qsizetype end;       // just past the line ending
    bool endsInNewline;  // false for a last line without '\n', even one ending in CR
};

std::vector<Line> splitLines(const QString& content) {
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        const qsizetype newline = content.indexOf(u'\n', start);
        const qsizetype end = newline < 0 ? content.size() : newline + 1;
        qsizetype textEnd = newline < 0 ? content.size() : newline;
        if (textEnd > start && content[textEnd - 1] == u'\r') {
            --textEnd;
        }
        lines.push_back({start, textEnd, end, newline >= 0});
        start = end;
    }
    return lines;
}

QString lineEndingOf(const QString& content) {
    const qsizetype newline = content.indexOf(u'\n');
    const bool crlf =
        newline < 0 ? content.endsWith(u'\r') : newline > 0 && content[newline - 1] == u'\r';
    return crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

// What finishes the file's last line before a line is added after it. A lone CR there
// already ends the line for the reader; it only needs its LF, since another CR would
// become part of the last value.
QString endingOfLastLine(const QString& content, const QString& eol) {
    if (content.isEmpty() || content.endsWith(u'\n')) {
        return {};
    }
    return content.endsWith(u'\r') ? QStringLiteral("\n") : eol;
}

// "[name]" with blanks allowed around the line and the name; the name runs to the
// last ']' of the line.
std::optional<QStringView> sectionNameOf(QStringView text) {
    const QStringView line = trimBlanks(text);
    if (!line.startsWith(u'[')) {
        return std::nullopt;
    }
    const qsizetype close = line.lastIndexOf(u']');
    if (close < 1) {
        return std::nullopt;
    }
    return trimBlanks(line.sliced(1, close - 1));
}

struct KeyLine {
    QStringView key;
    qsizetype valueStart;  // offsets within the line's text, blanks excluded
    qsizetype valueEnd;
};

// "key=value"; a comment line or a line without '=' is not a key.
std::optional<KeyLine> keyLineOf(QStringView text) {
    const QStringView line = trimBlanks(text);
    if (line.startsWith(u';')) {
        return std::nullopt;
    }
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) {
        return std::nullopt;
    }
    qsizetype valueStart = equals + 1;
    qsizetype valueEnd = text.size();
    while (valueStart < valueEnd && isBlank(text[valueStart])) {
        ++valueStart;
    }
    while (valueEnd > valueStart && isBlank(text[valueEnd - 1])) {
        --valueEnd;
    }
    return KeyLine{trimBlanks(text.first(equals)), valueStart, valueEnd};
}

// Where a section and a key sit in the file. Only the first section of the name
// counts, and within it the first line of the key.
struct Location {
    std::optional<std::size_t> header;
    std::optional<std::size_t> lastFilledLine;  // the section's last line that is not blank
    std::optional<std::size_t> keyLine;
    qsizetype valueStart = 0;  // offsets of the stored value within the whole content
    qsizetype valueEnd = 0;
    qsizetype keyLineTextEnd = 0;  // a new value replaces the old one's trailing blanks too
};

Location locate(const QString& content, const std::vector<Line>& lines, QStringView section,
                QStringView key) {
    Location found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QStringView text =
            QStringView(content).sliced(lines[i].start, lines[i].textEnd - lines[i].start);
        if (const auto name = sectionNameOf(text)) {
            if (found.header) {
                break;
            }
            if (sameName(*name, section)) {
                found.header = found.lastFilledLine = i;
            }
            continue;
        }
        if (!found.header) {
            continue;
        }
        if (!trimBlanks(text).isEmpty()) {
            found.lastFilledLine = i;
        }
        if (found.keyLine) {
            continue;
        }
        if (const auto entry = keyLineOf(text); entry && sameName(entry->key, key)) {
            found.keyLine = i;
            found.valueStart = lines[i].start + entry->valueStart;
            found.valueEnd = lines[i].start + entry->valueEnd;
            found.keyLineTextEnd = lines[i].textEnd;
        }
    }
    return found;
}

QStringView withoutEnclosingQuotes(QStringView value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        return value.sliced(1, value.size() - 2);
    }
    return value;
}

std::optional<QString> readLatin1(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return QString::fromLatin1(file.readAll());
}

bool isLatin1WithoutLineBreaks(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF || c == u'\n' || c == u'\r') {
            return false;
        }
    }
    return true;
}

// Names that would not read back as written are refused rather than written changed:
// text outside Latin-1, line breaks (which would also add lines of their own), and keys
// that would read as a comment, a section or a different key.
bool canBeStored(QStringView section, QStringView key, QStringView value) {
    if (section.isEmpty() || key.isEmpty()) {
        return false;
    }
    if (key.contains(u'=') || key.startsWith(u';') || key.startsWith(u'[')) {
        return false;
    }
    return isLatin1WithoutLineBreaks(section) && isLatin1WithoutLineBreaks(key) &&
           IsWritableValue(value);
}

// The value as it goes into the file. The reader drops blanks around a value and one
// pair of enclosing quotes, so a value it would change that way is put in double
// quotes: the reader then removes exactly those and keeps everything inside.
QString storedForm(const QString& value) {
    const bool blankAtAnEnd = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    const bool readAsQuoted = withoutEnclosingQuotes(value).size() != value.size();
    if (blankAtAnEnd || readAsQuoted) {
        return u'"' + value + u'"';
    }
    return value;
}

// The file a rewrite replaces. A settings file that is a symbolic link is written
// through only when the link ends at a regular file of the current user: anything else
// (another user's file, a device, a FIFO, a folder, a dangling link) could be a trap
// set to make this program overwrite or expose something. The link itself is kept.
struct Target {
    QString path;
    bool exists = false;
};

std::optional<Target> targetOf(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat entry {};
    if (::lstat(name.constData(), &entry) != 0) {
        // A missing file is created; a missing folder fails later, when it is written.
        if (errno == ENOENT) {
            return Target{path, false};
        }
        return std::nullopt;
    }
    if (!S_ISLNK(entry.st_mode)) {
        return Target{path, true};
    }

    const std::unique_ptr<char, decltype(&std::free)> resolved(
        ::realpath(name.constData(), nullptr), &std::free);
    struct stat target {};
    if (!resolved || ::lstat(resolved.get(), &target) != 0 || !S_ISREG(target.st_mode) ||
        target.st_uid != ::geteuid()) {
        return std::nullopt;
    }
    return Target{QFile::decodeName(resolved.get()), true};
}

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString withValue(const QString& content, QStringView section, QStringView key,
                  const QString& value) {
    const std::vector<Line> lines = splitLines(content);
    const Location found = locate(content, lines, section, key);
    const QString eol = lineEndingOf(content);
    QString updated = content;

    if (found.keyLine) {
        updated.replace(found.valueStart, found.keyLineTextEnd - found.valueStart, value);
        return updated;
    }

    const QString entry = key.toString() + u'=' + value + eol;
    if (found.header) {
        // After the section's last filled line, so blank lines stay between sections.
        const Line& last = lines[*found.lastFilledLine];
        if (last.endsInNewline) {
            updated.insert(last.end, entry);
        } else {
            updated += endingOfLastLine(content, eol) + entry;
        }
        return updated;
    }

    updated += endingOfLastLine(content, eol);
    if (!lines.empty() && lines.back().textEnd > lines.back().start) {
        updated += eol;  // a blank line before the new section
    }
    updated += u'[' + section.toString() + u']' + eol + entry;
    return updated;
}

}  // namespace

QString GetString(const QString& section, const QString& key, const QString& defaultValue,
                  int bufferSize, const QString& path) {
    if (bufferSize < 1) {
        return {};
    }
    // Trailing blanks of the default are dropped, as the classic call does.
    QStringView result = QStringView(defaultValue);
    while (!result.isEmpty() && isBlank(result.back())) {
        result.chop(1);
    }

    const QStringView sectionName = trimBlanks(section);
    const QStringView keyName = trimBlanks(key);
    const std::optional<QString> content =
        sectionName.isEmpty() || keyName.isEmpty() ? std::nullopt : readLatin1(path);
    if (content) {
        const Location found = locate(*content, splitLines(*content), sectionName, keyName);
        if (found.keyLine) {
            result = withoutEnclosingQuotes(
                QStringView(*content).sliced(found.valueStart, found.valueEnd - found.valueStart));
        }
    }
    return result.first(std::min<qsizetype>(result.size(), bufferSize - 1)).toString();
}

bool IsWritableValue(QStringView value) {
    return isLatin1WithoutLineBreaks(value);
}

bool WriteString(const QString& section, const QString& key, const QString& value,
                 const QString& path) {
    const QStringView sectionName = trimBlanks(section);
    const QStringView keyName = trimBlanks(key);
    if (!canBeStored(sectionName, keyName, value)) {
        return false;
    }
    const std::optional<Target> target = targetOf(path);
    if (!target) {
        return false;
    }

    QString content;
    if (target->exists) {
        // A read-only settings file stays as it is, even though the folder would let
        // an atomic replace through.
        const QFileInfo info(target->path);
        if (!info.isFile() || !info.isWritable()) {
            return false;
        }
        std::optional<QString> current = readLatin1(target->path);
        if (!current) {
            return false;
        }
        content = std::move(*current);
    }

    // The file may hold a password, so it is left readable by its owner only, also
    // when it was readable by others before and nothing else changes.
    const QString updated = withValue(content, sectionName, keyName, storedForm(value));
    if (target->exists && updated == content) {
        // The User flags only say what this process may do; they are no mode bits.
        const auto mode = QFile::permissions(target->path) &
                          ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        return mode == kOwnerOnly || QFile::setPermissions(target->path, kOwnerOnly);
    }

    // QSaveFile writes a temporary file beside the target and renames it over the
    // target on commit; on any failure the target is untouched and the temporary file
    // is removed.
    QSaveFile out(target->path);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (!out.setPermissions(kOwnerOnly)) {
        return false;
    }
    const QByteArray bytes = updated.toLatin1();
    if (out.write(bytes) != bytes.size()) {
        return false;
    }
    return out.commit();
}

}  // namespace ui::PrivateProfile
