// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTabBar>
#include <QWidget>

#include "platform/ui/ResizeControl.h"
#include "platform/ui/TabControl.h"

namespace {

TEST(ResizeControl, placesControlsInProportionToTheClientArea) {
    QWidget window;
    QWidget child(&window);
    ui::ResizeControl resize(window, QSizeF(15240, 10845));
    resize.Register(child, QRectF(120, 840, 15080, 9975));

    window.resize(1016, 723);  // the design client size in pixels
    resize.Apply();
    EXPECT_EQ(child.geometry(), QRect(8, 56, 1005, 665));

    window.resize(2032, 723);  // twice as wide: lefts and widths double, the rest stays
    resize.Apply();
    EXPECT_EQ(child.geometry(), QRect(16, 56, 2011, 665));
    EXPECT_DOUBLE_EQ(resize.ScaleX(), 2.0);
}

TEST(ResizeControl, aWindowOfNoSizeGivesNoNegativeSizes) {
    QWidget window;
    QWidget child(&window);
    ui::ResizeControl resize(window, QSizeF(15240, 10845));
    resize.Register(child, QRectF(120, 840, 15080, 9975));
    window.resize(0, 0);
    resize.Apply();
    EXPECT_GE(child.width(), 0);
    EXPECT_GE(child.height(), 0);
}

TEST(TabControl, reportsEachChangeWithTheTabShownBefore) {
    ui::TabControl tabs;
    tabs.AddTab(QStringLiteral("zero"));
    tabs.AddTab(QStringLiteral("one"));
    tabs.AddTab(QStringLiteral("two"));
    QSignalSpy spy(&tabs, &ui::TabControl::tabChanged);

    tabs.SetTab(2);
    tabs.Bar()->setCurrentIndex(1);  // as a click on the strip does
    tabs.SetTab(1);                  // no change, no report

    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 0);
    EXPECT_EQ(spy.at(0).at(1).toInt(), 2);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 2);
    EXPECT_EQ(spy.at(1).at(1).toInt(), 1);
    EXPECT_TRUE(tabs.Page(1)->isVisibleTo(&tabs));
    EXPECT_FALSE(tabs.Page(2)->isVisibleTo(&tabs));
}

}  // namespace
