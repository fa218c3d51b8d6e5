// SPDX-License-Identifier: MIT
#include "app/frmCompare.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "connection/TextBridge.h"
#include "editing/AccountComparison.h"
#include "platform/grid/ValueMarks.h"

namespace {

using Kind = core::ItemDifference::Kind;

QString KindText(Kind kind) {
    switch (kind) {
        case Kind::OnlyInA:
            return QStringLiteral("only here");
        case Kind::OnlyInB:
            return QStringLiteral("only there");
        case Kind::Changed:
            break;
    }
    return QStringLiteral("changed");
}

QTableWidgetItem* Cell(const QString& text) {
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return cell;
}

}  // namespace

frmCompare::frmCompare(editing::AccountComparison& comparison, QWidget* parent)
    : QDialog(parent), comparison_(comparison) {
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(QStringLiteral("Compare ") + comparison_.FileName() + QStringLiteral(" with ") +
                   comparison_.OtherAccount());
    BuildControls();
    FillList(0);
}

void frmCompare::BuildControls() {
    lblCompared = new QLabel(this);
    lblCompared->setObjectName(QStringLiteral("lblCompared"));
    lblCompared->setWordWrap(true);

    lstDifferences = new QListWidget(this);
    lstDifferences->setObjectName(QStringLiteral("lstDifferences"));
    tblFields = new QTableWidget(0, 4, this);
    tblFields->setObjectName(QStringLiteral("tblFields"));
    tblFields->setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Caption"),
                                          QStringLiteral("Here"), QStringLiteral("There")});
    tblFields->verticalHeader()->hide();
    tblFields->horizontalHeader()->setStretchLastSection(true);
    tblFields->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(lstDifferences);
    splitter->addWidget(tblFields);
    splitter->setStretchFactor(1, 2);

    cmdCopyHere = new QPushButton(QStringLiteral("&Copy here"), this);
    cmdCopyHere->setObjectName(QStringLiteral("cmdCopyHere"));
    cmdCopyHere->setToolTip(
        QStringLiteral("Save the selected item in this account as the other account holds it"));
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdCopyHere->setAutoDefault(false);
    cmdClose->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCopyHere);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblCompared);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(820, 440);

    connect(lstDifferences, &QListWidget::currentRowChanged, this,
            &frmCompare::lstDifferences_Change);
    connect(cmdCopyHere, &QPushButton::clicked, this, &frmCompare::cmdCopyHere_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

void frmCompare::FillList(int selectRow) {
    const auto& differences = comparison_.Differences();
    lstDifferences->clear();
    for (const core::ItemDifference& item : differences) {
        lstDifferences->addItem(KindText(item.kind) + QStringLiteral("  ") +
                                TextBridge::ToText(item.id));
    }
    const QString where = QStringLiteral("here: this account; there: ") +
                          comparison_.OtherAccount() + QStringLiteral(". ");
    lblCompared->setText(where + (differences.empty()
                                      ? QStringLiteral("The dictionaries %1 hold the same items.")
                                            .arg(comparison_.FileName())
                                      : QStringLiteral("%1 items of %2 differ.")
                                            .arg(differences.size())
                                            .arg(comparison_.FileName())));
    if (differences.empty()) {
        lstDifferences_Change();
        return;
    }
    lstDifferences->setCurrentRow(std::min(selectRow, lstDifferences->count() - 1));
    lstDifferences->setFocus();
}

void frmCompare::lstDifferences_Change() {
    const auto& differences = comparison_.Differences();
    const int row = lstDifferences->currentRow();
    tblFields->setRowCount(0);
    if (row < 0 || row >= static_cast<int>(differences.size())) {
        cmdCopyHere->setEnabled(false);
        return;
    }
    const core::ItemDifference& item = differences[static_cast<std::size_t>(row)];
    cmdCopyHere->setEnabled(comparison_.CanCopy(item.id));
    const auto shown = [](const std::optional<std::string>& value) {
        return value ? grid::WithMarkLabels(TextBridge::ToText(*value)) : QString();
    };
    const std::vector<core::FieldDifference> fields = comparison_.FieldsOf(item);
    tblFields->setRowCount(static_cast<int>(fields.size()));
    for (int line = 0; line < static_cast<int>(fields.size()); ++line) {
        const core::FieldDifference& field = fields[static_cast<std::size_t>(line)];
        tblFields->setItem(line, 0, Cell(QString::number(field.number)));
        tblFields->setItem(line, 1, Cell(TextBridge::ToText(field.caption)));
        tblFields->setItem(line, 2, Cell(shown(field.a)));
        tblFields->setItem(line, 3, Cell(shown(field.b)));
    }
    tblFields->resizeColumnsToContents();
}

void frmCompare::cmdCopyHere_Click() {
    const auto& differences = comparison_.Differences();
    const int row = lstDifferences->currentRow();
    if (row < 0 || row >= static_cast<int>(differences.size())) {
        return;
    }
    comparison_.CopyHere(differences[static_cast<std::size_t>(row)].id);
    FillList(row);
}
