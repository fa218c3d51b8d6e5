// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <vector>

class QTabBar;

namespace ui {

// A tab control whose pages all cover the control's whole area, tab strip included, so
// controls on a page are placed in the control's own coordinates, as a form designer
// lays them out; the strip stays on top. Each change of the tab in front is reported
// together with the tab shown before it. Ctrl+Tab and Ctrl+PgDn show the next tab,
// Ctrl+Shift+Tab and Ctrl+PgUp the one before, from any control on the pages.
class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    // Adds a tab and returns its page, on which the caller puts the tab's controls.
    QWidget* AddTab(const QString& caption);

    QString Caption(int index) const;
    void SetCaption(int index, const QString& caption);

    int Tab() const;
    void SetTab(int index);
    int TabCount() const { return static_cast<int>(pages_.size()); }
    QWidget* Page(int index) const;
    QTabBar* Bar() const { return bar_; }
    // Keeps the last `pixels` of the tab strip free for a control placed there; the tabs
    // scroll where the rest of the strip is too narrow for them.
    void ReserveStripEnd(int pixels);

signals:
    void tabChanged(int previousTab, int currentTab);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowPage(int index);
    // Shows the tab `step` places on, round the ends; the focus follows to the new page
    // when it was on the old one.
    void StepTab(int step);
    void PlaceBar();

    QTabBar* bar_;
    std::vector<QWidget*> pages_;
    int current_ = -1;
    int reservedEnd_ = 0;
};

}  // namespace ui
