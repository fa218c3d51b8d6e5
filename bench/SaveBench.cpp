// SPDX-License-Identifier: MIT
// A save of one D cell in the window, from Yes to "Save?" to idle (the write, the journal,
// the row, the marks of broken descriptors brought up to date), on a generated dictionary
// of 100,000 items by default; against what every save did before the marks followed the
// changed items: compiling every descriptor again. Medians of runs taken in turn.
// Usage: bench_save [items] [saves]
#include <cstdio>
#include <cstdlib>
#include <optional>

#include <QApplication>
#include <QObject>

#include "bench/support/BenchScreen.h"
#include "bench/support/GeneratedAccount.h"
#include "connection/Variables.h"
#include "dictionary/DescriptorMarks.h"
#include "dictionary/DictionaryOpener.h"
#include "dictionary/DictionaryScreen.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/ViewSet.h"
#include "editing/EditingHandlers.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"
#include "platform/grid/RowArrayModel.h"
#include "platform/mv/Session.h"
#include "platform/ui/TabControl.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int saves = argc > 2 ? std::atoi(argv[2]) : 9;
    std::printf("Writing %d items...\n", items);
    const bench::GeneratedAccount account(items);
    if (!account.ok()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }
    // The journal of the saves goes here, not into the user's own data folder.
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(account.path() + "/data"));

    bench::GoAheadDialogs dialogs;
    Variables vars(dialogs, QString());
    vars.DatabaseType = QStringLiteral("UniData");
    vars.session = std::make_unique<mv::Session>();
    vars.session->SetAccountPath(account.path());
    vars.session->Connect();
    bench::BenchScreen screen;
    screen.SetFileNameText(QStringLiteral("X"));
    dictionary::OpenDictionary open;
    const dictionary::DictionaryContext context{vars, open, screen};
    dictionary::DictionaryOpener opener(context);
    editing::EditingHandlers editing(context, opener);
    QObject receiver;
    editing.ConnectGrids(&receiver);
    opener.cmdOpen_Click();
    QApplication::processEvents();

    const int divIndex = dictionary::ViewIndex(dictionary::ViewKind::DIV);
    grid::DataGrid& grid = *screen.Grids()[static_cast<std::size_t>(divIndex)];
    int row = 0;
    while (row < grid.Model()->rowCount() &&
           grid.Model()->CellText(row, dictionary::kTypeColumn) != QStringLiteral("D")) {
        ++row;
    }
    if (row == grid.Model()->rowCount()) {
        std::fprintf(stderr, "no D item in the view\n");
        return 1;
    }
    constexpr int kNameColumn = 4;
    int saved = 0;
    const std::vector<double> medians =
        bench::AlternatedMedians(saves, {[&] {
                                             dictionary::DescriptorMarks again;
                                             again.Update(open.views);
                                         },
                                         [&] {
                                             grid.SetCurrentRow(row);
                                             grid.SetCol(kNameColumn);
                                             grid.SetText(QStringLiteral("Saved %1").arg(++saved));
                                             grid.CommitRow(grid::CommitCause::LeavingRow);
                                             QApplication::processEvents();
                                         }});
    const QString written = grid.Model()->CellText(row, kNameColumn);
    std::printf("Medians of %d runs taken in turn, %d items:\n", saves, items);
    std::printf("  save of one D cell, Yes to idle:             %9.2f ms  (%s)\n", medians[1] * 1e3,
                qPrintable(written));
    std::printf("  every descriptor compiled again (the old save): %9.2f ms\n", medians[0] * 1e3);
    std::printf("  ratio: %.3f; target under 50 ms: %s\n", medians[1] / medians[0],
                medians[1] < 0.05 ? "met" : "NOT MET");
    return written == QStringLiteral("Saved %1").arg(saved) ? 0 : 1;
}
