// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include <QObject>
#include <QString>

#include "app/SampleRecords.h"
#include "app/SampleValues.h"

namespace mv {
class Session;
}

namespace app {

// Works out the values pane's text on a thread of its own, with a session of its own to
// the same account, so the screen's thread never waits for reads or evaluation and its
// session is never touched from here. Made on the screen's thread, then moved to the
// worker thread, where Evaluate runs (queued) and the session is connected, used and
// ended. `newest` is the generation of the newest request: older ones still queued are
// skipped, so the newest typing wins.
class ValuesWorker : public QObject {
    Q_OBJECT
public:
    ValuesWorker(std::unique_ptr<mv::Session> session,
                 std::shared_ptr<const std::atomic<std::uint64_t>> newest);
    ~ValuesWorker() override;

    void Evaluate(const ValuesQuery& query);

signals:
    // The text for the request of that generation, and how long it took.
    void evaluated(quint64 generation, const QString& text, qint64 elapsedMs);

private:
    bool Connected(std::string& why);

    std::unique_ptr<mv::Session> session_;
    std::shared_ptr<const std::atomic<std::uint64_t>> newest_;
    SampleRecords records_;
    bool tried_ = false;
    std::string connectFailure_;
    std::uint64_t epoch_ = 0;
};

}  // namespace app
