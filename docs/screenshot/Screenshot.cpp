// SPDX-License-Identifier: MIT
// Takes the README's screenshot: the main window logged in to a copy of the demo
// account with the ORDERS dictionary open, drawn offscreen and saved as a PNG.
// Usage: kelvora_screenshot <demo account> <program folder> <output.png> [<values.png>]
// The second picture, for the help, is the values pane alone.
#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "app/frmKelvora.h"
#include "connection/Variables.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"
#include "platform/ui/TabControl.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr,
                     "usage: kelvora_screenshot <demo account> <program folder> <out.png> "
                     "[<values.png>]\n");
        return 2;
    }
    QApplication application(argc, argv);
    const QString demo = QString::fromLocal8Bit(argv[1]);
    const QString programFolder = QString::fromLocal8Bit(argv[2]);
    const QString output = QString::fromLocal8Bit(argv[3]);

    // Work on a copy: opening the demo on UniVerse writes the @EMPTY.NULL descriptor.
    TempDir scratch;
    if (!copyTree(demo, scratch.path())) {
        std::fprintf(stderr, "could not copy the demo account\n");
        return 1;
    }
    ScriptedDialogs dialogs;
    Variables vars(dialogs, programFolder);
    const QString account = scratch.path();
    dialogs.QueueForm([account](QDialog& form) {
        form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))->setText(account);
        form.findChild<QComboBox*>(QStringLiteral("cmbDBType"))
            ->setEditText(QStringLiteral("UniVerse"));
        form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    dialogs.QueueAnswer(ui::Answer::OK);  // "X Descriptor @EMPTY.NULL added"

    frmKelvora window(vars);
    if (!window.Form_Load()) {
        std::fprintf(stderr, "the login failed\n");
        return 1;
    }
    window.findChild<QLineEdit*>(QStringLiteral("txtFilename"))->setText(QStringLiteral("ORDERS"));
    window.findChild<QPushButton*>(QStringLiteral("cmdOpen"))->click();
    // The daily tools in view: the D/I/V rows sorted by id, an I item current with its
    // detail pane and its values open, and two rows highlighted for a child table.
    grid::DataGrid& div = *window.Grid(2);
    emit div.horizontalHeader()->sectionClicked(0);
    const auto& rows = div.BoundArray();
    for (int row = 0; rows && row < rows->RowCount(); ++row) {
        if (rows->Cell(row, 0) == QStringLiteral("CUST.NAME")) {
            div.SetCurrentRow(row);
        }
    }
    div.SetHighlightedRows({1, 3});
    window.resize(1450, window.height());
    window.findChild<QAction*>(QStringLiteral("mnuItemDetail"))->trigger();
    QApplication::processEvents();
    auto* detail = window.findChild<QDockWidget*>(QStringLiteral("fraDetail"));
    window.resizeDocks({detail}, {420}, Qt::Horizontal);
    // The values of CUST.NAME on the first records, below the grids; they are worked
    // out on the pane's own thread.
    window.resize(window.width(), window.height() + 300);
    window.findChild<QAction*>(QStringLiteral("mnuValues"))->trigger();
    auto* values = window.findChild<QDockWidget*>(QStringLiteral("fraValues"));
    window.resizeDocks({values}, {300}, Qt::Vertical);
    const auto* list = window.findChild<QPlainTextEdit*>(QStringLiteral("lstValues"));
    QElapsedTimer waited;
    waited.start();
    while (!list->toPlainText().contains(QStringLiteral("10001")) && waited.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QApplication::processEvents();
    if (!window.grab().save(output)) {
        std::fprintf(stderr, "could not write %s\n", argv[3]);
        return 1;
    }
    std::printf("wrote %s\n", argv[3]);
    if (argc == 5) {
        if (!values->grab().save(QString::fromLocal8Bit(argv[4]))) {
            std::fprintf(stderr, "could not write %s\n", argv[4]);
            return 1;
        }
        std::printf("wrote %s\n", argv[4]);
    }
    return 0;
}
