// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>

#include "app/MainWindowDesign.h"

class QWidget;

namespace ui {
class TabControl;
}

namespace app {

// The room a control of the top strip needs to show its caption or content whole: a
// label its text, a button its caption within its frame, a box what its style asks.
QSize NeededSize(const QWidget& control);

// Runs after the controls were placed in their design proportions, and leaves them there
// wherever every control of the strip has the room it needs. Where one has not (a small
// screen, a large scale factor, the detail pane beside the client), the strip gives its
// controls their room: they keep their places when only their height is short, else they
// flow left to right and wrap onto further rows, labels with their boxes; Frame1 grows
// and the tabs move down by as much. On the tabs the grids start below the tab strip and
// end within their page.
void FitControls(const ControlSet& controls, ui::TabControl& tabs);

// The find box in the tab strip, where the design proportions put it (scaleX and scaleY
// are those of the controls), taken down with the tabs and as high as its text needs; it
// never covers a tab's caption. Where the strip has no room for both, the tabs end before
// the box and scroll.
void FitFindBox(QWidget& findBox, ui::TabControl& tabs, double scaleX, double scaleY);

}  // namespace app
