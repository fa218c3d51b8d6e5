// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <string>
#include <utility>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/compiler/BuiltinNames.h"
#include "platform/mv/compiler/ItemSource.h"
#include "platform/mv/values/CachedRecordSource.h"
#include "platform/mv/values/Evaluator.h"
#include "platform/mv/values/RecordSource.h"
#include "platform/mv/values/eval/Functions.h"

namespace {

using mv::values::Evaluated;
using mv::values::EvaluationContext;

// Marks written as } \ ^ in the table, so a row reads as the value it stands for.
std::string Marks(std::string text) {
    for (char& c : text) {
        c = c == '}' ? '\xFD' : (c == '\\' ? '\xFC' : (c == '^' ? '\xFE' : c));
    }
    return text;
}

// Other files of the account, in memory.
class MemoryFiles final : public mv::values::RecordSource {
public:
    void Add(const std::string& file, bool dictionary, const std::string& id,
             const std::string& record) {
        files_[{file, dictionary}][id] = Marks(record);
    }
    int Read(const std::string& file, bool dictionary, const std::string& id,
             std::string& record) override {
        ++reads;
        const auto f = files_.find({file, dictionary});
        if (f == files_.end()) {
            return mv::kNoSuchDictionary;
        }
        const auto r = f->second.find(id);
        if (r == f->second.end()) {
            return mv::kRecordNotFound;
        }
        record = r->second;
        return mv::kOk;
    }
    int reads = 0;

private:
    std::map<std::pair<std::string, bool>, std::map<std::string, std::string>> files_;
};

// The clock at 14:05:09 on 3 February 2024, local time (internal date 20488).
std::chrono::system_clock::time_point FixedClock() {
    std::tm local{};
    local.tm_year = 124;
    local.tm_mon = 1;
    local.tm_mday = 3;
    local.tm_hour = 14;
    local.tm_min = 5;
    local.tm_sec = 9;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

class Evaluator : public ::testing::Test {
protected:
    Evaluator() {
        dictionary_.Add("FIRST", Marks("D^1"));
        dictionary_.Add("LAST", Marks("D^2"));
        dictionary_.Add("CODES", Marks("D^3"));
        dictionary_.Add("STATE", Marks("D^4"));
        dictionary_.Add("AMOUNTS", Marks("D^5"));
        dictionary_.Add("KEY", Marks("D^0"));
        dictionary_.Add("UPPER.LAST", Marks("A^2^^^^^^MCU"));
        dictionary_.Add("FULL", Marks("I^FIRST:' ':LAST"));
        dictionary_.Add("GREETING", Marks("I^'Dear ':FULL"));
        dictionary_.Add("STATE.NAME", Marks("I^TRANS(STATES,STATE,'NAME','C')"));
        dictionary_.Add("LOOP.A", Marks("I^LOOP.B:'x'"));
        dictionary_.Add("LOOP.B", Marks("I^LOOP.A"));
        dictionary_.Add("BROKEN", Marks("I^1 *"));
        dictionary_.Add("PHRASE", Marks("PH^FIRST LAST"));
        files_.Add("STATES", false, "CO", "Colorado^West");
        files_.Add("STATES", false, "IL", "Illinois}Land of Lincoln^Midwest");
        files_.Add("STATES", true, "NAME", "D^1");
        files_.Add("STATES", true, "LABEL", "I^NAME:' (':@ID:')'");
        context_.fileName = "MEMBERS";
        context_.dictionary = &dictionary_;
        context_.records = &files_;
        context_.now = FixedClock();
        context_.recordNumber = 7;
    }

    Evaluated Expression(const std::string& expression, const std::string& record = kRecord) {
        return mv::values::EvaluateExpression(Marks(expression), "M100", Marks(record), context_);
    }

    static constexpr const char* kRecord = "Ada^Lovelace^A}B\\C}D^CO^10.50}2.25}abc";
    mv::MapItemSource dictionary_;
    MemoryFiles files_;
    EvaluationContext context_{};
};

struct Row {
    const char* expression;
    const char* value;  // or the error, when error is set
    bool error = false;
    const char* warning = "";
};

// One row per rule; marks written as } \ ^.
const Row kRows[] = {
    // Numbers: exact decimals, 4 decimals when written, 0 for what is not a number.
    {"0.1 + 0.2", "0.3"},
    {"1 / 3", "0.3333"},
    {"2 / 3", "0.6667"},
    {"(1 / 3) * 3", "1"},
    {"10 - 12.5", "-2.5"},
    {"2 ** 10 : '/' : 2 ** -1", "1024/0.5"},
    {"99999999999999999999 + 1", "100000000000000000000"},
    {"-7 * 1.5", "-10.5"},
    {"1.00005 * 1", "1.0001"},
    {"(-0.00004 * 1) : ' ' : (-0.00005 * 1) : ' ' : (100 * 1) : ' ' : (0.5 * 0.2) : ' ' : (9.99995 "
     "* 1)",
     "0 -0.0001 100 0.1 10"},
    {"7 / 0", "0", false, "a division by zero gives 0"},
    {"'ABC' + 1", "1", false, "a non-numeric operand counts as 0: ABC"},
    {"'' + 1", "1"},
    {"AMOUNTS + 1", "1", false, "a non-numeric operand counts as 0: 10.50}2.25}abc"},
    // Comparisons in every spelling: numbers by value, other text by bytes.
    {"('10' = 10.0) : (2 EQ 3) : (2 # 3) : (2 <> 2) : (3 >< 3) : (2 NE 2)", "101000"},
    {"(1 < 2) : (1 LT 1) : (2 > 1) : (2 GT 2) : (1 <= 1) : (1 =< 0) : (1 LE 1)", "1010101"},
    {"(2 >= 3) : (3 => 3) : (3 GE 4) : ('abc' < 'abd') : ('' = 0) : ('9' < '10')", "010101"},
    {"(1 AND 0) : (1 & 2) : (0 OR 0) : (0 ! 3) : NOT(0)", "01011"},
    {"('123-45' MATCHES '3N\"-\"2N') : ('AB' MATCH '0A') : ('A1' MATCHES '1N}1A1N')", "111"},
    {"('12' MATCHES '3N') : ('ab' MATCHES '1-3A') : ('x.y' MATCHES '0X.0X')", "011"},
    // Substrings and extraction.
    {"'ABCDEF'[2,3] : '/' : 'ABCDEF'[2] : '/' : 'a,b,c'[',',2,2]", "BCD/EF/b,c"},
    {"@RECORD<3,2> : '/' : @RECORD<3,2,2> : '/' : CODES<1,2,1> : '/' : @RECORD<9>", "B\\C/C/B/"},
    {"IF STATE = 'CO' THEN 'west' ELSE SUBR('NEVER')", "west"},
    {"IF 0 THEN 1 ELSE IF 1 THEN 2 ELSE 3", "2"},
    // Names: fields internal, I items evaluated, A correlatives applied.
    {"FULL", "Ada Lovelace"},
    {"GREETING", "Dear Ada Lovelace"},
    {"KEY : '/' : UPPER.LAST", "M100/LOVELACE"},
    {"LOOP.A", "a circular reference: LOOP.A -> LOOP.B -> LOOP.A", true},
    {"BROKEN", "column 4: expected an operand after '*' but found the end of the expression", true},
    {"1 +", "column 4: expected an operand after '+' but found the end of the expression", true},
    // @-variables; the clock is the caller's.
    {"@ID : @FILENAME : @NI : @VM : @SM : @FM : @TM", "M100MEMBERS7}\\^\xFB"},
    {"@DATE : ' ' : @TIME : ' ' : @DAY : @MONTH : @YEAR", "20488 50709 030224"},
    {"DATE() : ' ' : TIME() : ' ' : TIMEDATE()", "20488 50709 14:05:09 03 FEB 2024"},
    {"@WHO", "not evaluated here: @WHO is the server's own state", true},
    {"EXTRACT(@RECORD,5,0,0);SUM(@1);@2 * 2", "25.5", false,
     "a non-numeric operand counts as 0: abc"},
    // Functions of text, a dynamic array being one string.
    {"TRIM('  a   b  ') : '|' : TRIM('xxaxxbxx','x','A') : '|' : TRIMF('  a ') : '|'",
     "a b|ab|a |"},
    {"UPCASE('aBc') : DOWNCASE('XyZ') : LEN('A}B') : ALPHA('ab') : ALPHA('a1') : NUM('1.5')",
     "ABCxyz3101"},
    {"FIELD('a.b.c.d', '.', 2) : FIELD('a.b.c.d', '.', 2, 2) : DCOUNT('a}b}c', @VM)", "bb.c3"},
    {"COUNT('abababa', 'aba') : INDEX('abcabc', 'bc', 2) : INDEX('abc', 'x', 1)", "350"},
    {"CHANGE('a-b-c', '-', '+') : EREPLACE('aaaa', 'a', 'b', 2, 2)", "a+b+cabba"},
    {"CONVERT('abc', 'AB', 'aabbcc') : SPACE(2) : STR('ab', 3) : SEQ('A') : CHAR(66)",
     "AABB  ababab65B"},
    {"QUOTE('x') : SQUOTE('y') : DQUOTE('z') : COMPARE('a', 'b') : COMPARE('10', '9', 'R')",
     "\"x\"'y'\"z\"-11"},
    {"SOUNDEX('Robert') : ' ' : SOUNDEX('Tymczak') : ' ' : DTX(255) : ' ' : DTX(-1) : XTD('1F')",
     "R163 T522 FF FFFFFFFF31"},
    {"ASCII(EBCDIC('Hello')) : EBCDIC('A')", "Hello\xC1"},
    {"FOLD('the quick brown fox', 10) : MATCHFIELD('AB123', '0A0N', 2)", "the quick^brown fox123"},
    {"RAISE('a}b\\c') : LOWER('a^b}c') : ISNULL(@NULL) : ISNULL('')", "a^b}ca}b\\c10"},
    // Numeric functions.
    {"ABS(-2.5) : INT(-7.9) : MOD(-7, 3) : REM(7, -3) : NEG(4) : DIV(7, 2)", "2.5-7-11-43.5"},
    {"FIX(1.23456, 2) : ' ' : FIX(1.239, 2, 1) : ' ' : FIX(2.5) : ' ' : REAL('3')",
     "1.23 1.23 2.5 3"},
    {"SQRT(16) : SIN(90) : COS(0) : PWR(2, 3) : EXP(0) : LN(1) : ATAN(1)", "41181045"},
    {"SQRT(-1)", "0", false, "a number out of range gives 0"},
    {"BITAND(6, 3) : BITOR(4, 1) : BITXOR(5, 1) : BITNOT(0) : BITNOT(5, 0)", "254-14"},
    // Dynamic arrays by position.
    {"EXTRACT('a^b}c}d', 2, 3) : '|' : REPLACE('a^b', 2, 2, 0, 'x') : '|' : REPLACE('', -1, 0, 0, "
     "'n')",
     "d|a^b}x|n"},
    {"INSERT('a^b', 1, 0, 0, 'x') : '|' : INSERT('a}b', 1, 2, 'x') : '|' : DELETE('a^b^c', 2)",
     "x^a^b|a}x}b|a^c"},
    {"REPLACE('a', 3, 0, 'z') : '|' : FIELDSTORE('a.b.c', '.', 2, 1, 'X') : '|' : "
     "FIELDSTORE('a.b', "
     "'.', 2, 0, 'X')",
     "a^^z|a.X.c|a.X.b"},
    {"SUM('1}2}3') : '|' : SUM('1\\2}3^4') : '|' : SUMMATION('1}2^3\\4') : MAXIMUM('3}9}-2') : "
     "MINIMUM('3}9}-2')",
     "6|3}3^4|109-2"},
    // Element by element, with REUSE.
    {"ADDS('1}2}3', '10}20')", "11}22}3"},
    {"ADDS('1}2}3', REUSE(10)) : '|' : MULS('2^3', REUSE('4'))", "11}12}13|8^12"},
    {"CATS('a}b', 'x}y}z') : '|' : SPLICE('a}b', '-', 'x}y') : '|' : EQS('1}2', '1}3')",
     "ax}by}z|a-x}b-y|1}0"},
    {"IFS('1}0}1', 'y}y}y', REUSE('n')) : '|' : LENS('ab}c\\def') : '|' : NUMS('1}x')",
     "y}n}y|2}1\\3|1}0"},
    {"SUBSTRINGS('abc}def', 2, 1) : '|' : TRIMS(' a } b') : '|' : COUNTS('aa}a', 'a')",
     "b}e|a}b|2}1"},
    {"SUBS(LTS('1}5', REUSE(3)), '1}1') : DIVS('1}1', '0}2')", "0}-10}0.5", false,
     "a division by zero gives 0"},
    {"OCONV(1234, 'MD2') : ' ' : ICONV('12.34', 'MD2') : ' ' : OCONVS('0}1', 'D2/')",
     "12.34 1234 12/31/67}01/01/68"},
    // TRANS: by number, by item name (also an I item of that file), -1, and the codes.
    {"TRANS(STATES, STATE, 1, 'X') : '|' : TRANS('STATES', 'IL', 'NAME', 'X')",
     "Colorado|Illinois}Land of Lincoln"},
    {"TRANS('STATES', 'CO', 'LABEL', 'X') : '|' : TRANS('STATES', 'CO', -1, 'X')",
     "Colorado (CO)|Colorado^West"},
    {"TRANS('STATES', 'ZZ', 1, 'X') : '|' : TRANS('STATES', 'ZZ', 1, 'C') : '|' : STATE.NAME",
     "|ZZ|Colorado"},
    {"TRANS('STATES', 'CO}ZZ}IL', 1, 'C')", "Colorado}ZZ}Illinois\\Land of Lincoln"},
    {"TRANS('STATES', 'ZZ', 1, 'V')", "TRANS: no record ZZ in STATES", true},
    {"TRANS('COUNTIES', 'CO', 1, 'X')", "TRANS: no file COUNTIES in this account", true},
    {"TRANS('STATES', 'CO', 'POPULATION', 'X')",
     "TRANS: no item POPULATION in the dictionary of STATES", true},
    // What only the server can tell.
    {"SUBR('GET_ITEMS_OUT', @ID)", "not evaluated here: SUBR calls a server subroutine", true},
    {"SYSTEM(1)", "not evaluated here: SYSTEM() reads the server's own state", true},
};

TEST_F(Evaluator, givesTheValueEachRuleOfTheTableImplies) {
    for (const Row& row : kRows) {
        const Evaluated result = Expression(row.expression);
        SCOPED_TRACE(row.expression);
        if (row.error) {
            EXPECT_EQ(result.error, Marks(row.value));
            EXPECT_TRUE(result.value.empty());
        } else {
            EXPECT_EQ(result.error, "");
            EXPECT_EQ(result.value, Marks(row.value));
        }
        if (*row.warning != 0) {
            ASSERT_EQ(result.warnings.size(), 1u);
            EXPECT_EQ(result.warnings[0], Marks(row.warning));
        } else {
            EXPECT_TRUE(result.warnings.empty()) << result.warnings.front();
        }
    }
}

TEST_F(Evaluator, anItemGivesItsInternalValueAndNamesWhatIsNotAField) {
    const std::string record = Marks(kRecord);
    const auto item = [&](const std::string& name) {
        return mv::values::EvaluateItem(name, "M100", record, context_);
    };
    EXPECT_EQ(item("CODES").value, Marks("A}B\\C}D"));
    EXPECT_EQ(item("KEY").value, "M100");
    EXPECT_EQ(item("GREETING").value, "Dear Ada Lovelace");
    EXPECT_EQ(item("STATE.NAME").value, "Colorado");
    EXPECT_EQ(item("PHRASE").error, "PHRASE is not a field: its type is PH");
    EXPECT_EQ(item("NOPE").error, "no item NOPE in the dictionary of MEMBERS");
    context_.records = nullptr;
    EXPECT_EQ(item("STATE.NAME").error, "TRANS: no account to read STATES from");
}

TEST_F(Evaluator, everyFunctionOfTheCompilerHasABody) {
    for (const mv::FunctionInfo& function : mv::AllFunctions()) {
        EXPECT_NE(mv::values::FindFunctionBody(function.name), nullptr) << function.name;
    }
}

// Hostile and costly expressions end with the same error, in bounded time and memory.
TEST_F(Evaluator, stopsAtEachLimitWithTooCostly) {
    std::string longChain = "1";
    for (int i = 0; i < 200'000; ++i) {
        longChain += "+1";
    }
    EXPECT_EQ(Expression(longChain).value, "200001");  // deep, yet within the steps

    for (int i = 0; i < 40; ++i) {
        dictionary_.Add("CHAIN" + std::to_string(i),
                        Marks("I^CHAIN" + std::to_string(i + 1) + ":'x'"));
    }
    dictionary_.Add("CHAIN40", Marks("D^1"));
    dictionary_.Add("CHAIN10.ONLY", Marks("I^CHAIN30"));
    // Each of 24 items doubles the text of the one it names: evaluated once each.
    for (int i = 0; i < 24; ++i) {
        dictionary_.Add("TWICE" + std::to_string(i), Marks("I^TWICE" + std::to_string(i + 1) +
                                                           ":TWICE" + std::to_string(i + 1)));
    }
    dictionary_.Add("TWICE24", Marks("D^1"));

    const std::string tooCostly = "too costly to evaluate here";
    const std::string manyIds = "TRANS('STATES', STR('CO':@VM, 1001), 1, 'X')";
    for (const std::string& expression : {
             std::string("STR('ABCDEFGH', 3000000)"),
             std::string("LEN(STR(STR('x', 1000000), 1000))"),
             std::string("SPACES(STR('9000000', 2) : @VM : '9000000')"),
             std::string("REPLACE('', 100000000, 0, 0, 'x')"),
             std::string("FMT('x', '999999999L')"),
             manyIds,
             std::string("CHAIN0"),
             std::string("TWICE0"),
         }) {
        SCOPED_TRACE(expression.substr(0, 60));
        const Evaluated result = Expression(expression);
        EXPECT_EQ(result.error, tooCostly);
    }
    EXPECT_EQ(Expression("CHAIN10.ONLY").value, "Ada" + std::string(10, 'x'));
    EXPECT_EQ(Expression("LEN(TWICE10)").value, "49152");
    files_.reads = 0;
    EXPECT_EQ(Expression("DCOUNT(TRANS('STATES', STR('CO':@VM, 999), 1, 'X'), @VM)").value, "1000");
    EXPECT_EQ(files_.reads, 999);
    EXPECT_EQ(Expression(manyIds).error, tooCostly);

    context_.limits.steps = 1000;
    EXPECT_EQ(Expression(longChain.substr(0, 899)).value, "450");
    EXPECT_EQ(Expression(longChain.substr(0, 2001)).error, tooCostly);
}

TEST_F(Evaluator, patternsWithManyOpenCountsStayLinear) {
    std::string pattern;
    for (int i = 0; i < 30; ++i) {
        pattern += "0X";
    }
    const Evaluated result = Expression("STR('a', 20000) MATCHES '" + pattern + "b'");
    EXPECT_EQ(result.value, "0");
}

// A listing reads each record of another file once; an answer that settles nothing (no
// such file) is asked again, and no file name and id run together into another pair.
TEST(CachedRecordSource, readsEachRecordOnceAndKeepsOnlySettledAnswers) {
    MemoryFiles files;
    files.Add("AB", false, "C", "one");
    files.Add("A", false, "BC", "two");
    mv::values::CachedRecordSource cached(files);
    const struct {
        std::string file, id;
        int code;
        std::string record;
        int readsAfter;
    } reads[] = {{"AB", "C", mv::kOk, "one", 1},
                 {"AB", "C", mv::kOk, "one", 1},
                 {"A", "BC", mv::kOk, "two", 2},
                 {"AB", "X", mv::kRecordNotFound, "", 3},
                 {"AB", "X", mv::kRecordNotFound, "", 3},
                 {"NONE", "C", mv::kNoSuchDictionary, "", 4},
                 {"NONE", "C", mv::kNoSuchDictionary, "", 5}};
    for (const auto& read : reads) {
        std::string record;
        EXPECT_EQ(cached.Read(read.file, false, read.id, record), read.code)
            << read.file << read.id;
        EXPECT_EQ(record, read.record) << read.file << read.id;
        EXPECT_EQ(files.reads, read.readsAfter) << read.file << read.id;
    }
}

}  // namespace
