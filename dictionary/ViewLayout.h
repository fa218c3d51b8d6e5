// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

#include "dictionary/ViewKind.h"

namespace dictionary {

// What a view shows: its tab caption and column captions. Column 0 is the item id and
// column n is field n, so the last column is also the number of fields the view edits.
struct ViewLayout {
    ViewKind view;
    QString tabCaption;
    QStringList columnCaptions;
    int dataTypeColumn;  // the column edited with the data-type list, or -1

    int LastColumn() const { return static_cast<int>(columnCaptions.size()) - 1; }
};

const ViewLayout& LayoutOf(ViewKind view);

// Columns that the program reads or writes by their meaning (column n is field n).
inline constexpr int kIdColumn = 0;
inline constexpr int kTypeColumn = 1;
inline constexpr int kPhraseColumn = 2;    // of the PH view
inline constexpr int kLocationColumn = 2;  // of the A/S and D/I/V views
inline constexpr int kDivConversionColumn = 3;
inline constexpr int kDivFormatColumn = 5;
inline constexpr int kDivSingleMultipleColumn = 6;
inline constexpr int kAssociationColumn = 7;  // of the D/I/V view
inline constexpr int kAsSingleMultipleColumn = 5;
inline constexpr int kAsConversionColumn = 7;
inline constexpr int kAsJustificationColumn = 9;
inline constexpr int kAsWidthColumn = 10;

}  // namespace dictionary
