// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include "platform/grid/DataGrid.h"
#include "platform/grid/RowArray.h"

// A shown, active DataGrid over a small array, driven with real key and mouse events,
// and a record of every notification it sent with what the array held at that moment.
class GridFixture : public ::testing::Test {
protected:
    struct Notice {
        enum Kind { BeforeSave, AfterSave, BeforeDelete, AfterDelete } kind;
        int viewIndex;
        int row;        // current row when sent
        int arrayRows;  // rows in the array when sent
    };

    void SetUp() override;
    void TearDown() override;

    // rows x 3 array, cell (r, c) = "r<r>c<c>".
    static std::shared_ptr<grid::RowArray> MakeArray(int rows, int columns = 3);

    // Keys go where the user's keys would: to the focused widget (an open editor).
    void Type(const QString& text);
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void ClickCell(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void ClickRowSelector(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void GoTo(int row, int column);

    int Count(Notice::Kind kind) const;

    QWidget window_;
    grid::DataGrid* grid_ = nullptr;
    std::shared_ptr<grid::RowArray> rows_;
    std::vector<Notice> notices_;
    // What the handlers do; by default nothing (the grid stores or removes).
    std::function<void(bool* cancel)> onBeforeSave_;
    std::function<void(bool* cancel)> onBeforeDelete_;
};
