// SPDX-License-Identifier: MIT
// The D conversion: day numbers (day 0 is 31 December 1967) to dates and back.
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>

#include "platform/mv/values/conv/Converters.h"
#include "platform/mv/values/conv/DateCode.h"
#include "platform/mv/values/conv/DecimalText.h"
#include "platform/mv/values/conv/ParsedCodes.h"

namespace mv::values::conv {

namespace {

// Beyond this many days (some 270 million years) a day number is not a date here; it
// keeps every step of the calendar arithmetic far from overflow.
constexpr std::int64_t kMaxDayNumber = 100'000'000'000;

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kWeekdayNames = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                      "Friday", "Saturday", "Sunday"};

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Padded(std::int64_t number, int width) {
    char digits[24];
    const std::uint64_t magnitude =
        number < 0 ? 0 - static_cast<std::uint64_t>(number) : static_cast<std::uint64_t>(number);
    const auto length = static_cast<std::size_t>(
        std::to_chars(digits, digits + sizeof digits, magnitude).ptr - digits);
    std::string text;
    if (number < 0) {
        text.push_back('-');
    }
    if (length < static_cast<std::size_t>(std::max(width, 0))) {
        text.append(static_cast<std::size_t>(width) - length, '0');
    }
    text.append(digits, length);
    return text;
}

// The last `digits` digits of the year, zero-padded to that many.
std::string YearText(std::int64_t year, int digits) {
    std::string text = Padded(year < 0 ? -year : year, digits);
    if (static_cast<int>(text.size()) > digits) {
        text.erase(0, text.size() - static_cast<std::size_t>(digits));
    }
    return year < 0 ? "-" + text : text;
}

struct PartText {
    std::string text;
    bool numeric = true;
};

// The text of one part; `standalone` when the code shows this part alone, where day,
// month and day of year come without leading zeros.
PartText RenderPart(const DatePart& part, const CivilDate& date, std::int64_t dayNumber,
                    const DateCode& code, bool standalone) {
    std::int64_t weekday = ((dayNumber % 7) + 7 + 6) % 7;  // day 0 was a Sunday; 0 = Monday
    switch (part.letter) {
        case 'Y':
            return {YearText(date.year, part.yearDigits >= 0 ? part.yearDigits : code.yearDigits)};
        case 'M':
            if (part.names != 0) {
                std::string name = kMonthNames[static_cast<std::size_t>(date.month - 1)];
                if (part.names == 'B') {
                    name.resize(3);
                }
                return {code.keepCase ? name : Upper(name), false};
            }
            return {Padded(date.month, standalone ? 1 : 2)};
        case 'D':
            return {Padded(date.day, standalone ? 1 : 2)};
        case 'W':
            if (part.names != 0) {
                std::string name = kWeekdayNames[static_cast<std::size_t>(weekday)];
                if (part.names == 'B') {
                    name.resize(3);
                }
                return {code.keepCase ? name : Upper(name), false};
            }
            return {std::to_string(weekday + 1)};
        case 'Q':
            return {std::to_string((date.month - 1) / 3 + 1)};
        default: {  // 'J'
            std::int64_t dayOfYear = dayNumber - DayNumberFromCivil({date.year, 1, 1}) + 1;
            return {Padded(dayOfYear, standalone ? 1 : 3)};
        }
    }
}

std::string ApplyModifier(PartText part, const DatePart& which, const CivilDate& date,
                          const DateCode& code, const DatePartModifier& modifier) {
    using Kind = DatePartModifier::Kind;
    switch (modifier.kind) {
        case Kind::kWidth:
            if (part.numeric) {
                std::string digits = part.text;
                if (static_cast<int>(digits.size()) > modifier.width) {
                    digits.erase(0, digits.size() - static_cast<std::size_t>(modifier.width));
                } else {
                    digits.insert(0, static_cast<std::size_t>(modifier.width) - digits.size(), '0');
                }
                return digits;
            }
            return part.text.substr(0, static_cast<std::size_t>(modifier.width));
        case Kind::kAlpha: {
            std::string text = part.text;
            if (which.letter == 'M') {
                text = kMonthNames[static_cast<std::size_t>(date.month - 1)];
                if (!code.keepCase) {
                    text = Upper(text);
                }
            }
            if (modifier.width >= 0) {
                text = text.substr(0, static_cast<std::size_t>(modifier.width));
            }
            return text;
        }
        case Kind::kZeroSuppress: {
            std::string text = part.text;
            if (part.numeric) {
                std::size_t first = text.find_first_not_of('0');
                text = first == std::string::npos ? "0" : text.substr(first);
            }
            if (static_cast<int>(text.size()) < modifier.width) {
                text.insert(0, static_cast<std::size_t>(modifier.width) - text.size(), ' ');
            }
            return text;
        }
        case Kind::kText:
        case Kind::kNone:
            break;
    }
    return part.text;
}

// The parts a code without part letters shows: day, month name and year when no separator
// is given; month, day and year (day first with E) otherwise.
const std::vector<DatePart>& DefaultParts(const DateCode& code) {
    static const std::vector<DatePart> kNamed = {{'D', 0, -1}, {'M', 'B', -1}};
    static const std::vector<DatePart> kNamedYear = {{'D', 0, -1}, {'M', 'B', -1}, {'Y', 0, -1}};
    static const std::vector<DatePart> kEuropean = {{'D', 0, -1}, {'M', 0, -1}};
    static const std::vector<DatePart> kEuropeanYear = {{'D', 0, -1}, {'M', 0, -1}, {'Y', 0, -1}};
    static const std::vector<DatePart> kMonthFirst = {{'M', 0, -1}, {'D', 0, -1}};
    static const std::vector<DatePart> kMonthFirstYear = {{'M', 0, -1}, {'D', 0, -1}, {'Y', 0, -1}};
    const bool year = code.yearDigits > 0;
    if (code.separator == 0) {
        return year ? kNamedYear : kNamed;
    }
    if (code.european) {
        return year ? kEuropeanYear : kEuropean;
    }
    return year ? kMonthFirstYear : kMonthFirst;
}

Converted DateOutput(std::string_view value, const DateCode& code) {
    auto number = ParseDecimal(value);
    std::optional<std::int64_t> dayNumber;
    if (number) {
        dayNumber = IntegerPart(*number);
    }
    if (!dayNumber || *dayNumber > kMaxDayNumber || *dayNumber < -kMaxDayNumber) {
        return Unconvertible(value);
    }
    CivilDate date = CivilFromDayNumber(*dayNumber);
    const std::vector<DatePart>& parts = code.parts.empty() ? DefaultParts(code) : code.parts;
    char separator = code.separator != 0 ? code.separator : ' ';
    const DatePartModifier none;
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        PartText part = RenderPart(parts[i], date, *dayNumber, code, parts.size() == 1);
        const DatePartModifier& modifier = i < code.modifiers.size() ? code.modifiers[i] : none;
        text += ApplyModifier(std::move(part), parts[i], date, code, modifier);
        if (modifier.kind == DatePartModifier::Kind::kText) {
            text += modifier.text;
        } else if (i + 1 < parts.size()) {
            text += separator;
        }
    }
    return {std::move(text), {}, true};
}

