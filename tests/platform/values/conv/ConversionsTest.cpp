// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/mv/values/Conversions.h"

namespace mv::values {
namespace {

TEST(Conversions, FirstCodes) {
    EXPECT_EQ(Oconv("0", "D").value, "31 DEC 1967");
    EXPECT_EQ(Oconv("0", "D2/").value, "12/31/67");
    EXPECT_EQ(Oconv("12345", "MD2").value, "123.45");
    EXPECT_EQ(Oconv("46800", "MTH").value, "01:00PM");
    EXPECT_EQ(Iconv("12/31/67", "D2/").value, "0");
    EXPECT_EQ(Oconv("X", "QQQ").note, "not converted: QQQ");
}

}  // namespace
}  // namespace mv::values
