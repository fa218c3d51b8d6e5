// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/mv/ItemIdEscaping.h"
#include "platform/mv/RecordLocks.h"
#include "tests/platform/mv/TempAccount.h"
#include "tests/remote/TestBackend.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

// Selects every item of one folder of a copy of a real account (a dictionary, or the records
// of a data file), reads each as the original file's bytes with line feeds as field marks,
// writes it back and finds the same bytes in the copy, and nothing else there; returns how
// many.
std::size_t RoundTripFolder(Session& session, const fs::path& original, const fs::path& copy,
                            const std::string& select, DictionaryFile& file) {
    session.Command().SetText(select);
    session.Command().Exec();
    EXPECT_EQ(session.Command().Error(), 0) << session.Command().Response();
    ServerSelectList& list = session.SelectList(0);
    const auto countFiles = [](const fs::path& folder) {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    };
    const std::size_t files = countFiles(original);
    EXPECT_EQ(list.Count(), files);
    // Every read first, then every write: a write between two reads would stop a server's
    // reading ahead of the list.
    std::vector<std::pair<std::string, DynamicArray>> read;
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        file.SetRecordId(id);
        file.Read();
        EXPECT_EQ(file.Error(), 0) << id;
        read.emplace_back(id, file.Record());
    }
    for (const auto& [id, record] : read) {
        std::string itemFile;
        EXPECT_TRUE(EscapeItemId(id, itemFile));
        const std::string bytes = test::FileBytes(original / itemFile);
        std::string expected = bytes;
        std::replace(expected.begin(), expected.end(), '\n', '\xFE');
        EXPECT_EQ(record.Text(), expected) << id;
        file.SetRecordId(id);
        file.SetRecord(record);
        file.Write();
        EXPECT_EQ(file.Error(), 0) << id;
        EXPECT_EQ(test::FileBytes(copy / itemFile), bytes) << id;
    }
    // Only the lock file is new.
    EXPECT_EQ(countFiles(copy), files + (fs::exists(copy / kLockFileName) ? 1 : 0));
    return read.size();
}

// Copies the dictionaries (or the data folders) of every real account and visits each.
template <typename Visit>
void ForEachCorpusFolder(bool dictionaries, bool firstAccountOnly, Visit visit) {
    const fs::path corpus = KELVORA_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    for (const auto& accountEntry : fs::directory_iterator(corpus)) {
        if (!accountEntry.is_directory()) {
            continue;
        }
        test::TempAccount copy;
        std::vector<fs::path> folders;
        for (const auto& folder : fs::directory_iterator(accountEntry.path())) {
            if ((folder.path().filename().string().rfind("D_", 0) == 0) == dictionaries) {
                folders.push_back(folder.path());
                test::CopyTree(folder.path(), copy.Path() / folder.path().filename());
            }
        }
        const auto session = copy.Connect();
        for (const fs::path& folder : folders) {
            const std::string name = folder.filename().string();
            SCOPED_TRACE(accountEntry.path().filename().string() + "/" + name);
            visit(*session, folder, copy.Path() / name, name);
        }
        if (firstAccountOnly && !folders.empty()) {
            return;
        }
    }
}

// Every dictionary item of every real account.
TEST(Corpus, EveryItemSelectsReadsAndRoundTrips) {
    std::size_t items = 0;
    ForEachCorpusFolder(true, false,
                        [&](Session& session, const fs::path& original, const fs::path& copy,
                            const std::string& name) {
                            const auto file = session.OpenDictionary(name.substr(2));
                            ASSERT_NE(file, nullptr);
                            items += RoundTripFolder(
                                session, original, copy,
                                "SSELECT DICT " + name.substr(2) + " BY F1 BY RLOCATION", *file);
                        });
    EXPECT_GT(items, 1000u);
}

// Every data record of every real account, in the folder beside its dictionary. The two
// accounts that have records hold the same ones: through a server, which takes long over
// them, one is enough.
TEST(CorpusData, EveryRecordSelectsReadsAndRoundTrips) {
    std::size_t records = 0;
    ForEachCorpusFolder(false, testbackend::IsRemote(),
                        [&](Session& session, const fs::path& original, const fs::path& copy,
                            const std::string& name) {
                            EXPECT_TRUE(fs::is_directory(original.parent_path() / ("D_" + name)));
                            const auto file = session.OpenFile(name);
                            ASSERT_NE(file, nullptr);
                            records +=
                                RoundTripFolder(session, original, copy, "SSELECT " + name, *file);
                        });
    EXPECT_GT(records, 6000u);
}

}  // namespace
}  // namespace mv
