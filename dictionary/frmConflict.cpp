// SPDX-License-Identifier: MIT
#include "dictionary/frmConflict.h"

#include <algorithm>
#include <iterator>

#include <QBrush>
#include <QColor>
#include <QDialogButtonBox>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "connection/TextBridge.h"
#include "platform/grid/ValueMarks.h"

namespace dictionary {

namespace {

const QColor kConflictColour(255, 214, 214);
const QColor kChosenColour(214, 240, 214);

QString FieldLabel(std::size_t number, const QStringList& captions) {
    const int n = static_cast<int>(number);
    QString label = QStringLiteral("Field %1").arg(n);
    if (n < captions.size()) {
        label += QStringLiteral(" (") + captions[n] + QLatin1Char(')');
    }
    return label;
}

QString CellText(const std::optional<std::string>& field) {
    return field ? grid::WithMarkLabels(TextBridge::ToText(*field)) : QStringLiteral("(none)");
}

QString ChangedBy(core::FieldChange change) {
    switch (change) {
        case core::FieldChange::Theirs:
            return QStringLiteral("them");
        case core::FieldChange::Yours:
            return QStringLiteral("you");
        case core::FieldChange::BothAlike:
            return QStringLiteral("both, alike");
        case core::FieldChange::Conflict:
            return QStringLiteral("both");
        case core::FieldChange::None:
            break;
    }
    return QString();
}

QString PromptFor(const QString& itemId, ChangeKind kind, const ItemVersions& versions,
                  bool mergeable, bool conflict) {
    QString prompt =
        itemId + (versions.inAccount
                      ? QStringLiteral(" was changed in the account after it was read.")
                      : QStringLiteral(" was deleted in the account after it was read."));
    if (!mergeable) {
        prompt += kind == ChangeKind::Delete
                      ? QStringLiteral(
                            " Delete anyway deletes it with their changes; Keep theirs "
                            "shows the account's version.")
                      : QStringLiteral(
                            " Write mine writes your version again; Keep theirs drops "
                            "your changes.");
    } else if (conflict) {
        prompt += QStringLiteral(
            " Both of you changed the fields marked in red: click the "
            "version to keep in each (In the account or Yours), or press Enter on it, then "
            "Merge.");
    } else {
        prompt += QStringLiteral(" Merge writes the account's version with your changes on top.");
    }
    return prompt;
}

}  // namespace

frmConflict::frmConflict(const QString& itemId, ChangeKind kind, const ItemVersions& versions,
                         const QStringList& captions, QWidget* parent)
    : QDialog(parent),
      versions_(versions),
      plan_(core::MergeRecords(versions.asRead, versions.inAccount, versions.yours)),
      mergeable_(versions.inAccount.has_value() && versions.yours.has_value()) {
    setWindowTitle(QStringLiteral("Changed in the account"));
    Build(PromptFor(itemId, kind, versions, mergeable_, plan_.conflict), kind, captions);
    cmdMerge_->setEnabled(MergeAllowed());
    // Enter merges when nothing needs a choice; otherwise it changes nothing.
    (MergeAllowed() ? cmdMerge_ : cmdCancel_)->setDefault(true);
}

frmConflict::frmConflict(const QString& itemId, const std::string& existing,
                         const std::string& yours, const QStringList& captions, QWidget* parent)
    : QDialog(parent),
      versions_{existing, existing, yours},
      // With the account's item as the base, every field that differs is one of yours.
      plan_(core::MergeRecords(existing, existing, yours)) {
    setWindowTitle(QStringLiteral("Already in the account"));
    // A field the row leaves empty where the item has none is no difference worth a line.
    std::erase_if(plan_.fields, [](const core::FieldMerge& field) {
        return field.inAccount.value_or(std::string()) == field.yours.value_or(std::string());
    });
    QString prompt = itemId + QStringLiteral(" already exists. Replace it?");
    if (plan_.fields.empty()) {
        prompt += QStringLiteral(" It holds the same fields as yours.");
    }
    Build(prompt, ChangeKind::Write, captions);
    tblFields_->setColumnHidden(kAsReadColumn, true);
    tblFields_->setColumnHidden(kChangedByColumn, true);
    cmdWriteMine_->setText(QStringLiteral("&Replace"));
    cmdMerge_->hide();
    cmdKeepTheirs_->hide();
    // Enter alone must not replace an item.
    cmdCancel_->setDefault(true);
}

void frmConflict::Build(const QString& prompt, ChangeKind kind, const QStringList& captions) {
    setObjectName(QStringLiteral("frmConflict"));
    choices_.resize(plan_.fields.size());

    auto* layout = new QVBoxLayout(this);
    lblPrompt_ = new QLabel(prompt, this);
    lblPrompt_->setObjectName(QStringLiteral("lblPrompt"));
    lblPrompt_->setTextFormat(Qt::PlainText);
    lblPrompt_->setWordWrap(true);
    layout->addWidget(lblPrompt_);

    tblFields_ = new QTableWidget(static_cast<int>(plan_.fields.size()), 4, this);
    tblFields_->setObjectName(QStringLiteral("tblFields"));
    tblFields_->setHorizontalHeaderLabels({QStringLiteral("As read"),
                                           QStringLiteral("In the account"),
                                           QStringLiteral("Yours"), QStringLiteral("Changed by")});
    tblFields_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblFields_->setSelectionMode(QAbstractItemView::SingleSelection);
    tblFields_->setSelectionBehavior(QAbstractItemView::SelectItems);
    tblFields_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    QStringList rowLabels;
    for (std::size_t i = 0; i < plan_.fields.size(); ++i) {
        const core::FieldMerge& field = plan_.fields[i];
        const int row = static_cast<int>(i);
        rowLabels << FieldLabel(field.number, captions);
        tblFields_->setItem(row, kAsReadColumn, new QTableWidgetItem(CellText(field.asRead)));
        tblFields_->setItem(row, kAccountColumn, new QTableWidgetItem(CellText(field.inAccount)));
        tblFields_->setItem(row, kYoursColumn, new QTableWidgetItem(CellText(field.yours)));
        tblFields_->setItem(row, kChangedByColumn, new QTableWidgetItem(ChangedBy(field.change)));
        ShowChoice(row);
    }
    tblFields_->setVerticalHeaderLabels(rowLabels);
    // A click, or Enter or Space on the current cell, picks the version of a field both
    // changed. Tab leaves the table for the buttons; the arrows move between its cells.
    connect(tblFields_, &QTableWidget::cellClicked, this, &frmConflict::Choose);
    tblFields_->installEventFilter(this);
    tblFields_->setTabKeyNavigation(false);
    const auto firstConflict = std::find_if(
        plan_.fields.begin(), plan_.fields.end(),
        [](const core::FieldMerge& field) { return field.change == core::FieldChange::Conflict; });
    tblFields_->setCurrentCell(
        firstConflict == plan_.fields.end()
            ? 0
            : static_cast<int>(std::distance(plan_.fields.begin(), firstConflict)),
        kAccountColumn);
    layout->addWidget(tblFields_);

    auto* buttons = new QDialogButtonBox(this);
    cmdMerge_ = buttons->addButton(QStringLiteral("&Merge"), QDialogButtonBox::AcceptRole);
    cmdMerge_->setObjectName(QStringLiteral("cmdMerge"));
    cmdWriteMine_ = buttons->addButton(kind == ChangeKind::Delete ? QStringLiteral("&Delete anyway")
                                                                  : QStringLiteral("&Write mine"),
                                       QDialogButtonBox::AcceptRole);
    cmdWriteMine_->setObjectName(QStringLiteral("cmdWriteMine"));
    cmdKeepTheirs_ =
        buttons->addButton(QStringLiteral("&Keep theirs"), QDialogButtonBox::AcceptRole);
    cmdKeepTheirs_->setObjectName(QStringLiteral("cmdKeepTheirs"));
    cmdCancel_ = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    for (QPushButton* button : {cmdMerge_, cmdWriteMine_, cmdKeepTheirs_, cmdCancel_}) {
        button->setAutoDefault(false);
    }
    connect(cmdMerge_, &QPushButton::clicked, this, [this] { Finish(ChangedAnswer::Merge); });
    connect(cmdWriteMine_, &QPushButton::clicked, this,
            [this] { Finish(ChangedAnswer::Overwrite); });
    connect(cmdKeepTheirs_, &QPushButton::clicked, this,
            [this] { Finish(ChangedAnswer::ShowAccount); });
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 160 + 30 * tblFields_->rowCount());
}

