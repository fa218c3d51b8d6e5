// SPDX-License-Identifier: MIT
#include <linux/capability.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "connection/SettingsFile.h"

namespace {

namespace fs = std::filesystem;

// A folder anyone may pass through (the system's /tmp may be closed to other users).
class OpenFolder {
public:
    OpenFolder() {
        std::string pattern = "/var/tmp/kelvora-settings-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
            ::chmod(path_.c_str(), 0755);
        }
    }
    ~OpenFolder() { fs::remove_all(path_); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

QString Text(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// Takes away root's power to write where the permission bits forbid it, so this process
// meets a folder that is not writable as an ordinary user does. (Acting as another user
// is no way here: on some machines only root may even pass through the top folder.)
bool DropPermissionOverride() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        data[0].effective &= ~(1u << capability);
        data[0].permitted &= ~(1u << capability);
    }
    return ::syscall(SYS_capset, &header, data) == 0;
}

TEST(SettingsLocation, aWritableProgramFolderKeepsTheFileBesideTheProgram) {
    OpenFolder program;
    const SettingsFile settings(Text(program.Path()));
    EXPECT_EQ(settings.path(), Text(program.Path() / "Kelvora.ini"));
}

// An installed copy: the program's folder cannot be written by the user who saves the
// defaults. They go to the user's config folder, made on the first save, and read back.
TEST(SettingsLocation, aUserWhoCannotWriteTheProgramFolderSavesInTheirConfigFolder) {
    OpenFolder root;
    const fs::path program = root.Path() / "bin";
    const fs::path home = root.Path() / "home";
    fs::create_directories(program);
    fs::create_directories(home);
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read |
                                 fs::perms::others_exec);

    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && !DropPermissionOverride()) {
            ::_exit(10);
        }
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        const SettingsFile settings(Text(program));
        if (settings.path() != Text(home / ".config/kelvora/Kelvora.ini")) {
            ::_exit(11);
        }
        if (!settings.Write(SettingsFile::kUser, QStringLiteral("ann"))) {
            ::_exit(12);
        }
        ::_exit(settings.Read(SettingsFile::kUser) == QStringLiteral("ann") ? 0 : 13);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: could not act as an ordinary user, 11: wrong "
                                         "path, 12: not written, 13: read back wrong";
    EXPECT_FALSE(fs::exists(program / "Kelvora.ini"));
    struct stat info {};
    ASSERT_EQ(::stat((home / ".config/kelvora/Kelvora.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    fs::permissions(program, fs::perms::owner_all);
}

}  // namespace
