// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// One brace style across the tree: the body of every if, else, for and while stands in
// braces, so a line added to it later cannot fall outside it unseen. The formatter keeps
// the layout; this keeps the braces, which the formatter of this machine cannot add.
namespace {

namespace fs = std::filesystem;

const fs::path kRoot = KELVORA_SOURCE_DIR;

const char* const kSourceFolders[] = {"app",      "bench",      "cli",     "connection",
                                      "core",     "dictionary", "editing", "fuzz",
                                      "platform", "server",     "tests",   "tools"};

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The line with its indentation and a closing brace before "else" taken off.
std::string Statement(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    std::string text = first == std::string::npos ? std::string() : line.substr(first);
    if (StartsWith(text, "} ")) {
        text.erase(0, 2);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// A whole control line whose body follows on the next line without a brace: the
// condition's parentheses close on this line, and nothing comes after them.
bool OpensBodyWithoutBrace(const std::string& statement) {
    if (statement == "else" || statement == "do") {
        return true;
    }
    bool control = false;
    for (const char* keyword : {"if (", "else if (", "for (", "while ("}) {
        control = control || StartsWith(statement, keyword);
    }
    if (!control || statement.back() != ')') {
        return false;
    }
    int depth = 0;
    for (const char c : statement) {
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    }
    return depth == 0;
}

TEST(SourceTree, everyControlStatementHasItsBodyInBraces) {
    int files = 0;
    for (const char* folder : kSourceFolders) {
        if (!fs::is_directory(kRoot / folder)) {
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(kRoot / folder)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) {
                continue;
            }
            ++files;
            std::ifstream in(entry.path());
            std::string line;
            for (int number = 1; std::getline(in, line); ++number) {
                EXPECT_FALSE(OpensBodyWithoutBrace(Statement(line)))
                    << fs::relative(entry.path(), kRoot).generic_string() << ":" << number << ": "
                    << Statement(line);
            }
        }
    }
    EXPECT_GT(files, 300) << "the scan found the sources";
}

}  // namespace
