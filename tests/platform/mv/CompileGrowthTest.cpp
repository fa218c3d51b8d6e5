// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "platform/mv/compiler/CompileLimits.h"
#include "platform/mv/compiler/ExpressionCompiler.h"

namespace mv {
namespace {

// A dictionary whose data fields are the names `isField` accepts.
class Fields final : public NameResolver {
public:
    explicit Fields(std::function<bool(std::string_view)> isField) : isField_(std::move(isField)) {}
    explicit Fields(std::unordered_set<std::string> ids)
        : isField_([ids = std::move(ids)](std::string_view name) {
              return ids.count(std::string(name)) != 0;
          }) {}
    std::optional<std::string_view> TypeCode(std::string_view name) override {
        ++lookups;
        longest = std::max(longest, name.size());
        if (!isField_(name)) {
            return std::nullopt;
        }
        return std::string_view("D");
    }
    std::size_t lookups = 0;
    std::size_t longest = 0;

private:
    std::function<bool(std::string_view)> isField_;
};

// "A-A-A-...": every name is A, and each could start a longer hyphenated one.
std::string RepeatedName(std::size_t bytes) {
    std::string source = "A";
    while (source.size() + 2 <= bytes) {
        source += "-A";
    }
    return source;
}

// "A0-A1-A2-...": names that differ, so no two candidate runs are alike.
std::string NumberedNames(std::size_t bytes) {
    std::string source = "A0";
    for (std::size_t i = 1; source.size() < bytes; ++i) {
        source += "-A" + std::to_string(i);
    }
    return source;
}

std::string Sum(std::size_t bytes) {
    std::string source = "1";
    while (source.size() + 2 <= bytes) {
        source += "+1";
    }
    return source;
}

// The best of a few runs, so one slow moment on a shared machine does not count.
double BestSeconds(const std::string& source) {
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        // Every plain name is a field, so only the hyphenated runs are unknown.
        Fields names(
            [](std::string_view name) { return name.find('-') == std::string_view::npos; });
        const auto start = std::chrono::steady_clock::now();
        const CompileResult result = CompileExpression(source, names);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(result.ok) << result.message;
        best = std::min(best, took.count());
    }
    return best;
}

// Ten times the source may take at most about ten times as long: a square law would give
// a hundred. The floor keeps timer noise on tiny inputs out of the ratio.
void ExpectLinear(const std::function<std::string(std::size_t)>& make) {
#ifdef __GLIBC__
    // Large blocks stay in the heap between runs, so the best run of the big inputs pays
    // no more than the small ones for fresh pages from the kernel.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
    const double floor = 1e-4;
    const double t1 = std::max(BestSeconds(make(1000)), floor);
    const double t10 = std::max(BestSeconds(make(10000)), floor);
    const double t100 = std::max(BestSeconds(make(100000)), floor);
    EXPECT_LT(t10 / t1, 20.0) << t1 << " s for 1 KB, " << t10 << " s for 10 KB";
    EXPECT_LT(t100 / t10, 20.0) << t10 << " s for 10 KB, " << t100 << " s for 100 KB";
}

TEST(CompileGrowth, HyphenatedNamesCompileInLinearTime) {
    ExpectLinear(RepeatedName);
    ExpectLinear(NumberedNames);
}

TEST(CompileGrowth, ArithmeticCompilesInLinearTime) {
    ExpectLinear(Sum);
}

TEST(CompileGrowth, NoNameLongerThanAnIdIsLookedUp) {
    Fields names({"A"});
    const CompileResult result = CompileExpression(RepeatedName(20000), names);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_LE(names.longest, kMaxItemIdBytes);
    // Each of the 10,000 names asks about at most the runs that fit in an id.
    EXPECT_LE(names.lookups, 10000 * (kMaxItemIdBytes / 2 + 2));
}

TEST(CompileGrowth, HyphenatedNameOfTheLongestIdIsStillFound) {
    std::string longest = "A";
    while (longest.size() + 2 <= kMaxItemIdBytes) {
        longest += "-B";
    }
    longest += std::string(kMaxItemIdBytes - longest.size(), 'C');
    ASSERT_EQ(longest.size(), kMaxItemIdBytes);
    Fields names({"A", "B", longest});
    const CompileResult found = CompileExpression(longest + " + 1", names);
    ASSERT_TRUE(found.ok) << found.message;
    ASSERT_EQ(found.uses.size(), 1u);
    EXPECT_EQ(found.uses[0].name, longest);

    // One byte more cannot be an id, so the run is never asked about and reads as a
    // subtraction of its parts, ending in the unknown name "BC".
    Fields shorter({"A", "B", longest + "C"});
    const CompileResult split = CompileExpression(longest + "C + 1", shorter);
    EXPECT_FALSE(split.ok);
    EXPECT_LE(shorter.longest, kMaxItemIdBytes);
    EXPECT_EQ(split.column, longest.size());
    EXPECT_NE(split.message.find("BC"), std::string::npos) << split.message;
}

TEST(CompileGrowth, ExpressionsOverTheLimitAreRefusedAtOnce) {
    Fields names({"A"});
    // A string literal keeps the accepted case cheap to compile.
    const std::string atLimit = "'" + std::string(kMaxExpressionBytes - 2, 'x') + "'";
    const CompileResult accepted = CompileExpression(atLimit, names);
    EXPECT_TRUE(accepted.ok) << accepted.message;

    const CompileResult refused = CompileExpression(atLimit + " ", names);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.column, kMaxExpressionBytes + 1);
    EXPECT_NE(refused.message.find(std::to_string(kMaxExpressionBytes)), std::string::npos)
        << refused.message;
    EXPECT_TRUE(refused.uses.empty());
}

}  // namespace
}  // namespace mv
