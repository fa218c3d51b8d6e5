// SPDX-License-Identifier: MIT
#include "app/FittedLayout.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QAbstractButton>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QVariant>
#include <QWidget>

#include "platform/grid/DataGrid.h"
#include "platform/ui/ResizeControl.h"
#include "platform/ui/TabControl.h"

namespace app {
namespace {

// Room around a caption inside a button, side to side and top to bottom.
constexpr int kButtonMargins = 8;
// Between the controls of a wrapped strip, between a label and its box, and between rows.
constexpr int kControlGap = 8;
constexpr int kLabelGap = 4;
constexpr int kRowGap = 4;

QString Caption(const QWidget& control) {
    return control.property("text").toString().remove(QLatin1Char('&'));
}

bool IsLabel(const QWidget* control) {
    return qobject_cast<const QLabel*>(control) != nullptr;
}

int Pixels(double twips) {
    return static_cast<int>(std::lround(twips / ui::ResizeControl::kTwipsPerPixel));
}

// A control of the strip with the place the design proportions gave it.
struct StripControl {
    QWidget* widget;
    QRect design;
    QSize needed;
};

// The strip's controls in the design's order, split where a row may wrap: a label stays
// with the box it names.
std::vector<std::vector<StripControl>> StripGroups(const ControlSet& c) {
    const std::vector<std::vector<QWidget*>> groups = {
        {c.Label1, c.txtFilename}, {c.cmdOpen}, {c.cmdMakeChild}, {c.cmdExport}, {c.cmdHelp},
        {c.Label2, c.cmbPhrase},   {c.cmdExit},
    };
    std::vector<std::vector<StripControl>> result;
    for (const auto& group : groups) {
        auto& controls = result.emplace_back();
        for (QWidget* widget : group) {
            controls.push_back({widget, widget->geometry(), NeededSize(*widget)});
        }
    }
    return result;
}

// True when every control has its room where the design proportions put it: its width
// and height, and a label's text clear of the control to its right.
bool DesignGivesRoom(const std::vector<StripControl>& strip, bool heightToo) {
    for (std::size_t i = 0; i < strip.size(); ++i) {
        const StripControl& control = strip[i];
        int room = control.design.width();
        if (i + 1 < strip.size()) {
            room = std::min(room, strip[i + 1].design.left() - control.design.left());
        }
        if (room < control.needed.width() ||
            (heightToo && control.design.height() < control.needed.height())) {
            return false;
        }
    }
    return true;
}

// Left to right from the strip's left margin, wrapping a group onto the next row where it
// would pass the right margin. Returns the row of each control, and sets its left and width.
std::vector<int> FlowIntoRows(std::vector<std::vector<StripControl>>& groups, int stripWidth,
                              int margin) {
    std::vector<int> rows;
    int row = 0;
    int x = margin;
    for (auto& group : groups) {
        int groupWidth = 0;
        for (std::size_t i = 0; i < group.size(); ++i) {
            const StripControl& control = group[i];
            groupWidth += (i > 0 ? kLabelGap : 0) +
                          (IsLabel(control.widget)
                               ? control.needed.width()
                               : std::max(control.design.width(), control.needed.width()));
        }
        if (x > margin && x + groupWidth > stripWidth - margin) {
            ++row;
            x = margin;
        }
        for (std::size_t i = 0; i < group.size(); ++i) {
            StripControl& control = group[i];
            const int width = IsLabel(control.widget)
                                  ? control.needed.width()
                                  : std::max(control.design.width(), control.needed.width());
            // A box wider than the whole strip keeps to it.
            control.design.setLeft(x);
            control.design.setWidth(std::max(1, std::min(width, stripWidth - margin - x)));
            x += control.design.width() + (i + 1 < group.size() ? kLabelGap : kControlGap);
            rows.push_back(row);
        }
    }
    return rows;
}

}  // namespace

QSize NeededSize(const QWidget& control) {
    const QFontMetrics metrics(control.font());
    if (qobject_cast<const QAbstractButton*>(&control) != nullptr) {
        return {metrics.horizontalAdvance(Caption(control)) + kButtonMargins,
                metrics.height() + kButtonMargins / 2};
    }
    if (IsLabel(&control)) {
        return {metrics.horizontalAdvance(Caption(control)) + 1, metrics.height()};
    }
    if (qobject_cast<const QLineEdit*>(&control) != nullptr) {
        // Room for a file name of common length, whatever is typed in it now.
        return {control.sizeHint().width(), control.minimumSizeHint().height()};
    }
    return control.minimumSizeHint();
}

void FitControls(const ControlSet& c, ui::TabControl& tabs) {
    std::vector<std::vector<StripControl>> groups = StripGroups(c);
    std::vector<StripControl> strip;
    for (const auto& group : groups) {
        strip.insert(strip.end(), group.begin(), group.end());
    }
    const QRect frame = c.Frame1->geometry();
    if (!DesignGivesRoom(strip, /*heightToo=*/true)) {
        std::vector<int> rows(strip.size(), 0);
        if (!DesignGivesRoom(strip, /*heightToo=*/false)) {
            rows = FlowIntoRows(groups, frame.width(),
                                std::max(kLabelGap, strip.front().design.left()));
            strip.clear();
            for (const auto& group : groups) {
                strip.insert(strip.end(), group.begin(), group.end());
            }
        }
        int rowHeight = 0;
        for (const StripControl& control : strip) {
            rowHeight = std::max({rowHeight, control.design.height(), control.needed.height()});
        }
        int top = frame.height();
        for (const StripControl& control : strip) {
            top = std::min(top, control.design.top());
        }
        if (const auto* framed = qobject_cast<const QFrame*>(c.Frame1)) {
            top = std::max(top, framed->frameWidth() + 1);
        }
        int bottom = 0;
        for (std::size_t i = 0; i < strip.size(); ++i) {
            const StripControl& control = strip[i];
            const int height =
                std::min(rowHeight, std::max(control.design.height(), control.needed.height()));
            const int rowTop = top + rows[i] * (rowHeight + kRowGap);
            control.widget->setGeometry(control.design.left(), rowTop + (rowHeight - height) / 2,
                                        control.design.width(), height);
            bottom = std::max(bottom, rowTop + rowHeight);
        }
        const int grown = std::max(0, bottom + top - frame.height());
        c.Frame1->resize(frame.width(), frame.height() + grown);
        QRect below = c.SSTab1->geometry();
        below.setTop(std::min(below.top() + grown, below.bottom() + 1));
        c.SSTab1->setGeometry(below);
    }

    // The grids' headers below the tab strip; nothing past the edges of the pages, which
    // cover the tab control (read from it: a page not yet shown has not had its size).
    const int tabStrip = tabs.Bar()->sizeHint().height();
    for (grid::DataGrid* grid : c.TDBGrid1) {
        QRect place = grid->geometry();
        place.setTop(std::max(place.top(), tabStrip - grid->frameWidth()));
        place.setRight(std::min(place.right(), tabs.width() - 1));
        place.setBottom(std::min(place.bottom(), tabs.height() - 1));
        grid->setGeometry(place.isValid() ? place : QRect(place.topLeft(), QSize(0, 0)));
    }
}

void FitFindBox(QWidget& findBox, ui::TabControl& tabs, double scaleX, double scaleY) {
    const QRect design(Pixels(kFindBoxTwips.left() * scaleX), Pixels(kFindBoxTwips.top() * scaleY),
                       Pixels(kFindBoxTwips.width() * scaleX),
                       Pixels(kFindBoxTwips.height() * scaleY));
    const int strip = tabs.Bar()->sizeHint().height();
    int top = tabs.y() + design.top() - Pixels(kTabsTwips.top() * scaleY);
    int height = design.height();
    const int needed = findBox.minimumSizeHint().height();
    if (height < needed) {
        height = needed;
        top = tabs.y() + std::max(0, (strip - height) / 2);
    }
    // Right of the tabs' captions, or where they would reach it, the tabs give way.
    const int tabsEnd = tabs.x() + tabs.Bar()->sizeHint().width() + kControlGap;
    const int right = std::min(design.right(), tabs.geometry().right());
    const int least = QFontMetrics(findBox.font())
                          .horizontalAdvance(findBox.property("placeholderText").toString()) +
                      height + kButtonMargins;
    int left = std::max(design.left(), tabsEnd);
    int reserve = 0;
    if (right - left + 1 < least) {
        left = std::max(tabs.x(), right + 1 - std::max(least, design.width()));
        reserve = tabs.x() + tabs.width() - left + kLabelGap;
    }
    tabs.ReserveStripEnd(reserve);
    findBox.setGeometry(left, top, right - left + 1, height);
}

}  // namespace app