bool frmConflict::MergeAllowed() const {
    return Merged().has_value();
}

std::optional<std::string> frmConflict::Merged() const {
    if (!mergeable_) {
        return std::nullopt;
    }
    if (!plan_.conflict) {
        return plan_.merged;
    }
    // The account's version, this change's own fields and the side chosen for each field
    // both changed.
    std::vector<std::pair<std::size_t, std::optional<std::string>>> fields;
    for (std::size_t i = 0; i < plan_.fields.size(); ++i) {
        const core::FieldMerge& field = plan_.fields[i];
        if (field.change == core::FieldChange::Yours) {
            fields.emplace_back(field.number, field.yours);
        } else if (field.change == core::FieldChange::Conflict) {
            if (!choices_[i]) {
                return std::nullopt;
            }
            fields.emplace_back(field.number,
                                *choices_[i] == kYoursColumn ? field.yours : field.inAccount);
        }
    }
    return core::WithFields(*versions_.inAccount, fields);
}

void frmConflict::Choose(int row, int column) {
    if (!mergeable_ || row < 0 || row >= static_cast<int>(plan_.fields.size()) ||
        plan_.fields[static_cast<std::size_t>(row)].change != core::FieldChange::Conflict ||
        (column != kAccountColumn && column != kYoursColumn)) {
        return;
    }
    choices_[static_cast<std::size_t>(row)] = column;
    ShowChoice(row);
    cmdMerge_->setEnabled(MergeAllowed());
    if (MergeAllowed()) {
        cmdMerge_->setDefault(true);
    }
}

