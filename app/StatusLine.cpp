// SPDX-License-Identifier: MIT
#include "app/StatusLine.h"

#include <algorithm>

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QStatusBar>

namespace app {
namespace {

// The bar draws its message from this far in, and stops this far short of the label.
constexpr int kMessageLeft = 6;
constexpr int kMessageGap = 8;

}  // namespace

StatusLine::StatusLine(QStatusBar& bar) : QObject(&bar), bar_(bar), label_(new QLabel(&bar)) {
    label_->setObjectName(QStringLiteral("lblOpenDictionary"));
    bar_.addPermanentWidget(label_);
    bar_.installEventFilter(this);
    // A message that times out gives the label its room back.
    connect(&bar_, &QStatusBar::messageChanged, this, [this](const QString& shown) {
        if (shown.isEmpty() && !message_.isEmpty()) {
            message_.clear();
            Fit();
        }
    });
}

void StatusLine::ShowMessage(const QString& message, int shownMs) {
    message_ = message;
    if (message.isEmpty()) {
        bar_.clearMessage();
        Fit();
        return;
    }
    // Measured with the label at its narrowest: a message that even then does not fit
    // is elided rather than cut at the label.
    label_->clear();
    const int room = LabelRight() - kMessageLeft - kMessageGap;
    const QString shown = bar_.fontMetrics().elidedText(message, Qt::ElideRight, room);
    bar_.setToolTip(shown == message ? QString() : message);
    bar_.showMessage(shown, shownMs);
    Fit();
}

void StatusLine::SetCaption(const QString& caption) {
    caption_ = caption;
    Fit();
}

bool StatusLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &bar_ && event->type() == QEvent::Resize) {
        Fit();
    }
    return QObject::eventFilter(watched, event);
}

int StatusLine::LabelRight() {
    const QString text = label_->text();
    label_->clear();
    if (bar_.layout() != nullptr) {
        bar_.layout()->activate();
    }
    const int right = label_->geometry().right() + 1;
    label_->setText(text);
    return right;
}

void StatusLine::Fit() {
    const QString message = bar_.currentMessage();
    QString shown = caption_;
    if (!message.isEmpty()) {
        const int used = kMessageLeft + bar_.fontMetrics().horizontalAdvance(message) + kMessageGap;
        const int room = std::max(0, LabelRight() - used);
        if (label_->fontMetrics().horizontalAdvance(caption_) > room) {
            shown = label_->fontMetrics().elidedText(caption_, Qt::ElideMiddle, room);
        }
    }
    label_->setText(shown);
    label_->setToolTip(shown == caption_ ? QString() : caption_);
    if (message.isEmpty()) {
        bar_.setToolTip(QString());
    }
}

}  // namespace app
