// The grid's cell table: the rows of cell references into the packed text store.
// Internal to the grid; not installed.

#pragma once

#include "suiteframe/controls/celltextstore_p.h"
#include "suiteframe/controls/grid.h"

#include <deque>

namespace controls {

// A row's cells in blocks: a row that gains a column per record grows without moving
// the cells it has.
using CellRow = std::deque<CellRef>;

struct Grid::CellTable
{
    CellTextStore text;
    std::deque<CellRow> rows; // rows never move as rows are appended
};

} // namespace controls
