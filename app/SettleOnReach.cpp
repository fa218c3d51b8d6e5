// SPDX-License-Identifier: MIT
#include "app/SettleOnReach.h"

#include <QEvent>
#include <QWidget>

namespace app {

SettleOnReach::SettleOnReach(QWidget* watched, std::function<bool()> pending,
                             std::function<bool()> settle)
    : QObject(watched), pending_(std::move(pending)), settle_(std::move(settle)) {
    watched->installEventFilter(this);
}

bool SettleOnReach::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return pending_() && !settle_();
        case QEvent::FocusIn:
            if (pending_()) {
                // Not from inside the focus change: the box takes the focus itself.
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        if (pending_()) {
                            settle_();
                        }
                    },
                    Qt::QueuedConnection);
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace app
