// The grid control on screen: the cells' geometry and scrolling, painting, the
// selection with keyboard and mouse, and copying the selection as text.

#include "suiteframe/controls/grid.h"
#include "suiteframe/controls/gridcells_p.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace controls {

namespace {

bool looksNumeric(QStringView text)
{
    bool ok = false;
    (void) QLocale::system().toDouble(text, &ok);
    if (!ok)
        (void) text.toDouble(&ok);
    return ok;
}

Qt::Alignment cellAlignment(int setting, QStringView text)
{
    if (setting == Grid::AlignGeneral)
        return Qt::AlignVCenter | (looksNumeric(text) ? Qt::AlignRight : Qt::AlignLeft);
    static constexpr Qt::AlignmentFlag horizontal[] = {Qt::AlignLeft,
                                                       Qt::AlignHCenter,
                                                       Qt::AlignRight};
    static constexpr Qt::AlignmentFlag vertical[] = {Qt::AlignTop,
                                                     Qt::AlignVCenter,
                                                     Qt::AlignBottom};
    return horizontal[setting / 3] | vertical[setting % 3];
}

} // namespace

// --- Geometry -------------------------------------------------------------------
//
// The scrolling columns move by whole columns, as on the old desktop's grid: the
// horizontal scroll bar counts the columns scrolled past. Only the columns in view are
// laid out, so a card of a million records is measured no further than it is seen.

void Grid::invalidateLayout()
{
    if (isVisible()) // a grid shown later is painted whole then
        viewport()->update();
    // Many changes in a row (a row append per line, a column per record) lay out once.
    if (!m_layoutPending) {
        m_layoutPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_layoutPending = false;
                ensureLayout();
            },
            Qt::QueuedConnection);
    }
}

void Grid::ensureLayout()
{
    updateScrollBars();
}

void Grid::updateScrollBars()
{
    const QSize page = viewport()->size();
    const int pageWidth = std::max(0, page.width() - fixedWidth());
    QScrollBar *h = horizontalScrollBar();
    h->setRange(0, lastLeftColumn(pageWidth) - shownFixedCols());
    h->setPageStep(columnsInView(pageWidth));
    h->setSingleStep(1);

    const int contentHeight = (Rows() - shownFixedRows()) * m_rowHeight;
    const int pageHeight = std::max(0, page.height() - fixedHeight());
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - pageHeight));
    verticalScrollBar()->setPageStep(pageHeight);
    verticalScrollBar()->setSingleStep(m_rowHeight);
}

int Grid::shownFixedRows() const
{
    return std::min(m_fixedRows, Rows());
}
int Grid::shownFixedCols() const
{
    return std::min(m_fixedCols, Cols());
}
int Grid::fixedWidth() const
{
    int width = 0;
    for (int col = 0; col < shownFixedCols(); ++col)
        width += columnWidth(col);
    return width;
}
int Grid::fixedHeight() const
{
    return shownFixedRows() * m_rowHeight;
}

int Grid::leftColumn() const
{
    return shownFixedCols() + horizontalScrollBar()->value();
}

// The first scrolling column in view when the view is scrolled to the end: the last
// columns that fit in pageWidth, or the last column alone where it is wider.
int Grid::lastLeftColumn(int pageWidth) const
{
    int left = Cols();
    for (int used = 0; left > shownFixedCols() && used + columnWidth(left - 1) <= pageWidth;)
        used += columnWidth(--left);
    return std::max(shownFixedCols(), std::min(left, Cols() - 1));
}

// The scrolling columns that fit in pageWidth from the first in view; one at least.
int Grid::columnsInView(int pageWidth) const
{
    int count = 0;
    for (int col = leftColumn(), used = 0; col < Cols(); ++col, ++count) {
        used += columnWidth(col);
        if (used > pageWidth)
            break;
    }
    return std::max(1, count);
}

// The left edge of a column in the viewport. A scrolling column out of view is placed
// just beyond the view's edge, without measuring the columns between.
int Grid::columnX(int col) const
{
    int x = 0;
    for (int c = 0; c < std::min(col, shownFixedCols()); ++c)
        x += columnWidth(c);
    if (col < shownFixedCols())
        return x;
    if (col < leftColumn())
        return x - columnWidth(col); // scrolled past, behind the headings
    for (int c = leftColumn(); c < col; ++c) {
        x += columnWidth(c);
        if (x > viewport()->width())
            return x; // beyond the right edge
    }
    return x;
}

QRect Grid::cellRect(int row, int col) const
{
    const int y = row < shownFixedRows() ? row * m_rowHeight
                                         : row * m_rowHeight - verticalScrollBar()->value();
    return QRect(columnX(col), y, columnWidth(col), m_rowHeight);
}

