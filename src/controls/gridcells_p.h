// The grid's cell table: the rows of cell references into the packed text store.
// Internal to the grid; not installed.

#pragma once

#include "suiteframe/controls/celltextstore_p.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/controls/segmentedarray_p.h"

namespace controls {

using CellRow = SegmentedArray<CellRef>;

// Rows that went while columns waited to be sized, kept to size those columns from
// should they be needed before they go too.
struct SetAsideRows
{
    CellTextStore text;
    SegmentedArray<CellRow> rows;
};

struct Grid::CellTable
{
    CellTextStore text;
    SegmentedArray<CellRow> rows;
    // A card gains a column per record.
    SegmentedArray<ColumnState> columns;
    // While it is kept, every column waiting to be sized is sized from it.
    std::unique_ptr<SetAsideRows> setAside;
};

} // namespace controls
