// SPDX-License-Identifier: MIT
#include "platform/ui/ResizeControl.h"

#include <QEvent>
#include <QWidget>
#include <cmath>

namespace ui {

ResizeControl::ResizeControl(QWidget& window, QSizeF designClientTwips)
    : QObject(&window), window_(window), designClient_(designClientTwips) {
    window_.installEventFilter(this);
}

void ResizeControl::Register(QWidget& widget, QRectF designTwips) {
    entries_.push_back({&widget, designTwips});
}

void ResizeControl::Apply() {
    const QSize client = window_.size();
    // A minimised window or one of no height must not give negative or undefined sizes.
    scaleX_ = std::max(0.0, client.width() * kTwipsPerPixel / designClient_.width());
    scaleY_ = std::max(0.0, client.height() * kTwipsPerPixel / designClient_.height());
    for (const Entry& entry : entries_) {
        if (!entry.widget) {
            continue;
        }
        const QRectF& d = entry.design;
        const auto px = [](double twips) {
            return static_cast<int>(std::lround(twips / kTwipsPerPixel));
        };
        entry.widget->setGeometry(px(d.left() * scaleX_), px(d.top() * scaleY_),
                                  std::max(0, px(d.width() * scaleX_)),
                                  std::max(0, px(d.height() * scaleY_)));
    }
    emit resized();
}

bool ResizeControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Resize) {
        Apply();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ui