// The column whose span holds x in the viewport; -1 where none does.
int Grid::columnAt(int x) const
{
    if (x < 0)
        return -1;
    int right = 0;
    for (int col = 0; col < shownFixedCols(); ++col) {
        right += columnWidth(col);
        if (x < right)
            return col;
    }
    for (int col = leftColumn(); col < Cols(); ++col) {
        right += columnWidth(col);
        if (x < right)
            return col;
    }
    return -1;
}

int Grid::rowAt(int y) const
{
    return y < 0 ? -1 : y / m_rowHeight;
}

bool Grid::cellAt(const QPoint &pos, int *row, int *col) const
{
    const int y = pos.y() < fixedHeight() ? pos.y() : pos.y() + verticalScrollBar()->value();
    *row = rowAt(y);
    *col = columnAt(pos.x());
    return *row >= 0 && *row < Rows() && *col >= 0 && *col < Cols();
}

void Grid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void Grid::scrollContentsBy(int, int)
{
    viewport()->update();
}

// --- Painting -------------------------------------------------------------------

void Grid::paintEvent(QPaintEvent *)
{
    ensureLayout();
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    const int fixedRows = shownFixedRows(), fixedCols = shownFixedCols();
    const int fixedW = fixedWidth(), fixedH = fixedHeight();
    const int scrollY = verticalScrollBar()->value();

    // The visible span of the scrolling rows and columns.
    const int firstRow = fixedRows + scrollY / m_rowHeight;
    const int lastRow = std::min(Rows() - 1,
                                 fixedRows + (scrollY + area.height() - fixedH) / m_rowHeight);
    const int firstCol = leftColumn();
    const int atRightEdge = columnAt(area.width() - 1);
    const int lastCol = atRightEdge < 0 ? Cols() - 1 : atRightEdge;

    painter.setClipRect(QRect(fixedW, fixedH, area.width() - fixedW, area.height() - fixedH));
    for (int row = firstRow; row <= lastRow; ++row)
        for (int col = firstCol; col <= lastCol; ++col)
            paintCell(painter, row, col, cellRect(row, col), false);

    painter.setClipRect(QRect(fixedW, 0, area.width() - fixedW, fixedH));
    for (int row = 0; row < fixedRows; ++row)
        for (int col = firstCol; col <= lastCol; ++col)
            paintCell(painter, row, col, cellRect(row, col), true);

    painter.setClipRect(QRect(0, fixedH, fixedW, area.height() - fixedH));
    for (int row = firstRow; row <= lastRow; ++row)
        for (int col = 0; col < fixedCols; ++col)
            paintCell(painter, row, col, cellRect(row, col), true);

    painter.setClipRect(QRect(0, 0, fixedW, fixedH));
    for (int row = 0; row < fixedRows; ++row)
        for (int col = 0; col < fixedCols; ++col)
            paintCell(painter, row, col, cellRect(row, col), true);
}

void Grid::paintCell(QPainter &painter, int row, int col, const QRect &rect, bool fixed) const
{
    const bool selected = !fixed && isSelected(row, col);
    const QPalette &pal = palette();
    painter.fillRect(rect,
                     fixed      ? pal.color(QPalette::Button)
                     : selected ? pal.color(QPalette::Highlight)
                                : pal.color(QPalette::Base));
    painter.setPen(fixed ? pal.color(QPalette::Mid) : pal.color(QPalette::Midlight).darker(110));
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());

    const CellRow &cells = m_cells->rows[row];
    if (std::size_t(col) < cells.size() && !cells[col].isEmpty()) {
        const QString text = m_cells->text.text(cells[col]);
        painter.setPen(fixed      ? pal.color(QPalette::ButtonText)
                       : selected ? pal.color(QPalette::HighlightedText)
                                  : pal.color(QPalette::Text));
        painter.drawText(rect.adjusted(CellPadding, 0, -CellPadding, 0),
                         int(cellAlignment(m_cells->columns[col].alignment, text))
                             | Qt::TextSingleLine,
                         text);
    }
    if (row == m_row && col == m_col && hasFocus()) {
        painter.setPen(QPen(pal.color(QPalette::Text), 1, Qt::DotLine));
        painter.drawRect(rect.adjusted(1, 1, -2, -2));
    }
}

// --- Selection, keyboard and mouse ----------------------------------------------

bool Grid::isSelected(int row, int col) const
{
    if (m_row < 0)
        return false;
    return row >= std::min(m_row, m_anchorRow) && row <= std::max(m_row, m_anchorRow)
           && col >= std::min(m_col, m_anchorCol) && col <= std::max(m_col, m_anchorCol);
}

void Grid::select(int row, int col, int anchorRow, int anchorCol)
{
    checkCell(row, col);
    checkCell(anchorRow, anchorCol);
    m_row = row;
    m_col = col;
    m_anchorRow = anchorRow;
    m_anchorCol = anchorCol;
    viewport()->update();
    announceCurrentCell();
}

