// SPDX-License-Identifier: MIT
#include "platform/mv/values/eval/BasicNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace mv::values {
namespace {

using Magnitude = BasicNumber::Magnitude;

constexpr int kMaxDigits = 38;  // every magnitude stays below 10^38
constexpr Magnitude kMaxMagnitude = ~Magnitude{0};
constexpr long double kExactBelow = 1e30L;  // approximate values below it turn exact again

constexpr Magnitude Pow10(int n) {
    Magnitude p = 1;
    for (int i = 0; i < n; ++i) {
        p *= 10;
    }
    return p;
}
constexpr Magnitude kLimit = Pow10(kMaxDigits);

// magnitude / 10^n, rounded half away from zero (or cut) in one step: rounding digit by
// digit would round 1.2346 up twice.
Magnitude DropDigits(Magnitude magnitude, int n, bool truncate = false) {
    if (n <= 0) {
        return magnitude;
    }
    const Magnitude divisor = Pow10(n);
    const Magnitude q = magnitude / divisor;
    return !truncate && magnitude % divisor >= divisor / 2 ? q + 1 : q;
}

Magnitude DropDigit(Magnitude magnitude) {
    return DropDigits(magnitude, 1);
}

// magnitude * 10^n, or false when it would not fit.
bool ScaleUp(Magnitude& magnitude, int n) {
    const Magnitude factor = Pow10(n);
    if (magnitude != 0 && magnitude > kMaxMagnitude / factor) {
        return false;
    }
    magnitude *= factor;
    return true;
}

// Writes the decimal digits of magnitude so that they end at `end`; returns where they
// start. Up to 39 digits; the low 64 bits are written without 128-bit division.
char* WriteMagnitude(Magnitude magnitude, char* end) {
    char* first = end;
    while (magnitude > ~std::uint64_t{0}) {
        *--first = static_cast<char>('0' + static_cast<int>(magnitude % 10));
        magnitude /= 10;
    }
    auto low = static_cast<std::uint64_t>(magnitude);
    do {
        *--first = static_cast<char>('0' + static_cast<int>(low % 10));
        low /= 10;
    } while (low != 0);
    return first;
}

// Most numbers are short: [sign] digits [. digits] with at most 18 digits in all, read
// here in 64 bits. False for any other text, which Parse reads the general way.
bool ReadShortDecimal(std::string_view text, bool& negative, std::uint64_t& magnitude, int& scale) {
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    int digits = 0;
    bool point = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c >= '0' && c <= '9') {
            if (++digits > 18) {
                return false;
            }
            magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
            scale += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}

}  // namespace

BasicNumber BasicNumber::Integer(long long value) {
    BasicNumber n;
    n.negative_ = value < 0;
    // -(value + 1) + 1 keeps the lowest long long defined.
    n.magnitude_ =
        value < 0 ? static_cast<Magnitude>(-(value + 1)) + 1 : static_cast<Magnitude>(value);
    return n;
}

BasicNumber BasicNumber::Approximate(long double value) {
    BasicNumber n;
    n.approximate_ = true;
    n.approximateValue_ = value;
    return n;
}

std::optional<BasicNumber> BasicNumber::Normalised(bool negative, Magnitude magnitude, int scale) {
    if (scale > kMaxScale) {
        magnitude = DropDigits(magnitude, scale - kMaxScale);
        scale = kMaxScale;
    }
    if (magnitude <= ~std::uint64_t{0}) {
        // The same in 64 bits, without 128-bit division.
        auto low = static_cast<std::uint64_t>(magnitude);
        while (scale > 0 && low % 10 == 0) {
            low /= 10;
            --scale;
        }
        magnitude = low;
    }
    while (scale > 0 && magnitude % 10 == 0) {
        magnitude /= 10;
        --scale;
    }
    int excess = 0;
    for (Magnitude m = magnitude; excess < scale && m >= kLimit; m /= 10) {
        ++excess;
    }
    magnitude = DropDigits(magnitude, excess);
    scale -= excess;
    if (magnitude >= kLimit) {
        const long double value = static_cast<long double>(magnitude);
        return FromBinary(negative ? -value : value);
    }
    BasicNumber n;
    n.negative_ = negative && magnitude != 0;
    n.magnitude_ = magnitude;
    n.scale_ = scale;
    return n;
}

std::optional<BasicNumber> BasicNumber::FromBinary(long double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    if (std::fabs(value) < kExactBelow) {
        // Fifteen significant digits: what a binary value holds of the decimal it stands
        // for, without the noise of its last bits.
        char text[64];
        const auto written =
            std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 14);
        if (auto exact =
                Parse(std::string_view(text, static_cast<std::size_t>(written.ptr - text)))) {
            if (!exact->approximate_) {
                return exact;
            }
        }
    }
    return Approximate(value);
}

