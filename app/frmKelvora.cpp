// SPDX-License-Identifier: MIT
#include "app/frmKelvora.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStringListModel>

#include "app/AnswerFont.h"
#include "app/ColumnWidths.h"
#include "app/FindBox.h"
#include "app/FittedLayout.h"
#include "app/HelpTopics.h"
#include "app/MainWindowDesign.h"
#include "app/SettleOnReach.h"
#include "app/StatusLine.h"
#include "app/ValuesPane.h"
#include "app/WindowPlacement.h"
#include "connection/Functions.h"
#include "connection/Variables.h"
#include "connection/frmLogin.h"
#include "core/DataFiles.h"
#include "dictionary/AccountFiles.h"
#include "dictionary/DataTypeList.h"
#include "dictionary/PendingRows.h"
#include "dictionary/PhraseList.h"
#include "dictionary/ShownRows.h"
#include "dictionary/ViewLayout.h"
#include "editing/UnexpectedFailure.h"
#include "platform/grid/DataGrid.h"
#include "platform/grid/DropDownList.h"
#include "platform/grid/RowArray.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/Session.h"
#include "platform/ui/HelpViewer.h"
#include "platform/ui/ResizeControl.h"
#include "platform/ui/TabControl.h"
#include "tools/ClickNotifier.h"

