// The grid's cell table: the rows of cell references into the packed text store.
// Internal to the grid; not installed.

#pragma once

#include "suiteframe/controls/celltextstore_p.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/controls/segmentedarray_p.h"

namespace controls {

using CellRow = SegmentedArray<CellRef>;

struct Grid::CellTable
{
    CellTextStore text;
    SegmentedArray<CellRow> rows;
    // A card gains a column per record.
    SegmentedArray<ColumnState> columns;
};

} // namespace controls
