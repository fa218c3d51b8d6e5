// SPDX-License-Identifier: MIT
// The whole open path of the main window (select, read, classify, fill the phrase list,
// bind the four grids, offscreen) against reading the same item files raw, in the same
// run, at 10,000 and 100,000 items, so a step that grows faster than the item count
// shows as a growing ratio. Usage: bench_open_dictionary [items...]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <malloc.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "bench/support/BenchScreen.h"
#include "bench/support/GeneratedAccount.h"
#include "connection/Variables.h"
#include "dictionary/DictionaryOpener.h"
#include "dictionary/DictionaryScreen.h"
#include "dictionary/OpenDictionary.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"
#include "platform/mv/Session.h"
#include "platform/ui/TabControl.h"

namespace {

constexpr int kRepeats = 3;

// The controls exist before the open, as the window's do; only the open is timed.
std::size_t OpenThroughTheWindow(const std::string& accountPath, bench::BenchScreen& screen,
                                 int& boxes) {
    bench::GoAheadDialogs dialogs;
    Variables vars(dialogs, QString());
    vars.DatabaseType = QStringLiteral("UniData");  // the select without a descriptor write
    vars.session = std::make_unique<mv::Session>();
    vars.session->SetAccountPath(accountPath);
    vars.session->Connect();
    screen.SetFileNameText(QStringLiteral("X"));
    dictionary::OpenDictionary open;
    dictionary::DictionaryOpener opener({vars, open, screen});
    opener.cmdOpen_Click();
    QApplication::processEvents();  // lets the grids lay out and paint their first page
    boxes = dialogs.boxes;
    std::size_t rows = 0;
    for (int view = 0; view < 4; ++view) {
        rows += static_cast<std::size_t>(open.views->Counter(dictionary::ViewAt(view)));
    }
    return rows;
}

// This process's resident memory in MiB, from /proc (0 where there is none).
double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) {
        sizes = {10000, 100000};
    }
    std::printf("Best of %d runs; the open uses the UniData select (BY LOC BY @ID).\n", kRepeats);
    std::printf("%10s %12s %12s %8s\n", "items", "raw ms", "open ms", "ratio");
    for (const int items : sizes) {
        const bench::GeneratedAccount account(items);
        if (!account.ok()) {
            std::fprintf(stderr, "could not build the account\n");
            return 1;
        }
        std::size_t rawBytes = 0, rows = 0;
        int boxes = 0;
        bench::BenchScreen screen;
        bench::ReadItemFilesRaw(account.dictionaryPath());  // warms the cache for both
        const double raw = bench::BestSeconds(
            kRepeats, [&] { return bench::ReadItemFilesRaw(account.dictionaryPath()); }, rawBytes);
        // The window's memory: what the first open adds to the controls', and what it holds
        // after more opens of the same file (each should give back what the last one held).
        const double before = ResidentMiB();
        OpenThroughTheWindow(account.path(), screen, boxes);
        const double afterFirst = ResidentMiB();
        const double open = bench::BestSeconds(
            kRepeats, [&] { return OpenThroughTheWindow(account.path(), screen, boxes); }, rows);
        const double afterMore = ResidentMiB();
        std::printf("%10d %12.1f %12.1f %8.2f   (%zu rows shown, %d boxes)\n", items, raw * 1e3,
                    open * 1e3, open / raw, rows, boxes);
        std::printf("%10s heap in use after the last open: %.0f MiB\n", "",
                    static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0));
        std::printf(
            "%10s memory: %.0f MiB before, +%.0f MiB after the first open, +%.0f MiB "
            "after %d more (%.1f MiB of item files)\n",
            "", before, afterFirst - before, afterMore - before, kRepeats,
            static_cast<double>(rawBytes) / (1024.0 * 1024.0));
    }
    return 0;
}
