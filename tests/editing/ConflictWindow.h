// SPDX-License-Identifier: MIT
#pragma once

#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "tests/support/ScriptedDialogs.h"

// What the conflict window showed: each line as "field | as read | in the account | yours
// | changed by" (after the clicks), and whether Merge could be pressed before and after.
struct ConflictSeen {
    QString prompt;
    QStringList lines;
    bool mergeEnabledFirst = false;
    bool mergeEnabledAfterClicks = false;
};

// A script for the conflict window: clicks the cells (line, column), then presses the
// button named (cmdMerge, cmdWriteMine, cmdKeepTheirs, cmdCancel).
inline ScriptedDialogs::FormScript AnswerConflict(const char* button,
                                                  std::vector<std::pair<int, int>> clicks,
                                                  ConflictSeen* seen) {
    return [=](QDialog& form) {
        auto* table = form.findChild<QTableWidget*>(QStringLiteral("tblFields"));
        auto* merge = form.findChild<QPushButton*>(QStringLiteral("cmdMerge"));
        if (table == nullptr || merge == nullptr) {
            ADD_FAILURE() << "not the conflict window";
            form.reject();
            return;
        }
        seen->prompt = form.findChild<QLabel*>(QStringLiteral("lblPrompt"))->text();
        seen->mergeEnabledFirst = merge->isEnabled();
        for (const auto& [row, column] : clicks) {
            const QRect cell = table->visualItemRect(table->item(row, column));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        }
        seen->mergeEnabledAfterClicks = merge->isEnabled();
        for (int row = 0; row < table->rowCount(); ++row) {
            QStringList cells{table->verticalHeaderItem(row)->text()};
            for (int column = 0; column < table->columnCount(); ++column) {
                if (!table->isColumnHidden(column)) {
                    cells << table->item(row, column)->text();
                }
            }
            seen->lines << cells.join(QStringLiteral(" | "));
        }
        auto* pressed = form.findChild<QPushButton*>(QString::fromLatin1(button));
        if (pressed == nullptr || !pressed->isEnabled()) {
            ADD_FAILURE() << "no button " << button << " to press";
            form.reject();
            return;
        }
        pressed->click();
    };
}

// The same window asking whether to replace an item: cmdWriteMine is its Replace.
inline ScriptedDialogs::FormScript AnswerReplace(bool replace, ConflictSeen* seen) {
    return AnswerConflict(replace ? "cmdWriteMine" : "cmdCancel", {}, seen);
}

inline const std::string kReplaceWindow = "frmConflict | OK | None | Already in the account";
inline const std::string kConflictWindow = "frmConflict | OK | None | Changed in the account";
