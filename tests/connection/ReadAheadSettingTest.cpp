// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "connection/ReadAheadSetting.h"
#include "platform/mv/RemoteBackend.h"
#include "tests/connection/ConnectionFixture.h"

namespace {

class ReadAheadFile : public ConnectionTest {};

TEST_F(ReadAheadFile, aWholeNumberFromOneUpIsTheWindowAndAnythingElseTheDefault) {
    const int fallback = mv::RemoteLogin::kDefaultReadAhead;
    EXPECT_EQ(ReadAheadSetting::FromSettings(programDir.path()), fallback);

    writeSettings("[LOGIN]\nreadahead = \"1\"\n");
    EXPECT_EQ(ReadAheadSetting::FromSettings(programDir.path()), 1);
    writeSettings("[login]\nReadAhead=4096\n");
    EXPECT_EQ(ReadAheadSetting::FromSettings(programDir.path()), 4096);
    for (const char* bad : {"0", "-5", "4097", "lots", "12 items", ""}) {
        writeSettings(QByteArray("[login]\nReadAhead=") + bad + "\n");
        EXPECT_EQ(ReadAheadSetting::FromSettings(programDir.path()), fallback) << bad;
    }
}

}  // namespace