void frmConflict::ShowChoice(int row) {
    const std::size_t index = static_cast<std::size_t>(row);
    if (plan_.fields[index].change != core::FieldChange::Conflict) {
        return;
    }
    const std::optional<int>& choice = choices_[index];
    QTableWidgetItem* changedBy = tblFields_->item(row, kChangedByColumn);
    if (!mergeable_) {
        changedBy->setText(QStringLiteral("both"));
    } else if (!choice) {
        changedBy->setText(QStringLiteral("both: click the version to keep"));
    } else {
        changedBy->setText(*choice == kYoursColumn ? QStringLiteral("both: yours kept")
                                                   : QStringLiteral("both: theirs kept"));
    }
    for (int column = 0; column < tblFields_->columnCount(); ++column) {
        QTableWidgetItem* cell = tblFields_->item(row, column);
        const bool chosen = choice && *choice == column;
        cell->setBackground(QBrush(chosen ? kChosenColour : kConflictColour));
        QFont font = cell->font();
        font.setBold(chosen);
        cell->setFont(font);
    }
}

bool frmConflict::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tblFields_ && event->type() == QEvent::KeyPress && mergeable_ &&
        plan_.conflict) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                      key->key() == Qt::Key_Space)) {
            // Enter must not reach the default button: that would cancel the choices made
            // so far, or merge before every field is settled.
            Choose(tblFields_->currentRow(), tblFields_->currentColumn());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmConflict::Finish(ChangedAnswer answer) {
    answer_ = answer;
    accept();
}

}  // namespace dictionary
