// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
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
    // format holds %1 for the count, e.g. "Reading the dictionary: %1 items read".
    ProgressNote(ui::Dialogs& dialogs, QString format);
    ~ProgressNote();
    ProgressNote(const ProgressNote&) = delete;
    ProgressNote& operator=(const ProgressNote&) = delete;

    // Cheap enough to call for every item.
    void Step(long long done);

private:
    ui::Dialogs& dialogs_;
    QString format_;
    QElapsedTimer clock_;
    qint64 lastShown_ = -1;
};

}  // namespace dictionary