namespace {

constexpr int kDivTab = 2;  // the tab of D, I and V items, the one child tables come from

QString MissingConstantsMessage(const QString& path) {
    const QString reason = QFileInfo::exists(path) ? QStringLiteral("it cannot be read")
                                                   : QStringLiteral("it does not exist");
    return QStringLiteral(
               "Kelvora cannot start: the constants file\n%1\nthat names the "
               "server's error codes cannot be opened (%2).\n\nReinstall Kelvora "
               "or put Uvoaif.txt back beside the program.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QFont StripFont(bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    font.setBold(bold);
    return font;
}

template <typename Widget>
Widget* Named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

}  // namespace

frmKelvora::frmKelvora(Variables& vars, QWidget* parent) : QMainWindow(parent), vars_(vars) {
    setObjectName(QStringLiteral("frmKelvora"));
    setWindowTitle(QStringLiteral(" Kelvora"));
    BuildControls();
    SetTabOrder();
    RegisterDesignGeometry();
    // The menu bar above and the status bar below the client area, which opens at its
    // design size.
    resize(app::kDesignClientPixels.width(), app::kDesignClientPixels.height() + FrameRowsHeight());
}

frmKelvora::~frmKelvora() = default;

void frmKelvora::BuildControls() {
    auto* client = Named(new QWidget(this), QStringLiteral("client"));
    QPalette grey = client->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    client->setPalette(grey);
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    BuildTopStrip(client);
    BuildTabs(client);
    BuildFindBox(client);
    statusLine_ = new app::StatusLine(*statusBar());
    editing_.ConnectGrids(this);
    tools_.ConnectGrids(this);
    ConnectTools();
    BuildDetailPane();
    BuildValuesPane();
    BuildMenus();
    helpViewer_ = new ui::HelpViewer(this);
    ReSize1 = new ui::ResizeControl(*client, app::kDesignClientTwips);
    ReSize1->setObjectName(QStringLiteral("ReSize1"));
    connect(ReSize1, &ui::ResizeControl::resized, this, [this] {
        app::FitControls(Controls(), *SSTab1);
        app::FitFindBox(*txtFind, *SSTab1, ReSize1->ScaleX(), ReSize1->ScaleY());
        app::ApplyColumnWidths(TDBGrid1);
        FitCompileAnswer();
    });
}

void frmKelvora::BuildTopStrip(QWidget* client) {
    Frame1 = Named(new QFrame(client), QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);

    Label1 = Named(new QLabel(QStringLiteral("File name"), Frame1), QStringLiteral("Label1"));
    txtFilename = Named(new QLineEdit(Frame1), QStringLiteral("txtFilename"));
    cmdOpen = Named(new QPushButton(QStringLiteral("&Open"), Frame1), QStringLiteral("cmdOpen"));
    cmdMakeChild = Named(new QPushButton(QStringLiteral("Define Child Table"), Frame1),
                         QStringLiteral("cmdMakeChild"));
    cmdMakeChild->setToolTip(
        QStringLiteral("Highlight rows of D and I type and create new PH type"));
    cmdExport =
        Named(new QPushButton(QStringLiteral("Export"), Frame1), QStringLiteral("cmdExport"));
    cmdHelp = Named(new QPushButton(QStringLiteral("&Help"), Frame1), QStringLiteral("cmdHelp"));
    Label2 = Named(new QLabel(QStringLiteral("Tables"), Frame1), QStringLiteral("Label2"));
    cmbPhrase = Named(new QComboBox(Frame1), QStringLiteral("cmbPhrase"));
    cmbPhrase->setEditable(true);  // shows a text that is not one of its entries
    cmbPhrase->lineEdit()->setReadOnly(true);
    cmbPhrase->setEditText(QStringLiteral("All"));
    cmdExit = Named(new QPushButton(QStringLiteral("&Exit"), Frame1), QStringLiteral("cmdExit"));

    for (QWidget* w :
         std::initializer_list<QWidget*>{Label1, txtFilename, cmdExport, Label2, cmbPhrase}) {
        w->setFont(StripFont(false));
    }
    for (QPushButton* b : {cmdOpen, cmdHelp, cmdExit}) {
        b->setFont(StripFont(true));
    }
    for (QPushButton* b : {cmdOpen, cmdMakeChild, cmdExport, cmdHelp, cmdExit}) {
        b->setAutoDefault(false);
    }

    fileNameChoices_ = new QStringListModel(this);
    auto* completer = new QCompleter(fileNameChoices_, txtFilename);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    txtFilename->setCompleter(completer);
    connect(txtFilename, &QLineEdit::returnPressed, cmdOpen, &QPushButton::click);
    // Choosing a phrase and opening a file settle a pending row: the question comes as the
    // user reaches them, before anything is typed or chosen there.
    const auto pending = [this] {
        return std::any_of(TDBGrid1.begin(), TDBGrid1.end(),
                           [](const grid::DataGrid* grid) { return grid->HasPendingRow(); });
    };
    const auto settle = [this] {
        bool settled = false;
        Guarded([this, &settled] {
            const grid::DataGrid* still = dictionary::SettlePendingRows(TDBGrid1);
            settled = still == nullptr;
            if (!settled) {
                ShowView(dictionary::ViewAt(still->ViewIndex()), /*focus=*/true);
            }
        });
        return settled;
    };
    for (QWidget* reached : {static_cast<QWidget*>(txtFilename), static_cast<QWidget*>(cmbPhrase),
                             static_cast<QWidget*>(cmbPhrase->lineEdit())}) {
        new app::SettleOnReach(reached, pending, settle);
    }
    connect(cmdExit, &QPushButton::clicked, this, &frmKelvora::cmdExit_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmKelvora::cmdHelp_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &frmKelvora::cmdOpen_Click);
}

void frmKelvora::BuildTabs(QWidget* client) {
    SSTab1 = Named(new ui::TabControl(client), QStringLiteral("SSTab1"));
    for (int view = 0; view < dictionary::kViewCount; ++view) {
        const auto& layout = dictionary::LayoutOf(dictionary::ViewAt(view));
        QWidget* page = SSTab1->AddTab(layout.tabCaption);
        auto* grid = Named(new grid::DataGrid(view, page), QStringLiteral("TDBGrid1_%1").arg(view));
        grid->SetColumnCaptions(layout.columnCaptions);
        TDBGrid1[static_cast<std::size_t>(view)] = grid;
    }
    // The drop-downs stay hidden; the grids' data-type columns use their entries.
    TDBDropDown1[0] =
        Named(new grid::DropDownList(0, SSTab1->Page(0)), QStringLiteral("TDBDropDown1_0"));
    TDBDropDown1[1] =
        Named(new grid::DropDownList(1, SSTab1->Page(kDivTab)), QStringLiteral("TDBDropDown1_1"));

    txtResult = Named(new QPlainTextEdit(SSTab1->Page(kDivTab)), QStringLiteral("txtResult"));
    txtResult->setReadOnly(true);
    txtResult->setFont(app::AnswerFont());
    txtResult->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtResult->hide();

    SSTab1->SetTab(kDivTab);
    connect(SSTab1, &ui::TabControl::tabChanged, this, &frmKelvora::SSTab1_Click);
}

void frmKelvora::BuildFindBox(QWidget* client) {
    // In the free end of the tab strip, right above the grids it narrows.
    txtFind = Named(new app::FindBox(client), QStringLiteral("txtFind"));
    txtFind->raise();
    connect(txtFind, &QLineEdit::textChanged, this, &frmKelvora::txtFind_Change);
}

void frmKelvora::txtFind_Change(const QString& text) {
    Guarded([this, &text] {
        if (!tools_.SetFindText(text)) {
            // A row stays pending: the grids still show the find before, and so does the box.
            const QSignalBlocker quiet(txtFind);
            txtFind->setText(tools_.FindText());
        }
    });
}

int frmKelvora::FrameRowsHeight() const {
    return menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
}

void frmKelvora::BuildMenus() {
    mnuEdit = menuBar()->addMenu(QStringLiteral("E&dit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    const auto add = [this](QMenu* menu, const QString& name, const QString& caption,
                            const QKeySequence& keys, auto&& work) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, [this, work] { Guarded(work); });
        return action;
    };
    mnuUndo = add(mnuEdit, QStringLiteral("mnuUndo"), QStringLiteral("&Undo"), QKeySequence::Undo,
                  [this] { editing_.Undo(); });
    mnuRedo = add(mnuEdit, QStringLiteral("mnuRedo"), QStringLiteral("&Redo"),
                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { editing_.Redo(); });
    mnuEdit->addSeparator();
    add(mnuEdit, QStringLiteral("mnuSaveRow"), QStringLiteral("&Save Row"), QKeySequence::Save,
        [this] {
            if (grid::DataGrid* grid = FrontGrid()) {
                grid->CommitRow();
            }
        });
    add(mnuEdit, QStringLiteral("mnuFind"), QStringLiteral("&Find"), QKeySequence::Find, [this] {
        txtFind->setFocus(Qt::ShortcutFocusReason);
        txtFind->selectAll();
    });
    mnuRename = add(mnuEdit, QStringLiteral("mnuRename"), QStringLiteral("Re&name..."),
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R),
                    [this] { editing_.Rename(SSTab1->Tab()); });
    add(mnuEdit, QStringLiteral("mnuCopyAs"), QStringLiteral("Cop&y As..."),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { editing_.CopyAs(SSTab1->Tab()); });
    add(mnuEdit, QStringLiteral("mnuHistory"), QStringLiteral("&History..."), QKeySequence(),
        [this] { editing_.ShowHistory(SSTab1->Tab()); });
    add(mnuEdit, QStringLiteral("mnuDeletedHistory"),
        QStringLiteral("History of a &deleted item..."), QKeySequence(),
        [this] { editing_.ShowDeletedHistory(); });
    mnuEdit->addSeparator();
    add(mnuEdit, QStringLiteral("mnuCompileAll"), QStringLiteral("&Compile All"), QKeySequence(),
        [this] { editing_.CompileAll(); });
    add(mnuEdit, QStringLiteral("mnuRefresh"), QStringLiteral("&Refresh (All)"),
        QKeySequence::Refresh, [this] {
            tools_.cmbPhrase_Click(0);
            fraValues->ForgetRecords();  // the records are read again too
        });
    connect(mnuEdit, &QMenu::aboutToShow, this, &frmKelvora::UpdateUndoCaptions);
    UpdateUndoCaptions();

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    mnuItemDetail = fraDetail->toggleViewAction();
    mnuItemDetail->setObjectName(QStringLiteral("mnuItemDetail"));
    mnuItemDetail->setText(QStringLiteral("Item &Detail"));
    mnuItemDetail->setShortcut(QKeySequence(Qt::Key_F3));
    view->addAction(mnuItemDetail);
    addAction(mnuItemDetail);  // F3 works while the menu bar is hidden or closed too
    QAction* mnuValues = fraValues->toggleViewAction();
    mnuValues->setObjectName(QStringLiteral("mnuValues"));
    mnuValues->setText(QStringLiteral("&Values"));
    mnuValues->setShortcut(QKeySequence(Qt::Key_F4));
    view->addAction(mnuValues);
    addAction(mnuValues);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    add(tools, QStringLiteral("mnuCompare"), QStringLiteral("&Compare with..."), QKeySequence(),
        [this] { mnuCompare_Click(); });
    BuildFileMenu();
    // F1 there opens the help at the section of the control that has the focus.
    BuildHelpMenu();
}

