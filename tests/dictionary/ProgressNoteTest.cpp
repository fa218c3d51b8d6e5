// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include <QString>

#include "dictionary/ProgressNote.h"
#include "tests/support/ScriptedDialogs.h"

using dictionary::ProgressNote;

namespace {

const QString kFormat = QStringLiteral("Reading the dictionary: %1 items read");

QString NoteAt(long long done) {
    return kFormat.arg(done);
}

// A clock the test sets by hand, counting how often it is read.
struct HandClock {
    qint64 now = 0;
    int reads = 0;
    ProgressNote::Clock Reader() {
        return [this] {
            ++reads;
            return now;
        };
    }
};

void StepThrough(ProgressNote& note, long long from, long long to) {
    for (long long done = from; done <= to; ++done) {
        note.Step(done);
    }
}

TEST(ProgressNote, ShortWorkShowsNothingAndTakesNothingAway) {
    ScriptedDialogs dialogs;
    HandClock clock;
    {
        ProgressNote note(dialogs, kFormat, clock.Reader());
        clock.now = 499;
        StepThrough(note, 1, 2048);
    }
    EXPECT_TRUE(dialogs.progress().empty());
    EXPECT_FALSE(dialogs.progressEnded());
    // Called for every item, it must not ask the time for every item.
    EXPECT_GT(clock.reads, 0);
    EXPECT_LE(clock.reads, 2048 / 100);
}

TEST(ProgressNote, ShowsAfterHalfASecondUpdatesSparinglyAndGoesAtTheEnd) {
    ScriptedDialogs dialogs;
    HandClock clock;
    {
        ProgressNote note(dialogs, kFormat, clock.Reader());
        StepThrough(note, 1, 300);
        clock.now = 500;
        StepThrough(note, 301, 600);
        ASSERT_EQ(dialogs.progress(), std::vector<QString>{NoteAt(512)});

        // Within a tenth of a second of the last showing, the note stays as it is.
        StepThrough(note, 601, 2000);
        clock.now = 599;
        StepThrough(note, 2001, 3000);
        EXPECT_EQ(dialogs.progress().size(), 1u);

        clock.now = 600;
        StepThrough(note, 3001, 3100);
        clock.now = 650;
        StepThrough(note, 3101, 3400);
        clock.now = 5000;
        StepThrough(note, 3401, 3600);
        EXPECT_EQ(dialogs.progress(),
                  (std::vector<QString>{NoteAt(512), NoteAt(3072), NoteAt(3584)}));
        EXPECT_FALSE(dialogs.progressEnded());
    }
    EXPECT_TRUE(dialogs.progressEnded());
    EXPECT_EQ(dialogs.progress().size(), 3u);
}

TEST(ProgressNote, TheDefaultClockShowsNothingForQuickWork) {
    ScriptedDialogs dialogs;
    {
        ProgressNote note(dialogs, kFormat);
        StepThrough(note, 1, 1024);
    }
    EXPECT_TRUE(dialogs.progress().empty());
    EXPECT_FALSE(dialogs.progressEnded());
}

}  // namespace
