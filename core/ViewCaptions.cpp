// SPDX-License-Identifier: MIT
#include "core/ViewCaptions.h"

#include <array>

namespace core {

std::string_view TabCaption(ViewKind view) {
    switch (view) {
        case ViewKind::AS:
            return "A and S Type (Pick Type)";
        case ViewKind::PH:
            return "PH Type (Child Tables)";
        case ViewKind::DIV:
            return "D and I or V Type";
        case ViewKind::Other:
            break;
    }
    return "Other Types";
}

const std::vector<std::string_view>& ColumnCaptions(ViewKind view) {
    static const std::array<std::vector<std::string_view>, kViewCount> captions{{
        {"Dict Item", "Type", "A/C", "Column Name", "MV Assoc", "S / M", "Data Type", "Conv. Code",
         "Correlative", "Align", "Width"},
        {"Dict Item", "Type", "Phrase"},
        {"Dict Item", "Type", "Attribute Count or Formula", "Conv", "Column Name", "Align", "S / M",
         "Association", "Data Type"},
        {"Dict Item", "Type", "A2", "A3", "A4", "A5", "A6", "A7", "A8", "A9", "A10"},
    }};
    return captions[static_cast<std::size_t>(ViewIndex(view))];
}

int DataTypeColumn(ViewKind view) {
    switch (view) {
        case ViewKind::AS:
            return 6;
        case ViewKind::DIV:
            return 8;
        case ViewKind::PH:
        case ViewKind::Other:
            break;
    }
    return -1;
}

}  // namespace core
