// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "platform/mv/RecordFormat.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using Failures = std::map<std::string, std::string>;  // "account/file/item" -> message

// Runs CD on every dictionary of a copy of `source` and returns the failed items. Every
// item the copy holds afterwards keeps fields 1 to 8 of the original byte for byte.
Failures CompileAccount(const fs::path& source, std::size_t& compiled) {
    Failures failures;
    test::TempAccount copy;
    fs::remove(copy.Path());
    test::CopyTree(source, copy.Path());
    const auto session = copy.Connect();
    for (const auto& dictionary : fs::directory_iterator(copy.Path())) {
        const std::string directory = dictionary.path().filename().string();
        if (directory.rfind("D_", 0) != 0) {
            continue;
        }
        session->Command().SetText("CD " + directory.substr(2));
        session->Command().Exec();
        EXPECT_EQ(session->Command().Error(), 0) << session->Command().Response();
        std::istringstream lines(session->Command().Response());
        for (std::string line; std::getline(lines, line);) {
            const std::size_t colon = line.find(": ");
            if (line.find(": column ") != std::string::npos) {
                failures[source.filename().string() + "/" + directory.substr(2) + "/" +
                         line.substr(0, colon)] = line.substr(colon + 2);
            } else if (line.find(": compiled.") != std::string::npos) {
                ++compiled;
            }
        }
        for (const auto& item : fs::directory_iterator(dictionary.path())) {
            std::string before = test::FileBytes(source / directory / item.path().filename());
            std::string after = test::FileBytes(item.path());
            FileBytesToRecord(before);
            FileBytesToRecord(after);
            for (int n = 1; n <= 8; ++n) {
                EXPECT_EQ(FieldText(after, n), FieldText(before, n)) << item.path() << " " << n;
            }
        }
    }
    return failures;
}

void ExpectFailures(const Failures& actual, const Failures& expected) {
    for (const auto& [item, phrase] : expected) {
        const auto found = actual.find(item);
        if (found == actual.end()) {
            ADD_FAILURE() << item << " compiled, but should fail with: " << phrase;
            continue;
        }
        EXPECT_NE(found->second.find(phrase), std::string::npos) << item << ": " << found->second;
    }
    for (const auto& [item, message] : actual) {
        EXPECT_TRUE(expected.count(item)) << item << " failed: " << message;
    }
}

// Every I and V expression of the real dictionaries compiles against its own
// dictionary, but for these, each with the reason.
TEST(CompileCorpus, EveryRealExpressionCompilesButTheKnownExceptions) {
    const fs::path corpus = KELVORA_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    const std::string temp = "multivalue-lab_TechDay2014-RTD/&TEMP&/";
    const std::string qm = "scarletdme_qmsys/";
    const Failures expected = {
        // A dictionary of I-descriptors copied from the VOC dictionary without the
        // F0 to F5 items they read: the names are not in this dictionary.
        {temp + "CAT.NAME", "column 1: unknown name F2"},
        {temp + "DESC", "column 1: unknown name F1"},
        {temp + "DICT.NAME", "column 1: unknown name F3"},
        {temp + "FILE.NAME", "column 1: unknown name F2"},
        {temp + "KEYWORD", "column 1: unknown name F0"},
        {temp + "MODE", "column 1: unknown name F4"},
        {temp + "NAME", "column 1: unknown name F0"},
        {temp + "NO.DESC", "column 7: unknown name F1"},
        {temp + "OP.CODE", "column 1: unknown name F2"},
        {temp + "TYPE", "column 4: unknown name F1"},
        // Not UniVerse or UniData syntax: '@' alone for the previous result, item names
        // in another letter case than the dictionary's.
        {qm + "DICT.DIC/TYPE", "column 15: '@' alone is not a value"},
        {qm + "DICT.DIC/TYPE.CODE", "column 14: '@' alone is not a value"},
        {qm + "VOC.DIC/DESC", "column 219: '@' alone is not a value"},
        {qm + "VOC.DIC/TYPE", "column 45: '@' alone is not a value"},
        {qm + "VOC.DIC/IS.REMOTE", "column 4: unknown name data.name"},
    };
    Failures failures;
    std::size_t compiled = 0;
    for (const auto& account : fs::directory_iterator(corpus)) {
        if (account.is_directory()) {
            failures.merge(CompileAccount(account.path(), compiled));
        }
    }
    ExpectFailures(failures, expected);
    EXPECT_EQ(compiled, 154u);
}

TEST(CompileCorpus, TheDemoAccountCompilesButForItsBrokenLine) {
    std::size_t compiled = 0;
    const Failures failures = CompileAccount(KELVORA_SOURCE_DIR "/examples/demo", compiled);
    ExpectFailures(failures, {{"demo/ORDERS/LINE.NET",
                               "column 7: expected an operand after '*' but found '*'"}});
    EXPECT_EQ(compiled, 21u);
}

}  // namespace
}  // namespace mv
