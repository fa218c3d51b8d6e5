// SPDX-License-Identifier: MIT
#include <chrono>
#include <cstdlib>
#include <deque>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include "dictionary/ViewLayout.h"
#include "platform/ui/TabControl.h"
#include "tests/editing/EditingFixture.h"
#include "tests/support/MainWindowFixture.h"

// The real window used at random by a careless user: cells typed, rows left and dropped,
// rows deleted, tabs and phrases switched, every box answered at random, items changed in
// the account behind the program's back. Whatever happens, every row a grid shows (and
// every row of a view behind a narrowing) that is not being edited shows what the account
// holds, and nothing crashes.
//
// KELVORA_RANDOM_SEED repeats a run; KELVORA_RANDOM_SECONDS and KELVORA_RANDOM_STEPS bound
// it (both bounds apply, in any build).
namespace {

using dictionary::LayoutOf;
using dictionary::ViewAt;
using dictionary::ViewKind;

// Long enough to reach deep states on every run; a longer soak sets KELVORA_RANDOM_SECONDS.
constexpr int kDefaultSeconds = 15;
constexpr long long kDefaultSteps = 1'000'000;
constexpr std::size_t kActionsKept = 30;

long long EnvNumber(const char* name, long long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    return std::strtoll(text, nullptr, 10);
}

std::uint64_t SeedFromEnvironment() {
    const char* text = std::getenv("KELVORA_RANDOM_SEED");
    if (text != nullptr && *text != '\0') {
        return std::strtoull(text, nullptr, 10);
    }
    return std::random_device{}() * 0x100000000ULL + std::random_device{}();
}

// What the boxes said during a run, by what they stand for.
struct Tally {
    long long steps = 0;
    long long saves = 0;
    long long deletes = 0;
    long long copies = 0;
    long long refusedMarks = 0;      // field marks the cells refused
    long long refusedRows = 0;       // rows the program would not store as typed
    long long changedQuestions = 0;  // "changed in the account" questions
    long long serverErrors = 0;
};

class RandomUseTest : public EditingFixtureOn<MainWindowFixture> {
protected:
    std::uint64_t seed = SeedFromEnvironment();
    std::mt19937_64 random{seed};
    Tally tally;
    std::deque<std::string> lastActions;
    // Items changed in the account behind the program: their rows may rightly show
    // the old values until the program reads them again.
    std::set<QString> changedBehind;
    bool failed = false;
    std::set<std::string> serverErrors;  // each one the server reported, once

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    bool chance(int percent) { return below(100) < percent; }

    QString orders() const { return QStringLiteral("ORDERS"); }

    void note(const std::string& action) {
        lastActions.push_back("step " + std::to_string(tally.steps) + ": " + action);
        if (lastActions.size() > kActionsKept) {
            lastActions.pop_front();
        }
    }

    std::string history() const {
        std::ostringstream out;
        out << "seed " << seed << " (set KELVORA_RANDOM_SEED=" << seed << " to repeat), step "
            << tally.steps << "; the last actions:\n";
        for (const std::string& action : lastActions) {
            out << "  " << action << '\n';
        }
        return out.str();
    }

    void fail(const std::string& what) {
        ADD_FAILURE() << what << '\n' << history();
        failed = true;
    }

