// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

// The house rules of the source tree, checked on the sources themselves: every include
// names its folder from the top of the tree, no folder includes one above it, and the
// folders that must build without Qt (the engine, the shared core, the server and the
// command-line tool) include none of it.
namespace {

namespace fs = std::filesystem;

const fs::path kRoot = KELVORA_SOURCE_DIR;

// The program's folders, each with the folders it may include (besides its own).
const std::map<std::string, std::set<std::string>>& Allowed() {
    static const std::set<std::string> platform = {"platform/mv", "platform/ui", "platform/grid"};
    static const std::map<std::string, std::set<std::string>> allowed = [] {
        std::map<std::string, std::set<std::string>> rules;
        const auto with = [](std::set<std::string> folders) {
            folders.insert(platform.begin(), platform.end());
            return folders;
        };
        rules["platform/mv"] = {};
        rules["platform/ui"] = {};
        rules["platform/grid"] = {};
        rules["core"] = {"platform/mv"};
        rules["connection"] = with({"core"});
        rules["dictionary"] = with({"connection", "core"});
        rules["editing"] = with({"dictionary", "connection", "core"});
        rules["tools"] = with({"dictionary", "connection", "core"});
        rules["app"] = with({"tools", "editing", "dictionary", "connection", "core"});
        rules["cli"] = {"core", "platform/mv"};
        rules["server"] = {"core", "platform/mv"};
        return rules;
    }();
    return allowed;
}

// The program folder a path of the tree lies in, or empty.
std::string FolderOf(const std::string& relative) {
    std::string best;
    for (const auto& [folder, rules] : Allowed()) {
        if (relative.rfind(folder + "/", 0) == 0 && folder.size() > best.size()) {
            best = folder;
        }
    }
    return best;
}

struct Include {
    std::string file;  // relative to the top of the tree
    int line = 0;
    std::string target;
    bool quoted = false;
};

std::vector<Include> IncludesOfTheProgram() {
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> found;
    for (const auto& [folder, rules] : Allowed()) {
        for (const auto& entry : fs::recursive_directory_iterator(kRoot / folder)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) {
                continue;
            }
            const std::string relative = fs::relative(entry.path(), kRoot).generic_string();
            std::ifstream in(entry.path());
            std::string text;
            for (int number = 1; std::getline(in, text); ++number) {
                std::smatch match;
                if (std::regex_search(text, match, include)) {
                    found.push_back({relative, number, match[2].str(), match[1].str() == "\""});
                }
            }
        }
    }
    return found;
}

TEST(SourceTree, everyIncludeNamesItsFolderFromTheTop) {
    const std::vector<Include> includes = IncludesOfTheProgram();
    ASSERT_GT(includes.size(), 500u) << "the scan found the sources";
    for (const Include& include : includes) {
        if (!include.quoted) {
            continue;
        }
        EXPECT_TRUE(fs::is_regular_file(kRoot / include.target))
            << include.file << ":" << include.line << " includes \"" << include.target
            << "\", which is no file named from the top of the tree";
    }
}

TEST(SourceTree, noFolderIncludesOneAboveIt) {
    for (const Include& include : IncludesOfTheProgram()) {
        if (!include.quoted) {
            continue;
        }
        const std::string from = FolderOf(include.file);
        const std::string to = FolderOf(include.target);
        if (to.empty() || to == from) {
            continue;
        }
        EXPECT_TRUE(Allowed().at(from).count(to) != 0)
            << include.file << ":" << include.line << ": " << from << " includes " << to;
    }
}

// kelvora-cmd reaches the engine through the client objects and the few calls made for
// it, never through the engine's internals (item files, record format, the compiler).
TEST(SourceTree, theCommandLineToolUsesOnlyTheEnginesPublicHeaders) {
    const std::set<std::string> published = {"platform/mv/AccountListing.h",
                                             "platform/mv/CommandWords.h",
                                             "platform/mv/DescriptorCheck.h",
                                             "platform/mv/DictionaryFile.h",
                                             "platform/mv/DictionaryInspection.h",
                                             "platform/mv/DynamicArray.h",
                                             "platform/mv/ErrorCodes.h",
                                             "platform/mv/ItemIdEscaping.h",
                                             "platform/mv/ServerCommand.h",
                                             "platform/mv/ServerSelectList.h",
                                             "platform/mv/Session.h",
                                             "platform/mv/UniqueFd.h",
                                             "platform/mv/values/Conversions.h",
                                             "platform/mv/values/Evaluator.h",
                                             "platform/mv/values/FileValues.h"};
    for (const Include& include : IncludesOfTheProgram()) {
        if (FolderOf(include.file) == "cli" && FolderOf(include.target) == "platform/mv") {
            EXPECT_TRUE(published.count(include.target) != 0)
                << include.file << ":" << include.line << " includes " << include.target;
        }
    }
}

TEST(SourceTree, theFoldersWithoutQtIncludeNone) {
    for (const Include& include : IncludesOfTheProgram()) {
        const std::string from = FolderOf(include.file);
        if (from != "core" && from != "platform/mv" && from != "server" && from != "cli") {
            continue;
        }
        EXPECT_NE(include.target.rfind("Q", 0), 0u)
            << include.file << ":" << include.line << " includes " << include.target;
    }
}

}  // namespace
