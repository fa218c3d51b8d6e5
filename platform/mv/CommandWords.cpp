// SPDX-License-Identifier: MIT
#include "platform/mv/CommandWords.h"

namespace mv {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string_view> SplitOnBlanks(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) {
            ++i;
        }
        if (i > start) {
            words.push_back(text.substr(start, i - start));
        }
    }
    return words;
}

std::string UpperCase(std::string_view word) {
    std::string upper(word);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

bool IsSelectVerb(std::string_view command) {
    const std::vector<std::string_view> words = SplitOnBlanks(command);
    if (words.empty()) {
        return false;
    }
    const std::string verb = UpperCase(words.front());
    return verb == "SELECT" || verb == "SSELECT";
}

}  // namespace mv
