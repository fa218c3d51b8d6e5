// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "dictionary/OpenDictionary.h"
#include "dictionary/ViewSet.h"
#include "platform/grid/RowArrayModel.h"
#include "tests/support/ScreenFixture.h"

// A dictionary ORDERS with items of every view, opened on a screen (the handlers' test
// screen, or the main window for the tests of its wiring), and helpers that edit grid
// rows as the user does and describe the boxes shown in one readable line.
template <typename Screen>
class EditingFixtureOn : public Screen {
protected:
    using Fields = QByteArrayList;
    static constexpr int kAS = 0;
    static constexpr int kPH = 1;
    static constexpr int kDIV = 2;
    static constexpr int kOther = 3;

    void makeOrders(bool withPhrase = true) {
        const QString file = QStringLiteral("ORDERS");
        this->makeDictionary(file);
        this->writeItem(file, QStringLiteral("ORDERS"), {"D", "0"});
        this->writeItem(file, QStringLiteral("QTY"), {"D Quantity", "3", "", "Qty", "5R", "S"});
        this->writeItem(file, QStringLiteral("PRICE"), {"D", "4", "MD2", "Price", "8R", "S"});
        this->writeItem(file, QStringLiteral("TOTAL"),
                        {"I", "QTY * PRICE", "MD2", "Total", "10R", "S"});
        this->writeItem(file, QStringLiteral("ORD.QTY"),
                        {"A", "3", "Qty", "", "S", "", "", "", "", "R", "5", "eleven"});
        this->writeItem(file, QStringLiteral("NEXT"), {"X", "100"});
        this->writeItem(file, QStringLiteral("@EMPTY.NULL"), {"X"});
        if (withPhrase) {
            this->writeItem(file, QStringLiteral("LINES"), {"PH", "QTY PRICE TOTAL"});
        }
    }

    // Logs in to UniVerse and opens ORDERS; the boxes of the open are cleared.
    void openOrders(bool withPhrase = true) {
        makeOrders(withPhrase);
        this->login();
        this->open(QStringLiteral("ORDERS"));
        ASSERT_TRUE(this->dialogs.shown().empty())
            << this->prompts().join(QLatin1Char('|')).toStdString();
        this->dialogs.clear();
    }

    Fields onDisk(const char* id) const {
        return this->itemFields(QStringLiteral("ORDERS"), QString::fromLatin1(id));
    }

    int rowOf(int view, const char* id) const {
        return static_cast<int>(this->column(view, 0).indexOf(QString::fromLatin1(id)));
    }

    // Makes the row current and types each (column, text) into it, as the user does.
    void type(int view, int row, const std::vector<std::pair<int, QString>>& cells) {
        grid::DataGrid& g = this->grid(view);
        ASSERT_TRUE(g.SetCurrentRow(row));
        for (const auto& [col, text] : cells) {
            g.SetCol(col);
            ASSERT_TRUE(g.SetText(text));
        }
    }

    // Types a new row into the empty line at the bottom.
    void typeNewRow(int view, const std::vector<std::pair<int, QString>>& cells) {
        type(view, this->grid(view).NewRowLine(), cells);
    }

    // Leaves the pending row as moving in the grid does.
    grid::CommitOutcome leaveRow(int view) {
        return this->grid(view).CommitRow(grid::CommitCause::LeavingRow);
    }

    int counter(int view) const {
        return this->Dictionary().views->Counter(dictionary::ViewAt(view));
    }
    int arrayRows(int view) const {
        return this->Dictionary().views->Rows(dictionary::ViewAt(view))->RowCount();
    }

    void answer(std::initializer_list<ui::Answer> answers) {
        for (const ui::Answer a : answers) {
            this->dialogs.QueueAnswer(a);
        }
    }

    // Each box shown, as "prompt | buttons | icon | title" (input boxes: "input: ...").
    std::vector<std::string> boxes() const {
        std::vector<std::string> lines;
        for (const auto& box : this->dialogs.shown()) {
            if (box.kind == ScriptedDialogs::Kind::InputBox) {
                lines.push_back("input: " + box.prompt.toStdString() + " | " +
                                box.title.toStdString());
                continue;
            }
            lines.push_back(box.prompt.toStdString() + " | " + ButtonsName(box.buttons) + " | " +
                            IconName(box.icon) + " | " + box.title.toStdString());
        }
        return lines;
    }

    // The engine's refusal of a field that holds a line feed, as the error table names it.
    static constexpr const char* kLineFeedRefused =
        "The record cannot be stored faithfully: a field holds a line feed";

    static std::string saveQuestion() { return "Save? | YesNo | None | Kelvora"; }
    static std::string written(const std::string& id) {
        return id + " record updated | OK | None | Written";
    }
    static std::string serverError(const std::string& name, const std::string& file,
                                   const std::string& record) {
        return name + " -->File: " + file + " -->Record: " + record +
               " | OK | Critical | Generic and Visible File System Error";
    }

private:
    static std::string ButtonsName(ui::Buttons buttons) {
        static const char* const names[] = {"OK", "OKCancel", "YesNo", "YesNoCancel"};
        return names[static_cast<int>(buttons)];
    }
    static std::string IconName(ui::Icon icon) {
        static const char* const names[] = {"None", "Critical", "Question", "Exclamation",
                                            "Information"};
        return names[static_cast<int>(icon)];
    }
};

using EditingFixture = EditingFixtureOn<ScreenFixture>;
