// SPDX-License-Identifier: MIT
#include "ProgressNote.h"

#include "Dialogs.h"

namespace dictionary {

namespace {
constexpr qint64 kFirstShowMs = 500;
constexpr qint64 kUpdateEveryMs = 100;
constexpr long long kCheckEvery = 256;  // items between looks at the clock
}  // namespace

ProgressNote::ProgressNote(ui::Dialogs& dialogs, QString format)
    : dialogs_(dialogs), format_(std::move(format)) {
    clock_.start();
}

ProgressNote::~ProgressNote() {
    if (lastShown_ >= 0) {
        dialogs_.EndProgress();
    }
}

void ProgressNote::Step(long long done) {
    if (done % kCheckEvery != 0) {
        return;
    }
    const qint64 now = clock_.elapsed();
    if (now < kFirstShowMs || (lastShown_ >= 0 && now - lastShown_ < kUpdateEveryMs)) {
        return;
    }
    lastShown_ = now;
    dialogs_.ShowProgress(format_.arg(done));
}

}  // namespace dictionary
