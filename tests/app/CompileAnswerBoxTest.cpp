// SPDX-License-Identifier: MIT
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTest>

#include "connection/TextBridge.h"
#include "platform/mv/Session.h"
#include "tests/editing/EditingFixture.h"
#include "tests/support/MainWindowFixture.h"

namespace {

using ui::Answer;

// The main window's box for the compiler's answer, after a save that compiles.
class CompileAnswer : public EditingFixtureOn<MainWindowFixture>,
                      public ::testing::WithParamInterface<const char*> {
protected:
    QString lastCommand() const { return TextBridge::ToText(vars.session->Command().Text()); }
};

TEST_P(CompileAnswer, isShownWholeAsLinesInTheFixedWidthResultBox) {
    openOrders();
    type(kDIV, rowOf(kDIV, "TOTAL"), {{2, QString::fromLatin1(GetParam())}});
    answer({Answer::Yes, Answer::OK, Answer::Yes});

    leaveRow(kDIV);

    EXPECT_EQ(lastCommand(), QStringLiteral("CD ORDERS TOTAL"));
    ASSERT_EQ(vars.session->Command().Error(), 0) << "the engine runs CD";
    auto& result = control<QPlainTextEdit>("txtResult");
    const QString response = TextBridge::ToText(vars.session->Command().Response());
    EXPECT_TRUE(response.startsWith(QStringLiteral("TOTAL: "))) << response.toStdString();
    EXPECT_EQ(result.toPlainText(), response);
    EXPECT_EQ(result.blockCount(), response.count(QLatin1Char('\n')) + 1);  // shown as lines
    EXPECT_FALSE(result.isHidden());
    EXPECT_TRUE(result.isReadOnly());
    EXPECT_EQ(result.lineWrapMode(), QPlainTextEdit::NoWrap);
    // Every character takes the same width, so the answer's columns and its marker of the
    // place of an error line up (whether or not the font database calls it fixed-pitch).
    const QFontMetrics metrics(result.font());
    for (const QChar c : QStringLiteral("W.i^ M")) {
        EXPECT_EQ(metrics.horizontalAdvance(c), metrics.horizontalAdvance(QLatin1Char('x')))
            << c.toLatin1();
    }
    EXPECT_EQ(boxes().size(), 3u);  // no error box after the question
}

INSTANTIATE_TEST_SUITE_P(Formulas, CompileAnswer,
                         ::testing::Values("QTY * PRICE * 2", "QTY * (PRICE"),
                         [](const auto& test) {
                             return std::string(test.index == 0 ? "compiles" : "isRefused");
                         });

class CompileAnswerClick : public EditingFixtureOn<MainWindowFixture> {};

TEST_F(CompileAnswerClick, aClickOnTheAnswerEmptiesAndHidesIt) {
    openOrders();
    auto& result = control<QPlainTextEdit>("txtResult");
    window->ShowCompileAnswer(QStringLiteral("Compiled TOTAL"));
    ASSERT_TRUE(result.isVisible());

    QTest::mouseClick(result.viewport(), Qt::LeftButton);

    EXPECT_EQ(result.toPlainText(), QString());
    EXPECT_FALSE(result.isVisible());
}

}  // namespace
