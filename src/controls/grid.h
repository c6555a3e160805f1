// The grid control: a table of text cells with heading rows and columns.

#pragma once

#include <QAbstractScrollArea>
#include <QAnyStringView>

#include <memory>
#include <vector>

namespace platform {
class Value;
}

namespace controls {

struct CellRef;
class CellTextStore;

// The grid control: a table of text cells, addressed by row and column from 0, whose
// leading heading rows and columns are drawn as headings and stay in place while the
// rest scrolls, the columns by whole columns as on the old desktop. Cells are packed into
// one text store; painting touches only the visible cells, a column is measured when it
// is first seen or asked for, and autoSizeColumns after appending rows measures only
// what was added.
//
// Settings that are out of range throw platform::RuntimeError: 380 for an invalid
// value (a negative count or font size), 381 for a row or column index outside the
// grid.
class Grid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // Column alignments (columnAlignment): left, centre or right, each at the top,
    // centre or bottom of the cell, and the general setting that places numbers on
    // the right and other texts on the left.
    enum Alignment {
        AlignLeftTop,
        AlignLeftCenter,
        AlignLeftBottom,
        AlignCenterTop,
        AlignCenterCenter,
        AlignCenterBottom,
        AlignRightTop,
        AlignRightCenter,
        AlignRightBottom,
        AlignGeneral
    };

    explicit Grid(QWidget *parent = nullptr);
    ~Grid() override;

    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);
    // Heading counts may exceed the grid's rows or columns; only the existing rows and
    // columns among them are drawn as headings.
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int rows);
    int FixedCols() const { return m_fixedCols; }
    void setFixedCols(int cols);
    float FontSize() const;
    void setFontSize(float points);

    // Appends a row and fills its cells from column 0 on with the tab-separated parts
    // of item; parts beyond the last column are dropped.
    void appendRow(const QString &item);
    QString cellText(int row, int col) const;
    // A text of any encoding: the embedded database's UTF-8 texts go in without being
    // made QStrings.
    void setCellText(int row, int col, QAnyStringView text);
    // Sets a cell to a value kept as it is: its text, the value's as the runtime writes
    // it (Value::toText; none for Null and Empty), is made only when the cell is
    // painted, measured, copied or asked for, so that a grid of many numbers and dates
    // holds them in little memory.
    void setCellValue(int row, int col, const platform::Value &value);
    int columnAlignment(int col) const;
    void setColumnAlignment(int col, int alignment);
    // Column width in twips.
    double columnWidthTwips(int col) const;
    // Sizes the columns first to last to their widest cell. A column is measured when
    // its width is first needed, which gives the same width: filling a grid of a million
    // records costs no measuring until it is shown.
    void autoSizeColumns(int first, int last);

    // The current cell and the selected range (anchor to current, inclusive);
    // row and column -1 when nothing is selected.
    int Row() const { return m_row; }
    int Col() const { return m_col; }
    void select(int row, int col, int anchorRow, int anchorCol);
    void selectAll();
    // Tab-separated text, rows ending in a line feed: the selection, or every cell.
    QString selectedText() const;
    QString clipText() const;
    void copySelection() const;

    // Bytes held for the cells: texts, cell references and row tables.
    std::size_t cellBytes() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    static constexpr int CellPadding = 3; // pixels left and right of a cell's text
    static constexpr int MinimumColumnWidth = 2 * CellPadding + 2;
    // Rows below a changed cell few enough to be measured again when the column is sized.
    static constexpr int RowsMeasuredWhenSized = 64;
    // More rows than memory could hold anyway: more are refused as out of memory.
    static constexpr int MostRows = (1 << 26) - 1;

    struct ColumnState
    {
        // Kept small, twelve bytes: a card has a column per record.
        int width = -1;         // pixels; -1 until sized
        float contentWidth = 0; // widest text measured in this column
        // Rows 0 .. measuredRows-1 are in contentWidth; a grid has at most MostRows.
        quint32 measuredRows : 26 = 0;
        quint32 alignment : 4 = AlignGeneral;
        quint32 stale : 1 = false; // a measured cell shrank: measure the column anew
        // autoSizeColumns was asked for it: sized as its width is first needed (laid
        // out, painted, asked for) or before its cells, rows or font change.
        quint32 sizePending : 1 = false;

        void forgetMeasurement()
        {
            contentWidth = 0;
            measuredRows = 0;
            stale = false;
        }
    };
    struct CellTable; // gridcells_p.h

    // Screen readers read the grid as a table (gridaccessible.cpp).
    static void installAccessibility();
    void announceCurrentCell();

    void checkCell(int row, int col) const;
    void checkColumn(int col) const;
    void writeCell(int row, int col, QAnyStringView text);
    void writeCell(int row, int col, CellRef ref);
    // Any cell's change, keeping its column's size and measurement and the store true.
    [[gnu::noinline]] void changeCell(int row, int col, CellRef ref);
    void keepMeasured(ColumnState &column, int row, CellRef old, CellRef ref) const;
    void cellWritten();
    qreal measureCell(CellRef ref) const;
    qreal measureCell(const CellTextStore &store, CellRef ref) const;
    void dropCell(CellRef &ref);
    void compactIfWasteful();
    void forgetMeasurements();
    void sizeColumn(int col) const;
    void sizePendingColumns() const;
    void forgetSetAsideRows() const;

    qreal measure(QAnyStringView text) const;
    int columnWidth(int col) const;
    int defaultColumnWidth() const;

    void invalidateLayout();
    void ensureLayout();
    void updateScrollBars();
    int shownFixedRows() const;
    int shownFixedCols() const;
    int fixedWidth() const;
    int fixedHeight() const;
    // The first scrolling column in view.
    int leftColumn() const;
    int lastLeftColumn(int pageWidth) const;
    int columnsInView(int pageWidth) const;
    int columnX(int col) const;
    QRect cellRect(int row, int col) const;
    int columnAt(int x) const;
    int rowAt(int y) const;
    bool cellAt(const QPoint &pos, int *row, int *col) const;
    void moveCurrent(int row, int col, bool extend);
    void ensureCellVisible(int row, int col);
    bool isSelected(int row, int col) const;
    QString rangeText(int top, int left, int bottom, int right) const;
    void paintCell(QPainter &painter, int row, int col, const QRect &rect, bool fixed) const;

    // The cells and the columns' states. A column asked to be sized is sized as its
    // width is first read, by const members too.
    std::unique_ptr<CellTable> m_cells;
    mutable bool m_sizesPending = false;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
    int m_rowHeight = 0;
    int m_row = -1, m_col = -1, m_anchorRow = -1, m_anchorCol = -1;

    // Advance widths of the font by UTF-16 unit; 0 not yet measured, -1 a unit that
    // needs the full text layout (surrogates, marks, controls).
    mutable std::vector<float> m_advances;
    // While the pending columns are sized: the widths of the small values met (dates,
    // flags), which repeat down a card; their texts depend on the locale, so they are
    // kept no longer than the pass.
    struct ValueWidths;
    mutable std::unique_ptr<ValueWidths> m_passWidths;

    bool m_layoutPending = false;
};

} // namespace controls
