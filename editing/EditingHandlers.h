// SPDX-License-Identifier: MIT
#pragma once

#include "editing/CompileOffer.h"
#include "editing/CopyUnderNewName.h"
#include "editing/DeleteHandler.h"
#include "editing/SaveHandler.h"

namespace editing {

// The main window's editing of dictionary items in one object: the grids' save and
// delete notifications, copying and compiling. It shares the window's state (the open
// dictionary, its controls) and owns none of it.
class EditingHandlers {
public:
    EditingHandlers(const dictionary::DictionaryContext& context,
                    dictionary::DictionaryOpener& opener)
        : vars_(context.vars),
          screen_(context.screen),
          compile_(context),
          copy_(context, opener, compile_),
          save_(context, compile_, copy_),
          delete_(context) {}

    void TDBGrid1_BeforeSave(int viewIndex, bool* cancel) { save_.BeforeSave(viewIndex, cancel); }
    void TDBGrid1_AfterSave(int viewIndex) { save_.AfterSave(viewIndex); }
    void TDBGrid1_BeforeDelete(int viewIndex, bool* cancel) {
        delete_.BeforeDelete(viewIndex, cancel);
    }
    void TDBGrid1_AfterDelete(int viewIndex) { delete_.AfterDelete(viewIndex); }

    // Before another dictionary is opened: settles the rows left pending in the grids,
    // which the open would drop. False when a row is still pending; its tab is then in
    // front and the user is told why the open did not go on.
    bool SettleBeforeOpen();
    // Before the window closes: when rows are changed and not saved, asks whether to
    // save them. False keeps the window open (Cancel, or a row that stays pending).
    bool SettleBeforeClose();

private:
    Variables& vars_;
    dictionary::DictionaryScreen& screen_;
    CompileOffer compile_;
    CopyUnderNewName copy_;
    SaveHandler save_;
    DeleteHandler delete_;
};

}  // namespace editing
