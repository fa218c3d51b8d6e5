// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>

// Widget tests drive real widgets, so one QApplication lives for the whole run.
// CTest sets QT_QPA_PLATFORM=offscreen; the default here covers running a test by hand.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
