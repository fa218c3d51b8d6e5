// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/mv/DescriptorCheck.h"

namespace mv {
namespace {

using Items = std::vector<std::pair<std::string, std::string>>;
using Names = std::vector<std::string>;

// A record of fields joined by field marks.
std::string Record(std::initializer_list<std::string> fields) {
    std::string record;
    for (const std::string& field : fields) {
        record += field + '\xFE';
    }
    record.pop_back();
    return record;
}

const Items kLines = {
    {"QTY", Record({"D", "3"})},
    {"PRICE", Record({"D", "4"})},
    {"LINE.VALUE", Record({"I", "QTY * PRICE + QTY"})},
    {"V.ITEM", Record({"V", "IF LINE.VALUE > 0 THEN QTY ELSE @ID"})},
    {"LINES", Record({"PH", "QTY PRICE"})},
    {"BROKEN", Record({"I", "PRICE + NOSUCH + QTY"})},
    {"qty", Record({"I", "PRICE"})},
};

TEST(DescriptorUses, eachDescriptorNamesItsDirectUsesOnceInOrderAndNothingElseIsListed) {
    const std::vector<DescriptorUses> uses = NamesUsedByDescriptors(kLines);

    ASSERT_EQ(uses.size(), 4u) << "D items and phrases are not descriptors";
    EXPECT_EQ(uses[0].id, "LINE.VALUE");
    EXPECT_EQ(uses[0].names, (Names{"QTY", "PRICE"}));
    // PRICE is used only through LINE.VALUE; @ID is no item of the dictionary.
    EXPECT_EQ(uses[1].id, "V.ITEM");
    EXPECT_EQ(uses[1].names, (Names{"LINE.VALUE", "QTY"}));
    // Up to the unknown name, as the compiler got.
    EXPECT_EQ(uses[2].id, "BROKEN");
    EXPECT_EQ(uses[2].names, Names{"PRICE"});
    // Names are matched as CD matches them, case included: qty is not QTY.
    EXPECT_EQ(uses[3].id, "qty");
    EXPECT_EQ(uses[3].names, Names{"PRICE"});
}

TEST(DescriptorUses, circularDescriptorsStillListWhatTheyName) {
    const Items circle = {{"A", Record({"I", "B + 1"})}, {"B", Record({"I", "A * 2"})}};
    const std::vector<DescriptorUses> uses = NamesUsedByDescriptors(circle);
    ASSERT_EQ(uses.size(), 2u);
    EXPECT_EQ(uses[0].names, Names{"B"});
    EXPECT_EQ(uses[1].names, Names{"A"});
}

}  // namespace
}  // namespace mv
