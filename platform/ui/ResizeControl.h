// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <vector>

class QWidget;

namespace ui {

// Keeps a window's controls in proportion to its client area, as a form designer's
// resize control does: each registered widget has a design rectangle in twips (15 to a
// pixel) within its container, and every resize of the window places it at
// design × (client size ÷ design client size). Widgets in nested containers scale by the
// same two factors, so registering them with their design rectangles is enough.
class ResizeControl : public QObject {
    Q_OBJECT
public:
    static constexpr double kTwipsPerPixel = 15.0;

    // Watches `window` for resizes; designClient is its client size at design time.
    ResizeControl(QWidget& window, QSizeF designClientTwips);

    void Register(QWidget& widget, QRectF designTwips);

    // Places every registered widget for the window's current client size.
    void Apply();

    // The factors of the last Apply: client width ÷ design width, and height likewise.
    double ScaleX() const { return scaleX_; }
    double ScaleY() const { return scaleY_; }

signals:
    // After the controls were placed for a new size.
    void resized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QPointer<QWidget> widget;
        QRectF design;
    };

    QWidget& window_;
    QSizeF designClient_;
    std::vector<Entry> entries_;
    double scaleX_ = 1.0;
    double scaleY_ = 1.0;
};

}  // namespace ui