// ---- Input ----

struct DateToken {
    std::string text;
    bool alphabetic = false;
};

std::vector<DateToken> Tokenize(std::string_view text) {
    std::vector<DateToken> tokens;
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        bool digit = std::isdigit(c) != 0;
        bool alpha = std::isalpha(c) != 0;
        if (!digit && !alpha) {
            ++i;
            continue;
        }
        std::size_t start = i;
        while (i < text.size()) {
            auto d = static_cast<unsigned char>(text[i]);
            if (digit ? std::isdigit(d) == 0 : std::isalpha(d) == 0) {
                break;
            }
            ++i;
        }
        tokens.push_back({std::string(text.substr(start, i - start)), alpha});
    }
    return tokens;
}

// 1..12 for a month name or its first three letters or more, any case; 0 otherwise.
int MonthFromName(const std::string& word) {
    std::string upper = Upper(word);
    for (std::size_t m = 0; m < kMonthNames.size(); ++m) {
        std::string name = Upper(kMonthNames[m]);
        if (upper.size() >= 3 && name.compare(0, upper.size(), upper) == 0) {
            return static_cast<int>(m) + 1;
        }
    }
    return 0;
}

bool IsWeekdayName(const std::string& word) {
    std::string upper = Upper(word);
    for (const char* name : kWeekdayNames) {
        if (upper.size() >= 3 && Upper(name).compare(0, upper.size(), upper) == 0) {
            return true;
        }
    }
    return false;
}

