// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include <QLineEdit>
#include <QValidator>

#include "platform/grid/ValueMarks.h"

namespace grid {

// Refuses any text a cell cannot hold (RefusalOf): a character above U+00FF, which no
// byte of the engine can hold, or the field mark, which would split the field. The line
// edit then drops the keystroke or the paste that would have brought it in, the cell
// keeps its text, and the refusal is reported so the user learns why.
class CellTextValidator : public QValidator {
    Q_OBJECT
public:
    CellTextValidator(std::function<void(CellRefusal)> refused, QObject* parent)
        : QValidator(parent), refused_(std::move(refused)) {}
    State validate(QString& input, int& pos) const override;

private:
    std::function<void(CellRefusal)> refused_;
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

signals:
    // A keystroke or paste was refused; the text is unchanged.
    void textRefused(grid::CellRefusal why);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace grid
