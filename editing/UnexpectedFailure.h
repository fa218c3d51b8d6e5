// SPDX-License-Identifier: MIT
#pragma once

#include <exception>

#include <QString>

namespace ui {
class Dialogs;
}

namespace editing {

// A failure that came as an exception instead of an error code: the client library
// never throws, but Qt and the standard library can (out of memory, a bad index).
// Numbers follow the classic runtime numbering where one fits: 5 invalid argument,
// 6 overflow, 7 out of memory, 9 index out of range; 51 (internal error) otherwise.
struct UnexpectedFailure {
    int number = 0;
    QString description;
};

UnexpectedFailure DescribeFailure(const std::exception_ptr& failure);

// The critical box "Error <description>", titled with the failure's number. Never
// throws, so a handler can call it from its catch block.
void ShowUnexpectedFailure(ui::Dialogs& dialogs, const std::exception_ptr& failure);

// Runs work; an exception it throws is shown with ShowUnexpectedFailure and goes no
// further. True when work ended normally. Every handler the grids call runs through
// this, since no exception may unwind through Qt's event delivery.
template <typename Work>
bool RunGuarded(ui::Dialogs& dialogs, Work&& work) {
    try {
        work();
        return true;
    } catch (...) {
        ShowUnexpectedFailure(dialogs, std::current_exception());
        return false;
    }
}

}  // namespace editing
