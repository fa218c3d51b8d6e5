// SPDX-License-Identifier: MIT
// Every example row of docs/values.md, checked as written there.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "platform/mv/values/Conversions.h"
#include "tests/platform/values/conv/ExampleSource.h"

namespace mv::values {
namespace {

struct ExampleRow {
    std::string section;
    int line = 0;
    std::string call, code, value, result, status;
};

// A cell as the page shows it, back to bytes: `·` a blank, <VM> and the other marks.
std::string Decode(std::string cell) {
    while (!cell.empty() && cell.front() == ' ') {
        cell.erase(0, 1);
    }
    while (!cell.empty() && cell.back() == ' ') {
        cell.pop_back();
    }
    if (cell.size() >= 2 && cell.front() == '`' && cell.back() == '`') {
        cell = cell.substr(1, cell.size() - 2);
    }
    if (cell == "(empty)") {
        return {};
    }
    static const std::vector<std::pair<std::string, std::string>> kTokens = {
        {"\xC2\xB7", " "}, {"<VM>", "\xFD"}, {"<SM>", "\xFC"},
        {"<FM>", "\xFE"},  {"<TM>", "\xFB"}, {"<TAB>", "\t"}};
    for (const auto& [token, bytes] : kTokens) {
        for (std::size_t at; (at = cell.find(token)) != std::string::npos;) {
            cell.replace(at, token.size(), bytes);
        }
    }
    return cell;
}

std::vector<ExampleRow> ReadExamples() {
    std::ifstream page(std::string(KELVORA_SOURCE_DIR) + "/docs/values.md");
    std::vector<ExampleRow> rows;
    std::string section;
    std::string text;
    for (int line = 1; std::getline(page, text); ++line) {
        if (text.rfind("## ", 0) == 0) {
            section = text.substr(3);
            continue;
        }
        std::vector<std::string> cells;
        std::stringstream split(text);
        for (std::string cell; std::getline(split, cell, '|');) {
            cells.push_back(cell);
        }
        // "| OCONV | code | value | result | status |" splits into an empty first cell.
        if (cells.size() < 5 || cells[0] != "") {
            continue;
        }
        std::string call = Decode(cells[1]);
        if (call != "OCONV" && call != "ICONV" && call != "FMT") {
            continue;
        }
        std::string status = cells.size() > 5 ? cells[5] : "";
        rows.push_back({section, line, call, Decode(cells[2]), Decode(cells[3]), Decode(cells[4]),
                        Decode(status)});
    }
    return rows;
}

TEST(ConversionTables, EveryExampleOfTheDocsHolds) {
    std::vector<ExampleRow> rows = ReadExamples();
    std::map<std::string, int> perSection;
    ExampleSource source;
    for (const ExampleRow& row : rows) {
        ++perSection[row.section];
        Converted got = row.call == "OCONV"   ? Oconv(row.value, row.code, &source)
                        : row.call == "ICONV" ? Iconv(row.value, row.code, &source)
                                              : FormatChecked(row.value, row.code);
        std::string expectedNote;
        if (std::size_t at = row.status.find("note: "); at != std::string::npos) {
            expectedNote = row.status.substr(at + 6);
        }
        bool expectedValid = row.status.rfind("invalid", 0) != 0;
        SCOPED_TRACE("docs/values.md:" + std::to_string(row.line) + " (" + row.section +
                     "): " + row.call + " " + row.code);
        EXPECT_EQ(got.value, row.result);
        EXPECT_EQ(got.valid, expectedValid);
        EXPECT_EQ(got.note, expectedNote);
        if (row.call == "FMT") {
            EXPECT_EQ(Format(row.value, row.code), row.result);
        }
    }
    // Every table is there and has rows: a page that lost its tables fails here.
    for (const char* section :
         {"How codes apply", "D: dates", "MT: times", "MD, MR, ML: decimals", "MC: characters",
          "MX, MO, MB: number bases", "G, L, R, P: groups, lengths, ranges, patterns",
          "T: text and translation", "Formats"}) {
        EXPECT_GE(perSection[section], 6) << section;
    }
}

TEST(ConversionTables, TranslationWithoutTheAccountKeepsTheValue) {
    Converted got = Oconv("NY", "TSTATES;X;;1", nullptr);
    EXPECT_EQ(got.value, "NY");
    EXPECT_EQ(got.note, "TRANS: needs the account to read STATES");
}

// Each value of a multivalued value is one read; the codes before a translation run first.
TEST(ConversionTables, TranslationReadsEachValue) {
    ExampleSource source;
    Converted got = Oconv("ny\xFDtx", "MCU\xFDTSTATES;X;;1", &source);
    EXPECT_EQ(got.value, "New York\xFDTexas");
    EXPECT_EQ(source.reads, 2);
}

}  // namespace
}  // namespace mv::values
