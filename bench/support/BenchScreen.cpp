// SPDX-License-Identifier: MIT
#include "bench/support/BenchScreen.h"

#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"

namespace bench {

ui::Answer GoAheadDialogs::ShowMessage(const QString&, ui::Buttons buttons, ui::Icon,
                                       const QString&, std::optional<ui::Answer>, const QString&) {
    ++boxes;
    return buttons == ui::Buttons::YesNo || buttons == ui::Buttons::YesNoCancel ? ui::Answer::Yes
                                                                                : ui::Answer::OK;
}

BenchScreen::BenchScreen() {
    for (int view = 0; view < dictionary::kViewCount; ++view) {
        QWidget* page = tabs_.AddTab(QString::number(view));
        grids_[static_cast<std::size_t>(view)] = new grid::DataGrid(view, page);
    }
    lists_ = {new grid::DropDownList(0, &host_), new grid::DropDownList(1, &host_)};
    host_.resize(1016, 723);
    host_.show();
}

grid::DropDownList* BenchScreen::DataTypeList(dictionary::ViewKind view) const {
    return view == dictionary::ViewKind::AS    ? lists_[0]
           : view == dictionary::ViewKind::DIV ? lists_[1]
                                               : nullptr;
}

void BenchScreen::ShowView(dictionary::ViewKind view, bool) {
    tabs_.SetTab(dictionary::ViewIndex(view));
}

}  // namespace bench
