// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// Room kept above a window's client for the title bar, and around it for the frame, which
// the window manager adds.
inline constexpr int kTitleBarAllowance = 32;
inline constexpr int kFrameAllowance = 4;

// The part of a screen's free area a window's client may take: all of it but the room
// its title bar and frame need.
QSize UsableArea(const QRect& available);

// Before a window opens: makes it no larger than the usable area of the screen it opens
// on (its owner's, else its own), so that its edges and buttons are never off the screen
// at any scale factor. A window that fits keeps its size.
void FitWithinScreen(QWidget& window);

}  // namespace ui
