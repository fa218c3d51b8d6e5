// SPDX-License-Identifier: MIT
#pragma once

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace grid {
class DataGrid;
class DropDownList;
}  // namespace grid
namespace ui {
class TabControl;
}

// The main window's controls that the handlers below the window read and change. The
// window owns them; this only points at them, so handlers stay testable on their own.
struct MainControls {
    QLineEdit* txtFilename = nullptr;
    QComboBox* cmbPhrase = nullptr;
    QPushButton* cmdMakeChild = nullptr;
    ui::TabControl* SSTab1 = nullptr;
    std::array<grid::DataGrid*, 4> TDBGrid1{};
    std::array<grid::DropDownList*, 2> TDBDropDown1{};
    QPlainTextEdit* txtResult = nullptr;
    QStatusBar* statusBar = nullptr;
    // In the status bar at all times: the open file and the account it belongs to.
    QLabel* lblOpenDictionary = nullptr;
};
