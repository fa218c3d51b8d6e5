// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>
#include <QValidator>

namespace grid {

// Refuses any text holding a character above U+00FF: a cell is the engine's bytes as
// Latin-1, so such a character could not be saved. The line edit then drops the
// keystroke or the paste that would have brought it in, and the cell keeps its text.
class Latin1Validator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// The editor of a grid cell. It takes the cell's text exactly as it is (no length
// limit, no trimming; carriage returns, tabs and marks kept) and types the value,
// subvalue and text marks with the keys listed in ValueMarks.h.
class CellLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CellLineEdit(QWidget* parent = nullptr);

    // Puts the mark at the cursor, replacing any selected text.
    void InsertMark(QChar mark);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace grid
