// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <memory>
#include <optional>

#include <QPointer>
#include <QString>

#include "dictionary/DescriptorMarks.h"
#include "dictionary/ViewKind.h"
#include "platform/grid/CellNote.h"

namespace grid {
class DataGrid;
}

namespace dictionary {

class DictionaryScreen;
struct OpenDictionary;

// The notes the grids of the open dictionary show on their cells: a cell whose text does
// not follow the form its column expects (CellForms), checked on the typed value while a
// row is being typed and on the stored one otherwise; and every cell of an I or V item
// that does not compile, with the compiler's message. Rows are known by their item id,
// so the notes follow them into narrowed and sorted grids.
class GridNotes {
public:
    GridNotes(OpenDictionary& open, DictionaryScreen& screen) : open_(open), screen_(screen) {}
    ~GridNotes();
    GridNotes(const GridNotes&) = delete;
    GridNotes& operator=(const GridNotes&) = delete;

    // Gives each grid of the screen its notes, for as long as this object lives.
    void Attach();
    // Compiles the descriptors again when the items changed since the last compile
    // (an open, a refresh, a write or delete of this program), and draws the grids again
    // when the marks changed. Grids that paint find out by themselves as well; this makes
    // rows that are not being painted follow at once.
    void Refresh();

    const DescriptorMarks& Marks() const { return marks_; }

private:
    std::optional<grid::CellNote> NoteOf(ViewKind view, const grid::DataGrid& grid, int row,
                                         int column, const QString& shown);
    void RedrawLater();

    OpenDictionary& open_;
    DictionaryScreen& screen_;
    DescriptorMarks marks_;
    std::array<QPointer<grid::DataGrid>, kViewCount> attached_{};
    std::shared_ptr<bool> redrawPending_ = std::make_shared<bool>(false);
};

}  // namespace dictionary
