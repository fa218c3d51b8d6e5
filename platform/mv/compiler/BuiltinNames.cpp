// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/BuiltinNames.h"

#include "platform/mv/CommandWords.h"

#include <algorithm>
#include <iterator>

namespace mv {
namespace {

constexpr int kMany = 255;  // SUBR passes any number of arguments on

// Sorted by name, for a binary search. The functions a dictionary expression can call:
// the BASIC functions that compute a value without side effects, plus the dictionary
// ones (TRANS, XLATE, SUBR, TOTAL, CALCULATE, REUSE).
constexpr FunctionInfo kFunctions[] = {
    {"ABS", 1, 1},        {"ABSS", 1, 1},       {"ACOS", 1, 1},       {"ADDS", 2, 2},
    {"ALPHA", 1, 1},      {"ANDS", 2, 2},       {"ASCII", 1, 1},      {"ASIN", 1, 1},
    {"ATAN", 1, 1},       {"BITAND", 2, 2},     {"BITNOT", 1, 2},     {"BITOR", 2, 2},
    {"BITXOR", 2, 2},     {"BYTELEN", 1, 1},    {"CALCULATE", 1, 1},  {"CATS", 2, 2},
    {"CHANGE", 3, 5},     {"CHAR", 1, 1},       {"CHARS", 1, 1},      {"CHECKSUM", 1, 1},
    {"COMPARE", 2, 3},    {"CONVERT", 3, 3},    {"COS", 1, 1},        {"COSH", 1, 1},
    {"COUNT", 2, 2},      {"COUNTS", 2, 2},     {"DATE", 0, 0},       {"DCOUNT", 2, 2},
    {"DELETE", 2, 4},     {"DIV", 2, 2},        {"DIVS", 2, 2},       {"DOWNCASE", 1, 1},
    {"DQUOTE", 1, 1},     {"DTX", 1, 2},        {"EBCDIC", 1, 1},     {"EQS", 2, 2},
    {"EREPLACE", 3, 5},   {"EXP", 1, 1},        {"EXTRACT", 2, 4},    {"FIELD", 3, 4},
    {"FIELDS", 3, 4},     {"FIELDSTORE", 5, 5}, {"FIX", 1, 3},        {"FMT", 2, 2},
    {"FMTS", 2, 2},       {"FOLD", 2, 2},       {"GES", 2, 2},        {"GROUP", 3, 4},
    {"GTS", 2, 2},        {"ICONV", 2, 2},      {"ICONVS", 2, 2},     {"IFS", 3, 3},
    {"INDEX", 3, 3},      {"INDEXS", 3, 3},     {"INSERT", 3, 5},     {"INT", 1, 1},
    {"ISNULL", 1, 1},     {"ISNULLS", 1, 1},    {"LEN", 1, 1},        {"LENS", 1, 1},
    {"LES", 2, 2},        {"LN", 1, 1},         {"LOWER", 1, 1},      {"LTS", 2, 2},
    {"MATCHFIELD", 3, 3}, {"MAXIMUM", 1, 1},    {"MINIMUM", 1, 1},    {"MOD", 2, 2},
    {"MODS", 2, 2},       {"MULS", 2, 2},       {"NEG", 1, 1},        {"NEGS", 1, 1},
    {"NES", 2, 2},        {"NOT", 1, 1},        {"NOTS", 1, 1},       {"NUM", 1, 1},
    {"NUMS", 1, 1},       {"OCONV", 2, 2},      {"OCONVS", 2, 2},     {"ORS", 2, 2},
    {"PWR", 2, 2},        {"QUOTE", 1, 1},      {"RAISE", 1, 1},      {"REAL", 1, 1},
    {"REM", 2, 2},        {"REPLACE", 4, 5},    {"REUSE", 1, 1},      {"RND", 1, 1},
    {"SEQ", 1, 1},        {"SEQS", 1, 1},       {"SIN", 1, 1},        {"SINH", 1, 1},
    {"SOUNDEX", 1, 1},    {"SPACE", 1, 1},      {"SPACES", 1, 1},     {"SPLICE", 3, 3},
    {"SQRT", 1, 1},       {"SQUOTE", 1, 1},     {"STR", 2, 2},        {"STRS", 2, 2},
    {"SUBR", 1, kMany},   {"SUBS", 2, 2},       {"SUBSTRINGS", 3, 3}, {"SUM", 1, 1},
    {"SUMMATION", 1, 1},  {"SYSTEM", 1, 1},     {"TAN", 1, 1},        {"TANH", 1, 1},
    {"TIME", 0, 0},       {"TIMEDATE", 0, 0},   {"TOTAL", 1, 1},      {"TRANS", 4, 4},
    {"TRIM", 1, 3},       {"TRIMB", 1, 1},      {"TRIMBS", 1, 1},     {"TRIMF", 1, 1},
    {"TRIMFS", 1, 1},     {"TRIMS", 1, 1},      {"UPCASE", 1, 1},     {"XLATE", 4, 4},
    {"XTD", 1, 1},
};

// The system variables an expression may read. Sorted.
constexpr std::string_view kAtVariables[] = {
    "ACCOUNT",   "AM",       "CONV",  "CRTHIGH", "CRTWIDE",  "DATE", "DAY", "FALSE",
    "FILE.NAME", "FILENAME", "FM",    "FORMAT",  "HEADER",   "ID",   "IM",  "LOGNAME",
    "LPTRHIGH",  "LPTRWIDE", "MONTH", "NB",      "ND",       "NI",   "NS",  "NULL",
    "NULL.STR",  "NV",       "PATH",  "RECORD",  "SENTENCE", "SM",   "SVM", "TIME",
    "TM",        "TRUE",     "TTY",   "USER.NO", "USERNO",   "VM",   "WHO", "YEAR",
};

constexpr std::string_view kKeywords[] = {
    "AND", "CAT", "ELSE",  "EQ",      "GE", "GT", "IF",
    "LE",  "LT",  "MATCH", "MATCHES", "NE", "OR", "THEN",
};

static_assert(std::is_sorted(std::begin(kFunctions), std::end(kFunctions),
                             [](const FunctionInfo& a, const FunctionInfo& b) {
                                 return a.name < b.name;
                             }));
static_assert(std::is_sorted(std::begin(kAtVariables), std::end(kAtVariables)));
static_assert(std::is_sorted(std::begin(kKeywords), std::end(kKeywords)));

}  // namespace

const FunctionInfo* FindFunction(std::string_view name) {
    const std::string upper = UpperCase(name);
    const auto* found =
        std::lower_bound(std::begin(kFunctions), std::end(kFunctions), upper,
                         [](const FunctionInfo& f, const std::string& n) { return f.name < n; });
    return found != std::end(kFunctions) && found->name == upper ? found : nullptr;
}

std::span<const FunctionInfo> AllFunctions() {
    return kFunctions;
}

std::optional<std::string> CanonicalAtVariable(std::string_view name) {
    std::string upper = UpperCase(name);
    if (std::binary_search(std::begin(kAtVariables), std::end(kAtVariables), upper)) {
        return upper;
    }
    return std::nullopt;
}

bool IsKeyword(std::string_view capitals) {
    return std::binary_search(std::begin(kKeywords), std::end(kKeywords), capitals);
}

}  // namespace mv