std::optional<BasicNumber> BasicNumber::Parse(std::string_view text) {
    bool shortNegative = false;
    std::uint64_t shortMagnitude = 0;
    int shortScale = 0;
    if (ReadShortDecimal(text, shortNegative, shortMagnitude, shortScale)) {
        while (shortScale > 0 && shortMagnitude % 10 == 0) {
            shortMagnitude /= 10;
            --shortScale;
        }
        BasicNumber n;
        n.negative_ = shortNegative && shortMagnitude != 0;
        n.magnitude_ = shortMagnitude;
        n.scale_ = shortScale;
        return n;
    }
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    std::string digits;
    std::size_t integerDigits = 0;
    std::size_t fractionDigits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        digits.push_back(text[at++]);
        ++integerDigits;
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            digits.push_back(text[at++]);
            ++fractionDigits;
        }
    }
    if (digits.empty()) {
        if (text.empty()) {
            return BasicNumber();
        }
        return std::nullopt;
    }
    long exponent = 0;
    if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
        ++at;
        bool negativeExponent = false;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            negativeExponent = text[at] == '-';
            ++at;
        }
        const std::size_t first = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            if (exponent < 100000) {
                exponent = exponent * 10 + (text[at] - '0');
            }
            ++at;
        }
        if (at == first) {
            return std::nullopt;
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    const std::size_t firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos) {
        return BasicNumber();
    }
    digits.erase(0, firstSignificant);
    long scale = static_cast<long>(fractionDigits) - exponent;
    if (static_cast<long>(digits.size()) - scale > kMaxDigits) {
        // Too large for the exact form: read the written number as a binary one.
        long double value = 0;
        std::string plain(text.substr(negative || text[0] == '+' ? 1 : 0));
        const auto read = std::from_chars(plain.data(), plain.data() + plain.size(), value);
        if (read.ec != std::errc() || !std::isfinite(value)) {
            value = std::numeric_limits<long double>::max();
        }
        return Approximate(negative ? -value : value);
    }
    // Keep the digits that fit 38 in all and 18 after the point; round at the cut.
    const long keep = std::min<long>(
        static_cast<long>(digits.size()),
        std::min<long>(kMaxDigits, static_cast<long>(digits.size()) - (scale - kMaxScale)));
    if (keep <= 0) {
        const bool roundsUp = keep == 0 && digits[0] >= '5';
        return Normalised(negative, roundsUp ? 1 : 0, kMaxScale);
    }
    Magnitude magnitude = 0;
    for (long i = 0; i < keep; ++i) {
        magnitude =
            magnitude * 10 + static_cast<Magnitude>(digits[static_cast<std::size_t>(i)] - '0');
    }
    scale -= static_cast<long>(digits.size()) - keep;
    if (keep < static_cast<long>(digits.size()) && digits[static_cast<std::size_t>(keep)] >= '5') {
        ++magnitude;
    }
    while (scale < 0) {
        magnitude *= 10;  // fits: the digits and the zeros stay within 38
        ++scale;
    }
    return Normalised(negative, magnitude, static_cast<int>(scale));
}

std::string BasicNumber::Fixed(int decimals, bool truncate) const {
    if (approximate_) {
        char text[128];
        const auto written = std::to_chars(text, text + sizeof text, approximateValue_,
                                           std::chars_format::scientific, 14);
        std::string out(text, static_cast<std::size_t>(written.ptr - text));
        // 1.23e+40 is written 1.23E40, which reads back as a number.
        const std::size_t e = out.find('e');
        if (e != std::string::npos) {
            std::string mantissa = out.substr(0, e);
            std::string exponent = out.substr(e + 1);
            if (!exponent.empty() && exponent[0] == '+') {
                exponent.erase(0, 1);
            }
            if (mantissa.find('.') != std::string::npos) {
                mantissa.erase(mantissa.find_last_not_of('0') + 1);
                if (mantissa.back() == '.') {
                    mantissa.pop_back();
                }
            }
            out = mantissa + "E" + exponent;
        }
        return out;
    }
    decimals = std::max(decimals, 0);
    const BasicNumber rounded = Rounded(decimals, truncate);
    // Room for 39 digits, or for the zeros before the digits of a fraction (scale <= 18).
    char buffer[64];
    char* const end = buffer + sizeof buffer;
    char* first = WriteMagnitude(rounded.magnitude_, end);
    const std::ptrdiff_t scale = rounded.scale_;
    while (end - first <= scale) {
        *--first = '0';
    }
    char* const point = end - scale;
    std::string out;
    out.reserve(static_cast<std::size_t>(end - first) + static_cast<std::size_t>(decimals) + 2);
    if (rounded.negative_) {
        out.push_back('-');
    }
    out.append(first, point);
    if (decimals > 0) {
        out.push_back('.');
        out.append(point, end);
        out.append(static_cast<std::size_t>(decimals - scale), '0');
    }
    return out;
}

