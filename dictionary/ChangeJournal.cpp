// SPDX-License-Identifier: MIT
#include "dictionary/ChangeJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include "platform/mv/Session.h"

namespace dictionary {

namespace {

// A full rewrite keeps the newest changes up to this share of the cap, so that the file
// is not rewritten again at the next few appends.
constexpr std::int64_t kKeptShareDivisor = 2;

QString SystemError(const QString& what) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool ReadAllOf(int fd, std::string& bytes) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            bytes.resize(done);
            return got == 0;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// The frames of one change: the change and, when known, its outcome.
std::string FramesOf(const JournalEntry& entry) {
    std::string frames = core::EncodeChangeFrame(entry);
    if (entry.outcome != ChangeOutcome::Unknown) {
        frames += core::EncodeOutcomeFrame(entry.session, entry.sequence, entry.outcome);
    }
    return frames;
}

void SyncFolderOf(const QByteArray& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).path());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

ChangeJournal::ChangeJournal(std::string accountKey, QString path, std::int64_t capBytes)
    : accountKey_(std::move(accountKey)),
      path_(std::move(path)),
      capBytes_(capBytes),
      sessionId_(QRandomGenerator::system()->generate64()) {}

std::string ChangeJournal::AccountKeyOf(const mv::Session& session) {
    if (!session.HostName().empty()) {
        return "remote:" + session.HostName() + "/" + session.AccountPath();
    }
    const QFileInfo folder(QFile::decodeName(QByteArray::fromStdString(session.AccountPath())));
    const QString canonical = folder.canonicalFilePath();
    const QString where =
        canonical.isEmpty() ? QDir::cleanPath(folder.absoluteFilePath()) : canonical;
    return "local:" + QFile::encodeName(where).toStdString();
}

QString ChangeJournal::DefaultPath(const std::string& accountKey) {
    const QByteArray key = QByteArray::fromStdString(accountKey);
    // A readable name for the user who looks into the folder, and a hash that keeps two
    // accounts apart whose readable names are the same.
    QString readable;
    for (const char byte : key) {
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '.' || byte == '-';
        readable += plain ? QChar::fromLatin1(byte) : QLatin1Char('_');
    }
    readable = readable.right(48);
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kelvora/journal/") + readable + QLatin1Char('-') + hash +
           QStringLiteral(".journal");
}

std::uint64_t ChangeJournal::Begin(ChangeOrigin origin, const std::string& file,
                                   const std::string& id, const std::optional<std::string>& before,
                                   const std::optional<std::string>& after) {
    JournalEntry entry;
    entry.session = sessionId_;
    entry.sequence = session_.size() + 1;
    entry.msecsSinceEpoch = QDateTime::currentMSecsSinceEpoch();
    entry.origin = origin;
    entry.file = file;
    entry.id = id;
    entry.before = before;
    entry.after = after;
    session_.push_back(entry);
    if (!Append(core::EncodeChangeFrame(entry))) {
        unwritten_.push_back(entry.sequence);
    }
    return entry.sequence;
}

void ChangeJournal::Finish(std::uint64_t sequence, ChangeOutcome outcome) {
    if (sequence == 0 || sequence > session_.size()) {
        return;
    }
    session_[sequence - 1].outcome = outcome;
    if (std::find(unwritten_.begin(), unwritten_.end(), sequence) == unwritten_.end()) {
        Append(core::EncodeOutcomeFrame(sessionId_, sequence, outcome));
    }
}

const JournalEntry* ChangeJournal::SessionEntry(std::uint64_t sequence) const {
    if (sequence == 0 || sequence > session_.size()) {
        return nullptr;
    }
    return &session_[sequence - 1];
}

bool ChangeJournal::EnsureFolder() {
    const QString folder = QFileInfo(path_).path();
    if (QDir().mkpath(folder)) {
        // What was changed may be private: the folder is the user's alone.
        QFile::setPermissions(
            folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return true;
    }
    problem_ = QStringLiteral("Cannot create the folder ") + folder;
    return false;
}

bool ChangeJournal::Append(const std::string& frame) {
    if (!EnsureFolder()) {
        return false;
    }
    const QByteArray path = QFile::encodeName(path_);
    // Another copy of the program may replace the file (its own rewrite) between the open
    // and the lock: then the lock is taken again on the new file.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0) {
            problem_ = SystemError(QStringLiteral("Cannot open ") + path_);
            return false;
        }
        struct stat opened {};
        struct stat named {};
        if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &opened) != 0) {
            problem_ = SystemError(QStringLiteral("Cannot lock ") + path_);
            ::close(fd);
            return false;
        }
        if (::stat(path.constData(), &named) != 0 || named.st_ino != opened.st_ino ||
            named.st_dev != opened.st_dev) {
            ::close(fd);
            continue;
        }
        if (opened.st_size == 0) {
            SyncFolderOf(path);
        }
        // A journal made by hand or by an older copy may be readable by others.
        if ((opened.st_mode & 0777) != 0600) {
            ::fchmod(fd, 0600);
        }
        const bool written = AppendLocked(fd, frame);
        ::close(fd);
        return written;
    }
    problem_ = QStringLiteral("The journal file ") + path_ + QStringLiteral(" keeps changing");
    return false;
}