void frmKelvora::UpdateUndoCaptions() {
    // With nothing to undo the entry stays enabled for its key, which then says so.
    const QString undo = editing_.UndoText();
    const QString redo = editing_.RedoText();
    mnuUndo->setText(undo.isEmpty() ? QStringLiteral("&Undo") : undo);
    mnuRedo->setText(redo.isEmpty() ? QStringLiteral("&Redo") : redo);
    mnuUndo->setToolTip(undo.isEmpty() ? QStringLiteral("Nothing to undo") : undo);
    mnuRedo->setToolTip(redo.isEmpty() ? QStringLiteral("Nothing to redo") : redo);
    UpdateRenameAction();
}

void frmKelvora::UpdateRenameAction() {
    if (mnuRename != nullptr) {
        mnuRename->setEnabled(open_.IsOpen() && !open_.readOnly);
    }
}

void frmKelvora::BuildDetailPane() {
    fraDetail =
        Named(new QDockWidget(QStringLiteral("Item detail"), this), QStringLiteral("fraDetail"));
    fraDetail->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    txtDetail = Named(new QPlainTextEdit(fraDetail), QStringLiteral("txtDetail"));
    txtDetail->setReadOnly(true);  // read-only, and still selectable and copyable
    txtDetail->setFont(app::AnswerFont());
    txtDetail->setLineWrapMode(QPlainTextEdit::NoWrap);
    fraDetail->setWidget(txtDetail);
    addDockWidget(Qt::RightDockWidgetArea, fraDetail);
    fraDetail->hide();
    connect(fraDetail, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown) {
            Guarded([this] { editing_.ShowItemDetail(); });
        }
    });
}

