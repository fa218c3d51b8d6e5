// SPDX-License-Identifier: MIT
// The MT conversion: seconds since midnight to a time of day and back.
#include <cctype>
#include <cstdint>

#include "platform/mv/values/conv/Converters.h"
#include "platform/mv/values/conv/DecimalText.h"
#include "platform/mv/values/conv/ParsedCodes.h"

namespace mv::values::conv {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

struct TimeCode {
    bool twelveHour = false;
    bool seconds = false;
    char separator = ':';
};

// MT [H] [S] [separator], the letters in either order.
std::optional<TimeCode> ParseTimeCode(std::string_view code) {
    if (code.substr(0, 2) != "MT") {
        return std::nullopt;
    }
    TimeCode time;
    bool separatorGiven = false;
    for (char c : code.substr(2)) {
        if (c == 'H' && !time.twelveHour) {
            time.twelveHour = true;
        } else if (c == 'S' && !time.seconds) {
            time.seconds = true;
        } else if (!separatorGiven && std::isalnum(static_cast<unsigned char>(c)) == 0 &&
                   static_cast<unsigned char>(c) < 0x80) {
            time.separator = c;
            separatorGiven = true;
        } else {
            return std::nullopt;
        }
    }
    return time;
}

std::string TwoDigits(std::int64_t n) {
    return n < 10 ? "0" + std::to_string(n) : std::to_string(n);
}

// Seconds past a whole day wrap to the next day's time; negative ones count back.
Converted TimeOutput(std::string_view value, const TimeCode& code) {
    auto number = ParseDecimal(value);
    std::optional<std::int64_t> seconds;
    if (number) {
        seconds = IntegerPart(*number);
    }
    if (!seconds) {
        return Unconvertible(value);
    }
    std::int64_t ofDay = ((*seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    std::int64_t hour = ofDay / 3600;
    std::string suffix;
    if (code.twelveHour) {
        suffix = hour < 12 ? "AM" : "PM";
        hour %= 12;
        if (hour == 0) {
            hour = 12;
        }
    }
    std::string text = TwoDigits(hour) + code.separator + TwoDigits(ofDay / 60 % 60);
    if (code.seconds) {
        text += code.separator + TwoDigits(ofDay % 60);
    }
    return {text + suffix, {}, true};
}

// Hours, minutes and seconds separated by any non-digits, then AM, PM, A or P in any case.
Converted TimeInput(std::string_view value) {
    std::size_t end = value.size();
    while (end > 0 && value[end - 1] == ' ') {
        --end;
    }
    std::string_view body = value.substr(0, end);
    int meridiem = 0;  // 0 none, 1 AM, 2 PM
    auto upperAt = [&](std::size_t i) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(body[i])));
    };
    if (body.size() >= 2 && upperAt(body.size() - 1) == 'M') {
        body.remove_suffix(1);
    }
    if (!body.empty() && (upperAt(body.size() - 1) == 'A' || upperAt(body.size() - 1) == 'P')) {
        meridiem = upperAt(body.size() - 1) == 'A' ? 1 : 2;
        body.remove_suffix(1);
    }
    std::int64_t parts[3] = {0, 0, 0};
    int count = 0;
    bool inNumber = false;
    for (char c : body) {
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            if (!inNumber) {
                if (count == 3) {
                    return Rejected();
                }
                ++count;
                inNumber = true;
            }
            std::int64_t& part = parts[count - 1];
            part = part * 10 + (c - '0');
            if (part > 99) {
                return Rejected();
            }
        } else if (c == ':' || c == '.' || c == ' ' || c == '-' || c == '/') {
            inNumber = false;
        } else {
            return Rejected();
        }
    }
    if (count == 0) {
        return Rejected();
    }
    std::int64_t hour = parts[0];
    if (meridiem != 0) {
        if (hour < 1 || hour > 12) {
            return Rejected();
        }
        hour = hour % 12 + (meridiem == 2 ? 12 : 0);
    }
    if (hour > 23 || parts[1] > 59 || parts[2] > 59) {
        return Rejected();
    }
    return {std::to_string(hour * 3600 + parts[1] * 60 + parts[2]), {}, true};
}

}  // namespace

std::optional<Converted> ConvertTime(std::string_view value, std::string_view code,
                                     Direction direction) {
    thread_local ParsedCodes<TimeCode> codes;
    const std::optional<TimeCode>& time = codes.Find(code, ParseTimeCode);
    if (!time) {
        return std::nullopt;
    }
    if (value.empty()) {
        return Converted{};
    }
    return direction == Direction::kOutput ? TimeOutput(value, *time) : TimeInput(value);
}

}  // namespace mv::values::conv