std::string BasicNumber::Text() const {
    if (approximate_) {
        std::string out = Fixed(kTextScale, false);
        if (out == "-0") {
            out = "0";
        }
        return out;
    }
    // Fixed to kTextScale places without the zeros it would end in (nor the point, when
    // only zeros follow it). Rounding leaves no sign on a zero.
    const BasicNumber rounded = Rounded(kTextScale, false);
    char buffer[64];
    char* const end = buffer + sizeof buffer;
    char* first = WriteMagnitude(rounded.magnitude_, end);
    std::ptrdiff_t scale = rounded.scale_;
    while (end - first <= scale) {
        *--first = '0';
    }
    char* last = end;
    while (scale > 0 && last[-1] == '0') {
        --last;
        --scale;
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(last - first) + 2);
    if (rounded.negative_) {
        out.push_back('-');
    }
    out.append(first, last - scale);
    if (scale > 0) {
        out.push_back('.');
        out.append(last - scale, last);
    }
    return out;
}

BasicNumber BasicNumber::Rounded(int decimals, bool truncate) const {
    if (approximate_) {
        return *this;
    }
    BasicNumber n = *this;
    if (n.scale_ > decimals) {
        n.magnitude_ = DropDigits(n.magnitude_, n.scale_ - decimals, truncate);
        n.scale_ = decimals;
    }
    n.negative_ = n.negative_ && n.magnitude_ != 0;
    return n;
}

long double BasicNumber::ToLongDouble() const {
    if (approximate_) {
        return approximateValue_;
    }
    const long double value =
        static_cast<long double>(magnitude_) / static_cast<long double>(Pow10(scale_));
    return negative_ ? -value : value;
}

std::optional<long long> BasicNumber::ToInteger() const {
    const BasicNumber whole = Truncated();
    if (whole.approximate_) {
        const long double v = whole.approximateValue_;
        if (v >= -9.2e18L && v <= 9.2e18L) {
            return static_cast<long long>(v);
        }
        return std::nullopt;
    }
    if (whole.magnitude_ > static_cast<Magnitude>(std::numeric_limits<long long>::max())) {
        return std::nullopt;
    }
    const auto value = static_cast<long long>(whole.magnitude_);
    return whole.negative_ ? -value : value;
}

bool BasicNumber::IsZero() const {
    return approximate_ ? approximateValue_ == 0 : magnitude_ == 0;
}

bool BasicNumber::IsNegative() const {
    return approximate_ ? approximateValue_ < 0 : negative_;
}

BasicNumber BasicNumber::Negated() const {
    BasicNumber n = *this;
    if (approximate_) {
        n.approximateValue_ = -approximateValue_;
    } else {
        n.negative_ = !negative_ && magnitude_ != 0;
    }
    return n;
}

BasicNumber BasicNumber::Truncated() const {
    if (approximate_) {
        return *FromBinary(std::trunc(approximateValue_));
    }
    return Rounded(0, true);
}

std::optional<BasicNumber> Add(const BasicNumber& a, const BasicNumber& b) {
    using M = BasicNumber::Magnitude;
    if (!a.approximate_ && !b.approximate_) {
        const int scale = std::max(a.scale_, b.scale_);
        M x = a.magnitude_;
        M y = b.magnitude_;
        if (ScaleUp(x, scale - a.scale_) && ScaleUp(y, scale - b.scale_) &&
            x <= kMaxMagnitude - y) {
            if (a.negative_ == b.negative_) {
                return BasicNumber::Normalised(a.negative_, x + y, scale);
            }
            return x >= y ? BasicNumber::Normalised(a.negative_, x - y, scale)
                          : BasicNumber::Normalised(b.negative_, y - x, scale);
        }
    }
    return BasicNumber::FromBinary(a.ToLongDouble() + b.ToLongDouble());
}

std::optional<BasicNumber> Subtract(const BasicNumber& a, const BasicNumber& b) {
    return Add(a, b.Negated());
}

