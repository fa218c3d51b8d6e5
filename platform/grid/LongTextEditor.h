// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace grid {

// A larger editor for the text of one cell, such as an expression of several
// statements: plain text wrapped at the window's edge, OK and Cancel. As in a cell,
// Enter takes the text (a field holds no line break) and Ctrl+], Ctrl+\ and Ctrl+^
// type the marks (ValueMarks.h). Its object name is "frmLongText".
class LongTextEditor : public QDialog {
    Q_OBJECT
public:
    explicit LongTextEditor(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const;
    QPlainTextEdit* Editor() const { return editor_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* editor_;
};

}  // namespace grid
