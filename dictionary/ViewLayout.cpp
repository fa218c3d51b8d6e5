// SPDX-License-Identifier: MIT
#include "ViewLayout.h"

#include <array>

namespace dictionary {

namespace {

ViewLayout MakeLayout(ViewKind view) {
    switch (view) {
        case ViewKind::AS:
            return {
                view,
                QStringLiteral("A and S Type (Pick Type)"),
                {QStringLiteral("Dict Item"), QStringLiteral("Type"), QStringLiteral("A/C"),
                 QStringLiteral("Column Name"), QStringLiteral("MV Assoc"), QStringLiteral("S / M"),
                 QStringLiteral("Data Type"), QStringLiteral("Conv. Code"),
                 QStringLiteral("Correlative"), QStringLiteral("Align"), QStringLiteral("Width")},
                6};
        case ViewKind::PH:
            return {view,
                    QStringLiteral("PH Type (Child Tables)"),
                    {QStringLiteral("Dict Item"), QStringLiteral("Type"), QStringLiteral("Phrase")},
                    -1};
        case ViewKind::DIV:
            return {
                view,
                QStringLiteral("D and I or V Type"),
                {QStringLiteral("Dict Item"), QStringLiteral("Type"),
                 QStringLiteral("Attribute Count or Formula"), QStringLiteral("Conv"),
                 QStringLiteral("Column Name"), QStringLiteral("Align"), QStringLiteral("S / M"),
                 QStringLiteral("Association"), QStringLiteral("Data Type")},
                8};
        case ViewKind::Other:
            break;
    }
    QStringList captions{QStringLiteral("Dict Item"), QStringLiteral("Type")};
    for (int n = 2; n <= 10; ++n) {
        captions << QStringLiteral("A%1").arg(n);
    }
    return {ViewKind::Other, QStringLiteral("Other Types"), captions, -1};
}

}  // namespace

const ViewLayout& LayoutOf(ViewKind view) {
    static const std::array<ViewLayout, kViewCount> layouts{
        MakeLayout(ViewKind::AS), MakeLayout(ViewKind::PH), MakeLayout(ViewKind::DIV),
        MakeLayout(ViewKind::Other)};
    return layouts[static_cast<std::size_t>(ViewIndex(view))];
}

}  // namespace dictionary