std::int64_t CurrentYear() {
    auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    return static_cast<int>(std::chrono::year_month_day(today).year());
}

// Two-digit years: 30..99 are 1930..1999, 00..29 are 2000..2029.
std::int64_t FullYear(const std::string& digits) {
    std::int64_t year = std::stoll(digits);
    if (digits.size() <= 2) {
        year += year >= 30 ? 1900 : 2000;
    }
    return year;
}

// The order in which the numbers of a date are read: 'M' 'D' 'Y' letters.
std::string NumberOrder(const DateCode& code) {
    std::string order;
    for (const DatePart& part : code.parts) {
        if ((part.letter == 'Y' || part.letter == 'M' || part.letter == 'D') &&
            order.find(part.letter) == std::string::npos) {
            order.push_back(part.letter);
        }
    }
    if (order.size() == 3) {
        return order;
    }
    return code.european ? "DMY" : "MDY";
}

Converted DateInput(std::string_view value, const DateCode& code) {
    std::vector<DateToken> tokens = Tokenize(value);
    int monthByName = 0;
    std::vector<std::string> numbers;
    for (const DateToken& token : tokens) {
        if (!token.alphabetic) {
            // A number longer than a date's part is no date (and never reaches stoll).
            if (token.text.size() > 8) {
                return Rejected();
            }
            numbers.push_back(token.text);
        } else if (int month = MonthFromName(token.text); month != 0 && monthByName == 0) {
            monthByName = month;
        } else if (!IsWeekdayName(token.text)) {
            return Rejected();
        }
    }
    std::string order = NumberOrder(code);
    std::string day;
    std::string month;
    std::string year;
    if (monthByName != 0) {
        if (numbers.empty() || numbers.size() > 2) {
            return Rejected();
        }
        // The day, then the year; a first number of three or more digits is the year.
        bool yearFirst = numbers[0].size() > 2;
        if (yearFirst && numbers.size() == 1) {
            return Rejected();
        }
        day = numbers[yearFirst ? 1 : 0];
        if (numbers.size() == 2) {
            year = numbers[yearFirst ? 0 : 1];
        }
    } else if (numbers.size() == 1 && tokens.size() == 1) {
        // Digits alone: MMDD, MMDDYY or MMDDYYYY in the code's order.
        const std::string& all = numbers[0];
        if (all.size() != 4 && all.size() != 6 && all.size() != 8) {
            return Rejected();
        }
        std::size_t yearLength = all.size() - 4;
        std::size_t at = 0;
        for (char part : order) {
            std::size_t length = part == 'Y' ? yearLength : 2;
            std::string piece = all.substr(at, length);
            at += length;
            (part == 'Y' ? year : part == 'M' ? month : day) = piece;
        }
    } else if (numbers.size() == 2 || numbers.size() == 3) {
        if (numbers[0].size() > 2 && order[0] != 'Y') {
            order = "YMD";  // 1967-12-31 reads as year, month, day whatever the code
        }
        if (numbers.size() == 2) {
            order.erase(order.find('Y'), 1);
        }
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            (order[i] == 'Y' ? year : order[i] == 'M' ? month : day) = numbers[i];
        }
    } else {
        return Rejected();
    }
    CivilDate date;
    date.year = year.empty() ? CurrentYear() : FullYear(year);
    date.month = monthByName != 0 ? monthByName : std::stoi(month);
    date.day = std::stoi(day);
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month)) {
        return Rejected();
    }
    return {std::to_string(DayNumberFromCivil(date)), {}, true};
}

}  // namespace

std::optional<Converted> ConvertDate(std::string_view value, std::string_view code,
                                     Direction direction) {
    thread_local ParsedCodes<DateCode> codes;
    const std::optional<DateCode>& date = codes.Find(code, ParseDateCode);
    if (!date) {
        return std::nullopt;
    }
    if (value.empty()) {
        return Converted{};
    }
    return direction == Direction::kOutput ? DateOutput(value, *date) : DateInput(value, *date);
}

}  // namespace mv::values::conv
