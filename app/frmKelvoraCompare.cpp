// SPDX-License-Identifier: MIT
#include "app/frmCompare.h"
#include "app/frmKelvora.h"
#include "connection/Variables.h"
#include "dictionary/ShownRows.h"
#include "editing/AccountComparison.h"

void frmKelvora::mnuCompare_Click() {
    editing::AccountComparison comparison(context_, opener_, editing_.Compiler());
    if (comparison.Start(this)) {
        frmCompare form(comparison, this);
        vars_.dialogs.ShowModal(form);
    }
    // Items copied here may compile differently, and may join or leave a find.
    editing_.RefreshMarks();
    dictionary::ShowMatchCounts(open_, *this);
}
