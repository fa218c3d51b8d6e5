// SPDX-License-Identifier: MIT
// The functions of text: each treats a dynamic array as one string, marks included.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/mv/values/eval/CharacterTables.h"
#include "platform/mv/values/eval/DynamicArrayText.h"
#include "platform/mv/values/eval/Functions.h"
#include "platform/mv/values/eval/PatternMatch.h"

namespace mv::values {
namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

Value Len(FunctionCall& call) {
    return Value::Integer(static_cast<long long>(call.Text(0).size()));
}

Value Alpha(FunctionCall& call) {
    const std::string& text = call.Text(0);
    return Value::Boolean(!text.empty() && std::all_of(text.begin(), text.end(), IsLetter));
}

Value IsNull(FunctionCall& call) {
    return Value::Boolean(call.Text(0) == std::string(1, kNullValue));
}

Value Upcase(FunctionCall& call) {
    std::string text = call.Text(0);
    call.costs().Step(text.size());
    for (char& c : text) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return Value::Text(std::move(text));
}

Value Downcase(FunctionCall& call) {
    std::string text = call.Text(0);
    call.costs().Step(text.size());
    for (char& c : text) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return Value::Text(std::move(text));
}

Value Quoted(FunctionCall& call, char quote) {
    call.WillMake(call.Text(0).size() + 2);
    return Value::Text(quote + call.Text(0) + quote);
}
Value Quote(FunctionCall& call) {
    return Quoted(call, '"');
}
Value SQuote(FunctionCall& call) {
    return Quoted(call, '\'');
}

Value Ascii(FunctionCall& call) {
    call.costs().Step(call.Text(0).size());
    return Value::Text(EbcdicToAscii(call.Text(0)));
}

Value Ebcdic(FunctionCall& call) {
    call.costs().Step(call.Text(0).size());
    return Value::Text(AsciiToEbcdic(call.Text(0)));
}

// SEQ: the byte code of the first byte (0 for empty text).
Value Seq(FunctionCall& call) {
    const std::string& text = call.Text(0);
    return Value::Integer(text.empty() ? 0 : static_cast<unsigned char>(text[0]));
}

// CHAR: the byte of code 0 to 255; any other code gives empty text.
Value Char(FunctionCall& call) {
    const long code = call.Integer(0);
    if (code < 0 || code > 255) {
        return Value();
    }
    return Value::Text(std::string(1, static_cast<char>(code)));
}

Value Repeated(FunctionCall& call, std::string_view unit, long times) {
    if (times <= 0 || unit.empty()) {
        return Value();
    }
    const auto count = static_cast<std::size_t>(times);
    if (count > call.costs().Limits().textBytes / unit.size()) {
        throw TooCostly{};
    }
    call.WillMake(count * unit.size());
    std::string out;
    out.reserve(count * unit.size());
    for (std::size_t i = 0; i < count; ++i) {
        out += unit;
    }
    return Value::Text(std::move(out));
}
Value Space(FunctionCall& call) {
    return Repeated(call, " ", call.Integer(0));
}
Value Str(FunctionCall& call) {
    return Repeated(call, call.Text(0), call.Integer(1));
}

// TRIM(text, character, type): type R (the default) removes the character at both ends
// and makes every inner run one; L or F leading, T or E trailing, B both ends, A all.
std::string Trimmed(std::string_view text, char c, char type) {
    std::size_t first = 0;
    std::size_t last = text.size();
    const bool leading = type != 'T' && type != 'E';
    const bool trailing = type != 'L' && type != 'F';
    if (leading) {
        while (first < last && text[first] == c) {
            ++first;
        }
    }
    if (trailing) {
        while (last > first && text[last - 1] == c) {
            --last;
        }
    }
    std::string out;
    const bool inner = type == 'R' || type == 'D' || type == 'A';
    for (std::size_t i = first; i < last; ++i) {
        if (inner && text[i] == c && (type == 'A' || (!out.empty() && out.back() == c))) {
            continue;
        }
        out.push_back(text[i]);
    }
    if (type == 'A') {
        out.erase(std::remove(out.begin(), out.end(), c), out.end());
    }
    return out;
}

Value Trim(FunctionCall& call) {
    call.costs().Step(call.Text(0).size());
    const char c = call.Count() > 1 && !call.Text(1).empty() ? call.Text(1)[0] : ' ';
    char type = call.Count() > 2 && !call.Text(2).empty() ? call.Text(2)[0] : 'R';
    type = static_cast<char>(type >= 'a' && type <= 'z' ? type - 'a' + 'A' : type);
    return Value::Text(Trimmed(call.Text(0), c, type));
}

Value TrimF(FunctionCall& call) {
    call.costs().Step(call.Text(0).size());
    return Value::Text(Trimmed(call.Text(0), ' ', 'L'));
}

Value TrimB(FunctionCall& call) {
    call.costs().Step(call.Text(0).size());
    return Value::Text(Trimmed(call.Text(0), ' ', 'T'));
}

// A search of part in text may compare part at every byte of text.
void SearchCost(FunctionCall& call, std::string_view text, std::string_view part) {
    call.costs().Step(text.size() * std::min(part.size(), text.size()));
}

// Where each occurrence of part starts, overlapping ones included, stopping after `most`.
std::size_t Occurrences(std::string_view text, std::string_view part, std::size_t most,
                        std::size_t& lastAt) {
    std::size_t count = 0;
    if (part.empty()) {
        return 0;
    }
    for (std::size_t at = text.find(part); at != std::string_view::npos && count < most;
         at = text.find(part, at + 1)) {
        ++count;
        lastAt = at;
    }
    return count;
}

Value Count(FunctionCall& call) {
    SearchCost(call, call.Text(0), call.Text(1));
    std::size_t at = 0;
    return Value::Integer(
        static_cast<long long>(Occurrences(call.Text(0), call.Text(1), std::string::npos, at)));
}

// DCOUNT: how many parts the delimiter makes of the text; none of empty text.
Value DCount(FunctionCall& call) {
    SearchCost(call, call.Text(0), call.Text(1));
    if (call.Text(0).empty()) {
        return Value::Integer(0);
    }
    std::size_t at = 0;
    return Value::Integer(
        static_cast<long long>(Occurrences(call.Text(0), call.Text(1), std::string::npos, at) + 1));
}

// INDEX: where the n-th occurrence starts, from 1; 0 when there are fewer.
Value Index(FunctionCall& call) {
    SearchCost(call, call.Text(0), call.Text(1));
    const long n = call.Integer(2);
    if (n < 1) {
        return Value::Integer(0);
    }
    std::size_t at = 0;
    const std::size_t found =
        Occurrences(call.Text(0), call.Text(1), static_cast<std::size_t>(n), at);
    return Value::Integer(found == static_cast<std::size_t>(n) ? static_cast<long long>(at) + 1
                                                               : 0);
}

// CHANGE and EREPLACE: occurrences of `from` replaced by `to`, all of them or `count`
// (below 1: all), from occurrence `begin` on.
Value Change(FunctionCall& call) {
    const std::string& text = call.Text(0);
    const std::string& from = call.Text(1);
    const std::string& to = call.Text(2);
    const long count = call.IntegerOr(3, 0);
    const long begin = std::max(1L, call.IntegerOr(4, 1));
    SearchCost(call, text, from);
    if (from.empty()) {
        return Value::Text(text);
    }
    std::size_t last = 0;
    const std::size_t occurrences = Occurrences(text, from, std::string::npos, last);
    if (to.size() > from.size()) {
        call.WillMake(text.size() + occurrences * (to.size() - from.size()));
    }
    std::string out;
    long seen = 0;
    long changed = 0;
    std::size_t at = 0;
    for (std::size_t hit = text.find(from); hit != std::string::npos; hit = text.find(from, at)) {
        ++seen;
        if (seen < begin || (count > 0 && changed >= count)) {
            out.append(text, at, hit + from.size() - at);
        } else {
            out.append(text, at, hit - at);
            out += to;
            ++changed;
        }
        at = hit + from.size();
    }
    out.append(text, at, std::string::npos);
    return Value::Text(std::move(out));
}

// CONVERT(from, to, text): each byte of `from` in text becomes the byte at its place in
// `to`, or is removed when `to` is shorter.
Value Convert(FunctionCall& call) {
    const std::string& from = call.Text(0);
    const std::string& to = call.Text(1);
    int map[256];
    std::fill(std::begin(map), std::end(map), -2);  // -2: kept as it is; -1: removed
    for (std::size_t i = 0; i < from.size(); ++i) {
        int& target = map[static_cast<unsigned char>(from[i])];
        if (target == -2) {  // the first mention of a byte decides
            target = i < to.size() ? static_cast<unsigned char>(to[i]) : -1;
        }
    }
    call.costs().Step(call.Text(2).size());
    std::string out;
    for (const char c : call.Text(2)) {
        const int target = map[static_cast<unsigned char>(c)];
        if (target == -2) {
            out.push_back(c);
        } else if (target >= 0) {
            out.push_back(static_cast<char>(target));
        }
    }
    return Value::Text(std::move(out));
}

// COMPARE(a, b, "R"): -1, 0 or 1; left-justified by bytes, right-justified as numbers
// when both are numbers, else with the shorter padded on the left.
Value CompareText(FunctionCall& call) {
    const bool right = call.Count() > 2 && !call.Text(2).empty() &&
                       (call.Text(2)[0] == 'R' || call.Text(2)[0] == 'r');
    std::string a = call.Text(0);
    std::string b = call.Text(1);
    call.costs().Step(std::min(a.size(), b.size()));
    if (right) {
        const auto x = BasicNumber::Parse(a);
        const auto y = BasicNumber::Parse(b);
        if (x && y && !a.empty() && !b.empty()) {
            return Value::Integer(Compare(*x, *y));
        }
        const std::size_t width = std::max(a.size(), b.size());
        a.insert(0, width - a.size(), ' ');
        b.insert(0, width - b.size(), ' ');
    }
    const int order = a.compare(b);
    return Value::Integer(order < 0 ? -1 : (order > 0 ? 1 : 0));
}

// FOLD(text, width): lines of at most `width` bytes separated by field marks, broken at
// blanks where there are any.
Value Fold(FunctionCall& call) {
    const std::string& text = call.Text(0);
    const long width = call.Integer(1);
    call.WillMake(text.size() * 2);
    if (width < 1) {
        return Value::Text(text);
    }
    const auto w = static_cast<std::size_t>(width);
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        if (!out.empty()) {
            out.push_back(kFieldMark);
        }
        std::size_t take = std::min(w, text.size() - at);
        if (at + take < text.size()) {
            const std::size_t blank = text.rfind(' ', at + take);
            if (blank != std::string::npos && blank > at) {
                take = blank - at;
            }
        }
        out.append(text, at, take);
        at += take;
        if (at < text.size() && text[at] == ' ') {
            ++at;
        }
    }
    return Value::Text(std::move(out));
}