void Grid::selectAll()
{
    if (Rows() > 0 && Cols() > 0)
        select(Rows() - 1, Cols() - 1, 0, 0);
}

void Grid::moveCurrent(int row, int col, bool extend)
{
    if (Rows() == 0 || Cols() == 0)
        return;
    // Headings are not cells to stand on, unless the grid has nothing else.
    const int topRow = shownFixedRows() < Rows() ? shownFixedRows() : 0;
    const int leftCol = shownFixedCols() < Cols() ? shownFixedCols() : 0;
    row = std::clamp(row, topRow, Rows() - 1);
    col = std::clamp(col, leftCol, Cols() - 1);
    if (extend && m_row >= 0)
        select(row, col, m_anchorRow, m_anchorCol);
    else
        select(row, col, row, col);
    ensureCellVisible(row, col);
}

void Grid::ensureCellVisible(int row, int col)
{
    QScrollBar *h = horizontalScrollBar();
    QScrollBar *v = verticalScrollBar();
    if (col >= shownFixedCols()) {
        const int pageWidth = viewport()->width() - fixedWidth();
        if (col < leftColumn()) {
            h->setValue(col - shownFixedCols());
        } else if (columnX(col) + columnWidth(col) > viewport()->width() && col > leftColumn()) {
            // The column comes into view as the last one, or the first where it is wider.
            int left = col;
            for (int used = columnWidth(col);
                 left > shownFixedCols() && used + columnWidth(left - 1) <= pageWidth;)
                used += columnWidth(--left);
            h->setValue(left - shownFixedCols());
        }
    }
    const QRect cell = cellRect(row, col);
    const QRect area = viewport()->rect().adjusted(0, fixedHeight(), 0, 0);
    if (row >= shownFixedRows()) {
        if (cell.top() < area.top())
            v->setValue(v->value() - (area.top() - cell.top()));
        else if (cell.bottom() > area.bottom())
            v->setValue(v->value() + (cell.bottom() - area.bottom()));
    }
}

void Grid::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    int row = m_row < 0 ? shownFixedRows() : m_row;
    int col = m_col < 0 ? shownFixedCols() : m_col;
    const int pageRows = std::max(1, (viewport()->height() - fixedHeight()) / m_rowHeight);
    const bool fresh = m_row < 0; // the first key only lands on the first cell
    switch (event->key()) {
    case Qt::Key_Up:
        row -= fresh ? 0 : 1;
        break;
    case Qt::Key_Down:
        row += fresh ? 0 : 1;
        break;
    case Qt::Key_Left:
        col -= fresh ? 0 : 1;
        break;
    case Qt::Key_Right:
        col += fresh ? 0 : 1;
        break;
    case Qt::Key_PageUp:
        row -= pageRows;
        break;
    case Qt::Key_PageDown:
        row += pageRows;
        break;
    case Qt::Key_Home:
        col = 0;
        if (control)
            row = 0;
        break;
    case Qt::Key_End:
        col = Cols() - 1;
        if (control)
            row = Rows() - 1;
        break;
    default:
        event->ignore(); // Enter, Escape and the rest belong to the window
        return;
    }
    moveCurrent(row, col, extend);
}

void Grid::mousePressEvent(QMouseEvent *event)
{
    int row, col;
    if (event->button() == Qt::LeftButton && cellAt(event->position().toPoint(), &row, &col))
        moveCurrent(row, col, event->modifiers() & Qt::ShiftModifier);
    QAbstractScrollArea::mousePressEvent(event);
}

void Grid::mouseMoveEvent(QMouseEvent *event)
{
    int row, col;
    if ((event->buttons() & Qt::LeftButton) && cellAt(event->position().toPoint(), &row, &col))
        moveCurrent(row, col, true);
    QAbstractScrollArea::mouseMoveEvent(event);
}

void Grid::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

// --- Copying --------------------------------------------------------------------

QString Grid::rangeText(int top, int left, int bottom, int right) const
{
    QString text;
    for (int row = top; row <= bottom; ++row) {
        const CellRow &cells = m_cells->rows[row];
        for (int col = left; col <= right; ++col) {
            if (col > left)
                text += u'\t';
            if (std::size_t(col) < cells.size())
                text += m_cells->text.text(cells[col]);
        }
        text += u'\n';
    }
    return text;
}

QString Grid::selectedText() const
{
    if (m_row < 0)
        return QString();
    return rangeText(std::min(m_row, m_anchorRow),
                     std::min(m_col, m_anchorCol),
                     std::max(m_row, m_anchorRow),
                     std::max(m_col, m_anchorCol));
}

QString Grid::clipText() const
{
    return rangeText(0, 0, Rows() - 1, Cols() - 1);
}

void Grid::copySelection() const
{
    QGuiApplication::clipboard()->setText(m_row < 0 ? clipText() : selectedText());
}

} // namespace controls
