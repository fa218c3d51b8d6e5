// SPDX-License-Identifier: MIT
#include "platform/ui/TabControl.h"

#include <algorithm>

#include <QApplication>
#include <QResizeEvent>
#include <QShortcut>
#include <QTabBar>

namespace ui {

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
    bar_->setObjectName(QStringLiteral("tabBar"));
    bar_->setExpanding(false);
    bar_->setDrawBase(true);
    connect(bar_, &QTabBar::currentChanged, this, [this](int index) { ShowPage(index); });
    // A control on a page (a grid) would take these keys for itself; as shortcuts of the
    // whole control they come first. Shift+Tab arrives as Backtab.
    const std::pair<QKeyCombination, int> keys[] = {
        {Qt::CTRL | Qt::Key_Tab, 1},
        {Qt::CTRL | Qt::Key_PageDown, 1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1},
        {Qt::CTRL | Qt::Key_PageUp, -1},
    };
    for (const auto& [key, step] : keys) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { StepTab(step); });
    }
}

void TabControl::StepTab(int step) {
    if (TabCount() == 0) {
        return;
    }
    const QWidget* old = Page(current_);
    const bool focusOnPage = old != nullptr && old->isAncestorOf(QApplication::focusWidget());
    SetTab((std::max(current_, 0) + step + TabCount()) % TabCount());
    if (!focusOnPage) {
        return;
    }
    // The first control of the page that takes the focus by Tab: its grid.
    for (QWidget* control : Page(current_)->findChildren<QWidget*>()) {
        if (control->isVisible() && control->isEnabled() &&
            (control->focusPolicy() & Qt::TabFocus) != 0) {
            control->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

QWidget* TabControl::AddTab(const QString& caption) {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("page%1").arg(pages_.size()));
    page->setGeometry(rect());
    page->hide();
    pages_.push_back(page);
    bar_->addTab(caption);  // the first tab added becomes current and shows its page
    bar_->raise();
    return page;
}

QString TabControl::Caption(int index) const {
    return bar_->tabText(index);
}

void TabControl::SetCaption(int index, const QString& caption) {
    bar_->setTabText(index, caption);
}

int TabControl::Tab() const {
    return current_;
}

void TabControl::SetTab(int index) {
    bar_->setCurrentIndex(index);
}

QWidget* TabControl::Page(int index) const {
    return index >= 0 && index < TabCount() ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

void TabControl::ShowPage(int index) {
    const int previous = current_;
    if (index == previous || index < 0 || index >= TabCount()) {
        return;
    }
    current_ = index;
    if (QWidget* old = Page(previous)) {
        old->hide();
    }
    pages_[static_cast<std::size_t>(index)]->show();
    bar_->raise();
    emit tabChanged(previous, index);
}

void TabControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QWidget* page : pages_) {
        page->setGeometry(rect());
    }
    PlaceBar();
}

void TabControl::ReserveStripEnd(int pixels) {
    reservedEnd_ = std::max(0, pixels);
    PlaceBar();
}

void TabControl::PlaceBar() {
    bar_->setGeometry(0, 0, std::max(0, width() - reservedEnd_), bar_->sizeHint().height());
}

}  // namespace ui
