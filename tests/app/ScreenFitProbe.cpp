// SPDX-License-Identifier: MIT
// Opens a dictionary in the main window, maximised on whatever screen the platform gives
// (the tests start it on a virtual screen of a chosen size and scale factor), with the item
// detail pane open or closed; saves a screenshot of the window and prints one "problem"
// line for every control that cuts its caption, overlaps a sibling or leaves its container.
// Arguments: ACCOUNT FILE DETAIL(0|1) SCREENSHOT.
#include <algorithm>
#include <cstdio>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>

#include "app/frmKelvora.h"
#include "connection/Variables.h"
#include "platform/grid/CaptionHeader.h"
#include "platform/grid/DataGrid.h"
#include "platform/ui/TabControl.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

int checks = 0;

void Check(bool ok, const QString& what) {
    ++checks;
    if (!ok) {
        std::printf("problem %s\n", qPrintable(what));
    }
}

QString Describe(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString Caption(const QWidget& widget) {
    return widget.property("text").toString().remove(QLatin1Char('&'));
}

// The part of a control its content takes: a label's text, not the rest of its box.
QRect UsedRect(const QWidget& widget) {
    QRect rect = widget.geometry();
    if (qobject_cast<const QLabel*>(&widget) != nullptr) {
        rect.setWidth(QFontMetrics(widget.font()).horizontalAdvance(Caption(widget)));
    }
    return rect;
}

// The room a control needs to show its caption or content whole.
QSize NeededSize(const QWidget& widget) {
    const QFontMetrics metrics(widget.font());
    if (qobject_cast<const QAbstractButton*>(&widget) != nullptr) {
        const int frame = widget.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        return {metrics.horizontalAdvance(Caption(widget)) + 2 * frame + 2,
                metrics.height() + 2 * frame};
    }
    if (qobject_cast<const QLabel*>(&widget) != nullptr) {
        return {metrics.horizontalAdvance(Caption(widget)), metrics.height()};
    }
    if (const auto* box = qobject_cast<const QLineEdit*>(&widget)) {
        // The file name typed in it, within its frame and margins.
        return widget.minimumSizeHint().expandedTo(
            QSize(metrics.horizontalAdvance(box->text()) + 10, 0));
    }
    return widget.minimumSizeHint();
}

void CheckInside(const QWidget& widget, const QWidget& window) {
    const QWidget* container = widget.parentWidget();
    Check(container->rect().contains(widget.geometry()),
          widget.objectName() + QStringLiteral(" leaves its container: ") +
              Describe(widget.geometry()) + QStringLiteral(" in ") + Describe(container->rect()));
    const QRect inWindow(widget.mapTo(&window, QPoint(0, 0)), widget.size());
    Check(window.rect().contains(inWindow),
          widget.objectName() + QStringLiteral(" leaves the window: ") + Describe(inWindow));
}

QRect InWindow(const QWidget& widget, const QWidget& window) {
    return {widget.mapTo(&window, QPoint(0, 0)), widget.size()};
}

// Every column caption is drawn whole within its section, on as many lines as the header
// is high; only a caption with a word wider than its column is cut, and then its tool tip
// holds it whole.
void CheckCaptions(const grid::DataGrid& grid) {
    const auto* header = qobject_cast<const grid::CaptionHeader*>(grid.horizontalHeader());
    Check(header != nullptr, grid.objectName() + QStringLiteral(" has no caption header"));
    if (header == nullptr) {
        return;
    }
    const QFontMetrics metrics(header->font());
    for (int column = 0; column < header->count(); ++column) {
        const QString caption = grid.ColumnCaptions().value(column);
        const QString where = grid.objectName() + QStringLiteral(" \"") + caption +
                              QStringLiteral("\" (%1 wide) ").arg(header->sectionSize(column));
        bool cut = false;
        const QStringList lines = header->CaptionLines(column, &cut);
        Check(header->height() >= static_cast<int>(lines.size()) * metrics.lineSpacing(),
              where + QStringLiteral("has %1 lines in a header %2 high")
                          .arg(lines.size())
                          .arg(header->height()));
        for (const QString& line : lines) {
            Check(metrics.horizontalAdvance(line) <= header->sectionSize(column),
                  where + QStringLiteral("is wider than its column"));
        }
        const QStringList words = caption.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const bool wordTooWide = std::any_of(words.begin(), words.end(), [&](const QString& word) {
            return metrics.elidedText(word, Qt::ElideRight, header->CaptionWidth(column)) != word;
        });
        Check(!cut || wordTooWide, where + QStringLiteral("is cut: ") + lines.join(" / "));
        Check(!cut || header->CaptionToolTip(column) == caption,
              where + QStringLiteral("is cut without a tool tip"));
        if (!cut) {
            Check(lines.join(QLatin1Char(' ')) == words.join(QLatin1Char(' ')),
                  where + QStringLiteral("is drawn as ") + lines.join(" / "));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: screen_fit_probe ACCOUNT FILE DETAIL SCREENSHOT\n");
        return 2;
    }
    const QString account = QString::fromLocal8Bit(argv[1]);
    const QString file = QString::fromLocal8Bit(argv[2]);
    const bool detail = QString::fromLatin1(argv[3]) == QStringLiteral("1");
    ScriptedDialogs dialogs;
    dialogs.QueueForm([account](QDialog& form) {
        form.findChild<QLineEdit*>(QStringLiteral("txtAccount"))->setText(account);
        form.findChild<QComboBox*>(QStringLiteral("cmbDBType"))
            ->setEditText(QStringLiteral("UniVerse"));
        form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    Variables vars(dialogs, QApplication::applicationDirPath());
    frmKelvora window(vars);
    if (!window.Form_Load()) {
        std::fprintf(stderr, "the login failed\n");
        return 3;
    }
    window.findChild<QLineEdit*>(QStringLiteral("txtFilename"))->setText(file);
    window.findChild<QPushButton*>(QStringLiteral("cmdOpen"))->click();
    window.showMaximized();
    QApplication::processEvents();
    if (detail) {
        window.findChild<QAction*>(QStringLiteral("mnuItemDetail"))->trigger();
    }
    for (int round = 0; round < 3; ++round) {
        QApplication::processEvents();
    }
    if (!window.grab().save(QString::fromLocal8Bit(argv[4]))) {
        std::fprintf(stderr, "the screenshot could not be saved\n");
        return 4;
    }
    const QRect available = window.screen()->availableGeometry();
    std::printf("window %s on %s\n", qPrintable(Describe(window.geometry())),
                qPrintable(Describe(available)));

    const char* const strip[] = {"Label1",  "txtFilename", "cmdOpen",   "cmdMakeChild", "cmdExport",
                                 "cmdHelp", "Label2",      "cmbPhrase", "cmdExit"};
    const auto named = [&window](const char* name) {
        return window.findChild<QWidget*>(QString::fromLatin1(name));
    };
    for (const char* name : strip) {
        const QWidget& control = *named(name);
        const QSize needed = NeededSize(control);
        Check(control.width() >= needed.width() && control.height() >= needed.height(),
              QString::fromLatin1(name) + QStringLiteral(" is cut: ") +
                  Describe(control.geometry()) +
                  QStringLiteral(", needs %1x%2").arg(needed.width()).arg(needed.height()));
        CheckInside(control, window);
        for (const char* other : strip) {
            if (other != name) {
                Check(!UsedRect(control).intersects(UsedRect(*named(other))),
                      QString::fromLatin1(name) + QStringLiteral(" overlaps ") +
                          QString::fromLatin1(other));
            }
        }
    }
    const QWidget& frame = *named("Frame1");
    const ui::TabControl& tabs = *window.Tabs();
    const QWidget& find = *named("txtFind");
    for (const QWidget* widget : {&frame, static_cast<const QWidget*>(&tabs), &find}) {
        CheckInside(*widget, window);
    }
    Check(!frame.geometry().intersects(tabs.geometry()), QStringLiteral("Frame1 overlaps SSTab1"));
    Check(find.height() >= find.minimumSizeHint().height(),
          QStringLiteral("txtFind is cut: ") + Describe(find.geometry()));
    const QTabBar& bar = *tabs.Bar();
    for (int tab = 0; tab < bar.count(); ++tab) {
        const QRect caption = bar.tabRect(tab).intersected(bar.rect());
        if (caption.isEmpty()) {
            continue;  // scrolled out of the strip
        }
        Check(!InWindow(find, window)
                   .intersects(QRect(bar.mapTo(&window, caption.topLeft()), caption.size())),
              QStringLiteral("txtFind overlaps the caption of tab %1").arg(tab));
    }
    const QRect barInWindow = InWindow(bar, window);
    const auto* pane = window.findChild<QDockWidget*>(QStringLiteral("fraDetail"));
    Check(pane->isVisible() == detail, QStringLiteral("the detail pane is not as asked"));
    for (int view = 0; view < tabs.TabCount(); ++view) {
        const grid::DataGrid& grid = *window.Grid(view);
        CheckInside(grid, window);
        const QRect header = InWindow(*grid.horizontalHeader(), window);
        Check(header.top() > barInWindow.bottom(),
              grid.objectName() + QStringLiteral("'s header is under the tab bar: ") +
                  Describe(header) + QStringLiteral(" below ") + Describe(barInWindow));
        CheckCaptions(grid);
        if (detail) {
            Check(!InWindow(*pane, window).intersects(InWindow(grid, window)),
                  QStringLiteral("the detail pane overlaps ") + grid.objectName());
        }
    }
    std::printf("checked %d\n", checks);
    std::fflush(stdout);
    return 0;
}
