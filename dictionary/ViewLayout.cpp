// SPDX-License-Identifier: MIT
#include "dictionary/ViewLayout.h"

#include <array>

#include "core/ViewCaptions.h"

namespace dictionary {

namespace {

QString Text(std::string_view caption) {
    return QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
}

ViewLayout MakeLayout(ViewKind view) {
    QStringList captions;
    for (const std::string_view caption : core::ColumnCaptions(view)) {
        captions << Text(caption);
    }
    return {view, Text(core::TabCaption(view)), captions, core::DataTypeColumn(view)};
}

}  // namespace

const ViewLayout& LayoutOf(ViewKind view) {
    static const std::array<ViewLayout, kViewCount> layouts{
        MakeLayout(ViewKind::AS), MakeLayout(ViewKind::PH), MakeLayout(ViewKind::DIV),
        MakeLayout(ViewKind::Other)};
    return layouts[static_cast<std::size_t>(ViewIndex(view))];
}

}  // namespace dictionary
