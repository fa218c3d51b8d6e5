// SPDX-License-Identifier: MIT
// Hostile codes and values, and every code and format of the real dictionaries.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/mv/values/Conversions.h"
#include "tests/platform/values/conv/ExampleSource.h"

namespace mv::values {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t k64KiB = 65536;

TEST(ConversionLimits, HugeNumbersInFormatsAndCodesStayBounded) {
    EXPECT_EQ(Format("A", "2000000000L").size(), k64KiB);
    EXPECT_EQ(Format("A", "R#99999999999999999999").size(), k64KiB);
    EXPECT_EQ(Format("A", "10'x'L").size(), 10u);
    // A mask of more positions than the limit is no format.
    EXPECT_FALSE(FormatChecked("A", "L(#40000#40000-)").valid);
    EXPECT_EQ(Oconv("1.2.3", "G99999999999999999999999.1").value, "");
    EXPECT_EQ(Oconv("ABC", "L99999999999999999999999").value, "ABC");
    EXPECT_FALSE(Oconv(std::string(1000, ','), "MCC;,;" + std::string(1000, 'x')).valid);
    EXPECT_EQ(Oconv("ABC", "T99999999999999,2").note, "not converted: T99999999999999,2");
    EXPECT_FALSE(Oconv("99999999999999999999999", "D").valid);
    EXPECT_FALSE(Oconv("-9223372036854775808", "MT").valid);
    EXPECT_FALSE(Iconv("1/1/99999999999", "D").valid);
    EXPECT_FALSE(Iconv("99999999999999999:00", "MT").valid);
    EXPECT_EQ(Oconv("99999999999999", "D").value, "99999999999999");
    EXPECT_TRUE(Oconv("-100000000000", "D").valid);
    EXPECT_FALSE(Oconv("-100000000001", "D").valid);
}

TEST(ConversionLimits, LongValuesConvertInLinearTime) {
    std::string digits(200000, '9');
    EXPECT_EQ(Oconv(digits, "MD2,").value.size(), 200000 + 1 + 66665);
    EXPECT_EQ(Iconv(digits + ".5", "MD2").value, digits + "50");
    std::string letters(200000, 'A');
    EXPECT_EQ(Oconv(letters, "P(0X0X0X0X1N)").value, "");
    EXPECT_EQ(Oconv(letters, "P(0A0X0A)").value, letters);
    EXPECT_EQ(Format(letters, "10T").size(), 200000u + 19999u);
}

// Random bytes after every code letter: whatever the text, a conversion answers.
TEST(ConversionLimits, ArbitraryCodesNeverFail) {
    std::mt19937 random(33);
    const char* prefixes[] = {"D", "MT", "MD", "MR", "ML", "MC",       "MX", "MB",
                              "G", "L",  "R",  "P",  "T",  "TSTATES;", ""};
    const std::string alphabet = "0123456789YMDWQJABELZNCXPSTH,;.$-<>#*%()[]'\"/ \xFD";
    ExampleSource source;
    for (int round = 0; round < 20000; ++round) {
        std::string code = prefixes[round % std::size(prefixes)];
        for (int n = static_cast<int>(random() % 12); n > 0; --n) {
            code.push_back(alphabet[random() % alphabet.size()]);
        }
        std::string value;
        for (int n = static_cast<int>(random() % 12); n > 0; --n) {
            value.push_back(alphabet[random() % alphabet.size()]);
        }
        Converted out = Oconv(value, code, &source);
        Converted in = Iconv(value, code, &source);
        Converted formatted = FormatChecked(value, code);
        ASSERT_LE(out.value.size() + in.value.size(), 4 * value.size() + 2 * k64KiB) << code;
        ASSERT_LE(formatted.value.size(), 2 * value.size() + k64KiB) << code;
    }
}

std::vector<std::string> Fields(const fs::path& item) {
    std::ifstream in(item, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1) {
        fields.push_back(text.substr(start, at - start));
    }
    fields.push_back(text.substr(start));
    return fields;
}

bool OnlyNotKnown(const std::string& note) {
    return note.empty() || note.rfind("not converted: ", 0) == 0;
}

// Field 3 of every real item converts or is named not known; the codes of D, I and V
// items that are date, time and decimal codes all convert, and so does every format but
// the few that are not formats.
TEST(ConversionCorpus, EveryCodeAndFormatConvertsOrIsNamed) {
    const fs::path corpus = KELVORA_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    int codes = 0;
    int formats = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file() ||
            entry.path().parent_path().filename().string().rfind("D_", 0) != 0) {
            continue;
        }
        std::vector<std::string> fields = Fields(entry.path());
        if (fields.size() < 5) {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        const std::string& code = fields[2];
        char type = fields[0].empty() ? ' ' : fields[0][0];
        // A and S items carry their conversion and correlative in fields 7 and 8.
        std::vector<std::string> anyCodes = {code};
        if ((type == 'A' || type == 'S') && fields.size() >= 8) {
            anyCodes.insert(anyCodes.end(), {fields[6], fields[7]});
        }
        for (const std::string& any : anyCodes) {
            for (const char* value : {"12345", "-1.5", "ABC", "12/31/1999"}) {
                EXPECT_TRUE(OnlyNotKnown(Oconv(value, any).note)) << any;
                EXPECT_TRUE(OnlyNotKnown(Iconv(value, any).note)) << any;
            }
        }
        bool descriptor = type == 'D' || type == 'I' || type == 'V';
        if (descriptor && (code.rfind("D", 0) == 0 || code.rfind("MD", 0) == 0 ||
                           code.rfind("MR", 0) == 0 || code.rfind("MT", 0) == 0)) {
            EXPECT_EQ(Oconv("12345", code).note, "") << code;
            ++codes;
        }
        const std::string& format = fields[4];
        Converted formatted = FormatChecked("12345", format);
        if (descriptor && format != "0" && format != "S" && format != "3L8L") {
            EXPECT_EQ(formatted.note, "") << format;
            ++formats;
        } else {
            EXPECT_TRUE(formatted.note.empty() || formatted.note == "not formatted: " + format);
        }
    }
    EXPECT_GT(codes, 100);
    EXPECT_GT(formats, 900);
}

}  // namespace
}  // namespace mv::values