void frmKelvora::BuildValuesPane() {
    fraValues = new app::ValuesPane(vars_, open_, TDBGrid1, this);
    addDockWidget(Qt::BottomDockWidgetArea, fraValues);
    fraValues->hide();
    // F6 and not Ctrl+Tab, which switches the tabs from the grid.
    auto* switchFocus = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(switchFocus, &QShortcut::activated, this, [this] {
        if (fraValues->isAncestorOf(QApplication::focusWidget())) {
            if (grid::DataGrid* grid = FrontGrid()) {
                grid->setFocus(Qt::ShortcutFocusReason);
            }
            return;
        }
        fraValues->show();
        fraValues->FocusTarget()->setFocus(Qt::ShortcutFocusReason);
    });
}

grid::DataGrid* frmKelvora::FrontGrid() const {
    return Grid(SSTab1->Tab());
}

void frmKelvora::ShowGridMenu(int viewIndex, const QPoint& where) {
    grid::DataGrid* grid = Grid(viewIndex);
    QMenu menu(grid);
    QAction* history = menu.addAction(QStringLiteral("&History..."));
    history->setEnabled(grid->CurrentRow() >= 0 && grid->CurrentRow() != grid->NewRowLine());
    QAction* detail = menu.addAction(QStringLiteral("Item &Detail"));
    const QAction* chosen = menu.exec(grid->viewport()->mapToGlobal(where));
    if (chosen == history) {
        Guarded([this, viewIndex] { editing_.ShowHistory(viewIndex); });
    } else if (chosen == detail) {
        fraDetail->show();
    }
}

