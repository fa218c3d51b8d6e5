// SPDX-License-Identifier: MIT
#include "app/WindowPlacement.h"

#include <algorithm>

#include <QSettings>

#include "connection/UserConfig.h"
#include "platform/ui/ScreenFit.h"

namespace app {
namespace {

using ui::kFrameAllowance;
using ui::kTitleBarAllowance;

QString PlacementFile() {
    return UserConfigFile(QStringLiteral("window.ini"));
}

}  // namespace

QSize UsableArea(const QRect& available) {
    return ui::UsableArea(available);
}

QRect OpeningGeometry(QSize design, QSize minimum, QRect available) {
    const QSize room = UsableArea(available);
    QSize size = design;
    if (size.width() > room.width() || size.height() > room.height()) {
        size = design.scaled(room, Qt::KeepAspectRatio);
    }
    // The minimum gives way to the screen: a window larger than its screen cannot be used.
    size = size.expandedTo(minimum.boundedTo(room));
    const int x = available.x() + kFrameAllowance + std::max(0, (room.width() - size.width()) / 2);
    const int y =
        available.y() + kTitleBarAllowance + std::max(0, (room.height() - size.height()) / 2);
    return QRect(QPoint(x, y), size);
}

bool FitsOnAScreen(const QRect& geometry, const QList<QRect>& availableAreas) {
    return geometry.isValid() &&
           std::any_of(availableAreas.cbegin(), availableAreas.cend(),
                       [&geometry](const QRect& area) { return area.contains(geometry); });
}

std::optional<WindowPlacement> LoadWindowPlacement() {
    const QSettings settings(PlacementFile(), QSettings::IniFormat);
    const QRect geometry = settings.value(QStringLiteral("window/geometry")).toRect();
    if (settings.status() != QSettings::NoError || !geometry.isValid()) {
        return std::nullopt;
    }
    return WindowPlacement{geometry, settings.value(QStringLiteral("window/maximized")).toBool(),
                           settings.value(QStringLiteral("window/tab")).toInt(),
                           settings.value(QStringLiteral("help/geometry")).toRect()};
}

void SaveWindowPlacement(const WindowPlacement& placement) {
    QSettings settings(PlacementFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("window/geometry"), placement.geometry);
    settings.setValue(QStringLiteral("window/maximized"), placement.maximized);
    settings.setValue(QStringLiteral("window/tab"), placement.tab);
    settings.setValue(QStringLiteral("help/geometry"), placement.helpGeometry);
}

}  // namespace app
