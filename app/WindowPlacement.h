// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QList>
#include <QRect>
#include <QSize>

namespace app {

// Where the main window opens on a screen whose free area is `available`: at its design
// size when that fits, else scaled down to fit keeping the design proportions (never
// below `minimum`), and centred. Sizes are of the window's client, in the screen's
// logical pixels, so any scale factor or pixel ratio is already taken into account. On
// a screen smaller than the minimum the screen wins.
QRect OpeningGeometry(QSize design, QSize minimum, QRect available);

// The part of a screen's free area a window's client may take: all of it but the room
// its title bar needs.
QSize UsableArea(const QRect& available);

// How the user left the window: its normal geometry, whether it was maximised, the tab
// in front, and where the help window was.
struct WindowPlacement {
    QRect geometry;
    bool maximized = false;
    int tab = 0;
    QRect helpGeometry;
};

// True when the whole of geometry lies within the free area of one of the screens, so a
// placement saved on another set of screens is not restored off screen.
bool FitsOnAScreen(const QRect& geometry, const QList<QRect>& availableAreas);

// The placement kept between runs in the user's config folder (kelvora/window.ini, apart
// from the login's settings file); nullopt when none was saved or it cannot be read.
std::optional<WindowPlacement> LoadWindowPlacement();
void SaveWindowPlacement(const WindowPlacement& placement);

}  // namespace app