void frmKelvora::SetTabOrder() {
    // The strip left to right, then the tabs, the find box at their end and the grids.
    QWidget* order[] = {txtFilename, cmdOpen,     cmdMakeChild,  cmdExport,  cmdHelp,
                        cmbPhrase,   cmdExit,     SSTab1->Bar(), txtFind,    TDBGrid1[0],
                        TDBGrid1[1], TDBGrid1[2], txtResult,     TDBGrid1[3]};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

app::ControlSet frmKelvora::Controls() const {
    return {Frame1, Label1,    txtFilename, cmdOpen, cmdMakeChild, cmdExport,    cmdHelp,
            Label2, cmbPhrase, cmdExit,     SSTab1,  TDBGrid1,     TDBDropDown1, txtResult};
}

void frmKelvora::RegisterDesignGeometry() {
    app::RegisterDesignGeometry(*ReSize1, Controls());
    ReSize1->Register(*txtFind, app::kFindBoxTwips);
}

grid::DataGrid* frmKelvora::Grid(int index) const {
    return index >= 0 && index < static_cast<int>(TDBGrid1.size())
               ? TDBGrid1[static_cast<std::size_t>(index)]
               : nullptr;
}

grid::DropDownList* frmKelvora::DropDown(int index) const {
    return index >= 0 && index < static_cast<int>(TDBDropDown1.size())
               ? TDBDropDown1[static_cast<std::size_t>(index)]
               : nullptr;
}

template <typename Work>
void frmKelvora::Guarded(Work&& work) {
    editing::RunGuarded(vars_.dialogs, std::forward<Work>(work));
}

void frmKelvora::cmdOpen_Click() {
    const auto before = open_.file;
    Guarded([this] { editing_.OpenAfterSettling(); });
    if (open_.file != before) {
        RememberRecentFile();
    }
}

void frmKelvora::ConnectTools() {
    connect(cmdMakeChild, &QPushButton::clicked, this,
            [this] { Guarded([this] { tools_.cmdMakeChild_Click(); }); });
    connect(cmdExport, &QPushButton::clicked, this,
            [this] { Guarded([this] { tools_.cmdExport_Click(); }); });
    // A choice of the user's only: refilling the list never counts as one.
    for (grid::DataGrid* grid : TDBGrid1) {
        connect(grid, &grid::DataGrid::headerClicked, this, [this](int view, int column) {
            Guarded([this, view, column] { tools_.HeaderClicked(view, column); });
        });
        // The tabs count the rows a find shows, rows saved or deleted since included.
        connect(grid, &grid::DataGrid::afterSave, this,
                [this] { dictionary::ShowMatchCounts(open_, *this); });
        connect(grid, &grid::DataGrid::afterDelete, this,
                [this] { dictionary::ShowMatchCounts(open_, *this); });
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QWidget::customContextMenuRequested, this,
                [this, grid](const QPoint& where) { ShowGridMenu(grid->ViewIndex(), where); });
        // Shift+F10 opens the same menu at the current cell, an open cell editor included.
        auto* rowMenu = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), grid);
        rowMenu->setContext(Qt::WidgetWithChildrenShortcut);
        connect(rowMenu, &QShortcut::activated, this, [this, grid] {
            const QRect cell = grid->visualRect(grid->currentIndex());
            ShowGridMenu(grid->ViewIndex(), cell.isValid() ? cell.center() : QPoint(0, 0));
        });
    }
    connect(cmbPhrase, &QComboBox::activated, this,
            [this](int index) { Guarded([this, index] { tools_.cmbPhrase_Click(index); }); });
    connect(new tools::ClickNotifier(txtResult->viewport()), &tools::ClickNotifier::clicked, this,
            [this] { txtResult_Click(); });
}

QSize frmKelvora::ControlsMinimumSize() const {
    return app::MinimumClientSize(Controls()) + QSize(0, FrameRowsHeight());
}