    // Ids the engine stores under their own names: capitals, digits and dots, never a dot
    // first or last, and no first letter that could begin a device name of Windows.
    QString randomId() {
        if (chance(50)) {
            static const char* const kKnown[] = {"QTY",  "PRICE",   "TOTAL", "LINES",
                                                 "NEXT", "ORD.QTY", "NEW1",  "NEW2"};
            return QString::fromLatin1(kKnown[below(8)]);
        }
        static const char kFirst[] = "BDEFGHIJKMOQRSTUVWXYZ";
        static const char kRest[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.";
        QString id(1, QLatin1Char(kFirst[below(static_cast<int>(sizeof kFirst) - 1)]));
        for (int n = below(6); n > 0; --n) {
            id += QLatin1Char(kRest[below(static_cast<int>(sizeof kRest) - 1)]);
        }
        if (id.endsWith(QLatin1Char('.'))) {
            id += QLatin1Char('0');
        }
        return id;
    }

    // Printable Latin-1, now and then a value or subvalue mark, rarely a field mark.
    QString randomText() {
        QString text;
        for (int n = below(8); n > 0; --n) {
            const int kind = below(100);
            if (kind < 6) {
                text += QChar(kind < 4 ? 0xFD : 0xFC);
            } else if (kind < 8) {
                text += QChar(0xFE);
            } else if (kind < 75) {
                text += QChar(0x20 + below(0x5F));
            } else {
                text += QChar(0xA0 + below(0x5B));  // up to U+00FA, below the marks
            }
        }
        return text;
    }

    // What the user types into a column: mostly sensible for it, sometimes anything.
    QString randomCell(int column) {
        if (column == dictionary::kTypeColumn && chance(60)) {
            static const char* const kTypes[] = {"D", "I", "V", "A", "S", "PH", "X", ""};
            return QString::fromLatin1(kTypes[below(8)]);
        }
        if (column == 2 && chance(40)) {
            static const char* const kSecond[] = {"3", "QTY * PRICE", "QTY PRICE", "QTY +", "0"};
            return QString::fromLatin1(kSecond[below(5)]);
        }
        return randomText();
    }

    static std::string show(const QString& text) {
        std::string out;
        for (const QChar c : text) {
            const ushort u = c.unicode();
            if (u >= 0x20 && u < 0x7F) {
                out += static_cast<char>(u);
            } else {
                out += "\\x" + QString::number(u, 16).toStdString();
            }
        }
        return '"' + out + '"';
    }

    // ---- actions -----------------------------------------------------------------

    grid::DataGrid& randomGrid(int* view) {
        *view = below(dictionary::kViewCount);
        return grid(*view);
    }

    int randomRow(const grid::DataGrid& g) {
        const int rows = g.NewRowLine() + 1;  // the rows and the empty line below them
        return below(rows);
    }

    void typeIntoCell() {
        int view = 0;
        grid::DataGrid& g = randomGrid(&view);
        const int row = randomRow(g);
        const bool moved = g.SetCurrentRow(row);
        const int last = LayoutOf(ViewAt(view)).LastColumn();
        const int column = chance(8) ? 0 : 1 + below(last);
        const QString text = column == 0 ? randomId() : randomCell(column);
        g.SetCol(column);
        const bool typed = g.SetText(text);
        note("grid " + std::to_string(view) + " row " + std::to_string(row) +
             (moved ? "" : " (not left)") + " column " + std::to_string(column) + " type " +
             show(text) + (typed ? "" : " refused"));
    }

    void typeNewRowAtTheBottom() {
        int view = 0;
        grid::DataGrid& g = randomGrid(&view);
        const bool moved = g.SetCurrentRow(g.NewRowLine());
        const QString id = chance(90) ? randomId() : QString();
        std::string what = "grid " + std::to_string(view) + " new row" +
                           (moved ? "" : " (not left)") + " id " + show(id);
        if (!id.isEmpty()) {
            g.SetCol(0);
            g.SetText(id);
        }
        const int last = LayoutOf(ViewAt(view)).LastColumn();
        for (int column = 1; column <= last; ++column) {
            if (column == 1 || chance(40)) {
                const QString text = randomCell(column);
                g.SetCol(column);
                what += " " + std::to_string(column) + "=" + show(text);
                g.SetText(text);
            }
        }
        note(what);
        if (chance(70)) {
            leave(view);
        }
    }

    // Overtypes the item id in the D/I/V grid and leaves the row: the copy's questions.
    void copyUnderNewName() {
        grid::DataGrid& g = grid(kDIV);
        if (g.NewRowLine() == 0) {
            return;
        }
        const int row = below(g.NewRowLine());
        const bool moved = g.SetCurrentRow(row);
        g.SetCol(0);
        const QString id = randomId();
        g.SetText(id);
        note("grid 2 row " + std::to_string(row) + (moved ? "" : " (not left)") + " overtype id " +
             show(id) + " and leave");
        leave(kDIV);
    }

    void leave(int view) {
        const grid::CommitOutcome outcome = grid(view).CommitRow();
        static const char* const kOutcomes[] = {"nothing pending", "stored", "re-read", "cancelled",
                                                "busy"};
        note("leave row of grid " + std::to_string(view) + ": " +
             kOutcomes[static_cast<int>(outcome)]);
    }

    void leaveARow() {
        int view = below(dictionary::kViewCount);
        for (int v = 0; v < dictionary::kViewCount; ++v) {
            if (grid(v).HasPendingRow() && chance(70)) {
                view = v;
            }
        }
        leave(view);
    }

    void pressKey(Qt::Key key, const char* name) {
        int view = 0;
        grid::DataGrid& g = randomGrid(&view);
        note("press " + std::string(name) + " in grid " + std::to_string(view) + " with " +
             std::to_string(g.HighlightCount()) + " highlighted");
        QTest::keyClick(&g, key);
    }

    void highlightRows() {
        int view = 0;
        grid::DataGrid& g = randomGrid(&view);
        QList<int> rows;
        for (int n = below(3); n >= 0 && g.NewRowLine() > 0; --n) {
            rows << below(g.NewRowLine());
        }
        g.SetHighlightedRows(rows);
        std::string what = "highlight in grid " + std::to_string(view) + ":";
        for (const int row : rows) {
            what += " " + std::to_string(row);
        }
        note(what);
    }

    void switchTab() {
        const int tab = below(window->Tabs()->TabCount());
        note("tab " + std::to_string(tab));
        window->Tabs()->SetTab(tab);
    }

    void choosePhrase() {
        if (phrases().count() == 0) {
            return;
        }
        const int index = below(phrases().count());
        note("phrase " + std::to_string(index) + " " + show(phrases().itemText(index)));
        phrases().setCurrentIndex(index);
        emit phrases().activated(index);
        if (index == 0) {
            forgetChangesBehindWhenReadAgain();
        }
    }

    void openAgain() {
        note("open ORDERS again");
        open(orders());
        forgetChangesBehindWhenReadAgain();
    }

    // An open or refresh reads every item unless a row stayed pending and stopped it.
    void forgetChangesBehindWhenReadAgain() {
        for (int view = 0; view < dictionary::kViewCount; ++view) {
            if (grid(view).HasPendingRow()) {
                return;
            }
        }
        changedBehind.clear();
    }

    // Someone else writes or deletes an item while the program shows it.
    void changeInTheAccount() {
        const grid::DataGrid& g = grid(below(dictionary::kViewCount));
        const QString id = g.NewRowLine() > 0 && chance(70)
                               ? g.BoundArray()->Cell(below(g.NewRowLine()), 0)
                               : randomId();
        const QString path = dictionaryPath(orders()) + QLatin1Char('/') + id;
        changedBehind.insert(id);
        if (chance(25)) {
            QFile::remove(path);
            note("behind the program: delete " + show(id));
            return;
        }
        QByteArrayList fields;
        fields << randomCell(1).remove(QChar(0xFE)).toLatin1();
        for (int n = below(10); n > 0; --n) {
            fields << randomText().remove(QChar(0xFE)).toLatin1();
        }
        QFile item(path);
        ASSERT_TRUE(item.open(QIODevice::WriteOnly));
        item.write(fields.join('\n'));
        note("behind the program: write " + show(id) + " type " + show(QString(fields[0])));
    }

    // What the grids show, never what the account holds: a find, a header click.
    void findOrSort() {
        if (chance(50)) {
            QLineEdit& box = control<QLineEdit>("txtFind");
            const QString text = chance(40) ? QString() : randomText().left(1 + below(2));
            note("find " + show(text));
            box.setText(text);
            return;
        }
        int view = 0;
        grid::DataGrid& g = randomGrid(&view);
        const int column = below(LayoutOf(ViewAt(view)).LastColumn() + 1);
        note("click the header of column " + std::to_string(column) + " of grid " +
             std::to_string(view));
        emit g.horizontalHeader()->sectionClicked(column);
    }

    // Undo, redo, or a restore from an item's history, each through the window's menu.
    void undoOrRestore() {
        const auto viewsBefore = Dictionary().views;
        const int pick = below(10);
        if (pick < 5) {
            note("undo");
            control<QAction>("mnuUndo").trigger();
        } else if (pick < 8) {
            note("redo");
            control<QAction>("mnuRedo").trigger();
        } else {
            const int view = window->Tabs()->Tab();
            note("history of the current row of grid " + std::to_string(view));
            control<QAction>("mnuHistory").trigger();
        }
        // An undo or a restore that brings an item back reads the dictionary again.
        if (Dictionary().views != viewsBefore) {
            forgetChangesBehindWhenReadAgain();
        }
    }

    void step() {
        if (chance(8)) {
            if (chance(60)) {
                findOrSort();
            } else {
                undoOrRestore();
            }
            return;
        }
        const int pick = below(100);
        if (pick < 30) {
            typeIntoCell();
        } else if (pick < 45) {
            leaveARow();
        } else if (pick < 50) {
            pressKey(Qt::Key_Escape, "Escape");
        } else if (pick < 58) {
            pressKey(Qt::Key_Delete, "Delete");
        } else if (pick < 66) {
            highlightRows();
        } else if (pick < 71) {
            switchTab();
        } else if (pick < 77) {
            choosePhrase();
        } else if (pick < 87) {
            typeNewRowAtTheBottom();
        } else if (pick < 92) {
            copyUnderNewName();
        } else if (pick < 97) {
            changeInTheAccount();
        } else {
            openAgain();
        }
    }

    // ---- what the boxes said ------------------------------------------------------

    void tallyBoxes() {
        for (std::size_t index = 0; index < dialogs.shown().size(); ++index) {
            const auto& box = dialogs.shown()[index];
            const QString& prompt = box.prompt;
            note("  box " + show(prompt.left(60)) + " -> " +
                 dialogs.RandomAnswerTo(index).toStdString());
            if (prompt.endsWith(QStringLiteral(" record updated"))) {
                ++tally.saves;
            } else if (prompt.endsWith(QStringLiteral(" has been deleted"))) {
                ++tally.deletes;
            } else if (prompt.startsWith(QStringLiteral("If you want to save this attribute"))) {
                ++tally.copies;
            } else if (box.title == QStringLiteral("Changed in the account")) {
                ++tally.changedQuestions;
            } else if (box.title == QStringLiteral("Generic and Visible File System Error")) {
                ++tally.serverErrors;
                serverErrors.insert(show(prompt));
            } else if (box.icon == ui::Icon::Critical || box.icon == ui::Icon::Exclamation) {
                ++tally.refusedRows;
            }
            bool numbered = false;
            box.title.toInt(&numbered);
            if (box.icon == ui::Icon::Critical && numbered) {
                fail("An unexpected failure reached the user: " + show(prompt));
            }
        }
        tally.refusedMarks += dialogs.beeps();
        dialogs.clear();
    }

    // ---- the invariant --------------------------------------------------------------

    // The item's fields as the account holds them; nullopt when it holds none.
    std::optional<QByteArrayList> account(const QString& id) const {
        if (!itemExists(orders(), id)) {
            return std::nullopt;
        }
        return itemFields(orders(), id);
    }

    void checkRows(const grid::RowArray& rows, int view, int skipRow, const char* where,
                   std::set<QString>& inStep, std::set<QString>& outOfStep) {
        const int last = LayoutOf(ViewAt(view)).LastColumn();
        for (int row = 0; row < rows.RowCount() && !failed; ++row) {
            if (row == skipRow) {
                continue;
            }
            const QString id = rows.Cell(row, 0);
            const std::optional<QByteArrayList> fields = account(id);
            std::string difference;
            if (!fields) {
                difference = "the account holds no such item";
            }
            for (int column = 1; fields && column <= last && difference.empty(); ++column) {
                const QString held = QString::fromLatin1(fields->value(column - 1));
                if (rows.Cell(row, column) != held) {
                    difference = "column " + std::to_string(column) + " shows " +
                                 show(rows.Cell(row, column)) + ", the account holds " + show(held);
                }
            }
            if (difference.empty()) {
                inStep.insert(id);
                continue;
            }
            outOfStep.insert(id);
            if (changedBehind.count(id) == 0) {
                fail(std::string(where) + " of view " + std::to_string(view) + ", row " +
                     std::to_string(row) + " " + show(id) + ": " + difference);
            }
        }
    }

    void checkEveryRow() {
        std::set<QString> inStep;
        std::set<QString> outOfStep;
        for (int view = 0; view < dictionary::kViewCount && !failed; ++view) {
            const grid::DataGrid& g = grid(view);
            const bool editing = g.HasPendingRow() && !g.PendingRowIsNew();
            const std::shared_ptr<grid::RowArray>& shown = g.BoundArray();
            if (shown) {
                checkRows(*shown, view, editing ? g.CurrentRow() : -1, "Grid", inStep, outOfStep);
            }
            const std::shared_ptr<grid::RowArray> own = Dictionary().views->Rows(ViewAt(view));
            if (own && own != shown) {
                checkRows(*own, view, -1, "The array behind the narrowed grid", inStep, outOfStep);
            }
        }
        // An item changed behind the program is held to the rule again once every row of
        // it shows the account.
        for (const QString& id : inStep) {
            if (outOfStep.count(id) == 0) {
                changedBehind.erase(id);
            }
        }
    }

    // Leaves every pending row, and drops the ones the program would not store.
    void settle() {
        for (int view = 0; view < dictionary::kViewCount; ++view) {
            if (!grid(view).HasPendingRow()) {
                continue;
            }
            leave(view);
            if (grid(view).HasPendingRow()) {
                note("drop the row of grid " + std::to_string(view));
                grid(view).CancelRow();
            }
        }
    }
};

TEST_F(RandomUseTest, everyRowShownOutsideEditingMatchesTheAccountWhateverTheUserDoes) {
    openOrders();
    dialogs.AnswerAtRandom(random, [this](const QString&) -> std::optional<QString> {
        const int kind = below(10);
        if (kind < 3) {
            return std::nullopt;
        }
        return kind < 4 ? QString() : randomId();
    });

    // First, so that a run that crashes or hangs can be repeated all the same.
    std::printf("seed %llu (set KELVORA_RANDOM_SEED=%llu to repeat)\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    const auto seconds = std::chrono::seconds(EnvNumber("KELVORA_RANDOM_SECONDS", kDefaultSeconds));
    const long long maxSteps = EnvNumber("KELVORA_RANDOM_STEPS", kDefaultSteps);
    const auto start = std::chrono::steady_clock::now();
    while (!failed && tally.steps < maxSteps &&
           std::chrono::steady_clock::now() - start < seconds) {
        ++tally.steps;
        step();
        tallyBoxes();
        if (!failed) {
            checkEveryRow();
        }
    }
    if (!failed) {
        settle();
        tallyBoxes();
        if (!failed) {
            checkEveryRow();
        }
    }

    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "seed %llu: %lld steps in %.1f s (%.0f a second); %lld saves, %lld deletes, "
        "%lld copies asked, %lld changed-in-account questions, %lld field marks "
        "refused, %lld rows refused, %lld server errors\n",
        static_cast<unsigned long long>(seed), tally.steps, elapsed, tally.steps / elapsed,
        tally.saves, tally.deletes, tally.copies, tally.changedQuestions, tally.refusedMarks,
        tally.refusedRows, tally.serverErrors);
    for (const std::string& error : serverErrors) {
        std::printf("server error: %s\n", error.c_str());
    }
    if (HasFailure() && !failed) {
        ADD_FAILURE() << history();
    }
}

}  // namespace
