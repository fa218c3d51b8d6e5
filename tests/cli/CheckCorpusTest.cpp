// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "tests/cli/CliFixture.h"

namespace cli::test {
namespace {

// check over every account of the real dictionaries: no crash, nothing refused, and the
// same fifteen descriptors failing, each for a fault of its own expression.
TEST(CheckCorpus, failsOnlyTheKnownBrokenDescriptors) {
    const fs::path corpus = KELVORA_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    std::set<std::string> failed;
    std::size_t notes = 0, descriptors = 0;
    for (const auto& account : fs::directory_iterator(corpus)) {
        if (!account.is_directory()) {
            continue;
        }
        const std::string name = account.path().filename().string();
        const Outcome outcome = RunCli({"-a", account.path().string(), "check"});
        EXPECT_EQ(outcome.err, "") << name;
        std::istringstream lines(outcome.out);
        std::string summary;
        for (std::string line; std::getline(lines, line);) {
            if (line.find(": column ") != std::string::npos) {
                failed.insert(name + " " + line);
            } else if (line.find(": note: ") != std::string::npos) {
                ++notes;
            } else if (line.find(": refused: ") != std::string::npos) {
                ADD_FAILURE() << name << ": " << line;
            } else {
                summary = line;
            }
        }
        EXPECT_EQ(outcome.status, summary.find(" 0 failed;") == std::string::npos ? 1 : 0)
            << name << ": " << summary;
        descriptors += std::stoul(summary.substr(summary.find(": ") + 2));
    }
    const std::string temp = "multivalue-lab_TechDay2014-RTD &TEMP& ";
    const std::string unknown = ": no item of this dictionary has that name";
    const std::string bareAt = ": '@' alone is not a value: name an earlier result as @1, @2, ...";
    const std::set<std::string> expected = {
        // I-descriptors copied from the VOC dictionary without the F0 to F4 items they
        // read: those names are really missing from this dictionary.
        temp + "CAT.NAME: column 1: unknown name F2" + unknown,
        temp + "DESC: column 1: unknown name F1" + unknown,
        temp + "DICT.NAME: column 1: unknown name F3" + unknown,
        temp + "FILE.NAME: column 1: unknown name F2" + unknown,
        temp + "KEYWORD: column 1: unknown name F0" + unknown,
        temp + "MODE: column 1: unknown name F4" + unknown,
        temp + "NAME: column 1: unknown name F0" + unknown,
        temp + "NO.DESC: column 7: unknown name F1" + unknown,
        temp + "OP.CODE: column 1: unknown name F2" + unknown,
        temp + "TYPE: column 4: unknown name F1" + unknown,
        // Not UniVerse or UniData syntax: '@' alone for the previous result, and a name in
        // another letter case than the dictionary's item.
        "scarletdme_qmsys DICT.DIC TYPE: column 15" + bareAt,
        "scarletdme_qmsys DICT.DIC TYPE.CODE: column 14" + bareAt,
        "scarletdme_qmsys VOC.DIC DESC: column 219" + bareAt,
        "scarletdme_qmsys VOC.DIC TYPE: column 45" + bareAt,
        "scarletdme_qmsys VOC.DIC IS.REMOTE: column 4: unknown name data.name" + unknown,
    };
    EXPECT_EQ(failed, expected);
    EXPECT_EQ(descriptors, 169u);  // 154 compile, 15 fail
    EXPECT_EQ(notes, 59u);         // the lower-case "d" SQL columns of the UniData account
}

}  // namespace
}  // namespace cli::test
