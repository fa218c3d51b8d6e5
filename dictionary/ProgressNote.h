// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include <QString>

namespace ui {
class Dialogs;
}

namespace dictionary {

// Shows how far a long piece of work has got, once it has run for about half a second,
// so a big dictionary does not look frozen; short work shows nothing. The note goes
// away with this object.
class ProgressNote {
public:
    // Milliseconds since the work began.
    using Clock = std::function<qint64()>;

    // format holds %1 for the count, e.g. "Reading the dictionary: %1 items read".
    // The time is measured from this call.
    ProgressNote(ui::Dialogs& dialogs, QString format);
    // As above, with the time told by elapsedMs.
    ProgressNote(ui::Dialogs& dialogs, QString format, Clock elapsedMs);
    ~ProgressNote();
    ProgressNote(const ProgressNote&) = delete;
    ProgressNote& operator=(const ProgressNote&) = delete;

    // Cheap enough to call for every item.
    void Step(long long done);

private:
    ui::Dialogs& dialogs_;
    QString format_;
    Clock elapsedMs_;
    qint64 lastShown_ = -1;
};

}  // namespace dictionary
