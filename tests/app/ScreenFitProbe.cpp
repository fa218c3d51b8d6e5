// SPDX-License-Identifier: MIT
// Opens dictionary FILE of ACCOUNT in the main window, maximised on the screen the platform
// gives, with the item detail pane open (DETAIL 1) or closed; saves the window as SHOT and
// prints "problem ..." for each caption cut, each control that overlaps another or leaves
// its container and each window (login, help, Compare, conflict) off the screen's free area,
// then "checked N". Arguments: ACCOUNT FILE DETAIL SHOT.
#include <cstdio>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>

#include "app/frmKelvora.h"
#include "connection/Variables.h"
#include "dictionary/frmConflict.h"
#include "platform/grid/CaptionHeader.h"
#include "platform/grid/DataGrid.h"
#include "platform/ui/HelpViewer.h"
#include "platform/ui/TabControl.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

int checks = 0;
const QWidget* window = nullptr;

void Check(bool ok, const QString& problem) {
    ++checks;
    if (!ok) {
        std::printf("problem %s\n", qPrintable(problem));
    }
}

QRect InWindow(const QWidget& w) {
    return {w.mapTo(window, QPoint(0, 0)), w.size()};
}

void CheckInside(const QWidget& w) {
    Check(w.parentWidget()->rect().contains(w.geometry()) && window->rect().contains(InWindow(w)),
          w.objectName() + QStringLiteral(" leaves its container"));
}

QSize Needed(const QWidget& w) {
    const QFontMetrics metrics(w.font());
    const QString caption = w.property("text").toString().remove(QLatin1Char('&'));
    if (qobject_cast<const QAbstractButton*>(&w) != nullptr) {
        return {metrics.horizontalAdvance(caption) + 4, metrics.height() + 2};
    }
    if (qobject_cast<const QLabel*>(&w) != nullptr) {
        return {metrics.horizontalAdvance(caption), metrics.height()};
    }
    return w.minimumSizeHint().expandedTo(QSize(metrics.horizontalAdvance(caption) + 10, 0));
}

// A label's box may reach under the control beside it; its text must not.
QRect Used(const QWidget& w) {
    QRect used = w.geometry();
    if (qobject_cast<const QLabel*>(&w) != nullptr) {
        used.setWidth(Needed(w).width());
    }
    return used;
}

// A control of the strip shows its caption or content whole and overlaps none of the others.
void CheckStripControl(const QWidget& w) {
    Check(w.width() >= Needed(w).width() && w.height() >= Needed(w).height(),
          w.objectName() + QStringLiteral(" is cut"));
    CheckInside(w);
    for (const QWidget* other :
         w.parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        Check(other == &w || !Used(w).intersects(Used(*other)),
              w.objectName() + QStringLiteral(" overlaps ") + other->objectName());
    }
}

// Each column caption is drawn on no more lines than the header holds, each line within its
// column; it is cut only where one of its words is wider than the column, with a tool tip.
void CheckCaptions(const grid::DataGrid& grid) {
    const auto& header = dynamic_cast<const grid::CaptionHeader&>(*grid.horizontalHeader());
    const QFontMetrics metrics(header.font());
    for (int column = 0; column < header.count(); ++column) {
        const QString caption = grid.ColumnCaptions().value(column);
        bool cut = false;
        const QStringList lines = header.CaptionLines(column, &cut);
        bool fits = header.height() >= static_cast<int>(lines.size()) * metrics.lineSpacing();
        for (const QString& line : lines) {
            fits = fits && metrics.horizontalAdvance(line) <= header.sectionSize(column);
        }
        bool wordTooWide = false;
        for (const QString& word : caption.split(QLatin1Char(' '))) {
            wordTooWide = wordTooWide || metrics.elidedText(word, Qt::ElideRight,
                                                            header.CaptionWidth(column)) != word;
        }
        Check(fits && (cut ? wordTooWide && header.CaptionToolTip(column) == caption
                           : lines.join(QLatin1Char(' ')) == caption.simplified()),
              grid.objectName() + QStringLiteral(" cuts ") + caption);
    }
}

