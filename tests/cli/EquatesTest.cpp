// SPDX-License-Identifier: MIT
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "cli/Equates.h"

namespace cli::test {
namespace {

// A record with the given field 2 and type code.
std::string Item(const std::string& field2, const std::string& type = "D") {
    return type + "\xFE" + field2 + "\xFE\xFE" + "Heading\xFE" + "10L\xFES";
}

TEST(Equates, includeOfADictionary) {
    struct Case {
        const char* what;
        std::map<std::string, std::string> items;
        std::string prefix, expected;  // expected: the lines after the one naming the file
    };
    // clang-format off
    const Case cases[] = {
        {"D, A and S items with a field number of 1 or more, by number then name; a name that "
         "does not start with a letter gets one",
         {{"NAME", Item("1")}, {"SYN", Item("1", "S")}, {"ADDR", Item(" 2 ", "DATA Address")},
          {"CITY", Item("007", "d")}, {"ZIP", Item("10", "A")}, {"@ID", Item("0")},
          {"BIG", Item("123456789012345678901234567890")}, {"TOTAL", Item("A*B", "I")},
          {"VIRT", Item("3", "V")}, {"PH1", Item("NAME", "PH")}, {"X1", Item("5", "X")},
          {"BAD", Item("-1")}, {"MULTI", Item("3\3754")}, {"EMPTY", "D"}, {"1ST", Item("11")},
          {"L", Item(std::string(43, 'x'))}, {"@KEY", Item("12")}, {"", Item("13")}},
         "",
         "EQUATE NAME TO 1\nEQUATE SYN TO 1\nEQUATE ADDR TO 2\nEQUATE CITY TO 7\n"
         "EQUATE ZIP TO 10\nEQUATE X1ST TO 11\nEQUATE X.KEY TO 12\nEQUATE X TO 13\n"
         "EQUATE BIG TO 123456789012345678901234567890\n"
         "* Not equated: \"BAD\", field 2 \"-1\" is not a field number\n"
         "* Not equated: \"EMPTY\", field 2 \"\" is not a field number\n"
         "* Not equated: \"L\", field 2 \"" + std::string(40, 'x') + "\"... is not a field number\n"
         "* Not equated: \"MULTI\", field 2 \"3\\xFD4\" is not a field number\n"},
        {"ids made into names; a prefix that starts with a letter makes none need an X",
         {{"CUST NAME", Item("1")}, {"1ST", Item("2")}, {"STRA\303\237E", Item("3")},
          {"AMT$", Item("4")}, {"PCT%_", Item("5")}},
         "CM.",
         "EQUATE CM.CUST.NAME TO 1\nEQUATE CM.1ST TO 2\nEQUATE CM.STRA..E TO 3\n"
         "EQUATE CM.AMT$ TO 4\nEQUATE CM.PCT.. TO 5\n"},
        {"ids making one name: one line when they agree, else the exact id keeps it",
         {{"A.B", Item("3")}, {"A B", Item("4")}, {"A-B", Item("3")}, {"C D", Item("5")},
          {"C\nD", Item("6")}, {"C\"D", Item("6")}, {"E F", Item("7")}, {"E-F", Item("7")}},
         "",
         "EQUATE A.B TO 3\nEQUATE E.F TO 7\n"
         "* Not equated: \"A B\", field 4: the name A.B belongs to \"A.B\" (field 3)\n"
         "* Not equated: \"C\\x0AD\", field 6: the name C.D stands for several fields\n"
         "* Not equated: \"C D\", field 5: the name C.D stands for several fields\n"
         "* Not equated: \"C\\x22D\", field 6: the name C.D stands for several fields\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(
            EquatesInclude("F", c.items, c.prefix),
            "* Field equates of the dictionary of F, made by kelvora-cmd equates\n" + c.expected)
            << c.what;
    }
    // The prefix is mended like an id; the file name is shown like one.
    EXPECT_EQ(EquatesInclude("MY\nFILE", {{"A", Item("1")}}, "9-"),
              "* Field equates of the dictionary of MY\\x0AFILE, made by kelvora-cmd equates\n"
              "EQUATE X9.A TO 1\n");
}

}  // namespace
}  // namespace cli::test
