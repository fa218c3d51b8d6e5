// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include <QDockWidget>
#include <QThread>

#include "app/SampleValues.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
struct Variables;

namespace dictionary {
struct OpenDictionary;
}
namespace grid {
class DataGrid;
}

namespace app {

class ValuesWorker;

// The values pane: the values of the current row's item on sample records of the file's
// data, beside the grids. It follows the grid in front as the item detail does, and sends
// every change (another row, a keystroke in a cell, the ids or the count) to a worker
// thread with a generation number; the newest answer is shown, older ones are dropped.
// The worker and its session start when the pane is first shown on an open dictionary.
class ValuesPane : public QDockWidget {
    Q_OBJECT
public:
    ValuesPane(Variables& vars, const dictionary::OpenDictionary& open,
               const std::array<grid::DataGrid*, 4>& grids, QWidget* parent);
    ~ValuesPane() override;

    // Asks for the values of the current row of the grid in front, when the pane is shown.
    void Follow();
    // Records read before are read again (a refresh).
    void ForgetRecords();
    // The widget that takes the focus when the user moves into the pane.
    QWidget* FocusTarget() const;
    // The generation of the text shown, and the time its evaluation took (for tests).
    std::uint64_t ShownGeneration() const { return shownGeneration_; }
    std::uint64_t NewestGeneration() const { return newest_->load(); }
    qint64 LastElapsedMs() const { return lastElapsedMs_; }

private:
    void BuildControls();
    void ConnectGrids();
    void FollowEditor(grid::DataGrid* grid);
    // Starts the worker for the session of the run, again after another login.
    bool StartWorker();
    void StopWorker();
    void Show(quint64 generation, const QString& text, qint64 elapsedMs);
    const grid::DataGrid* GridInFront() const;
    // Where values.ini keeps a setting (ids, count) of the open file of this account.
    QString FileKey(const QString& setting) const;
    // The ids and the count kept for the open file, into the boxes.
    void LoadIds();
    void SaveIds();
    void SaveCount();
    std::shared_ptr<const ItemSnapshot> Snapshot();

    Variables& vars_;
    const dictionary::OpenDictionary& open_;
    std::array<grid::DataGrid*, 4> grids_;
    QLineEdit* txtValueIds = nullptr;
    QComboBox* cmbValueCount = nullptr;
    QPlainTextEdit* lstValues = nullptr;

    QThread thread_;
    ValuesWorker* worker_ = nullptr;  // lives on thread_; deleted after it ends
    std::string workerAccount_;       // host, account and user the worker's session logs in to
    std::shared_ptr<std::atomic<std::uint64_t>> newest_ =
        std::make_shared<std::atomic<std::uint64_t>>(0);
    std::uint64_t shownGeneration_ = 0;
    std::uint64_t cacheEpoch_ = 0;
    qint64 lastElapsedMs_ = 0;
    bool sized_ = false;  // given its first height, after which the user's sizing stays
    QString idsFile_;     // the file whose ids the box holds
    // The dictionary's items as last read, made again when they change.
    std::shared_ptr<const ItemSnapshot> snapshot_;
    const void* snapshotViews_ = nullptr;
    QString snapshotFile_;
    unsigned long long snapshotChanges_ = 0;
};

}  // namespace app
