// SPDX-License-Identifier: MIT
#include "tests/cli/CliFixture.h"

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/Cli.h"
#include "platform/mv/RecordLocks.h"

namespace cli::test {

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "kelvora-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

Outcome RunCli(const std::vector<std::string>& words, bool progress,
               std::optional<std::string> password) {
    static const core::ErrorTable names = [] {
        core::ErrorTable table;
        table.Load(KELVORA_SOURCE_DIR "/platform/mv/Uvoaif.txt");
        return table;
    }();
    std::ostringstream out, err;
    const Environment env{out, err, &names, progress, false, password, {}, {}, false, password};
    Outcome outcome;
    outcome.status = cli::RunCli(words, env);
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
}

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void WriteItem(const fs::path& dictionary, const std::string& fileName, std::string record) {
    fs::create_directories(dictionary);
    std::replace(record.begin(), record.end(), '\xFE', '\n');
    WriteBytes(dictionary / fileName, record);
}

std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().filename() != mv::kLockFileName) {
            files[fs::relative(entry.path(), root).string()] = FileBytes(entry.path());
        }
    }
    return files;
}

fs::path CopyDemo(const TempFolder& folder) {
    const fs::path demo = folder.Path() / "demo";
    fs::copy(KELVORA_SOURCE_DIR "/examples/demo", demo, fs::copy_options::recursive);
    return demo;
}

}  // namespace cli::test
