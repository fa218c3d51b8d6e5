// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/ErrorTable.h"

namespace cli::test {

namespace fs = std::filesystem;

// A folder for one test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs kelvora-cmd in-process on string streams, naming codes from the constants file
// of the source tree.
// `password` stands for the variable KELVORA_PASSWORD; no terminal is ever asked.
Outcome RunCli(const std::vector<std::string>& words, bool progress = false,
               std::optional<std::string> password = std::nullopt);

std::string FileBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const std::string& bytes);

// Writes an item file: the record with its field marks as line feeds, named as given.
void WriteItem(const fs::path& dictionary, const std::string& fileName, std::string record);

// Every file under root, by relative path, with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root);

// Copies examples/demo into folder/demo and returns its path.
fs::path CopyDemo(const TempFolder& folder);

}  // namespace cli::test
