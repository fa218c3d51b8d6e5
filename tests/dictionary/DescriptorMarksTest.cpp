// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dictionary/Dependencies.h"
#include "dictionary/DescriptorMarks.h"
#include "dictionary/ViewSet.h"
#include "tests/support/QtPrinters.h"

namespace {

struct Step {
    const char* what;
    std::string id;
    std::string record;  // empty: the item is forgotten
};

std::string Item(const std::string& type, const std::string& expression) {
    return type + '\xFE' + expression;
}

std::map<std::string, QString> MarksOf(const dictionary::DescriptorMarks& marks,
                                       const std::set<std::string>& ids) {
    std::map<std::string, QString> shown;
    for (const std::string& id : ids) {
        if (const QString* problem = marks.ProblemOf(QString::fromStdString(id))) {
            shown[id] = *problem;
        }
    }
    return shown;
}

// Who uses and is used by each item, in words, as the item detail says it.
std::map<std::string, QString> UsesOf(const dictionary::Dependencies& dependencies,
                                      const std::set<std::string>& ids) {
    std::map<std::string, QString> shown;
    for (const std::string& id : ids) {
        shown[id] = dictionary::UsersInWords(dependencies.UsedBy(id)) + QStringLiteral(" / ") +
                    dictionary::NamesInWords(dependencies.Uses(id));
    }
    return shown;
}

// The marks and the dependencies kept through a run of saves, deletes and renames, each
// brought up to date from the items that changed, must say what working everything out
// again says.
TEST(DescriptorMarks, keptUpToDateAfterEachChangeAsAFullCompileWouldBe) {
    auto views = std::make_shared<dictionary::ViewSet>();
    std::set<std::string> ids;
    const auto remember = [&](const std::string& id, const std::string& record) {
        ids.insert(id);
        views->Records().Remember(id, record);
    };
    remember("QTY", Item("D", "1"));
    remember("PRICE", Item("D", "2"));
    remember("TOTAL", Item("I", "QTY * PRICE"));
    remember("CHAIN", Item("V", "TOTAL * 2"));
    remember("HALF", Item("I", "QTY +"));
    remember("LATER", Item("I", "NOPE + 1"));
    remember("P", Item("I", "Q + 1"));
    remember("Q", Item("I", "P + 1"));
    remember("R", Item("I", "P * 2"));
    remember("S", Item("I", "Q + R"));
    remember("LIST", Item("PH", "QTY TOTAL NOPE Q2"));

    dictionary::DescriptorMarks kept;
    kept.Update(views);
    views->CurrentDependencies();
    auto before = MarksOf(kept, ids);
    ASSERT_EQ(before.size(), 6u);  // HALF, LATER and the circle P, Q, R, S

    const std::vector<Step> steps = {
        {"a missing name is added", "NOPE", Item("D", "3")},
        {"a used item becomes a descriptor closing a circle", "PRICE", Item("I", "TOTAL / 2")},
        {"the circle is opened again", "PRICE", Item("I", "QTY / 2")},
        {"an expression is mended", "HALF", Item("I", "QTY + 1")},
        {"rename, the old id goes", "Q", ""},
        {"rename, the new id comes", "Q2", Item("I", "P + 1")},
        {"a user follows the rename", "P", Item("I", "Q2 + 1")},
        {"a data item in the middle of a chain", "TOTAL", Item("D", "5")},
        {"a name goes again", "NOPE", ""},
        {"a descriptor names itself", "QTY", Item("I", "QTY + 1")},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.record.empty()) {
            views->Records().Forget(step.id);
        } else {
            remember(step.id, step.record);
        }
        const bool saidChanged = kept.Update(views);
        dictionary::DescriptorMarks full;
        full.Update(views);
        const auto now = MarksOf(full, ids);
        EXPECT_EQ(MarksOf(kept, ids), now);
        EXPECT_EQ(kept.BrokenCount(), full.BrokenCount());
        EXPECT_EQ(saidChanged, now != before);
        before = now;
        EXPECT_EQ(UsesOf(views->CurrentDependencies(), ids),
                  UsesOf(dictionary::Dependencies(views->Records()), ids));
    }
    EXPECT_EQ(before.count("LATER"), 1u);
    EXPECT_EQ(before.count("QTY"), 1u);
    EXPECT_EQ(before.count("P"), 1u);  // P and Q2 are a circle again
    EXPECT_EQ(dictionary::UsersInWords(views->CurrentDependencies().UsedBy("Q2")),
              QStringLiteral("P and the phrase LIST"));
}

}  // namespace
