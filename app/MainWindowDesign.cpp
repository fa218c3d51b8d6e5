// SPDX-License-Identifier: MIT
#include "app/MainWindowDesign.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include <QAbstractButton>
#include <QFontMetrics>
#include <QVariant>

#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"
#include "platform/ui/ResizeControl.h"

namespace app {
namespace {

// Room around a caption inside a button: its frame and margins, side to side.
constexpr double kButtonMargins = 8;

}  // namespace

std::vector<DesignPlacement> DesignPlacements(const ControlSet& c) {
    return {
        {c.Frame1, {120, 0, 15015, 615}},
        {c.Label1, {240, 240, 1095, 255}},
        {c.txtFilename, {1200, 150, 2775, 400}},
        {c.cmdOpen, {4080, 160, 1000, 400}},
        {c.cmdMakeChild, {5280, 160, 1815, 375}},
        {c.cmdExport, {7560, 160, 1215, 375}},
        {c.cmdHelp, {9000, 180, 1215, 375}},
        {c.Label2, {10680, 240, 1095, 255}},
        {c.cmbPhrase, {11640, 200, 2175, 360}},
        {c.cmdExit, {13920, 160, 1000, 400}},
        {c.SSTab1, kTabsTwips},
        {c.TDBGrid1[0], {120, 380, 14955, 9495}},
        {c.TDBDropDown1[0], {6480, 3740, 1995, 2775}},
        {c.TDBGrid1[1], {0, 375, 15135, 9495}},
        {c.TDBGrid1[2], {0, 380, 15075, 9435}},
        {c.txtResult, {2880, 2420, 6255, 2655}},
        {c.TDBDropDown1[1], {8160, 5300, 1995, 2775}},
        {c.TDBGrid1[3], {0, 380, 15075, 9465}},
    };
}

void RegisterDesignGeometry(ui::ResizeControl& resize, const ControlSet& controls) {
    for (const DesignPlacement& p : DesignPlacements(controls)) {
        resize.Register(*p.widget, p.twips);
    }
}

QSize MinimumClientSize(const ControlSet& c) {
    // Each control of the top strip keeps its caption whole: its share of the width at
    // least the caption's (with a button's frame and margins; a label's text up to the
    // control beside it), its share of the height at least a line of its font.
    const QWidget* strip[] = {c.Label1,  c.txtFilename, c.cmdOpen,   c.cmdMakeChild, c.cmdExport,
                              c.cmdHelp, c.Label2,      c.cmbPhrase, c.cmdExit};
    const auto inStrip = [&strip](const QWidget* w) {
        return std::find(std::begin(strip), std::end(strip), w) != std::end(strip);
    };
    const std::vector<DesignPlacement> placements = DesignPlacements(c);
    double width = 0;
    double height = 0;
    for (const DesignPlacement& p : placements) {
        if (!inStrip(p.widget)) {
            continue;
        }
        double room = p.twips.width();
        for (const DesignPlacement& q : placements) {
            if (inStrip(q.widget) && q.twips.left() > p.twips.left()) {
                room = std::min(room, q.twips.left() - p.twips.left());
            }
        }
        const QFontMetrics metrics(p.widget->font());
        const bool button = qobject_cast<const QAbstractButton*>(p.widget) != nullptr;
        const QString caption = p.widget->property("text").toString().remove(QLatin1Char('&'));
        if (!caption.isEmpty()) {
            const double needed =
                metrics.horizontalAdvance(caption) + (button ? kButtonMargins : 1.0);
            width = std::max(width, needed * kDesignClientTwips.width() / room);
        }
        const double lineHeight = metrics.height() + (button ? kButtonMargins / 2 : 0.0);
        height = std::max(height, lineHeight * kDesignClientTwips.height() / p.twips.height());
    }
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

}  // namespace app
