// SPDX-License-Identifier: MIT
#include "app/MainWindowDesign.h"

#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"
#include "platform/ui/ResizeControl.h"

namespace app {

void RegisterDesignGeometry(ui::ResizeControl& resize, const ControlSet& c) {
    struct Placement {
        QWidget* widget;
        QRectF twips;  // left, top, width, height within the container
    };
    const Placement placements[] = {
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
        {c.SSTab1, {120, 840, 15080, 9975}},
        {c.TDBGrid1[0], {120, 380, 14955, 9495}},
        {c.TDBDropDown1[0], {6480, 3740, 1995, 2775}},
        {c.TDBGrid1[1], {0, 375, 15135, 9495}},
        {c.TDBGrid1[2], {0, 380, 15075, 9435}},
        {c.txtResult, {2880, 2420, 6255, 2655}},
        {c.TDBDropDown1[1], {8160, 5300, 1995, 2775}},
        {c.TDBGrid1[3], {0, 380, 15075, 9465}},
    };
    for (const Placement& p : placements) {
        resize.Register(*p.widget, p.twips);
    }
}

}  // namespace app
