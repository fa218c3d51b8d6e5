// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "connection/TextBridge.h"
#include "tests/support/QtPrinters.h"

TEST(TextBridge, everyByteSurvivesTheTripThroughText) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes += static_cast<char>(b);
    }
    const QString text = TextBridge::ToText(bytes);
    ASSERT_EQ(text.size(), 256);  // the NUL byte too: the size is explicit
    EXPECT_EQ(text[0xFE], QChar(0xFE));
    EXPECT_TRUE(TextBridge::IsLatin1(text));
    EXPECT_EQ(TextBridge::ToBytes(text), bytes);
}

TEST(TextBridge, textBeyondLatin1IsRecognised) {
    EXPECT_TRUE(TextBridge::IsLatin1(QString()));
    EXPECT_TRUE(TextBridge::IsLatin1(QStringLiteral("Gr\u00FC\u00DFe \u00FF")));
    EXPECT_FALSE(TextBridge::IsLatin1(QStringLiteral("price \u20AC")));
    EXPECT_FALSE(TextBridge::IsLatin1(QStringLiteral("\u0100")));
}
