// SPDX-License-Identifier: MIT
// The settings file: starting from any file content, a run of writes of random
// sections, keys and values. Every write the writer accepts must read back exactly, with
// a buffer big enough, and keep reading back until a later write to the same key; every
// write it refuses must leave the file as it was, and be one of the refusals it
// documents (empty or multi-line names, text outside Latin-1, a key that would read as
// something else).
#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFolder.h"
#include "platform/ui/PrivateProfile.h"

namespace {

constexpr int kBigBuffer = 1 << 20;

struct Write {
    QString section, key, value;
};

std::string Describe(const Write& write, const QString& got) {
    return "[" + write.section.toStdString() + "] " + write.key.toStdString() + " = <" +
           write.value.toStdString() + "> read back as <" + got.toStdString() + ">";
}

void RequireReadBack(bool holds, const char* property, const Write& write, const QString& got) {
    if (!holds) {
        fuzz::Fail(property, Describe(write, got));
    }
}

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t')) {
        ++begin;
    }
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t')) {
        --end;
    }
    return text.mid(begin, end - begin);
}

bool SameName(const QString& a, const QString& b) {
    return TrimBlanks(a).compare(TrimBlanks(b), Qt::CaseInsensitive) == 0;
}

bool StorableText(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF || c == u'\n' || c == u'\r') {
            return false;
        }
    }
    return true;
}

// The refusals the writer documents.
bool DocumentedRefusal(const Write& write) {
    const QString section = TrimBlanks(write.section);
    const QString key = TrimBlanks(write.key);
    return section.isEmpty() || key.isEmpty() || !StorableText(section) || !StorableText(key) ||
           !StorableText(write.value) || key.contains(u'=') || key.startsWith(u';') ||
           key.startsWith(u'[');
}

QString Text(FuzzedDataProvider& input, std::size_t longest) {
    const std::string bytes = input.ConsumeRandomLengthString(longest);
    // Mostly Latin-1, which the file holds; sometimes UTF-8, to offer text it cannot.
    return input.ConsumeIntegralInRange(0, 7) == 0 ? QString::fromUtf8(bytes)
                                                   : QString::fromLatin1(bytes);
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const QString path = QString::fromStdString(fuzz::ScratchFolder() + "/Kelvora.ini");
    QFile::remove(path);
    if (input.ConsumeBool()) {
        const std::string initial = input.ConsumeRandomLengthString(2048);
        QFile file(path);
        fuzz::Require(file.open(QIODevice::WriteOnly), "the scratch file can be made");
        file.write(initial.data(), static_cast<qint64>(initial.size()));
    }

    std::vector<Write> accepted;
    for (int n = 0; n < 8 && input.remaining_bytes() > 0; ++n) {
        Write write;
        write.section = Text(input, 24);
        write.key = Text(input, 24);
        write.value = Text(input, 200);
        const QByteArray before = FileBytes(path);
        if (!ui::PrivateProfile::WriteString(write.section, write.key, write.value, path)) {
            fuzz::Require(FileBytes(path) == before, "a refused write leaves the file as it was",
                          write.value.toStdString());
            RequireReadBack(DocumentedRefusal(write), "the writer refuses only what it documents",
                            write, QString());
            continue;
        }
        const QString got =
            ui::PrivateProfile::GetString(write.section, write.key, "\x01", kBigBuffer, path);
        RequireReadBack(got == write.value, "an accepted value reads back exactly", write, got);
        if (!write.value.isEmpty()) {
            const int cut = static_cast<int>(write.value.size());
            const QString shorter =
                ui::PrivateProfile::GetString(write.section, write.key, "\x01", cut, path);
            RequireReadBack(shorter == write.value.left(cut - 1),
                            "a buffer one short cuts the last character", write, shorter);
        }
        accepted.push_back(write);
    }

    // Each accepted value still reads back unless a later write replaced it.
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        bool replaced = false;
        for (std::size_t j = i + 1; j < accepted.size(); ++j) {
            replaced = replaced || (SameName(accepted[i].section, accepted[j].section) &&
                                    SameName(accepted[i].key, accepted[j].key));
        }
        if (replaced) {
            continue;
        }
        const QString got = ui::PrivateProfile::GetString(accepted[i].section, accepted[i].key,
                                                          "\x01", kBigBuffer, path);
        RequireReadBack(got == accepted[i].value, "later writes to other keys keep a value",
                        accepted[i], got);
    }
    return 0;
}
