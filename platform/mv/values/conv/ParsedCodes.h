// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace mv::values::conv {

// Codes of one family as read, kept by their text: a listing converts thousands of values
// with the same few codes, and reading a code (options, mask, parts) costs more than
// converting a value. Each converter keeps one per thread. Past a few hundred codes, or
// 1 MiB of their text, what is kept is let go and read again as needed.
template <typename Parsed>
class ParsedCodes {
public:
    // The code as `parse` reads it (nullopt: not a code of the family); the reference
    // holds until the next call.
    template <typename Parse>
    const std::optional<Parsed>& Find(std::string_view code, Parse parse) {
        if (const auto found = byCode_.find(code); found != byCode_.end()) {
            return found->second;
        }
        if (byCode_.size() >= kMostCodes || textBytes_ + code.size() > kMostTextBytes) {
            byCode_.clear();
            textBytes_ = 0;
        }
        textBytes_ += code.size();
        return byCode_.emplace(std::string(code), parse(code)).first->second;
    }

private:
    static constexpr std::size_t kMostCodes = 256;
    static constexpr std::size_t kMostTextBytes = 1u << 20;

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };

    std::unordered_map<std::string, std::optional<Parsed>, TextHash, std::equal_to<>> byCode_;
    std::size_t textBytes_ = 0;
};

}  // namespace mv::values::conv
