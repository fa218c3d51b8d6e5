// SPDX-License-Identifier: MIT
#include "platform/grid/LongTextEditor.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QVBoxLayout>

#include "platform/grid/ValueMarks.h"

namespace grid {

LongTextEditor::LongTextEditor(QWidget* parent)
    : QDialog(parent), editor_(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("frmLongText"));
    editor_->setObjectName(QStringLiteral("txtLongText"));
    editor_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    editor_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    editor_->setTabChangesFocus(true);
    editor_->installEventFilter(this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(editor_);
    layout->addWidget(buttons);
    resize(640, 280);
}

void LongTextEditor::SetText(const QString& text) {
    editor_->setPlainText(text);
    editor_->moveCursor(QTextCursor::End);
}

QString LongTextEditor::Text() const {
    // The raw text keeps every character as typed (toPlainText would turn a no-break
    // space, byte 0xA0, into a blank); only the document's block breaks become line feeds.
    QString text = editor_->document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    return text;
}

bool LongTextEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
            accept();
            return true;
        }
        if (const QChar mark = MarkForKey(key); !mark.isNull()) {
            editor_->insertPlainText(QString(mark));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace grid
