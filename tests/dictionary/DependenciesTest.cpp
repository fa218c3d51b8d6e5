// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "dictionary/Dependencies.h"
#include "dictionary/ViewSet.h"
#include "tests/support/QtPrinters.h"

using dictionary::Dependencies;

namespace {

using Users = std::vector<Dependencies::User>;
using Names = std::vector<std::string>;

class DependenciesTest : public ::testing::Test {
protected:
    dictionary::ViewSet views;

    void item(const std::string& id, const std::string& field1, const std::string& field2) {
        views.Records().Remember(id, field1 + '\xFE' + field2);
    }
    const Dependencies& now() const { return views.CurrentDependencies(); }
    QString usersOf(const std::string& id) const {
        return dictionary::UsersInWords(now().UsedBy(id));
    }

    void SetUp() override {
        item("LINE.QTY", "D", "3");
        item("PRICE", "D", "4");
        item("V.ITEM", "V", "LINE.VALUE + LINE.QTY");
        item("LINE.VALUE", "I", "LINE.QTY * PRICE; @1 + LINE.QTY");
        item("LINES", "PH", "LINE.QTY  PRICE NOSUCH LINE.QTY LINES");
    }
};

TEST_F(DependenciesTest, descriptorsThenPhrasesUseAnItemAndAreNamedInOneSentence) {
    EXPECT_EQ(now().UsedBy("LINE.QTY"),
              (Users{{"LINE.VALUE", false}, {"V.ITEM", false}, {"LINES", true}}));
    EXPECT_EQ(usersOf("LINE.QTY"), QStringLiteral("LINE.VALUE, V.ITEM and the phrase LINES"));
    EXPECT_EQ(usersOf("LINE.VALUE"), QStringLiteral("V.ITEM"));
    EXPECT_EQ(usersOf("V.ITEM"), QString());
    // A phrase naming itself is not its own user; a word that is no item is nobody's use.
    EXPECT_EQ(usersOf("LINES"), QString());

    EXPECT_EQ(now().Uses("LINE.VALUE"), (Names{"LINE.QTY", "PRICE"}));
    EXPECT_EQ(now().Uses("LINES"), (Names{"LINE.QTY", "PRICE", "LINES"}));
    EXPECT_EQ(dictionary::NamesInWords(now().Uses("V.ITEM")),
              QStringLiteral("LINE.VALUE and LINE.QTY"));
    EXPECT_TRUE(now().Uses("PRICE").empty());
}

TEST_F(DependenciesTest, aChangedOrForgottenRecordShowsAtTheNextAsk) {
    ASSERT_EQ(usersOf("PRICE"), QStringLiteral("LINE.VALUE and the phrase LINES"));

    item("LINE.VALUE", "I", "LINE.QTY * 2");
    EXPECT_EQ(usersOf("PRICE"), QStringLiteral("the phrase LINES"));

    views.Records().Forget("LINES");
    EXPECT_EQ(usersOf("PRICE"), QString());
    EXPECT_TRUE(now().Uses("LINES").empty());

    // A descriptor that names an item read later: it compiles further now.
    item("BROKEN", "I", "NEWER + PRICE");
    EXPECT_EQ(usersOf("PRICE"), QString());
    item("NEWER", "D", "9");
    EXPECT_EQ(usersOf("PRICE"), QStringLiteral("BROKEN"));
}

}  // namespace
