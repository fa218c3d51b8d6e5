// SPDX-License-Identifier: MIT
// Every I and V item of the XDEMO accounts on every record of its file, read from the
// shared corpus as the engine reads item files.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/mv/DirectoryListing.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ItemFiles.h"
#include "platform/mv/ItemIdEscaping.h"
#include "platform/mv/RecordFormat.h"
#include "platform/mv/UniqueFd.h"
#include "platform/mv/compiler/DirectoryItemSource.h"
#include "platform/mv/compiler/NameResolver.h"
#include "platform/mv/values/Conversions.h"
#include "platform/mv/values/Evaluator.h"
#include "platform/mv/values/RecordSource.h"

namespace {

namespace fs = std::filesystem;
using mv::values::Evaluated;

// The data files and dictionaries of one corpus account, read through the engine's item
// file helpers; each folder is opened once.
class CorpusAccount final : public mv::values::RecordSource {
public:
    explicit CorpusAccount(fs::path root) : root_(std::move(root)) {}

    int Folder(const std::string& name) {
        std::unique_ptr<mv::UniqueFd>& fd = folders_[name];
        if (!fd) {
            fd = std::make_unique<mv::UniqueFd>(
                ::open((root_ / name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        }
        return fd->Get();
    }

    int Read(const std::string& file, bool dictionary, const std::string& id,
             std::string& record) override {
        const int fd = Folder((dictionary ? "D_" : "") + file);
        if (fd < 0) {
            return mv::kNoSuchDictionary;
        }
        std::string name;
        if (!mv::EscapeItemId(id, name)) {
            return mv::kRecordNotFound;
        }
        const int code = mv::ReadItemFile(fd, name.c_str(), record, nullptr);
        mv::FileBytesToRecord(record);
        return code;
    }

private:
    fs::path root_;
    std::map<std::string, std::unique_ptr<mv::UniqueFd>> folders_;
};

struct Tally {
    int values = 0;
    std::map<std::string, int> whyNot;  // error -> how many
};

// The values the corpus test checks by what the records imply, by "FILE ITEM" and id.
using Checked = std::map<std::string, std::map<std::string, std::string>>;

std::string Sum(std::string_view values) {
    long total = 0;
    for (const std::string_view value : {values}) {
        std::size_t start = 0;
        for (std::size_t i = 0; i <= value.size(); ++i) {
            if (i == value.size() || value[i] == '\xFD') {
                total += std::stol(std::string("0") + std::string(value.substr(start, i - start)));
                start = i + 1;
            }
        }
    }
    return std::to_string(total);
}

void EvaluateAccount(const fs::path& root, Tally& tally, Checked& checked) {
    CorpusAccount account(root);
    for (const fs::directory_entry& entry : fs::directory_iterator(root)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind("D_", 0) == 0 || !fs::is_directory(root / ("D_" + file))) {
            continue;
        }
        mv::DirectoryItemSource dictionary(account.Folder("D_" + file));
        std::vector<std::string> ids;
        ASSERT_TRUE(dictionary.LoadAll(ids));
        std::vector<std::string> descriptors;
        for (const std::string& id : ids) {
            if (mv::IsDescriptorType(mv::TypeCodeOf(*dictionary.Find(id)))) {
                descriptors.push_back(id);
            }
        }
        std::vector<mv::ItemFileEntry> records;
        ASSERT_TRUE(mv::ListItemFiles(account.Folder(file), records));
        mv::values::EvaluationContext context;
        context.fileName = file;
        context.dictionary = &dictionary;
        context.records = &account;
        context.now = std::chrono::system_clock::now();
        std::string record;
        for (const mv::ItemFileEntry& item : records) {
            ASSERT_EQ(account.Read(file, false, item.id, record), mv::kOk);
            ++context.recordNumber;
            for (const std::string& descriptor : descriptors) {
                const Evaluated result =
                    mv::values::EvaluateItem(descriptor, item.id, record, context);
                if (result.Ok()) {
                    ++tally.values;
                    checked[file + " " + descriptor][item.id] = result.value;
                } else {
                    ++tally.whyNot[result.error];
                }
            }
        }
    }
}

class EvaluatorCorpus : public ::testing::TestWithParam<const char*> {};

TEST_P(EvaluatorCorpus, everyDescriptorGivesAValueOrNamesWhyNot) {
    const fs::path root = fs::path(KELVORA_CORPUS_DIR) / GetParam();
    if (!fs::is_directory(root / "MEMBERS")) {
        GTEST_SKIP() << "no corpus with data files at " << root;
    }
    Tally tally;
    Checked checked;
    EvaluateAccount(root, tally, checked);
    int whyNot = 0;
    for (const auto& [error, count] : tally.whyNot) {
        whyNot += count;
        EXPECT_TRUE(error == "not evaluated here: SUBR calls a server subroutine" ||
                    error.starts_with("TRANS: no file "))
            << count << " x " << error;
    }
    std::cout << GetParam() << ": " << tally.values << " values, " << whyNot << " named why not\n";
    for (const auto& [error, count] : tally.whyNot) {
        std::cout << "  " << count << " x " << error << "\n";
    }
    EXPECT_EQ(tally.whyNot["not evaluated here: SUBR calls a server subroutine"], 2500);

    CorpusAccount account(root);
    std::string record;
    std::string state;
    // FULL_NAME joins two fields; STATE reads the state's NAME by item name, code C.
    ASSERT_EQ(checked["MEMBERS FULL_NAME"].size(), 2500u);
    for (const auto& [id, value] : checked["MEMBERS FULL_NAME"]) {
        ASSERT_EQ(account.Read("MEMBERS", false, id, record), mv::kOk);
        EXPECT_EQ(value, std::string(mv::FieldText(record, 2)) + " " +
                             std::string(mv::FieldText(record, 1)));
        const std::string code(mv::FieldText(record, 7));
        const std::string expected = account.Read("STATES", false, code, state) == mv::kOk
                                         ? std::string(mv::FieldText(state, 1))
                                         : code;
        EXPECT_EQ(checked["MEMBERS STATE"][id], expected) << id;
    }
    // Money: the costs of a rental added up, shown with two decimals by MD2.
    ASSERT_EQ(checked["RENTAL_DETAILS TOTAL_COST"].size(), 2240u);
    for (const auto& [id, value] : checked["RENTAL_DETAILS TOTAL_COST"]) {
        ASSERT_EQ(account.Read("RENTAL_DETAILS", false, id, record), mv::kOk);
        const std::string total = Sum(mv::FieldText(record, 10));
        EXPECT_EQ(value, total);
        const long balance = std::stol(total) - std::stol(Sum(mv::FieldText(record, 9)));
        EXPECT_EQ(checked["RENTAL_DETAILS BALANCE_DUE"][id], std::to_string(balance));
    }
    EXPECT_EQ(mv::values::Oconv(checked["RENTAL_DETAILS TOTAL_COST"]["1"], "MD2").value, "4.11");
    ASSERT_EQ(account.Read("MEMBERS", false, "1175", record), mv::kOk);
    EXPECT_EQ(checked["RENTAL_DETAILS FULL_NAME"]["1"],
              std::string(mv::FieldText(record, 2)) + " " + std::string(mv::FieldText(record, 1)));
    // RAISE of extracted subvalues, shown as dates; the average of the star ratings.
    const std::string dates = checked["PRODUCT_REVIEW TWO_STAR_DATE"]["1223604400"];
    EXPECT_EQ(dates,
              "14745\xFD"
              "14748");
    EXPECT_EQ(mv::values::Oconv(dates, "D-YMD").value,
              "2008-05-14\xFD"
              "2008-05-17");
    EXPECT_EQ(checked["PRODUCT_REVIEW RATING_AVG"]["1223604400"], "2.5");
    EXPECT_EQ(checked["PRODUCT_REVIEW MOVIE_NAME"].size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(XdemoAccounts, EvaluatorCorpus,
                         ::testing::Values("multivalue-lab_XDEMO-UV", "multivalue-lab_XDEMO-UDT"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             return std::string(param.param).find("UDT") != std::string::npos
                                        ? "UniData"
                                        : "UniVerse";
                         });

}  // namespace