std::optional<BasicNumber> Multiply(const BasicNumber& a, const BasicNumber& b) {
    if (!a.approximate_ && !b.approximate_) {
        BasicNumber x = a;
        BasicNumber y = b;
        // Decimals past what the product keeps go first, so large factors still multiply
        // exactly.
        while (x.magnitude_ != 0 && y.magnitude_ > kMaxMagnitude / x.magnitude_ &&
               (x.scale_ > 0 || y.scale_ > 0)) {
            BasicNumber& finer = x.scale_ >= y.scale_ ? x : y;
            finer.magnitude_ = DropDigit(finer.magnitude_);
            --finer.scale_;
        }
        if (x.magnitude_ == 0 || y.magnitude_ <= kMaxMagnitude / x.magnitude_) {
            return BasicNumber::Normalised(x.negative_ != y.negative_, x.magnitude_ * y.magnitude_,
                                           x.scale_ + y.scale_);
        }
    }
    return BasicNumber::FromBinary(a.ToLongDouble() * b.ToLongDouble());
}

std::optional<BasicNumber> Divide(const BasicNumber& a, const BasicNumber& b) {
    if (b.IsZero()) {
        return std::nullopt;
    }
    if (!a.approximate_ && !b.approximate_) {
        // Quotient to kMaxScale decimals: a * 10^shift / b, rounded on the remainder.
        int shift = BasicNumber::kMaxScale + b.scale_ - a.scale_;
        BasicNumber::Magnitude numerator = a.magnitude_;
        while (shift >= 0 && !ScaleUp(numerator, shift)) {
            numerator = a.magnitude_;
            --shift;
        }
        const int scale = a.scale_ + shift - b.scale_;
        if (shift >= 0 && scale >= 0) {
            BasicNumber::Magnitude quotient = numerator / b.magnitude_;
            const BasicNumber::Magnitude remainder = numerator % b.magnitude_;
            if (remainder >= b.magnitude_ - remainder) {
                ++quotient;
            }
            return BasicNumber::Normalised(a.negative_ != b.negative_, quotient, scale);
        }
    }
    return BasicNumber::FromBinary(a.ToLongDouble() / b.ToLongDouble());
}

std::optional<BasicNumber> Power(const BasicNumber& a, const BasicNumber& b) {
    constexpr long long kLargestExactExponent = 4096;
    const std::optional<long long> whole = b.ToInteger();
    if (whole && Compare(b, b.Truncated()) == 0 && *whole >= -kLargestExactExponent &&
        *whole <= kLargestExactExponent) {
        unsigned long long n = static_cast<unsigned long long>(*whole < 0 ? -*whole : *whole);
        BasicNumber result = BasicNumber::Integer(1);
        BasicNumber base = a;
        while (n != 0) {
            if ((n & 1) != 0) {
                const auto product = Multiply(result, base);
                if (!product) {
                    return std::nullopt;
                }
                result = *product;
            }
            n >>= 1;
            if (n != 0) {
                const auto square = Multiply(base, base);
                if (!square) {
                    return std::nullopt;
                }
                base = *square;
            }
        }
        return *whole < 0 ? Divide(BasicNumber::Integer(1), result) : result;
    }
    return BasicNumber::FromBinary(std::pow(a.ToLongDouble(), b.ToLongDouble()));
}

std::optional<BasicNumber> Remainder(const BasicNumber& a, const BasicNumber& b) {
    if (b.IsZero()) {
        return std::nullopt;
    }
    if (!a.approximate_ && !b.approximate_) {
        const int scale = std::max(a.scale_, b.scale_);
        BasicNumber::Magnitude x = a.magnitude_;
        BasicNumber::Magnitude y = b.magnitude_;
        if (ScaleUp(x, scale - a.scale_) && ScaleUp(y, scale - b.scale_)) {
            return BasicNumber::Normalised(a.negative_, x % y, scale);
        }
    }
    return BasicNumber::FromBinary(std::fmod(a.ToLongDouble(), b.ToLongDouble()));
}

int Compare(const BasicNumber& a, const BasicNumber& b) {
    if (!a.approximate_ && !b.approximate_) {
        if (a.negative_ != b.negative_) {
            return a.negative_ ? -1 : 1;
        }
        const int scale = std::max(a.scale_, b.scale_);
        BasicNumber::Magnitude x = a.magnitude_;
        BasicNumber::Magnitude y = b.magnitude_;
        if (ScaleUp(x, scale - a.scale_) && ScaleUp(y, scale - b.scale_)) {
            const int order = x < y ? -1 : (x > y ? 1 : 0);
            return a.negative_ ? -order : order;
        }
    }
    const long double x = a.ToLongDouble();
    const long double y = b.ToLongDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace mv::values
