// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <string>

#include <QString>

#include "platform/mv/DynamicArray.h"

namespace grid {
class DataGrid;
class RowArray;
}  // namespace grid

namespace dictionary {

struct OpenDictionary;

// Keeps every row that shows an item in step with the account. An item can be shown by
// its view's own row array and, while a phrase narrows the grids, by the narrowed copy
// a grid shows instead; after each write or delete of this program every one of them
// shows what the account now holds, and the record is remembered as read, so the
// program's own writes never look like someone else's change.
//
// `acting` names the grid whose notification is running: it stores its current row
// itself once the handler returns, so Show leaves that row alone; Remove leaves the
// grid's whole array alone, since removing rows there would move the row the grid is
// about to remove.
class ShownItems {
public:
    ShownItems(OpenDictionary& open, const std::array<grid::DataGrid*, 4>& grids)
        : open_(open), grids_(grids) {}

    // The account holds `record` under `id`: every row of the item shows its fields.
    void Show(const std::string& id, const mv::DynamicArray& record,
              const grid::DataGrid* acting = nullptr);
    // The account no longer holds the item: its rows leave every array.
    void Remove(const std::string& id, const grid::DataGrid* acting = nullptr);
    // The account holds the item's `record` under `to` now, and nothing under `from`:
    // every row of it shows the new id, where the old one was.
    void Rename(const std::string& from, const std::string& to, const mv::DynamicArray& record);
    // Show or Remove, as the account's answer says (nullopt: the item is gone).
    void ShowAccount(const std::string& id, const std::optional<mv::DynamicArray>& now);

    // Adds a row for the item to the view's own array when a narrowed grid took it in
    // and the view has none: the full view shows it again once the narrowing ends.
    void AddToViewBehindNarrowing(int viewIndex, const std::string& id,
                                  const mv::DynamicArray& record);

    static bool Holds(const grid::RowArray& rows, const QString& id);

private:
    // A row left alone: `row` of `array`, or the whole array when row is -1.
    struct Skip {
        const grid::RowArray* array = nullptr;
        int row = -1;
    };
    template <typename Change>
    void ForEachArray(Skip skip, Change&& change);

    OpenDictionary& open_;
    const std::array<grid::DataGrid*, 4>& grids_;
};

}  // namespace dictionary
