// SPDX-License-Identifier: MIT
// What the handlers of the open dictionary see of the main window: frmKelvora's side of
// DictionaryScreen, the file name, the phrase list, the compile answer, the tabs and the
// status line.
#include "app/frmKelvora.h"

#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStringListModel>

#include "app/FittedLayout.h"
#include "app/StatusLine.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"
#include "platform/ui/ResizeControl.h"
#include "platform/ui/TabControl.h"

void frmKelvora::ShowItemDetail(const QString& detail) {
    if (txtDetail->toPlainText() != detail) {
        txtDetail->setPlainText(detail);
    }
}

bool frmKelvora::ItemDetailShown() const {
    return fraDetail->isVisible();
}

grid::DropDownList* frmKelvora::DataTypeList(dictionary::ViewKind view) const {
    switch (view) {
        case dictionary::ViewKind::AS:
            return TDBDropDown1[0];
        case dictionary::ViewKind::DIV:
            return TDBDropDown1[1];
        case dictionary::ViewKind::PH:
        case dictionary::ViewKind::Other:
            break;
    }
    return nullptr;
}

QString frmKelvora::FileNameText() const {
    return txtFilename->text();
}

void frmKelvora::SetFileNameText(const QString& name) {
    txtFilename->setText(name);
}

void frmKelvora::SetFileNameChoices(const QStringList& names) {
    fileNameChoices_->setStringList(names);
}

void frmKelvora::SetViewCaption(dictionary::ViewKind view, const QString& caption) {
    SSTab1->SetCaption(dictionary::ViewIndex(view), caption);
    // A longer caption may reach the find box.
    if (ReSize1 != nullptr) {
        app::FitFindBox(*txtFind, *SSTab1, ReSize1->ScaleX(), ReSize1->ScaleY());
    }
}

QStringList frmKelvora::PhraseEntries() const {
    QStringList entries;
    for (int i = 0; i < cmbPhrase->count(); ++i) {
        entries << cmbPhrase->itemText(i);
    }
    return entries;
}

void frmKelvora::SetPhraseEntries(const QStringList& entries, const QString& shown) {
    // Refilling is not a choice of the user's: nothing that listens for one may react.
    const QSignalBlocker quiet(cmbPhrase);
    cmbPhrase->clear();
    cmbPhrase->addItems(entries);
    cmbPhrase->setCurrentIndex(-1);
    cmbPhrase->setEditText(shown);
}

void frmKelvora::ShowCompileAnswer(const QString& answer) {
    // The answer's lines end with LF; a server that ends them with CR LF shows the same.
    QString lines = answer;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtResult->setPlainText(lines);
    txtResult->moveCursor(QTextCursor::Start);
    txtResult->show();
    txtResult->raise();
    FitCompileAnswer();
}

void frmKelvora::HideCompileAnswer() {
    txtResult->hide();
}

void frmKelvora::FitCompileAnswer() {
    if (!txtResult->isVisible()) {
        return;
    }
    // The resize control gave the box its design rectangle; it widens from there to the
    // longest line, up to the page's width, moving left where it would leave the page.
    const QWidget* page = txtResult->parentWidget();
    const QFontMetrics metrics(txtResult->font());
    int longest = 0;
    for (const QString& line : txtResult->toPlainText().split(QLatin1Char('\n'))) {
        longest = std::max(longest, metrics.horizontalAdvance(line));
    }
    const int chrome = 2 * txtResult->frameWidth() +
                       2 * static_cast<int>(txtResult->document()->documentMargin()) +
                       txtResult->verticalScrollBar()->sizeHint().width() + 4;
    QRect box = txtResult->geometry();
    const int widest = page->width() - 8;
    const int wanted = std::min(std::max(box.width(), longest + chrome), widest);
    if (wanted == box.width()) {
        return;
    }
    box.setWidth(wanted);
    if (box.right() > page->width() - 4) {
        box.moveLeft(std::max(4, page->width() - 4 - wanted));
    }
    txtResult->setGeometry(box);
}

void frmKelvora::txtResult_Click() {
    txtResult->setPlainText(QString());
    txtResult->setVisible(false);
}

void frmKelvora::ShowView(dictionary::ViewKind view, bool focus) {
    const int index = dictionary::ViewIndex(view);
    SSTab1->SetTab(index);
    // Every open ends here: what the dictionary allows is known by now.
    UpdateRenameAction();
    if (focus) {
        TDBGrid1[static_cast<std::size_t>(index)]->setFocus();
    }
}

void frmKelvora::ShowStatus(const QString& message, int shownMs) {
    statusLine_->ShowMessage(message, shownMs);
}

void frmKelvora::ShowOpenDictionary(const QString& caption) {
    statusLine_->SetCaption(caption);
}
