// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/mv/ItemIdEscaping.h"
#include "tests/platform/mv/TempAccount.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

// Every dictionary item of every real account: it is listed by a select, reads as the file's bytes
// with line feeds as field marks, and written back into a copy gives the same file.
TEST(Corpus, EveryItemSelectsReadsAndRoundTrips) {
    const fs::path corpus = KELVORA_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    std::size_t items = 0;
    for (const auto& accountEntry : fs::directory_iterator(corpus)) {
        if (!accountEntry.is_directory()) {
            continue;
        }
        test::TempAccount copy;
        fs::remove(copy.Path());
        test::CopyTree(accountEntry.path(), copy.Path());
        const auto session = copy.Connect();
        for (const auto& dictionary : fs::directory_iterator(copy.Path())) {
            const std::string directoryName = dictionary.path().filename().string();
            if (directoryName.rfind("D_", 0) != 0) {
                // A data file's records, beside the dictionary of the same name.
                EXPECT_TRUE(fs::is_directory(copy.Path() / ("D_" + directoryName)))
                    << directoryName;
                continue;
            }
            const std::string fileName = directoryName.substr(2);
            SCOPED_TRACE(accountEntry.path().filename().string() + "/" + directoryName);
            const auto originals = copy.Snapshot();

            session->Command().SetText("SSELECT DICT " + fileName + " BY F1 BY RLOCATION");
            session->Command().Exec();
            ASSERT_EQ(session->Command().Error(), 0) << session->Command().Response();
            const auto fileCount = static_cast<std::size_t>(
                std::distance(fs::directory_iterator(dictionary.path()), fs::directory_iterator()));
            ASSERT_EQ(session->SelectList(0).Count(), fileCount);

            const auto file = session->OpenDictionary(fileName);
            ASSERT_NE(file, nullptr);
            ServerSelectList& list = session->SelectList(0);
            for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
                file->SetRecordId(id);
                file->Read();
                ASSERT_EQ(file->Error(), 0) << id;
                std::string itemFile;
                ASSERT_TRUE(EscapeItemId(id, itemFile));
                std::string expected =
                    test::FileBytes(accountEntry.path() / directoryName / itemFile);
                std::replace(expected.begin(), expected.end(), '\n', '\xFE');
                EXPECT_EQ(file->Record().Text(), expected) << id;
                file->Write();
                ASSERT_EQ(file->Error(), 0) << id;
                ++items;
            }
            for (const auto& entry : fs::directory_iterator(dictionary.path())) {
                const fs::path original =
                    accountEntry.path() / directoryName / entry.path().filename();
                EXPECT_EQ(test::FileBytes(entry.path()), test::FileBytes(original)) << entry.path();
            }
            EXPECT_EQ(copy.Snapshot(), originals);
        }
    }
    EXPECT_GT(items, 1000u);
}

}  // namespace
}  // namespace mv
