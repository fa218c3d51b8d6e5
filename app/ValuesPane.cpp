// SPDX-License-Identifier: MIT
#include "app/ValuesPane.h"

#include <algorithm>
#include <optional>

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalBlocker>
#include <QUrl>
#include <QVBoxLayout>

#include "app/AnswerFont.h"
#include "app/ValuesWorker.h"
#include "connection/SessionLimits.h"
#include "connection/TextBridge.h"
#include "connection/TlsSettings.h"
#include "connection/UserConfig.h"
#include "connection/Variables.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"
#include "platform/grid/RowArrayModel.h"

namespace app {

namespace {

constexpr char kFieldMark = '\xFE';

struct RowItem {
    std::string id;
    std::string record;
    bool typed = false;
};

std::vector<std::string> FieldsOf(const std::string& record) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = record.find(kFieldMark, start);
        fields.push_back(record.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) {
            return fields;
        }
        start = end + 1;
    }
}

// The item on the grid's current row: as read, or on a row being edited with the fields
// of the grid's columns as typed, the cell whose editor is open included.
std::optional<RowItem> ItemOnRow(const dictionary::OpenDictionary& open, const grid::DataGrid& grid,
                                 const QLineEdit* editor) {
    const int row = grid.CurrentRow();
    const grid::RowArrayModel& model = *grid.Model();
    if (!open.IsOpen() || row < 0 || !model.Array()) {
        return std::nullopt;
    }
    const bool pending = model.HasPendingRow() && model.PendingRow() == row;
    const bool newRow = row == model.NewRowLine();
    if (newRow && !pending && editor == nullptr) {
        return std::nullopt;
    }
    const std::string savedId =
        newRow ? std::string()
               : TextBridge::ToBytes(model.Array()->Cell(row, dictionary::kIdColumn));
    const std::string* asRead = newRow ? nullptr : open.views->Records().Find(savedId);
    if (!pending && editor == nullptr && asRead != nullptr) {
        return RowItem{savedId, *asRead, false};
    }
    std::vector<std::string> fields =
        asRead != nullptr ? FieldsOf(*asRead) : std::vector<std::string>{};
    const int lastColumn = static_cast<int>(grid.ColumnCaptions().size()) - 1;
    if (static_cast<int>(fields.size()) < lastColumn) {
        fields.resize(static_cast<std::size_t>(lastColumn));
    }
    const auto cell = [&](int column) {
        return editor != nullptr && column == grid.Col() ? editor->text()
                                                         : model.CellText(row, column);
    };
    for (int n = 1; n <= lastColumn; ++n) {
        fields[static_cast<std::size_t>(n - 1)] = TextBridge::ToBytes(cell(n));
    }
    std::string record;
    for (std::size_t f = 0; f < fields.size(); ++f) {
        record += (f == 0 ? "" : std::string(1, kFieldMark)) + fields[f];
    }
    while (!record.empty() && record.back() == kFieldMark) {
        record.pop_back();
    }
    std::string id = TextBridge::ToBytes(cell(dictionary::kIdColumn));
    if (id.empty()) {
        id = newRow ? "(new item)" : savedId;
    }
    const bool typed = asRead == nullptr || *asRead != record || id != savedId;
    return RowItem{id, record, typed};
}

std::vector<std::string> IdsIn(const QString& text) {
    std::vector<std::string> ids;
    for (const QString& id :
         text.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts)) {
        ids.push_back(TextBridge::ToBytes(id));
    }
    return ids;
}

QString Encoded(const QString& text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

}  // namespace

ValuesPane::ValuesPane(Variables& vars, const dictionary::OpenDictionary& open,
                       const std::array<grid::DataGrid*, 4>& grids, QWidget* parent)
    : QDockWidget(QStringLiteral("Values"), parent), vars_(vars), open_(open), grids_(grids) {
    setObjectName(QStringLiteral("fraValues"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    BuildControls();
    ConnectGrids();
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (!shown) {
            return;
        }
        // Opened the first time at a quarter of the window's height, so the grids keep
        // most of a small screen; the user may drag it taller.
        auto* window = qobject_cast<QMainWindow*>(parentWidget());
        if (!sized_ && window != nullptr && !isFloating()) {
            sized_ = true;
            window->resizeDocks({this}, {window->height() / 4}, Qt::Vertical);
        }
        Follow();
    });
}

ValuesPane::~ValuesPane() {
    StopWorker();
}

