// SPDX-License-Identifier: MIT
// The MX, MO and MB conversions and the number bases they share with MCX and MCD.
#include "platform/mv/values/conv/Radix.h"

#include <cstdint>
#include <limits>

#include "platform/mv/values/conv/Converters.h"
#include "platform/mv/values/conv/DecimalText.h"

namespace mv::values::conv {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return 99;
}

std::string InBase(std::uint64_t n, int base) {
    if (n == 0) {
        return "0";
    }
    std::string out;
    while (n > 0) {
        out.insert(out.begin(), kDigits[n % static_cast<std::uint64_t>(base)]);
        n /= static_cast<std::uint64_t>(base);
    }
    return out;
}

}  // namespace

std::optional<std::string> DecimalToRadix(std::string_view decimal, int base) {
    auto number = ParseDecimal(decimal);
    if (!number) {
        return std::nullopt;
    }
    if (!number->negative) {
        std::string digits = FixedDigits(*number, 0, true);
        if (digits.size() > 20) {
            return std::nullopt;
        }
        std::uint64_t n = 0;
        for (char c : digits) {
            auto digit = static_cast<std::uint64_t>(c - '0');
            if (n > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
                return std::nullopt;
            }
            n = n * 10 + digit;
        }
        return InBase(n, base);
    }
    auto value = IntegerPart(*number);
    if (!value || *value < std::numeric_limits<std::int32_t>::min()) {
        return std::nullopt;
    }
    return InBase(static_cast<std::uint32_t>(static_cast<std::int32_t>(*value)), base);
}

std::optional<std::string> RadixToDecimal(std::string_view digits, int base) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t n = 0;
    for (char c : digits) {
        int digit = DigitValue(c);
        if (digit >= base) {
            return std::nullopt;
        }
        auto d = static_cast<std::uint64_t>(digit);
        auto b = static_cast<std::uint64_t>(base);
        if (n > (std::numeric_limits<std::uint64_t>::max() - d) / b) {
            return std::nullopt;
        }
        n = n * b + d;
    }
    return std::to_string(n);
}

std::string BytesToHex(std::string_view bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0xF]);
    }
    return hex;
}

std::optional<std::string> HexToBytes(std::string_view hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int high = DigitValue(hex[i]);
        int low = DigitValue(hex[i + 1]);
        if (high > 15 || low > 15) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

// MX, MO, MB: numbers in base 16, 8 or 2; MX0C, MXC (and MO/MB likewise): each character
// as its code in that base.
std::optional<Converted> ConvertRadix(std::string_view value, std::string_view code,
                                      Direction direction) {
    if (code.size() < 2 || code[0] != 'M') {
        return std::nullopt;
    }
    int base = code[1] == 'X' ? 16 : code[1] == 'O' ? 8 : code[1] == 'B' ? 2 : 0;
    std::string_view rest = code.substr(2);
    bool characters = rest == "0C" || rest == "C";
    if (base == 0 || (!rest.empty() && !characters)) {
        return std::nullopt;
    }
    if (value.empty()) {
        return Converted{};
    }
    if (characters && base == 16) {
        if (direction == Direction::kOutput) {
            return Converted{BytesToHex(value), {}, true};
        }
        auto bytes = HexToBytes(value);
        return bytes ? Converted{*bytes, {}, true} : Rejected();
    }
    if (characters) {
        // Each byte as a fixed number of digits: 8 in base 2, 3 in base 8.
        std::size_t width = base == 2 ? 8 : 3;
        if (direction == Direction::kOutput) {
            std::string out;
            for (char c : value) {
                std::string digits = InBase(static_cast<unsigned char>(c), base);
                out += std::string(width - digits.size(), '0') + digits;
            }
            return Converted{out, {}, true};
        }
        if (value.size() % width != 0) {
            return Rejected();
        }
        std::string out;
        for (std::size_t i = 0; i < value.size(); i += width) {
            auto byte = RadixToDecimal(value.substr(i, width), base);
            if (!byte || std::stoi(*byte) > 255) {
                return Rejected();
            }
            out.push_back(static_cast<char>(std::stoi(*byte)));
        }
        return Converted{out, {}, true};
    }
    if (direction == Direction::kOutput) {
        auto digits = DecimalToRadix(value, base);
        return digits ? Converted{*digits, {}, true} : Unconvertible(value);
    }
    auto decimal = RadixToDecimal(value, base);
    return decimal ? Converted{*decimal, {}, true} : Rejected();
}

}  // namespace mv::values::conv
