// SPDX-License-Identifier: MIT
#include "cli/FieldLines.h"

#include "cli/Concat.h"

namespace cli {
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