// SOUNDEX: the first letter and three digits for the sounds of the letters after it.
Value Soundex(FunctionCall& call) {
    //                                ABCDEFGHIJKLMNOPQRSTUVWXYZ
    static constexpr char kCodes[] = "01230120022455012623010202";
    std::string out;
    char previous = 0;
    call.costs().Step(call.Text(0).size());
    for (const char raw : call.Text(0)) {
        if (!IsLetter(raw)) {
            continue;
        }
        const char c = static_cast<char>(raw >= 'a' ? raw - 'a' + 'A' : raw);
        const char code = kCodes[c - 'A'];
        if (out.empty()) {
            out.push_back(c);
        } else if (code != '0' && code != previous) {
            out.push_back(code);
        }
        if (c != 'H' && c != 'W') {
            previous = code;
        }
        if (out.size() == 4) {
            break;
        }
    }
    if (!out.empty()) {
        out.append(4 - out.size(), '0');
    }
    return Value::Text(std::move(out));
}

// DTX(number, width): hexadecimal in capitals, zero-padded to width; a negative number
// is written as its 32-bit two's complement.
Value Dtx(FunctionCall& call) {
    const long n = call.Integer(0);
    const long width = std::min<long>(call.IntegerOr(1, 0), 64);
    char text[32];
    if (n < 0) {
        std::snprintf(
            text, sizeof text, "%X",
            static_cast<unsigned>(static_cast<std::uint32_t>(static_cast<unsigned long>(n))));
    } else {
        std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(n));
    }
    std::string out = text;
    if (width > static_cast<long>(out.size())) {
        out.insert(0, static_cast<std::size_t>(width) - out.size(), '0');
    }
    return Value::Text(std::move(out));
}

