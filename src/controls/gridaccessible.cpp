// The grid as a screen reader reads it: a table of cells whose heading rows and
// columns are its headers, following the current cell.

#include "suiteframe/controls/grid.h"

#include "suiteframe/controls/accessible_p.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace controls {

namespace {

// One cell, which has no object of its own: it stands for a row and column of the grid
// for as long as the grid has them.
class GridCellAccessible : public QAccessibleInterface,
                           public QAccessibleTableCellInterface
{
public:
    GridCellAccessible(Grid *grid, int row, int col)
        : m_grid(grid)
        , m_row(row)
        , m_col(col)
    {}

    bool isValid() const override
    {
        return m_grid && m_row < m_grid->Rows() && m_col < m_grid->Cols();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid->window()->windowHandle(); }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_grid.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QRect rect() const override { return QRect(); }

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name && isValid() ? m_grid->cellText(m_row, m_col) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}

    QAccessible::Role role() const override
    {
        if (m_col < m_grid->FixedCols())
            return QAccessible::RowHeader;
        if (m_row < m_grid->FixedRows())
            return QAccessible::ColumnHeader;
        return QAccessible::Cell;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.selectable = true;
        state.selected = isSelected();
        state.focused = state.selected && m_grid->hasFocus();
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface *>(this)
                   : nullptr;
    }

    // The reader follows the current cell, the one a selection starts from.
    bool isSelected() const override { return m_row == m_grid->Row() && m_col == m_grid->Col(); }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        return headers(m_grid->FixedRows(), [this](int row) { return std::pair(row, m_col); });
    }
    QList<QAccessibleInterface *> rowHeaderCells() const override
    {
        return headers(m_grid->FixedCols(), [this](int col) { return std::pair(m_row, col); });
    }
    int columnIndex() const override { return m_col; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    // The heading cells of the cell's row or column; a heading cell heads itself, as a
    // reader asks the first cell of a row for the row's header.
    template<typename CellOf>
    QList<QAccessibleInterface *> headers(int count, CellOf cellOf) const
    {
        QList<QAccessibleInterface *> cells;
        auto *table = parent() ? parent()->tableInterface() : nullptr;
        for (int i = 0; table && i < count; ++i) {
            const auto [row, col] = cellOf(i);
            if (row < m_grid->Rows() && col < m_grid->Cols())
                cells << table->cellAt(row, col);
        }
        return cells;
    }

    QPointer<Grid> m_grid;
    int m_row;
    int m_col;
};

class GridAccessible : public QAccessibleWidget,
                       public QAccessibleTableInterface
{
public:
    explicit GridAccessible(Grid *grid)
        : QAccessibleWidget(grid, QAccessible::Table)
    {}

    ~GridAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The cells, row by row, are the table's children.
    int childCount() const override { return grid()->Rows() * grid()->Cols(); }
    QAccessibleInterface *child(int index) const override
    {
        const int cols = grid()->Cols();
        return index < 0 || cols == 0 || index >= childCount() ? nullptr
                                                               : cellAt(index / cols, index % cols);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *cell = const_cast<QAccessibleInterface *>(child)->tableCellInterface();
        return cell ? cell->rowIndex() * grid()->Cols() + cell->columnIndex() : -1;
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || column < 0 || row >= grid()->Rows() || column >= grid()->Cols())
            return nullptr;
        const quint64 key = (quint64(row) << 32) | quint32(column);
        if (const auto found = m_cells.constFind(key); found != m_cells.constEnd())
            if (QAccessibleInterface *cell = QAccessible::accessibleInterface(*found))
                return cell;
        auto *cell = new GridCellAccessible(grid(), row, column);
        m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int columnCount() const override { return grid()->Cols(); }
    int rowCount() const override { return grid()->Rows(); }
    QString columnDescription(int column) const override
    {
        return grid()->FixedRows() > 0 && grid()->Rows() > 0 ? grid()->cellText(0, column)
                                                             : QString();
    }
    QString rowDescription(int row) const override
    {
        return grid()->FixedCols() > 0 && grid()->Cols() > 0 ? grid()->cellText(row, 0) : QString();
    }
    int selectedCellCount() const override { return grid()->Row() >= 0 ? 1 : 0; }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        if (grid()->Row() < 0)
            return {};
        return {cellAt(grid()->Row(), grid()->Col())};
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    Grid *grid() const { return static_cast<Grid *>(widget()); }

    mutable QHash<quint64, QAccessible::Id> m_cells;
};

} // namespace

void Grid::installAccessibility()
{
    installAccessible<Grid, GridAccessible>();
}

// As Qt's item views do: a focus event on the grid that names the cell as its child.
void Grid::announceCurrentCell()
{
    if (!QAccessible::isActive() || m_row < 0 || !hasFocus())
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(m_row * Cols() + m_col);
    QAccessible::updateAccessibility(&focus);
}

} // namespace controls
