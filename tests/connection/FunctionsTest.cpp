// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "connection/Functions.h"
#include "tests/connection/ConnectionFixture.h"

TEST(ErrorClassText, namesTheRangeAtEveryBoundary) {
    const std::pair<int, const char*> cases[] = {
        {-5, ""},
        {0, ""},
        {9999, ""},
        {10000, "INFORMATION Error"},
        {10999, "INFORMATION Error"},
        {11000, "Error in library routine call"},
        {13999, "Error in library routine call"},
        {14000, "Error in C library on PC"},
        {14559, "Error in C library on PC"},
        {14560, "Error in virtual socket libraries"},
        {29999, "Error in virtual socket libraries"},
        {30000, "Generic and Visible File System Error"},
        {30999, "Generic and Visible File System Error"},
        {31000, "File OPEN Error"},
        {31099, "File OPEN Error"},
        {31100, "CLEARFILE Error"},
        {31101, "File OPEN Error"},
        {31199, "File OPEN Error"},
        {31200, "Error in client library, ICI"},
        {38999, "Error in client library, ICI"},
        {39000, "interCALL Server Error"},
        {39099, "interCALL Server Error"},
        {39100, "Client/Server Interface Error"},
        {39999, "Client/Server Interface Error"},
        {40000, "OLE Automation Error"},
        {79999, "OLE Automation Error"},
        {80000, "UNIRPC Error"},
        {2147483647, "UNIRPC Error"},
    };
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(ErrorClassText(code), QLatin1String(text)) << code;
    }
}

namespace {

class ShowServerError : public ConnectionTest {
protected:
    void SetUp() override { loadShippedErrorTable(); }

    ScriptedDialogs::Shown show(int code, const QString& fileName, const QString& recordId) {
        dialogs.clear();
        dialogs.QueueAnswer(ui::Answer::OK);
        Show_ServerError(vars, code, fileName, recordId);
        EXPECT_EQ(dialogs.shown().size(), 1u);
        return dialogs.shown().empty() ? ScriptedDialogs::Shown{} : dialogs.shown().front();
    }
};

TEST_F(ShowServerError, showsNameFileAndRecordInOneCriticalBox) {
    const QString name = *ErrorName(vars, 30001);

    const auto box = show(30001, QStringLiteral("CUSTOMERS"), QStringLiteral("NAME"));
    EXPECT_EQ(box.kind, ScriptedDialogs::Kind::MsgBox);
    EXPECT_EQ(box.prompt, name + " -->File: CUSTOMERS -->Record: NAME");
    EXPECT_EQ(box.buttons, ui::Buttons::OK);
    EXPECT_EQ(box.icon, ui::Icon::Critical);
    EXPECT_EQ(box.title, QStringLiteral("Generic and Visible File System Error"));

    EXPECT_EQ(show(30001, QStringLiteral("CUSTOMERS"), QString()).prompt,
              name + " -->File: CUSTOMERS");
    EXPECT_EQ(show(30001, QString(), QStringLiteral("NAME")).prompt, name);
}

TEST_F(ShowServerError, unknownCodeIsUnidentifiedUnderItsClass) {
    const auto box = show(31100, QStringLiteral("F"), QString());
    EXPECT_EQ(box.prompt, QStringLiteral("Unidentified Error -->File: F"));
    EXPECT_EQ(box.title, QStringLiteral("CLEARFILE Error"));

    const auto negative = show(-5, QString(), QString());
    EXPECT_EQ(negative.prompt, QStringLiteral("Unidentified Error"));
    EXPECT_EQ(negative.title, QString());
    EXPECT_EQ(negative.icon, ui::Icon::Critical);
}

}  // namespace

TEST_F(ConnectionTest, shippedConstantsFileNamesTheEngineCodes) {
    loadShippedErrorTable();
    for (const int code : {30001, 39101, 81001}) {
        const std::optional<QString> name = ErrorName(vars, code);
        ASSERT_TRUE(name.has_value()) << code;
        EXPECT_FALSE(name->trimmed().isEmpty()) << code;
    }
}

TEST_F(ConnectionTest, missingConstantsFileIsReported) {
    EXPECT_FALSE(Load_ErrorTable(vars));
    EXPECT_EQ(ErrorTablePath(vars), programDir.path() + QStringLiteral("/Uvoaif.txt"));
}
