// SPDX-License-Identifier: MIT
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/ui/PrivateProfile.h"
#include "tests/platform/mv/Unprivileged.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using ui::PrivateProfile::GetString;
using ui::PrivateProfile::WriteString;

class PrivateProfileWrite : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath("Kelvora.ini"); }

    void writeFile(const QByteArray& bytes) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray fileBytes() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QStringList folderEntries() const {
        return QDir(dir_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    fs::perms permissions() const {
        return fs::status(nativePath(path())).permissions() & fs::perms::mask;
    }

    static std::string nativePath(const QString& path) {
        return QFile::encodeName(path).toStdString();
    }

    TempDir dir_;
};

bool runningAsRoot() {
    return geteuid() == 0;
}

TEST_F(PrivateProfileWrite, replacesTheValueAndKeepsEveryOtherByte) {
    writeFile(
        "; settings \xe9\r\n[Other]\r\nuser = keep \r\n\r\n[LOGIN]\r\n  User = old value \r\n"
        "password=\"p w\"\r\n\r\n");
    ASSERT_TRUE(WriteString("login", "user", "new", path()));
    EXPECT_EQ(
        fileBytes(),
        QByteArray("; settings \xe9\r\n[Other]\r\nuser = keep \r\n\r\n[LOGIN]\r\n  User = new\r\n"
                   "password=\"p w\"\r\n\r\n"));
}

TEST_F(PrivateProfileWrite, replacesAnEmptyValue) {
    writeFile("[login]\nuser=\npassword=x\n");
    ASSERT_TRUE(WriteString("login", "user", "bob", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[login]\nuser=bob\npassword=x\n"));
}

TEST_F(PrivateProfileWrite, addsAKeyAtTheEndOfItsSectionBeforeBlankLines) {
    writeFile("[login]\nuser=a\n;last\n\n\n[other]\nx=1\n");
    ASSERT_TRUE(WriteString("login", "password", "p", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[login]\nuser=a\n;last\npassword=p\n\n\n[other]\nx=1\n"));
}

TEST_F(PrivateProfileWrite, addsAKeyAfterASectionHeaderOnTheLastLine) {
    writeFile("[login]");
    ASSERT_TRUE(WriteString("login", "user", "a", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[login]\nuser=a\n"));
}

TEST_F(PrivateProfileWrite, addsTheSectionAtTheEndKeepingCrLf) {
    writeFile("[other]\r\nx=1\r\n");
    ASSERT_TRUE(WriteString("login", "user", "a", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[other]\r\nx=1\r\n\r\n[login]\r\nuser=a\r\n"));
}

TEST_F(PrivateProfileWrite, endsAnUnfinishedLastLineBeforeAddingTheSection) {
    writeFile("[other]\nx=1");
    ASSERT_TRUE(WriteString("login", "user", "a", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[other]\nx=1\n\n[login]\nuser=a\n"));
}

TEST_F(PrivateProfileWrite, createsANewFileForItsOwnerOnly) {
    ASSERT_TRUE(WriteString("login", "password", "secret", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[login]\npassword=secret\n"));
    EXPECT_EQ(permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(folderEntries(), QStringList{"Kelvora.ini"});  // no temporary file left
}

// The file may hold a password: a rewrite leaves it to its owner alone, and so does a
// write that changes nothing.
TEST_F(PrivateProfileWrite, narrowsAWiderModeToTheOwner) {
    const auto groupReadable = fs::perms::owner_read | fs::perms::owner_write |
                               fs::perms::group_read | fs::perms::others_read;
    const auto ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
    writeFile("[login]\nuser=a\n");
    fs::permissions(nativePath(path()), groupReadable);
    ASSERT_TRUE(WriteString("login", "password", "secret", path()));
    EXPECT_EQ(permissions(), ownerOnly);
    EXPECT_EQ(folderEntries(), QStringList{"Kelvora.ini"});

    fs::permissions(nativePath(path()), groupReadable);
    ASSERT_TRUE(WriteString("login", "password", "secret", path()));
    EXPECT_EQ(permissions(), ownerOnly);
    EXPECT_EQ(fileBytes(), QByteArray("[login]\nuser=a\npassword=secret\n"));
}

// A last line that ends in a lone CR is ended for the reader already: a line added
// after it must not turn that CR into part of the last value.
TEST_F(PrivateProfileWrite, addsLinesAfterALastLineEndingInALoneCr) {
    writeFile("[a]\r\nk=v\r");
    ASSERT_TRUE(WriteString("b", "k", "x", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[a]\r\nk=v\r\n\r\n[b]\r\nk=x\r\n"));
    EXPECT_EQ(GetString("a", "k", "none", 128, path()), "v");
    EXPECT_EQ(GetString("b", "k", "none", 128, path()), "x");

    writeFile("[a]\r\nk=v\r");
    ASSERT_TRUE(WriteString("a", "k2", "y", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[a]\r\nk=v\r\nk2=y\r\n"));
    EXPECT_EQ(GetString("a", "k", "none", 128, path()), "v");
    EXPECT_EQ(GetString("a", "k2", "none", 128, path()), "y");

    writeFile("[a]\r");
    ASSERT_TRUE(WriteString("a", "k", "v", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[a]\r\nk=v\r\n"));
    EXPECT_EQ(GetString("a", "k", "none", 128, path()), "v");

    writeFile("[a]\nk=v\r");
    ASSERT_TRUE(WriteString("a", "k", "w", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[a]\nk=w\r"));
}

TEST_F(PrivateProfileWrite, readsBackWhatItWrote) {
    const QList<std::pair<QString, QString>> settings = {
        {"account", "/u2/uv/XDEMO"},  {"ipaddress", ""},
        {"user", "a=b ; [c]"},        {"password", QString::fromLatin1("\xe9t\xe9\xa0\xff\xfe")},
        {"DatabaseType", "UniVerse"},
    };
    for (const auto& [key, value] : settings) {
        ASSERT_TRUE(WriteString("login", key, value, path())) << key.toStdString();
    }
    ASSERT_TRUE(WriteString("login", "DATABASETYPE", "UniData", path()));
    for (const auto& [key, value] : settings) {
        const QString expected = key == "DatabaseType" ? QStringLiteral("UniData") : value;
        EXPECT_EQ(GetString("login", key, "none", 128, path()), expected) << key.toStdString();
    }
}

TEST_F(PrivateProfileWrite, refusesTextThatWouldNotReadBack) {
    writeFile("[login]\nuser=a\n");
    EXPECT_FALSE(WriteString("login", "user", "a\n[login]\npassword=x", path()));
    EXPECT_FALSE(WriteString("login", "user", "a\rb", path()));
    EXPECT_FALSE(WriteString("login", "user", QString::fromUtf8("\u20ac"), path()));
    EXPECT_FALSE(WriteString("login", "a=b", "x", path()));
    EXPECT_FALSE(WriteString("login", ";user", "x", path()));
    EXPECT_FALSE(WriteString("login", " ", "x", path()));
    EXPECT_FALSE(WriteString("", "user", "x", path()));
    EXPECT_EQ(fileBytes(), QByteArray("[login]\nuser=a\n"));
}

TEST_F(PrivateProfileWrite, failsWithoutTraceWhenTheFolderIsMissing) {
    const QString missing = dir_.filePath("missing/Kelvora.ini");
    EXPECT_FALSE(WriteString("login", "user", "a", missing));
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST_F(PrivateProfileWrite, failsWhenThePathIsAFolder) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir("Kelvora.ini"));
    EXPECT_FALSE(WriteString("login", "user", "a", path()));
    EXPECT_EQ(folderEntries(), QStringList{"Kelvora.ini"});
}

// Both run as a user the permissions apply to (as root: the user nobody, for whom the
// folder and the file are opened to others as the case needs).
std::string WrittenAsUnprivileged(const QString& folder) {
    const auto write = [](const std::string& path) {
        const QString file =
            QFile::decodeName(QByteArray::fromStdString(path)) + QStringLiteral("/Kelvora.ini");
        return std::string(WriteString("login", "user", "b", file) ? "written" : "refused");
    };
    return mv::test::AsUnprivilegedUser(QFile::encodeName(folder).toStdString(), write);
}

TEST_F(PrivateProfileWrite, failsWithoutTraceInAReadOnlyFolder) {
    writeFile("[login]\nuser=a\n");
    const std::string folder = QFile::encodeName(dir_.path()).toStdString();
    fs::permissions(nativePath(path()), fs::perms::others_read | fs::perms::others_write,
                    fs::perm_options::add);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    const std::string written = WrittenAsUnprivileged(dir_.path());
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(written, "refused");
    EXPECT_EQ(fileBytes(), QByteArray("[login]\nuser=a\n"));
    EXPECT_EQ(folderEntries(), QStringList{"Kelvora.ini"});
}

TEST_F(PrivateProfileWrite, leavesAReadOnlyFileAlone) {
    writeFile("[login]\nuser=a\n");
    // The folder may be written, the file only read.
    fs::permissions(nativePath(path()), fs::perms::owner_read | fs::perms::others_read);
    fs::permissions(QFile::encodeName(dir_.path()).toStdString(), fs::perms::all);
    EXPECT_EQ(WrittenAsUnprivileged(dir_.path()), "refused");
    fs::permissions(QFile::encodeName(dir_.path()).toStdString(), fs::perms::owner_all);
    EXPECT_EQ(fileBytes(), QByteArray("[login]\nuser=a\n"));
    EXPECT_EQ(folderEntries(), QStringList{"Kelvora.ini"});
}

// A settings file that is a symbolic link is written through only to a regular file of
// the current user; the link stays a link.
class PrivateProfileLink : public PrivateProfileWrite {
protected:
    QString targetPath() const { return dir_.filePath("real.ini"); }

    void linkTo(const QString& target) const {
        fs::create_symlink(nativePath(target), nativePath(path()));
    }

    QByteArray targetBytes() const {
        QFile file(targetPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    void writeTarget(const QByteArray& bytes) const {
        QFile file(targetPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

TEST_F(PrivateProfileLink, writesThroughALinkToTheUsersOwnFile) {
    writeTarget("[login]\nuser=a\n");
    fs::permissions(nativePath(targetPath()), fs::perms::owner_read | fs::perms::owner_write |
                                                  fs::perms::group_read | fs::perms::others_read);
    linkTo(targetPath());
    ASSERT_TRUE(WriteString("login", "user", "b", path()));
    EXPECT_TRUE(fs::is_symlink(nativePath(path())));
    EXPECT_EQ(targetBytes(), QByteArray("[login]\nuser=b\n"));
    EXPECT_EQ(fs::status(nativePath(targetPath())).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(GetString("login", "user", "none", 128, path()), "b");
    EXPECT_EQ(folderEntries(), (QStringList{"Kelvora.ini", "real.ini"}));

    // Through a chain of links, by a relative name.
    const QString second = dir_.filePath("second.ini");
    fs::create_symlink("real.ini", nativePath(second));
    fs::remove(nativePath(path()));
    fs::create_symlink("second.ini", nativePath(path()));
    ASSERT_TRUE(WriteString("login", "user", "c", path()));
    EXPECT_TRUE(fs::is_symlink(nativePath(path())));
    EXPECT_TRUE(fs::is_symlink(nativePath(second)));
    EXPECT_EQ(targetBytes(), QByteArray("[login]\nuser=c\n"));
}

TEST_F(PrivateProfileLink, refusesALinkToAnotherUsersFile) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "only root can give a file to another user";
    }
    writeTarget("[login]\nuser=a\n");
    ASSERT_EQ(::chown(QFile::encodeName(targetPath()).constData(), 65534, 65534), 0);
    linkTo(targetPath());
    EXPECT_FALSE(WriteString("login", "user", "b", path()));
    EXPECT_EQ(targetBytes(), QByteArray("[login]\nuser=a\n"));
    EXPECT_TRUE(fs::is_symlink(nativePath(path())));
}

TEST_F(PrivateProfileLink, refusesALinkToAnythingButARegularFile) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(targetPath()).constData(), 0600), 0);
    linkTo(targetPath());
    EXPECT_FALSE(WriteString("login", "user", "b", path()));
    EXPECT_TRUE(fs::is_fifo(nativePath(targetPath())));

    fs::remove(nativePath(path()));
    const QString folder = dir_.filePath("folder");
    fs::create_directory(nativePath(folder));
    linkTo(folder);
    EXPECT_FALSE(WriteString("login", "user", "b", path()));
    EXPECT_TRUE(fs::is_empty(nativePath(folder)));

    fs::remove(nativePath(path()));
    linkTo(dir_.filePath("missing.ini"));
    EXPECT_FALSE(WriteString("login", "user", "b", path()));
    EXPECT_EQ(folderEntries(), (QStringList{"folder", "Kelvora.ini", "real.ini"}));
}

}  // namespace
