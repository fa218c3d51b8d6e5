// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <vector>

#include <QRectF>
#include <QSize>
#include <QSizeF>

class QWidget;

namespace grid {
class DataGrid;
class DropDownList;
}  // namespace grid
namespace ui {
class ResizeControl;
}

namespace app {

// The main window's client area at design time: 15240 × 10845 twips, 15 to a pixel.
inline constexpr QSizeF kDesignClientTwips{15240, 10845};
inline constexpr QSize kDesignClientPixels{1016, 723};

// The tab control below the strip.
inline constexpr QRectF kTabsTwips{120, 840, 15080, 9975};

// The find box: in the tab strip, right of the tabs' captions, above the grids.
inline constexpr QRectF kFindBoxTwips{11400, 870, 3720, 330};

// The main window's controls that keep their design proportions.
struct ControlSet {
    QWidget* Frame1;
    QWidget* Label1;
    QWidget* txtFilename;
    QWidget* cmdOpen;
    QWidget* cmdMakeChild;
    QWidget* cmdExport;
    QWidget* cmdHelp;
    QWidget* Label2;
    QWidget* cmbPhrase;
    QWidget* cmdExit;
    QWidget* SSTab1;
    std::array<grid::DataGrid*, 4> TDBGrid1;
    std::array<grid::DropDownList*, 2> TDBDropDown1;
    QWidget* txtResult;
};

struct DesignPlacement {
    QWidget* widget;
    QRectF twips;  // left, top, width, height within the container
};

// Each control's design rectangle within its container.
std::vector<DesignPlacement> DesignPlacements(const ControlSet& controls);

// Gives the resize control each control's design rectangle within its container.
void RegisterDesignGeometry(ui::ResizeControl& resize, const ControlSet& controls);

// The smallest client area at which the controls, kept in their design proportions,
// still show their captions whole (below it buttons would overlap or cut their text).
QSize MinimumClientSize(const ControlSet& controls);

}  // namespace app
