// SPDX-License-Identifier: MIT
#include "editing/UnexpectedFailure.h"

#include <new>
#include <stdexcept>

#include "platform/ui/Dialogs.h"

namespace editing {

namespace {

constexpr int kInvalidArgument = 5;
constexpr int kOverflow = 6;
constexpr int kOutOfMemory = 7;
constexpr int kOutOfRange = 9;
constexpr int kInternalError = 51;

QString WhatOf(const std::exception& e) {
    const QString what = QString::fromLocal8Bit(e.what());
    return what.isEmpty() ? QStringLiteral("Internal error") : what;
}

}  // namespace

UnexpectedFailure DescribeFailure(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return {kOutOfMemory, QStringLiteral("Out of memory")};
    } catch (const std::out_of_range& e) {
        return {kOutOfRange, WhatOf(e)};
    } catch (const std::overflow_error& e) {
        return {kOverflow, WhatOf(e)};
    } catch (const std::range_error& e) {
        return {kOverflow, WhatOf(e)};
    } catch (const std::invalid_argument& e) {
        return {kInvalidArgument, WhatOf(e)};
    } catch (const std::domain_error& e) {
        return {kInvalidArgument, WhatOf(e)};
    } catch (const std::exception& e) {
        return {kInternalError, WhatOf(e)};
    } catch (...) {
        return {kInternalError, QStringLiteral("Internal error")};
    }
}

void ShowUnexpectedFailure(ui::Dialogs& dialogs, const std::exception_ptr& failure) {
    try {
        const UnexpectedFailure described = DescribeFailure(failure);
        dialogs.MsgBox(QStringLiteral("Error ") + described.description, ui::Buttons::OK,
                       ui::Icon::Critical, QString::number(described.number));
    } catch (...) {
        // Not even the box could be shown (memory is gone): the handler stops silently
        // rather than letting the failure unwind through the event loop.
    }
}

}  // namespace editing