Value Xtd(FunctionCall& call) {
    unsigned long long n = 0;
    const std::string& text = call.Text(0);
    for (const char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        }
        if (digit < 0 || n > (~0ULL >> 4)) {
            call.costs().Warn("not a hexadecimal number, taken as 0: " + Shown(text));
            return Value::Integer(0);
        }
        n = n * 16 + static_cast<unsigned long long>(digit);
    }
    if (n > 0x7FFFFFFFFFFFFFFFULL) {
        call.costs().Warn("not a hexadecimal number, taken as 0: " + Shown(text));
        return Value::Integer(0);
    }
    return Value::Integer(static_cast<long long>(n));
}

Value MatchFieldOf(FunctionCall& call) {
    return Value::Text(MatchField(call.Text(0), call.Text(1), call.Integer(2), call.costs()));
}

}  // namespace

void AddStringFunctions(FunctionTable& table) {
    table["ALPHA"] = Alpha;
    table["ASCII"] = Ascii;
    table["BYTELEN"] = Len;
    table["CHANGE"] = Change;
    table["CHAR"] = Char;
    table["COMPARE"] = CompareText;
    table["CONVERT"] = Convert;
    table["COUNT"] = Count;
    table["DCOUNT"] = DCount;
    table["DOWNCASE"] = Downcase;
    table["DQUOTE"] = Quote;
    table["DTX"] = Dtx;
    table["EBCDIC"] = Ebcdic;
    table["EREPLACE"] = Change;
    table["FOLD"] = Fold;
    table["INDEX"] = Index;
    table["ISNULL"] = IsNull;
    table["LEN"] = Len;
    table["MATCHFIELD"] = MatchFieldOf;
    table["QUOTE"] = Quote;
    table["SEQ"] = Seq;
    table["SOUNDEX"] = Soundex;
    table["SPACE"] = Space;
    table["SQUOTE"] = SQuote;
    table["STR"] = Str;
    table["TRIM"] = Trim;
    table["TRIMB"] = TrimB;
    table["TRIMF"] = TrimF;
    table["UPCASE"] = Upcase;
    table["XTD"] = Xtd;
}

}  // namespace mv::values
