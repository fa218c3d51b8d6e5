// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/mv/compiler/CompiledForm.h"
#include "platform/mv/compiler/ExpressionCompiler.h"

namespace mv {
namespace {

// A dictionary of data fields A, B, C, QTY, PRICE, a hyphenated CUST-NO, an I item X,
// a phrase and a lower-case "d" item, which no expression may use.
class Names final : public NameResolver {
public:
    std::optional<std::string_view> TypeCode(std::string_view name) override {
        static const std::map<std::string, std::string, std::less<>> kTypes = {
            {"A", "D"},  {"B", "D"},       {"C", "D"}, {"QTY", "D"},  {"PRICE", "D"},
            {"F1", "D"}, {"CUST-NO", "D"}, {"X", "I"}, {"PH1", "PH"}, {"lower", "d"}};
        const auto found = kTypes.find(name);
        if (found == kTypes.end()) {
            return std::nullopt;
        }
        return std::string_view(found->second);
    }
};

struct Valid {
    const char* name;
    std::string source;
    std::string compiled;  // field 10 read back in prefix notation
};

class ValidExpressions : public ::testing::TestWithParam<Valid> {};

TEST_P(ValidExpressions, CompileToTheirCanonicalForm) {
    Names names;
    const CompileResult result = CompileExpression(GetParam().source, names);
    ASSERT_TRUE(result.ok) << "column " << result.column << ": " << result.message;
    EXPECT_EQ(DescribeExpressions(result.expressions), GetParam().compiled);
    EXPECT_EQ(result.expressions.find_first_of(std::string("\n\xFE\xFF", 3)), std::string::npos);
}

// Every spelling of a comparison compiles to the one operator it stands for.
TEST(Compiler, EveryComparisonSpellingCompilesToItsOperator) {
    const std::pair<const char*, const char*> spellings[] = {
        {"=", "="},   {"EQ", "="},          {"#", "#"},
        {"<>", "#"},  {"><", "#"},          {"NE", "#"},
        {"<", "<"},   {"LT", "<"},          {">", ">"},
        {"GT", ">"},  {"<=", "<="},         {"=<", "<="},
        {"LE", "<="}, {">=", ">="},         {"=>", ">="},
        {"GE", ">="}, {"MATCH", "MATCHES"}, {"MATCHES", "MATCHES"},
    };
    for (const auto& [spelling, op] : spellings) {
        Names names;
        const CompileResult result = CompileExpression(std::string("A ") + spelling + " B", names);
        ASSERT_TRUE(result.ok) << spelling << ": " << result.message;
        EXPECT_EQ(DescribeExpressions(result.expressions), std::string("(") + op + " A B)")
            << spelling;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Compiler, ValidExpressions,
    ::testing::Values(
        // Precedence, high to low, and left-to-right grouping.
        Valid{"ProductBeforeSum", "A + B * C", "(+ A (* B C))"},
        Valid{"SubtractionGroupsLeft", "A - B - C", "(- (- A B) C)"},
        Valid{"UnaryBeforePower", "-A ^ 2", "(^ (- A) 2)"},
        Valid{"PowerSpellingsGroupLeft", "2 ** 3 ^ 2", "(^ (^ 2 3) 2)"},
        Valid{"SumBeforeConcatenation", "A : B + C", "(: A (+ B C))"},
        Valid{"ConcatenationBeforeRelation", "A = B CAT C", "(= A (: B C))"},
        Valid{"RelationsBeforeLogic", "A EQ 1 AND B NE 2 OR C", "(OR (AND (= A 1) (# B 2)) C)"},
        Valid{"SymbolicLogic", "A & B ! C", "(OR (AND A B) C)"},
        Valid{"RelationSpellings", "A =< B # A >< B", "(# (# (<= A B) A) B)"},
        Valid{"Matches", "A matches '3N'", "(MATCHES A \"3N\")"},
        Valid{"Parentheses", "((A + B)) * -(-C)", "(* (+ A B) (- (- C)))"},
        Valid{"Numbers", ".5 + 1. + 10", "(+ (+ .5 1.) 10)"},
        Valid{"ThreeQuotes", "\"x\" : 'y' : \\z\\", "(: (: \"x\" \"y\") \"z\")"},
        // IF is an operand whose ELSE reaches as far right as it can.
        Valid{"ElseTakesTheRest", "IF A THEN B ELSE C + 1", "(IF A B (+ C 1))"},
        Valid{"IfAsOperand", "1 + IF A THEN B ELSE C", "(+ 1 (IF A B C))"},
        Valid{"IfInThen", "IF A THEN IF B THEN 1 ELSE 2 ELSE 3", "(IF A (IF B 1 2) 3)"},
        Valid{"ElseIf", "if A then 1 else if B then 2 else 3", "(IF A 1 (IF B 2 3))"},
        // Extraction and substring after an operand, chained.
        Valid{"ExtractThenSubstring", "A<1,2>[3,4]", "([] (<> A 1 2) 3 4)"},
        Valid{"SubstringTwice", "F1[1,5][2,1]", "([] ([] F1 1 5) 2 1)"},
        Valid{"LastCharacters", "A[2]", "([] A 2)"},
        Valid{"ComputedPosition", "@RECORD<A + 1, 2, 3>", "(<> @RECORD (+ A 1) 2 3)"},
        Valid{"ExtractionCompared", "A<1>='X'", "(= (<> A 1) \"X\")"},
        Valid{"LessThanIsNotExtraction", "A < 1 AND B > 2", "(AND (< A 1) (> B 2))"},
        Valid{"LessThanBeforeThen", "IF A<B THEN A ELSE B", "(IF (< A B) A B)"},
        Valid{"ResultExtracted", "A; @1<2>", "A; (<> @1 2)"},
        // Several expressions, each naming the results before it.
        Valid{"EarlierResults", "A; @1 * 2; @2 + @1", "A; (* @1 2); (+ @2 @1)"},
        // Functions, any letter case, with their arity.
        Valid{"Oconv", "OCONV(A, 'MD2')", "(OCONV A \"MD2\")"},
        Valid{"LowerCaseFunction", "trim(A) : Date()", "(: (TRIM A) (DATE))"},
        Valid{"OptionalArguments", "FIELD(A, '*', 2, 3)", "(FIELD A \"*\" 2 3)"},
        Valid{"Subroutine", "SUBR('MY.SUB', @ID, A)", "(SUBR \"MY.SUB\" @ID A)"},
        Valid{"TransBareWordsAreOtherFile", "TRANS(CUSTOMERS, A, NAME, 'X')",
              "(TRANS \"CUSTOMERS\" A \"NAME\" \"X\")"},
        Valid{"TransDictFile", "XLATE(DICT CUST-FILE, A, 3, 'X')",
              "(XLATE \"DICT CUST-FILE\" A 3 \"X\")"},
        Valid{"TransFileCanBeComputed", "1; TRANS(A : 'S', @1, 1, 'X')",
              "1; (TRANS (: A \"S\") @1 1 \"X\")"},
        // Names: '-' inside a name only when an item has that name.
        Valid{"HyphenatedItem", "CUST-NO-1", "(- CUST-NO 1)"},
        Valid{"HyphenIsMinus", "A-B", "(- A B)"},
        Valid{"SystemVariablesAnyCase", "@vm : @Fm : @DATE", "(: (: @VM @FM) @DATE)"},
        // Mark and escape bytes inside a string never reach the compiled form raw.
        Valid{"MarksInStringEscaped", "'50%\xFD'", "\"50%25%FD\""},
        // A line feed inside a string would split the stored compiled field in two.
        Valid{"LineFeedInStringEscaped", "'A\nB'", "\"A%0AB\""}),
    [](const ::testing::TestParamInfo<Valid>& p) { return std::string(p.param.name); });

struct Invalid {
    const char* name;
    std::string source;
    std::size_t column;
    const char* phrase;  // part of the message
};

class InvalidExpressions : public ::testing::TestWithParam<Invalid> {};

TEST_P(InvalidExpressions, ReportWhereAndWhat) {
    Names names;
    const CompileResult result = CompileExpression(GetParam().source, names);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.column, GetParam().column) << result.message;
    EXPECT_NE(result.message.find(GetParam().phrase), std::string::npos) << result.message;
    EXPECT_TRUE(result.expressions.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Compiler, InvalidExpressions,
    ::testing::Values(
        Invalid{"DoubledOperator", "QTY * * PRICE", 7,
                "expected an operand after '*' but found '*'"},
        Invalid{"Empty", "", 1, "the expression is empty"},
        Invalid{"Blank", "   ", 1, "the expression is empty"},
        Invalid{"UnclosedParenthesis", "(A + B", 7, "expected ')' to close the '(' at column 1"},
        Invalid{"StrayClose", "A + B)", 6, "no '(' for it to close"},
        Invalid{"MissingThen", "IF A B ELSE C", 6, "expected THEN"},
        Invalid{"MissingElse", "IF A THEN B", 12, "expected ELSE for the IF at column 1"},
        Invalid{"IfWithoutCondition", "IF THEN A ELSE B", 4, "after 'IF' but found 'THEN'"},
        Invalid{"UnknownName", "A + CUST.NAM", 5, "unknown name CUST.NAM"},
        Invalid{"NamesAreExact", "a", 1, "unknown name a"},
        Invalid{"PhraseIsNoField", "PH1 + 1", 1, "PH1 is a PH item"},
        Invalid{"LowerCaseTypeIsNoField", "lower", 1, "is a d item"},
        Invalid{"UnknownFunction", "A + FOO(1)", 5, "unknown function FOO"},
        Invalid{"FunctionWithoutParentheses", "DATE + 1", 1, "DATE is a function"},
        Invalid{"TooFewArguments", "OCONV(A)", 1, "OCONV takes 2 arguments but is given 1"},
        Invalid{"TooManyArguments", "1 + TRIM(A, B, C, A)", 5, "TRIM takes 1 to 3 arguments"},
        Invalid{"ArgumentsToNone", "TIME(1)", 1, "TIME takes no arguments"},
        Invalid{"MissingComma", "OCONV(A 'MD2')", 9, "in the arguments of OCONV"},
        Invalid{"EmptySubroutineName", "SUBR('', A)", 6, "SUBR needs the name"},
        Invalid{"UnterminatedString", "A : 'abc", 5, "unterminated string"},
        Invalid{"TrailingGarbage", "A B", 3, "expected an operator or the end"},
        Invalid{"UnknownCharacter", "A ? B", 3, "unexpected character '?'"},
        Invalid{"ValueMark",
                "A\xFD"
                "B",
                2, "value mark"},
        Invalid{"ResultBeyondEarlier", "A; B; @5", 7, "only @1 to @2 come before"},
        Invalid{"ResultInFirst", "@1 + A", 1, "no expression comes before"},
        Invalid{"ResultZero", "A; @0", 4, "@0 names no earlier result"},
        Invalid{"EmptyLastExpression", "A;", 3, "expected an expression after ';'"},
        Invalid{"EmptyMiddleExpression", "A;;B", 3, "expected an expression after ';'"},
        Invalid{"BareAt", "A; IF @ = 1 THEN 1 ELSE 2", 7, "'@' alone"},
        Invalid{"UnknownVariable", "@DS", 1, "unknown variable @DS"},
        Invalid{"FourPositions", "A<1,2,3,4>", 8, "at most 3 positions"},
        Invalid{"UnclosedSubstring", "A[1,2", 6, "expected ',' or ']'"},
        Invalid{"TooDeep", std::string(300, '(') + "A" + std::string(300, ')'), 201,
                "nests too deeply"}),
    [](const ::testing::TestParamInfo<Invalid>& p) { return std::string(p.param.name); });

TEST(CompiledForm, KeepsFieldsOneToEightAndReplacesTheRest) {
    const std::string expressions =
        "+/2\xFC"
        "A\xFC"
        "1";
    EXPECT_EQ(WithCompiledFields("I\xFE"
                                 "A+1",
                                 expressions, "A"),
              "I\xFE"
              "A+1\xFE\xFE\xFE\xFE\xFE\xFE\xFE"
              "KCD1\xFE" +
                  expressions +
                  "\xFE"
                  "A");
    EXPECT_EQ(WithCompiledFields("V\xFE"
                                 "2\xFE"
                                 "3\xFE"
                                 "4\xFE"
                                 "5\xFE"
                                 "6\xFE"
                                 "7\xFE"
                                 "8\xFE"
                                 "old9\xFE"
                                 "old10",
                                 expressions, ""),
              "V\xFE"
              "2\xFE"
              "3\xFE"
              "4\xFE"
              "5\xFE"
              "6\xFE"
              "7\xFE"
              "8\xFE"
              "KCD1\xFE" +
                  expressions + "\xFE");
    EXPECT_EQ(DescribeExpressions(expressions), "(+ A 1)");
    EXPECT_EQ(DescribeExpressions("+/2\xFC"
                                  "A"),
              std::nullopt);  // an operand short
}

}  // namespace
}  // namespace mv
