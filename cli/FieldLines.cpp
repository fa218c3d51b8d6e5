// SPDX-License-Identifier: MIT
#include "cli/FieldLines.h"

#include "cli/Concat.h"

namespace cli {

std::string JsonString(std::string_view bytes) {
    std::string json = "\"";
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            json += c;
        } else {
            json += "\\u00";
            json += kHex[byte >> 4];
            json += kHex[byte & 0xF];
        }
    }
    return json + "\"";
}

namespace {

std::string Shown(const std::optional<std::string>& value) {
    return value ? Concat({"\"", core::ShownValue(*value), "\""}) : std::string("(no such field)");
}

}  // namespace

void WriteFieldLines(std::ostream& out, const std::vector<core::FieldDifference>& fields) {
    for (const core::FieldDifference& field : fields) {
        out << "  field " << field.number << " (" << field.caption << "): " << Shown(field.a)
            << " -> " << Shown(field.b) << '\n';
    }
}

}  // namespace cli
