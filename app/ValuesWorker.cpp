// SPDX-License-Identifier: MIT
#include "app/ValuesWorker.h"

#include <QElapsedTimer>

#include "platform/mv/Session.h"

namespace app {

ValuesWorker::ValuesWorker(std::unique_ptr<mv::Session> session,
                           std::shared_ptr<const std::atomic<std::uint64_t>> newest)
    : session_(std::move(session)), newest_(std::move(newest)), records_(*session_) {}

ValuesWorker::~ValuesWorker() {
    if (session_->IsActive()) {
        session_->Disconnect();
    }
}

bool ValuesWorker::Connected(std::string& why) {
    if (!tried_) {
        tried_ = true;
        session_->Connect();
        if (session_->Error() != 0 || !session_->IsActive()) {
            connectFailure_ =
                "Values cannot be shown: a second session to the account could not "
                "be opened (code " +
                std::to_string(session_->Error()) + ")";
            if (!session_->ConnectDetail().empty()) {
                connectFailure_ += ": " + session_->ConnectDetail();
            }
            connectFailure_ += ".";
        }
    }
    why = connectFailure_;
    return connectFailure_.empty();
}

void ValuesWorker::Evaluate(const ValuesQuery& query) {
    if (query.generation != newest_->load()) {
        return;  // typing went on: a newer request is queued behind this one
    }
    QElapsedTimer timer;
    timer.start();
    std::string text;
    try {
        if (query.cacheEpoch != epoch_) {
            epoch_ = query.cacheEpoch;
            records_.Forget();
        }
        std::string why;
        std::vector<SampleRecord> records;
        const bool onServer = !session_->HostName().empty();
        ServerValues server;
        if (Connected(why)) {
            // On a server the records not read yet and the server's values travel together.
            records =
                records_.Take(query.file, query.ids, query.count, why,
                              onServer ? ItemsForServer(query) : std::vector<SavedItem>(), &server);
        }
        text = why.empty() ? ValuesText(*session_, query, records, onServer, server) : why + "\n";
    } catch (const std::exception& failure) {
        // Nothing may unwind through the event loop; the pane shows what went wrong.
        text = std::string("The values could not be worked out: ") + failure.what() + "\n";
    }
    emit evaluated(query.generation,
                   QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())),
                   timer.elapsed());
}

}  // namespace app
