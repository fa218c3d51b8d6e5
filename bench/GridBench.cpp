// SPDX-License-Identifier: MIT
// Binds 100,000 rows of 11 columns to a DataGrid and scrolls through all of them page
// by page, painting each page, on the offscreen platform. The baseline is a plain
// QTableView over a QStandardItemModel with the same text, set up alike (fixed row
// heights, alternating colours, same size), measured in the same run.
#include <chrono>
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>

#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 11;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

QString CellText(int row, int column) {
    switch (column) {
        case 0:
            return QStringLiteral("ITEM.%1").arg(row);
        case 1:
            return QStringLiteral("D");
        default:
            return QStringLiteral("F%1.%2").arg(column).arg(row % 97);
    }
}

struct Figures {
    double fill = 0;
    double bind = 0;
    double scroll = 0;
    int pages = 0;
};

// Shows the view and scrolls it from the top to the bottom one page at a time,
// painting every page before the next.
void ScrollThrough(QTableView& view, Figures& figures) {
    view.resize(1000, 700);
    view.show();
    QApplication::processEvents();
    QScrollBar* bar = view.verticalScrollBar();
    const Clock::time_point start = Clock::now();
    int value = 0;
    for (;;) {
        bar->setValue(value);
        view.viewport()->repaint();
        ++figures.pages;
        if (value >= bar->maximum()) {
            break;
        }
        value += bar->pageStep();
    }
    figures.scroll = Milliseconds(Clock::now() - start);
    view.hide();
}

void ConfigureLikeTheGrid(QTableView& view) {
    view.setAlternatingRowColors(true);
    view.setWordWrap(false);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 6);
}

Figures MeasureDataGrid() {
    Figures figures;
    Clock::time_point start = Clock::now();
    auto rows = std::make_shared<grid::RowArray>();
    for (int r = 0; r < kRows; ++r) {
        rows->Resize(r, kColumns - 1);
        for (int c = 0; c < kColumns; ++c) {
            rows->SetCell(r, c, CellText(r, c));
        }
    }
    figures.fill = Milliseconds(Clock::now() - start);

    grid::DataGrid view(0);
    QStringList captions;
    for (int c = 0; c < kColumns; ++c) {
        captions << QStringLiteral("C%1").arg(c);
    }
    view.SetColumnCaptions(captions);
    start = Clock::now();
    view.Bind(rows);
    view.ReBind();
    figures.bind = Milliseconds(Clock::now() - start);
    ScrollThrough(view, figures);
    return figures;
}

Figures MeasureBaseline() {
    Figures figures;
    Clock::time_point start = Clock::now();
    QStandardItemModel model(kRows, kColumns);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            model.setItem(r, c, new QStandardItem(CellText(r, c)));
        }
    }
    figures.fill = Milliseconds(Clock::now() - start);

    QTableView view;
    ConfigureLikeTheGrid(view);
    start = Clock::now();
    view.setModel(&model);
    figures.bind = Milliseconds(Clock::now() - start);
    ScrollThrough(view, figures);
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    const Figures grid = MeasureDataGrid();
    const Figures base = MeasureBaseline();

    std::printf("grid bench: %d rows x %d columns, offscreen\n", kRows, kColumns);
    std::printf("%-28s %14s %20s %8s\n", "", "DataGrid", "QStandardItemModel", "ratio");
    const auto line = [](const char* what, double ours, double theirs) {
        std::printf("%-28s %12.1f ms %17.1f ms %8.2f\n", what, ours, theirs,
                    theirs > 0 ? ours / theirs : 0.0);
    };
    line("fill the data", grid.fill, base.fill);
    line("bind to the view", grid.bind, base.bind);
    line("fill + bind", grid.fill + grid.bind, base.fill + base.bind);
    char scrollLabel[64];
    std::snprintf(scrollLabel, sizeof scrollLabel, "scroll all rows (%d pages)", grid.pages);
    line(scrollLabel, grid.scroll, base.scroll);
    std::printf("%-28s %12.3f ms %17.3f ms\n", "per painted page", grid.scroll / grid.pages,
                base.scroll / base.pages);
    return 0;
}
