// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace dictionary {
class ViewSet;
}
namespace ui {
class Dialogs;
}

namespace editing {

enum class UsedByAnswer {
    Unused,  // nothing names the item: nothing was asked
    GoOn,
    Stop,
};

// Before a change that leaves the items naming itemId behind: when I or V items or
// phrases name it, says who, "<id> is used by LINE.VALUE and the phrase LINES." followed
// by question, and asks Yes/No with No the default.
UsedByAnswer AskWhenUsed(ui::Dialogs& dialogs, const dictionary::ViewSet& views,
                         const QString& itemId, const QString& question);

}  // namespace editing
