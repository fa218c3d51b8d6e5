// SPDX-License-Identifier: MIT
#include "platform/ui/Dialogs.h"

#include <QDialog>

#include "platform/ui/ScreenFit.h"

namespace ui {

int Dialogs::ShowModal(QDialog& form) {
    FitWithinScreen(form);
    return RunModal(form);
}

}  // namespace ui