bool ChangeJournal::AppendLocked(int fd, const std::string& frame) {
    if (!tailChecked_) {
        tailChecked_ = true;
        std::string bytes;
        if (ReadAllOf(fd, bytes)) {
            // A change cut short by a crash would sit between good frames: cut it off.
            const std::size_t goodEnd = core::DecodeJournal(bytes).goodEnd;
            if (core::IsTornTail(bytes, goodEnd) &&
                ::ftruncate(fd, static_cast<off_t>(goodEnd)) != 0) {
                problem_ = SystemError(QStringLiteral("Cannot repair ") + path_);
            }
        }
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        problem_ = SystemError(QStringLiteral("Cannot read ") + path_);
        return false;
    }
    if (info.st_size + static_cast<std::int64_t>(frame.size()) > capBytes_) {
        return RewriteWith(fd, frame);
    }
    if (!WriteAll(fd, frame) || ::fsync(fd) != 0) {
        problem_ = SystemError(QStringLiteral("Cannot write ") + path_);
        // The part of the frame the disk took (a full disk, a write error) is cut off
        // again: the change is reported as not written, so the file must not hold it,
        // nor its bytes sit in front of the changes appended after it.
        if (::ftruncate(fd, info.st_size) != 0) {
            problem_ += QStringLiteral("; the part written could not be cut off (") +
                        QString::fromLocal8Bit(std::strerror(errno)) +
                        QStringLiteral("), and is skipped when the journal is read");
        }
        return false;
    }
    return true;
}

bool ChangeJournal::RewriteWith(int fd, const std::string& frame) {
    std::string bytes;
    if (!ReadAllOf(fd, bytes)) {
        problem_ = SystemError(QStringLiteral("Cannot read ") + path_);
        return false;
    }
    const std::vector<JournalEntry> entries = core::DecodeJournal(bytes).entries;
    // The newest changes that fit in the kept share, the oldest going first.
    const std::int64_t room =
        capBytes_ / kKeptShareDivisor - static_cast<std::int64_t>(frame.size());
    std::vector<std::string> kept;
    std::int64_t used = 0;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        std::string frames = FramesOf(*entry);
        used += static_cast<std::int64_t>(frames.size());
        if (used > room) {
            break;
        }
        kept.push_back(std::move(frames));
    }
    std::string rewritten;
    for (auto frames = kept.rbegin(); frames != kept.rend(); ++frames) {
        rewritten += *frames;
    }
    rewritten += frame;

    // Written beside the file and renamed over it: a crash leaves the old file or the
    // new one, never a mix.
    const QByteArray path = QFile::encodeName(path_);
    const QByteArray temporary = path + ".new" + QByteArray::number(::getpid());
    const int out = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0) {
        problem_ = SystemError(QStringLiteral("Cannot rewrite ") + path_);
        return false;
    }
    const bool written = WriteAll(out, rewritten) && ::fsync(out) == 0;
    ::close(out);
    if (!written || ::rename(temporary.constData(), path.constData()) != 0) {
        problem_ = SystemError(QStringLiteral("Cannot rewrite ") + path_);
        ::unlink(temporary.constData());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

std::vector<JournalEntry> ChangeJournal::ReadAll() const {
    std::vector<JournalEntry> entries;
    const QByteArray path = QFile::encodeName(path_);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        std::string bytes;
        // A shared lock: an append in progress is read whole or not at all.
        ::flock(fd, LOCK_SH);
        if (ReadAllOf(fd, bytes)) {
            entries = core::DecodeJournal(bytes).entries;
        }
        ::close(fd);
    }
    // This run's memory knows best what became of its own changes.
    for (JournalEntry& entry : entries) {
        if (entry.session == sessionId_) {
            if (const JournalEntry* own = SessionEntry(entry.sequence)) {
                entry.outcome = own->outcome;
            }
        }
    }
    for (const std::uint64_t sequence : unwritten_) {
        if (const JournalEntry* own = SessionEntry(sequence)) {
            entries.push_back(*own);
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const JournalEntry& a, const JournalEntry& b) {
                         return a.msecsSinceEpoch < b.msecsSinceEpoch;
                     });
    return entries;
}

}  // namespace dictionary
