// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "dictionary/OpenDictionary.h"
#include "platform/grid/RowArrayModel.h"
#include "tests/support/MainWindowFixture.h"

// The main window on a dictionary ORDERS with items of every view, and helpers that
// edit grid rows as the user does and describe the boxes shown in one readable line.
class EditingFixture : public MainWindowFixture {
protected:
    using Fields = QByteArrayList;
    static constexpr int kAS = 0;
    static constexpr int kPH = 1;
    static constexpr int kDIV = 2;
    static constexpr int kOther = 3;

    void makeOrders(bool withPhrase = true) {
        const QString file = QStringLiteral("ORDERS");
        makeDictionary(file);
        writeItem(file, QStringLiteral("ORDERS"), {"D", "0"});
        writeItem(file, QStringLiteral("QTY"), {"D Quantity", "3", "", "Qty", "5R", "S"});
        writeItem(file, QStringLiteral("PRICE"), {"D", "4", "MD2", "Price", "8R", "S"});
        writeItem(file, QStringLiteral("TOTAL"), {"I", "QTY * PRICE", "MD2", "Total", "10R", "S"});
        writeItem(file, QStringLiteral("ORD.QTY"),
                  {"A", "3", "Qty", "", "S", "", "", "", "", "R", "5", "eleven"});
        writeItem(file, QStringLiteral("NEXT"), {"X", "100"});
        writeItem(file, QStringLiteral("@EMPTY.NULL"), {"X"});
        if (withPhrase) {
            writeItem(file, QStringLiteral("LINES"), {"PH", "QTY PRICE TOTAL"});
        }
    }

    // Logs in to UniVerse and opens ORDERS; the boxes of the open are cleared.
    void openOrders(bool withPhrase = true) {
        makeOrders(withPhrase);
        login();
        open(QStringLiteral("ORDERS"));
        ASSERT_TRUE(dialogs.shown().empty()) << prompts().join(QLatin1Char('|')).toStdString();
        dialogs.clear();
    }

    Fields onDisk(const char* id) const {
        return itemFields(QStringLiteral("ORDERS"), QString::fromLatin1(id));
    }

    int rowOf(int view, const char* id) const {
        return static_cast<int>(column(view, 0).indexOf(QString::fromLatin1(id)));
    }

    // Makes the row current and types each (column, text) into it, as the user does.
    void type(int view, int row, const std::vector<std::pair<int, QString>>& cells) {
        grid::DataGrid& g = grid(view);
        ASSERT_TRUE(g.SetCurrentRow(row));
        for (const auto& [col, text] : cells) {
            g.SetCol(col);
            ASSERT_TRUE(g.SetText(text));
        }
    }

    // Types a new row into the empty line at the bottom.
    void typeNewRow(int view, const std::vector<std::pair<int, QString>>& cells) {
        type(view, grid(view).NewRowLine(), cells);
    }

    grid::CommitOutcome leaveRow(int view) { return grid(view).CommitRow(); }

    int counter(int view) const {
        return window->Dictionary().views->Counter(dictionary::ViewAt(view));
    }
    int arrayRows(int view) const {
        return window->Dictionary().views->Rows(dictionary::ViewAt(view))->RowCount();
    }

    void answer(std::initializer_list<ui::Answer> answers) {
        for (const ui::Answer a : answers) {
            dialogs.QueueAnswer(a);
        }
    }

    // Each box shown, as "prompt | buttons | icon | title" (input boxes: "input: ...").
    std::vector<std::string> boxes() const {
        std::vector<std::string> lines;
        for (const auto& box : dialogs.shown()) {
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