void frmKelvora::PlaceWindow() {
    const QSize design(app::kDesignClientPixels.width(),
                       app::kDesignClientPixels.height() + FrameRowsHeight());
    const QSize minimum = ControlsMinimumSize();
    // Where even that is larger than the screen, the screen wins: a window larger than
    // its screen cannot be used at all.
    if (const QScreen* shown = screen()) {
        setMinimumSize(minimum.boundedTo(app::UsableArea(shown->availableGeometry())));
    }
    QList<QRect> areas;
    for (const QScreen* each : QGuiApplication::screens()) {
        areas << each->availableGeometry();
    }
    const std::optional<app::WindowPlacement> saved = app::LoadWindowPlacement();
    if (saved && app::FitsOnAScreen(saved->geometry, areas)) {
        setGeometry(saved->geometry);
        if (saved->tab >= 0 && saved->tab < dictionary::kViewCount) {
            SSTab1->SetTab(saved->tab);
        }
    } else if (const QScreen* shown = screen()) {
        setGeometry(app::OpeningGeometry(design, minimum, shown->availableGeometry()));
    }
    // Maximised fills whatever screen this run has, even where the size before it does not fit.
    if (saved && saved->maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    if (saved && app::FitsOnAScreen(saved->helpGeometry, areas)) {
        helpViewer_->setGeometry(saved->helpGeometry);
    }
    placed_ = true;
}

bool frmKelvora::Form_Load() {
    if (!Load_ErrorTable(vars_)) {
        vars_.dialogs.MsgBox(MissingConstantsMessage(ErrorTablePath(vars_)), ui::Buttons::OK,
                             ui::Icon::Critical, ui::kProgramTitle);
        exitCode_ = 1;
        close();
        return false;
    }
    PlaceWindow();
    show();
    {
        frmLogin login(vars_, this);
        vars_.dialogs.ShowModal(login);
    }
    if (!vars_.LoginSucceeded) {
        close();
        return false;
    }
    txtFilename->setFocus();
    SetFileNameChoices(dictionary::AccountFileNames(vars_));
    UpdateRecentMenu();
    dataTypeList_ = dictionary::MakeDataTypeList();
    for (grid::DropDownList* list : TDBDropDown1) {
        list->Bind(dataTypeList_);
    }
    return true;
}

void frmKelvora::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    if (placed_) {
        app::SaveWindowPlacement(
            {normalGeometry(), isMaximized(), SSTab1->Tab(), helpViewer_->geometry()});
    }
    // The results are not read: the program ends whatever the server answers.
    if (vars_.session) {
        if (open_.file) {
            open_.file->CloseFile();
        }
        vars_.session->Disconnect();
    }
    helpViewer_->close();
}

void frmKelvora::closeEvent(QCloseEvent* event) {
    // Exit, the close button and Alt+F4 all come here: changed rows are not lost unasked.
    if (!unloaded_ && !editing_.SettleBeforeClose()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
    QApplication::quit();  // ends the program even while the help window is open
}

void frmKelvora::cmdExit_Click() {
    close();
}

void frmKelvora::cmdHelp_Click() {
    ShowHelp(QString());
}

void frmKelvora::ShowHelpForFocus() {
    ShowHelp(app::HelpAnchorFor(QApplication::focusWidget()));
}

void frmKelvora::ShowHelp(const QString& anchor) {
    const QString path =
        QFile::decodeName(core::DataFilePath(QFile::encodeName(vars_.programFolder).toStdString(),
                                             core::kHelpFileName)
                              .c_str());
    if (!helpViewer_->ShowSection(path, anchor)) {
        vars_.dialogs.MsgBox(QStringLiteral("The help file %1 cannot be opened.")
                                 .arg(QDir::toNativeSeparators(path)),
                             ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
    }
}

void frmKelvora::SSTab1_Click(int previousTab, int currentTab) {
    if (fraDetail->isVisible()) {
        Guarded([this] { editing_.ShowItemDetail(); });
    }
    fraValues->Follow();
    if (previousTab == kDivTab) {
        cmdMakeChild->setEnabled(false);
    }
    if (currentTab == kDivTab) {
        cmdMakeChild->setEnabled(true);
    }
}