// A window opened over the main one lies within the free area of its screen.
void CheckOnScreen(const QWidget& w) {
    Check(window->screen()->availableGeometry().contains(w.frameGeometry()),
          w.objectName() + QStringLiteral(" leaves the screen"));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    ScriptedDialogs dialogs;
    const auto logIn = [account = args.value(1)](QDialog& form) {
        CheckOnScreen(form);
        form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))->setText(account);
        form.findChild<QComboBox*>(QStringLiteral("cmbDBType"))
            ->setEditText(QStringLiteral("UniVerse"));
        form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    };
    dialogs.QueueForm(logIn);
    Variables vars(dialogs, QApplication::applicationDirPath());
    frmKelvora main(vars);
    window = &main;
    if (args.size() != 5 || !main.Form_Load()) {
        return 2;
    }
    main.findChild<QLineEdit*>(QStringLiteral("txtFilename"))->setText(args[2]);
    main.findChild<QPushButton*>(QStringLiteral("cmdOpen"))->click();
    main.showMaximized();
    if (args[3] == "1") {
        main.findChild<QAction*>(QStringLiteral("mnuItemDetail"))->trigger();
        main.findChild<QAction*>(QStringLiteral("mnuValues"))->trigger();  // both panes
    }
    for (int round = 0; round < 3; ++round) {
        QApplication::processEvents();
    }
    if (!main.grab().save(args[4])) {
        return 3;
    }
    for (const QWidget* control :
         main.findChild<QWidget*>(QStringLiteral("Frame1"))
             ->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        CheckStripControl(*control);
    }
    const ui::TabControl& tabs = *main.Tabs();
    const QWidget& find = *main.findChild<QWidget*>(QStringLiteral("txtFind"));
    CheckInside(find);
    CheckInside(tabs);
    Check(find.height() >= Needed(find).height(), QStringLiteral("txtFind is cut"));
    Check(
        !tabs.geometry().intersects(main.findChild<QWidget*>(QStringLiteral("Frame1"))->geometry()),
        QStringLiteral("the tabs overlap the strip"));
    for (int tab = 0; tab < tabs.TabCount(); ++tab) {
        const QRect caption = tabs.Bar()->tabRect(tab).intersected(tabs.Bar()->rect());
        Check(caption.isEmpty() ||
                  !InWindow(find).intersects(caption.translated(InWindow(*tabs.Bar()).topLeft())),
              QStringLiteral("txtFind overlaps a tab's caption"));
    }
    const auto& pane = *main.findChild<QDockWidget*>(QStringLiteral("fraDetail"));
    Check(pane.isVisible() == (args[3] == "1"), QStringLiteral("the detail pane is not as asked"));
    const auto& values = *main.findChild<QDockWidget*>(QStringLiteral("fraValues"));
    Check(values.isVisible() == (args[3] == "1"),
          QStringLiteral("the values pane is not as asked"));
    for (int view = 0; view < tabs.TabCount(); ++view) {
        const grid::DataGrid& grid = *main.Grid(view);
        CheckInside(grid);
        Check(InWindow(*grid.horizontalHeader()).top() > InWindow(*tabs.Bar()).bottom(),
              grid.objectName() + QStringLiteral("'s header is under the tabs"));
        Check(!pane.isVisible() || !InWindow(pane).intersects(InWindow(grid)),
              QStringLiteral("the detail pane overlaps ") + grid.objectName());
        Check(!values.isVisible() || !InWindow(values).intersects(InWindow(grid)),
              QStringLiteral("the values pane overlaps ") + grid.objectName());
        Check(!values.isVisible() || view != tabs.Tab() ||
                  grid.viewport()->height() >= 3 * grid.verticalHeader()->defaultSectionSize(),
              grid.objectName() + QStringLiteral(" shows fewer than three rows beside the panes"));
        CheckCaptions(grid);
    }

    main.findChild<QPushButton*>(QStringLiteral("cmdHelp"))->click();
    CheckOnScreen(*main.findChild<ui::HelpViewer*>());
    const auto checkAndClose = [](QDialog& form) {
        CheckOnScreen(form);
        form.reject();
    };
    dialogs.QueueForm(logIn);  // the account to compare with: the same one
    dialogs.QueueForm(checkAndClose);
    main.findChild<QAction*>(QStringLiteral("mnuCompare"))->trigger();
    const dictionary::ItemVersions versions{"A", "B", "C"};
    dictionary::frmConflict conflict(QStringLiteral("CITY"), dictionary::ChangeKind::Write,
                                     versions, main.Grid(2)->ColumnCaptions(), &main);
    dialogs.QueueForm(checkAndClose);
    dialogs.ShowModal(conflict);
    Check(dialogs.allAnswersUsed(), QStringLiteral("a window was not shown"));
    std::printf("checked %d\n", checks);
    return 0;
}
