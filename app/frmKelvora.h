// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <memory>

#include <QList>
#include <QMainWindow>

#include "app/MainWindowDesign.h"
#include "dictionary/DictionaryOpener.h"
#include "dictionary/DictionaryScreen.h"
#include "dictionary/OpenDictionary.h"
#include "editing/EditingHandlers.h"
#include "tools/DictionaryTools.h"

class QAction;
class QComboBox;
class QDockWidget;
class QFrame;
class QMenu;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStringListModel;
struct Variables;

namespace grid {
class DataGrid;
class DropDownList;
class RowArray;
}  // namespace grid
namespace app {
class StatusLine;
class ValuesPane;
}  // namespace app
namespace ui {
class HelpViewer;
class ResizeControl;
class TabControl;
}  // namespace ui

// The main window: the file name strip at the top and the four tabs of grids below.
// Form_Load runs the start-up (error names, login); closing the window for any reason
// runs Form_Unload once, which closes the dictionary file and the session. It is the
// screen the handlers of the open dictionary work on, and owns the compiler's answer.
class frmKelvora : public QMainWindow, public dictionary::DictionaryScreen {
    Q_OBJECT
public:
    explicit frmKelvora(Variables& vars, QWidget* parent = nullptr);
    ~frmKelvora() override;

    // Loads the error names, shows the window and runs the login. True when the
    // program goes on; false when it ends (the window is then closed), with the exit
    // code in ExitCode().
    bool Form_Load();
    int ExitCode() const { return exitCode_; }

    // The grid and drop-down of a view by index, as the control arrays index them.
    grid::DataGrid* Grid(int index) const;
    grid::DropDownList* DropDown(int index) const;
    ui::TabControl* Tabs() const { return SSTab1; }
    // The size below which the controls would overlap or cut their captions; the window
    // keeps to it where the screen allows.
    QSize ControlsMinimumSize() const;
    // Puts the window where the user left it, when that fits the screens of this run,
    // else at its design size scaled down to the screen; and no smaller than its controls
    // allow. Form_Load does it before the window is first shown.
    void PlaceWindow();

    // The dictionary the grids show; its file is closed at unload.
    dictionary::OpenDictionary& Dictionary() { return open_; }

    // The screen of the handlers.
    const std::array<grid::DataGrid*, dictionary::kViewCount>& Grids() const override {
        return TDBGrid1;
    }
    grid::DropDownList* DataTypeList(dictionary::ViewKind view) const override;
    QString FileNameText() const override;
    void SetFileNameText(const QString& name) override;
    void SetFileNameChoices(const QStringList& names) override;
    void SetViewCaption(dictionary::ViewKind view, const QString& caption) override;
    QStringList PhraseEntries() const override;
    void SetPhraseEntries(const QStringList& entries, const QString& shown) override;
    void ShowCompileAnswer(const QString& answer) override;
    void HideCompileAnswer() override;
    void ShowView(dictionary::ViewKind view, bool focus = false) override;
    void ShowStatus(const QString& message, int shownMs = 0) override;
    void ShowOpenDictionary(const QString& caption) override;
    void ShowItemDetail(const QString& detail) override;
    bool ItemDetailShown() const override;

public slots:
    void cmdOpen_Click();
    void cmdExit_Click();
    void cmdHelp_Click();
    // F1: the help at the section of the control that has the focus.
    void ShowHelpForFocus();
    void SSTab1_Click(int previousTab, int currentTab);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildTopStrip(QWidget* client);
    void BuildTabs(QWidget* client);
    void SetTabOrder();
    app::ControlSet Controls() const;
    void RegisterDesignGeometry();
    void Form_Unload();
    void ConnectTools();
    void txtResult_Click();
    void BuildFindBox(QWidget* client);
    void txtFind_Change(const QString& text);
    void BuildMenus();
    void BuildDetailPane();
    // View > Values (F4), and F6 to move the focus into it and back to the grid.
    void BuildValuesPane();
    void UpdateUndoCaptions();
    // Rename is there while the open dictionary can be written.
    void UpdateRenameAction();
    // Tools > Compare with...: the open dictionary against another account's.
    void mnuCompare_Click();
    // The File menu: log in to another account, the file name box, the dictionaries
    // opened last in this account, the export and the exit.
    void BuildFileMenu();
    void BuildHelpMenu();
    void mnuLogIn_Click();
    void mnuOpen_Click();
    void mnuRecent_Click(const QString& file);
    // Closes the open dictionary and empties the grids, which take no typing until
    // another dictionary is open.
    void CloseDictionary();
    // The open dictionary goes to the top of this account's recent files.
    void RememberRecentFile();
    void UpdateRecentMenu();
    // The account of the session as the recent files and the status line name it.
    QString AccountName() const;
    void ShowGridMenu(int viewIndex, const QPoint& where);
    // The grid of the tab in front.
    grid::DataGrid* FrontGrid() const;
    // The compile answer as wide as its longest line, within the tab's page.
    void FitCompileAnswer();
    // The height the window adds to its client area: menu bar and status bar.
    int FrameRowsHeight() const;
    void ShowHelp(const QString& anchor);
    // Runs a slot's work; an exception it throws is shown as the unexpected-failure box
    // and goes no further, since none may unwind through Qt's event delivery.
    template <typename Work>
    void Guarded(Work&& work);

    Variables& vars_;
    dictionary::OpenDictionary open_;
    std::shared_ptr<grid::RowArray> dataTypeList_;
    bool unloaded_ = false;
    bool placed_ = false;  // the placement is saved at unload only when it was applied
    int exitCode_ = 0;

    QFrame* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtFilename = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdMakeChild = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdHelp = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cmbPhrase = nullptr;
    QPushButton* cmdExit = nullptr;
    ui::TabControl* SSTab1 = nullptr;
    std::array<grid::DataGrid*, 4> TDBGrid1{};
    std::array<grid::DropDownList*, 2> TDBDropDown1{};
    QPlainTextEdit* txtResult = nullptr;
    app::StatusLine* statusLine_ = nullptr;  // the messages and the open dictionary
    QLineEdit* txtFind = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuRecentEnd = nullptr;  // the separator after the recent files
    QList<QAction*> mnuRecent;
    QMenu* mnuEdit = nullptr;
    QAction* mnuUndo = nullptr;
    QAction* mnuRedo = nullptr;
    QAction* mnuItemDetail = nullptr;
    QAction* mnuRename = nullptr;
    QDockWidget* fraDetail = nullptr;
    QPlainTextEdit* txtDetail = nullptr;
    app::ValuesPane* fraValues = nullptr;
    QStringListModel* fileNameChoices_ = nullptr;
    ui::ResizeControl* ReSize1 = nullptr;
    ui::HelpViewer* helpViewer_ = nullptr;
    dictionary::DictionaryContext context_{vars_, open_, *this};
    dictionary::DictionaryOpener opener_{context_};
    tools::DictionaryTools tools_{context_, opener_};
    editing::EditingHandlers editing_{context_, opener_};
};
