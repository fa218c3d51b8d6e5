// SPDX-License-Identifier: MIT
#include "tests/support/TestScreen.h"

#include "dictionary/DataTypeList.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"
#include "platform/grid/RowArray.h"

TestScreen::TestScreen() : dataTypes_(dictionary::MakeDataTypeList()) {
    for (int view = 0; view < dictionary::kViewCount; ++view) {
        const auto& layout = dictionary::LayoutOf(dictionary::ViewAt(view));
        QWidget* page = tabs_.AddTab(layout.tabCaption);
        auto* grid = new grid::DataGrid(view, page);
        grid->SetColumnCaptions(layout.columnCaptions);
        grids_[static_cast<std::size_t>(view)] = grid;
    }
    lists_ = {
        new grid::DropDownList(0, tabs_.Page(0)),
        new grid::DropDownList(1, tabs_.Page(dictionary::ViewIndex(dictionary::ViewKind::DIV)))};
    for (grid::DropDownList* list : lists_) {
        list->Bind(dataTypes_);
    }
    host_.resize(1016, 723);
    host_.show();
}

TestScreen::~TestScreen() = default;

grid::DropDownList* TestScreen::DataTypeList(dictionary::ViewKind view) const {
    switch (view) {
        case dictionary::ViewKind::AS:
            return lists_[0];
        case dictionary::ViewKind::DIV:
            return lists_[1];
        case dictionary::ViewKind::PH:
        case dictionary::ViewKind::Other:
            break;
    }
    return nullptr;
}

void TestScreen::SetPhraseEntries(const QStringList& entries, const QString& shown) {
    phraseEntries_ = entries;
    phraseShown_ = shown;
}

void TestScreen::SetViewCaption(dictionary::ViewKind view, const QString& caption) {
    tabs_.SetCaption(dictionary::ViewIndex(view), caption);
}

void TestScreen::ShowCompileAnswer(const QString& answer) {
    compileAnswer_ = answer;
}

void TestScreen::ShowView(dictionary::ViewKind view, bool focus) {
    const int index = dictionary::ViewIndex(view);
    tabs_.SetTab(index);
    if (focus) {
        grids_[static_cast<std::size_t>(index)]->setFocus();
    }
}

void TestScreen::ShowStatus(const QString& message, int /*shownMs*/) {
    status_ = message;
}