void ValuesPane::BuildControls() {
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* strip = new QHBoxLayout;
    auto* idsLabel = new QLabel(QStringLiteral("&Ids:"), body);
    txtValueIds = new QLineEdit(body);
    txtValueIds->setObjectName(QStringLiteral("txtValueIds"));
    txtValueIds->setPlaceholderText(QStringLiteral("the first records"));
    txtValueIds->setToolTip(QStringLiteral("Ids of the records to show, separated by blanks"));
    idsLabel->setBuddy(txtValueIds);
    cmbValueCount = new QComboBox(body);
    cmbValueCount->setObjectName(QStringLiteral("cmbValueCount"));
    cmbValueCount->addItems({QStringLiteral("10"), QStringLiteral("25"), QStringLiteral("100")});
    cmbValueCount->setToolTip(QStringLiteral("How many of the first records to show"));
    strip->addWidget(idsLabel);
    strip->addWidget(txtValueIds, 1);
    strip->addWidget(cmbValueCount);
    lstValues = new QPlainTextEdit(body);
    lstValues->setObjectName(QStringLiteral("lstValues"));
    lstValues->setReadOnly(true);  // still selectable and copyable
    lstValues->setTabChangesFocus(true);
    lstValues->setFont(AnswerFont());
    lstValues->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(lstValues, 1);
    layout->addLayout(strip);
    setWidget(body);
    setTabOrder(lstValues, txtValueIds);
    setTabOrder(txtValueIds, cmbValueCount);

    connect(txtValueIds, &QLineEdit::textChanged, this, [this] { Follow(); });
    connect(txtValueIds, &QLineEdit::editingFinished, this, [this] { SaveIds(); });
    connect(cmbValueCount, &QComboBox::currentIndexChanged, this, [this] {
        SaveCount();
        Follow();
    });
}

QWidget* ValuesPane::FocusTarget() const {
    return lstValues;
}

void ValuesPane::ConnectGrids() {
    for (grid::DataGrid* grid : grids_) {
        const auto follow = [this, grid] {
            if (grid == GridInFront()) {
                Follow();
            }
        };
        connect(grid, &grid::DataGrid::currentRowChanged, this, follow);
        connect(grid, &grid::DataGrid::afterSave, this, follow);
        connect(grid, &grid::DataGrid::afterDelete, this, follow);
        connect(grid, &grid::DataGrid::editorClosed, this, follow);
        // The cell's editor holds the typing until it closes: follow its text key by key.
        connect(grid, &grid::DataGrid::typingStarted, this, [this, grid] { FollowEditor(grid); });
        const grid::RowArrayModel* model = grid->Model();
        connect(model, &QAbstractItemModel::dataChanged, this, follow);
        connect(model, &QAbstractItemModel::modelReset, this, follow);
        connect(model, &QAbstractItemModel::rowsInserted, this, follow);
        connect(model, &QAbstractItemModel::rowsRemoved, this, follow);
    }
}

void ValuesPane::FollowEditor(grid::DataGrid* grid) {
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (editor != nullptr && grid->isAncestorOf(editor)) {
        connect(editor, &QLineEdit::textChanged, this, &ValuesPane::Follow, Qt::UniqueConnection);
    }
    Follow();
}

const grid::DataGrid* ValuesPane::GridInFront() const {
    for (const grid::DataGrid* grid : grids_) {
        if (grid->isVisibleTo(grid->window())) {
            return grid;
        }
    }
    return nullptr;
}

std::shared_ptr<const ItemSnapshot> ValuesPane::Snapshot() {
    const dictionary::RecordsAsRead& records = open_.views->Records();
    if (!snapshot_ || snapshotViews_ != open_.views.get() || snapshotFile_ != open_.name ||
        snapshotChanges_ != records.Changes()) {
        auto items = std::make_shared<ItemSnapshot>();
        items->reserve(records.Count());
        records.ForEach([&items](const std::string& id, const std::string& record) {
            items->emplace(id, record);
        });
        snapshot_ = std::move(items);
        snapshotViews_ = open_.views.get();
        snapshotFile_ = open_.name;
        snapshotChanges_ = records.Changes();
    }
    return snapshot_;
}

void ValuesPane::Follow() {
    if (!isVisible()) {
        return;
    }
    const std::uint64_t generation = ++*newest_;
    const auto showNow = [this, generation](const QString& text) { Show(generation, text, 0); };
    if (!open_.IsOpen()) {
        showNow(QStringLiteral("Open a dictionary to see the values of its items."));
        return;
    }
    if (idsFile_ != open_.name) {
        LoadIds();
    }
    const grid::DataGrid* grid = GridInFront();
    const auto* editor = qobject_cast<const QLineEdit*>(QApplication::focusWidget());
    if (editor != nullptr && (grid == nullptr || !grid->isAncestorOf(editor))) {
        editor = nullptr;
    }
    const std::optional<RowItem> item =
        grid == nullptr ? std::nullopt : ItemOnRow(open_, *grid, editor);
    if (!item) {
        showNow(QStringLiteral("No item on this row."));
        return;
    }
    if (!StartWorker()) {
        return;
    }
    ValuesQuery query;
    query.generation = generation;
    query.cacheEpoch = cacheEpoch_;
    query.file = TextBridge::ToBytes(open_.name);
    query.items = Snapshot();
    query.item = item->id;
    query.record = item->record;
    query.typed = item->typed;
    query.ids = IdsIn(txtValueIds->text());
    query.count = cmbValueCount->currentText().toULong();
    ValuesWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker, [worker, query] { worker->Evaluate(query); }, Qt::QueuedConnection);
}

