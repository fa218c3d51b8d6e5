// SPDX-License-Identifier: MIT
#include "platform/ui/ScreenFit.h"

#include <algorithm>

#include <QScreen>
#include <QWidget>

namespace ui {

QSize UsableArea(const QRect& available) {
    return QSize(std::max(1, available.width() - 2 * kFrameAllowance),
                 std::max(1, available.height() - kTitleBarAllowance - kFrameAllowance));
}

void FitWithinScreen(QWidget& window) {
    // A window not shown yet has no screen of its own: it opens on its owner's.
    const QWidget* owner =
        window.parentWidget() != nullptr ? window.parentWidget()->window() : &window;
    const QScreen* screen = owner->screen();
    if (screen == nullptr) {
        return;
    }
    const QSize room = UsableArea(screen->availableGeometry());
    if (window.width() > room.width() || window.height() > room.height()) {
        window.resize(window.size().boundedTo(room));
    }
}

}  // namespace ui
