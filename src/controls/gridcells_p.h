// The grid's cell table: the rows of cell references into the packed text store.
// Internal to the grid; not installed.

#pragma once

#include "suiteframe/controls/celltextstore_p.h"
#include "suiteframe/controls/grid.h"

#include <deque>
#include <vector>

namespace controls {

using CellRow = std::vector<CellRef>;

struct Grid::CellTable
{
    CellTextStore text;
    std::deque<CellRow> rows; // rows never move as rows are appended
};

} // namespace controls
