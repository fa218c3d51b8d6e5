// SPDX-License-Identifier: MIT
#include "dictionary/ProgressNote.h"

#include <utility>

#include <QElapsedTimer>

#include "platform/ui/Dialogs.h"

namespace dictionary {

namespace {
constexpr qint64 kFirstShowMs = 500;
constexpr qint64 kUpdateEveryMs = 100;
constexpr long long kCheckEvery = 256;  // items between looks at the clock

ProgressNote::Clock StartedClock() {
    QElapsedTimer timer;
    timer.start();
    return [timer] { return timer.elapsed(); };
}
}  // namespace

ProgressNote::ProgressNote(ui::Dialogs& dialogs, QString format)
    : ProgressNote(dialogs, std::move(format), StartedClock()) {}

ProgressNote::ProgressNote(ui::Dialogs& dialogs, QString format, Clock elapsedMs)
    : dialogs_(dialogs), format_(std::move(format)), elapsedMs_(std::move(elapsedMs)) {}

ProgressNote::~ProgressNote() {
    if (lastShown_ >= 0) {
        dialogs_.EndProgress();
    }
}

void ProgressNote::Step(long long done) {
    if (done % kCheckEvery != 0) {
        return;
    }
    const qint64 now = elapsedMs_();
    if (now < kFirstShowMs || (lastShown_ >= 0 && now - lastShown_ < kUpdateEveryMs)) {
        return;
    }
    lastShown_ = now;
    dialogs_.ShowProgress(format_.arg(done));
}

}  // namespace dictionary