void ValuesPane::ForgetRecords() {
    ++cacheEpoch_;
    Follow();
}

void ValuesPane::StopWorker() {
    thread_.quit();
    thread_.wait();
    delete worker_;  // its thread has ended: nothing else touches it now
    worker_ = nullptr;
}

bool ValuesPane::StartWorker() {
    if (!vars_.session) {
        return false;
    }
    const mv::Session& program = *vars_.session;
    const std::string account =
        program.HostName() + '\n' + program.AccountPath() + '\n' + program.UserName();
    if (worker_ != nullptr && workerAccount_ == account) {
        return true;
    }
    // Another login since: the values come from the account logged in to now.
    StopWorker();
    workerAccount_ = account;
    // The second session logs in as the program's session did; it only reads.
    std::unique_ptr<mv::Session> session = vars_.sessionFactory();
    session->SetUserName(program.UserName());
    session->SetPassword(program.Password());
    session->SetAccountPath(program.AccountPath());
    session->SetHostName(program.HostName());
    session->SetDatabaseType(program.DatabaseType());
    session->SetSweepTemporaryFiles(false);
    SessionLimits::FromSettings(vars_.programFolder).ApplyTo(*session);
    ApplyTlsSettings(vars_.programFolder, *session);
    worker_ = new ValuesWorker(std::move(session), newest_);
    worker_->moveToThread(&thread_);
    connect(worker_, &ValuesWorker::evaluated, this, &ValuesPane::Show, Qt::QueuedConnection);
    thread_.setObjectName(QStringLiteral("values"));
    thread_.start();
    return true;
}

void ValuesPane::Show(quint64 generation, const QString& text, qint64 elapsedMs) {
    if (generation != newest_->load()) {
        return;  // an answer to typing that has gone on since
    }
    shownGeneration_ = generation;
    lastElapsedMs_ = elapsedMs;
    if (lstValues->toPlainText() != text) {
        lstValues->setPlainText(text);
    }
}

QString ValuesPane::FileKey(const QString& setting) const {
    const mv::Session* session = vars_.session.get();
    const QString account =
        session == nullptr
            ? QString()
            : TextBridge::ToText(session->HostName().empty()
                                     ? session->AccountPath()
                                     : session->HostName() + ":" + session->AccountPath());
    return setting + QLatin1Char('/') + Encoded(account) + QLatin1Char('/') + Encoded(open_.name);
}

void ValuesPane::LoadIds() {
    idsFile_ = open_.name;
    const QSettings settings(UserConfigFile(QStringLiteral("values.ini")), QSettings::IniFormat);
    const QSignalBlocker quiet(txtValueIds);
    txtValueIds->setText(settings.value(FileKey(QStringLiteral("ids"))).toString());
    // A count not offered (an edited file) leaves the first, the default.
    const QSignalBlocker quietCount(cmbValueCount);
    cmbValueCount->setCurrentIndex(std::max(
        0, cmbValueCount->findText(settings.value(FileKey(QStringLiteral("count"))).toString())));
}

void ValuesPane::SaveIds() {
    if (!open_.IsOpen()) {
        return;
    }
    QSettings settings(UserConfigFile(QStringLiteral("values.ini")), QSettings::IniFormat);
    if (txtValueIds->text().trimmed().isEmpty()) {
        settings.remove(FileKey(QStringLiteral("ids")));
    } else {
        settings.setValue(FileKey(QStringLiteral("ids")), txtValueIds->text().trimmed());
    }
}

void ValuesPane::SaveCount() {
    if (!open_.IsOpen() || idsFile_ != open_.name) {
        return;
    }
    QSettings settings(UserConfigFile(QStringLiteral("values.ini")), QSettings::IniFormat);
    if (cmbValueCount->currentIndex() <= 0) {
        settings.remove(FileKey(QStringLiteral("count")));
    } else {
        settings.setValue(FileKey(QStringLiteral("count")), cmbValueCount->currentText());
    }
}

}  // namespace app
