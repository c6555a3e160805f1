// The grid control's table: its shape and settings, the cells in their text store,
// and the column widths measured from them.

#include "suiteframe/controls/grid.h"
#include "suiteframe/controls/gridcells_p.h"

#include "suiteframe/controls/twips.h"
#include "suiteframe/platform/runtimeerror.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPalette>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <type_traits>
#include <utility>

namespace controls {

namespace {

constexpr int RowPadding = 4; // pixels added to the font's line height

// A card keeps the design's light colours on every desktop, as the message panel beside
// it does: white cells, light grey headings and lines, black text, and a navy selection
// with white text. (The style's own palette follows a dark desktop where its platform
// theme gives one, so the colours are the card's own.)
QPalette cardPalette(QPalette palette)
{
    const QColor black(0, 0, 0), white(255, 255, 255), face(239, 239, 239);
    const std::pair<QPalette::ColorRole, QColor> colours[] = {
        {QPalette::Base, white},
        {QPalette::Text, black},
        {QPalette::Window, face},
        {QPalette::WindowText, black},
        {QPalette::Button, face},
        {QPalette::ButtonText, black},
        {QPalette::Mid, QColor(184, 184, 184)},
        {QPalette::Midlight, QColor(202, 202, 202)},
        {QPalette::Highlight, QColor(0, 0, 128)},
        {QPalette::HighlightedText, white},
    };
    for (const auto &[role, colour] : colours)
        palette.setColor(role, colour);
    return palette;
}

[[noreturn]] void invalidValue()
{
    throw platform::RuntimeError(platform::ErrorNumber::InvalidPropertyValue);
}

[[noreturn]] void invalidIndex()
{
    throw platform::RuntimeError(platform::ErrorNumber::InvalidPropertyArrayIndex);
}

} // namespace

Grid::Grid(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_cells(std::make_unique<CellTable>())
{
    installAccessibility();
    QFont f = font();
    // Widths are measured character by character; without kerning that is exactly
    // what painting uses.
    f.setKerning(false);
    setFont(f);
    m_rowHeight = QFontMetrics(font()).height() + RowPadding;
    setFocusPolicy(Qt::StrongFocus);
    setPalette(cardPalette(palette()));
    viewport()->setBackgroundRole(QPalette::Base);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

Grid::~Grid() = default;

int Grid::Rows() const
{
    return int(m_cells->rows.size());
}

int Grid::Cols() const
{
    return int(m_cells->columns.size());
}

// --- Shape and settings ---------------------------------------------------------

void Grid::setRows(int rows)
{
    if (rows < 0)
        invalidValue();
    if (rows > MostRows)
        throw platform::RuntimeError(platform::ErrorNumber::OutOfMemory);
    // Columns waiting to be sized are sized with the rows they had when they were asked
    // to be. Where all rows go (a dialog cleared after a card), the rows are set aside
    // for them rather than measured now, as the columns mostly go next.
    if (rows < Rows() && !m_cells->setAside) {
        if (rows == 0 && m_sizesPending)
            m_cells->setAside = std::make_unique<SetAsideRows>(
                SetAsideRows{std::exchange(m_cells->text, {}), std::exchange(m_cells->rows, {})});
        else
            sizePendingColumns();
    }
    if (rows == 0) {
        m_cells->rows = {};
        m_cells->text.clear();
        for (ColumnState &column : m_cells->columns) {
            if (!column.sizePending)
                column.forgetMeasurement();
        }
    } else if (rows < Rows()) {
        for (auto row = m_cells->rows.begin() + rows; row != m_cells->rows.end(); ++row)
            for (CellRef &ref : *row)
                dropCell(ref);
        m_cells->rows.resize(rows);
        for (ColumnState &column : m_cells->columns) {
            if (int(column.measuredRows) > rows) {
                column.measuredRows = rows;
                column.stale = true; // a dropped row may have held the widest text
            }
        }
        compactIfWasteful();
    } else {
        m_cells->rows.resize(rows);
    }
    if (m_row >= rows || m_anchorRow >= rows)
        m_row = m_col = m_anchorRow = m_anchorCol = -1;
    invalidateLayout();
}

void Grid::setCols(int cols)
{
    if (cols < 0)
        invalidValue();
    if (cols < Cols()) {
        for (CellRow &row : m_cells->rows) {
            if (row.size() <= std::size_t(cols))
                continue;
            for (auto ref = row.begin() + cols; ref != row.end(); ++ref)
                dropCell(*ref);
            row.resize(cols);
        }
        m_cells->columns.resize(cols);
        if (cols == 0)
            forgetSetAsideRows();
        compactIfWasteful();
    } else if (cols > Cols()) {
        // The existing rows hold nothing in the new columns: they count as measured.
        ColumnState fresh;
        fresh.measuredRows = Rows();
        m_cells->columns.resize(cols, fresh);
    }
    if (m_col >= cols || m_anchorCol >= cols)
        m_row = m_col = m_anchorRow = m_anchorCol = -1;
    invalidateLayout();
}

void Grid::setFixedRows(int rows)
{
    if (rows < 0)
        invalidValue();
    m_fixedRows = rows;
    invalidateLayout();
}

void Grid::setFixedCols(int cols)
{
    if (cols < 0)
        invalidValue();
    m_fixedCols = cols;
    invalidateLayout();
}

float Grid::FontSize() const
{
    return float(font().pointSizeF());
}

void Grid::setFontSize(float points)
{
    if (!(points > 0.0f) || points > 2048.0f)
        invalidValue();
    sizePendingColumns(); // in the font they had when they were asked to be
    QFont f = font();
    f.setPointSizeF(points);
    setFont(f);
}

void Grid::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_rowHeight = QFontMetrics(font()).height() + RowPadding;
        forgetMeasurements();
        invalidateLayout();
    }
}

// --- Cells ----------------------------------------------------------------------

void Grid::checkCell(int row, int col) const
{
    if (std::size_t(row) >= m_cells->rows.size())
        invalidIndex();
    checkColumn(col);
}

void Grid::checkColumn(int col) const
{
    if (std::size_t(col) >= m_cells->columns.size())
        invalidIndex();
}

void Grid::appendRow(const QString &item)
{
    if (Rows() >= MostRows)
        throw platform::RuntimeError(platform::ErrorNumber::OutOfMemory);
    m_cells->rows.emplace_back();
    const int row = Rows() - 1;
    int col = 0;
    for (QStringView part : QStringView(item).tokenize(u'\t')) {
        if (col >= Cols())
            break;
        writeCell(row, col++, part);
    }
    invalidateLayout();
}

QString Grid::cellText(int row, int col) const
{
    checkCell(row, col);
    const CellRow &cells = m_cells->rows[row];
    return std::size_t(col) < cells.size() ? m_cells->text.text(cells[col]) : QString();
}

void Grid::setCellText(int row, int col, QAnyStringView text)
{
    checkCell(row, col);
    writeCell(row, col, text);
    cellWritten();
}

void Grid::setCellValue(int row, int col, const platform::Value &value)
{
    checkCell(row, col);
    writeCell(row, col, m_cells->text.addValue(value));
    cellWritten();
}

void Grid::cellWritten()
{
    if (isVisible()) // a grid being filled before it shows is painted whole then
        viewport()->update();
}

void Grid::writeCell(int row, int col, QAnyStringView text)
{
    writeCell(row, col, m_cells->text.add(text));
}

void Grid::writeCell(int row, int col, CellRef ref)
{
    CellRow &cells = m_cells->rows[row];
    const ColumnState &column = m_cells->columns[col];
    // A card's record comes field by field, each a new cell at its row's end in a column
    // with nothing to size or keep measured.
    if (std::size_t(col) == cells.size() && !ref.isEmpty() && !column.sizePending
        && (row >= int(column.measuredRows) || column.stale)) {
        cells.emplace_back() = ref;
        return;
    }
    changeCell(row, col, ref);
}

void Grid::changeCell(int row, int col, CellRef ref)
{
    CellRow &cells = m_cells->rows[row];
    const auto cellsBefore = cells.size();
    if (std::size_t(col) >= cellsBefore && ref.isEmpty())
        return; // a cell beyond the row's end is empty already
    if (std::size_t(col) > cellsBefore)
        cells.resize(col + 1);
    CellRef &old = std::size_t(col) == cellsBefore ? cells.emplace_back() : cells[col];
    ColumnState &column = m_cells->columns[col];
    if (column.sizePending)
        sizeColumn(col); // sized with the cells it had when it was asked to be
    if (row < int(column.measuredRows) && !column.stale)
        keepMeasured(column, row, old, ref);
    if (const CellRef replaced = std::exchange(old, ref); !replaced.isEmpty()) {
        m_cells->text.release(replaced);
        compactIfWasteful(); // the store gained garbage
    }
}

// Keeps a column's measurement true of its cells as a cell of a measured row changes
// (in a column not stale; other rows are measured when the column is sized), measuring
// as little as it can: a cell with few rows below it (a card's field) is measured with
// them when the column is sized; one above many rows is measured now, so that sizing
// need not measure the many again.
void Grid::keepMeasured(ColumnState &column, int row, CellRef old, CellRef ref) const
{
    const bool oldMayBeWidest = !old.isEmpty() && measureCell(old) >= column.contentWidth;
    if (!oldMayBeWidest && Rows() - row <= RowsMeasuredWhenSized) {
        column.measuredRows = row;
        return;
    }
    const qreal width = measureCell(ref);
    if (width >= column.contentWidth)
        column.contentWidth = float(width);
    else if (oldMayBeWidest)
        column.stale = true; // the widest text shrank
}

void Grid::dropCell(CellRef &ref)
{
    m_cells->text.release(ref);
    ref = {};
}

void Grid::compactIfWasteful()
{
    if (m_cells->text.garbageBytes() < 131072
        || m_cells->text.garbageBytes() < m_cells->text.liveBytes())
        return;
    CellTextStore packed;
    for (CellRow &row : m_cells->rows)
        for (CellRef &ref : row)
            ref = m_cells->text.isValue(ref) ? packed.addValue(m_cells->text.value(ref))
                                             : packed.add(m_cells->text.view(ref));
    std::swap(m_cells->text, packed);
}

int Grid::columnAlignment(int col) const
{
    checkColumn(col);
    return int(m_cells->columns[col].alignment);
}

void Grid::setColumnAlignment(int col, int alignment)
{
    checkColumn(col);
    if (alignment < AlignLeftTop || alignment > AlignGeneral)
        invalidValue();
    m_cells->columns[col].alignment = quint32(alignment);
    if (isVisible())
        viewport()->update();
}

// --- Column widths --------------------------------------------------------------

void Grid::forgetMeasurements()
{
    m_advances.clear();
    for (ColumnState &column : m_cells->columns)
        column.forgetMeasurement();
}

qreal Grid::measure(QAnyStringView text) const
{
    if (text.isEmpty())
        return 0;
    if (m_advances.empty())
        m_advances.assign(0x10000, 0.0f);
    qreal sum = 0;
    const bool byCharacter = text.visit([&](auto view) {
        if constexpr (std::is_same_v<decltype(view), QUtf8StringView>) {
            // Measured as the UTF-16 it decodes to.
            QVarLengthArray<QChar, 256> units(view.size());
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QChar *end = decoder.appendToBuffer(units.data(), view);
            sum = measure(QStringView(units.data(), end - units.data()));
            return true;
        } else {
            for (const auto c : view) {
                const QChar ch(c);
                float &advance = m_advances[ch.unicode()];
                if (advance == 0.0f) {
                    const bool simple = !ch.isSurrogate() && !ch.isMark() && ch.isPrint();
                    const qreal measured = simple ? QFontMetricsF(font()).horizontalAdvance(ch)
                                                  : 0.0;
                    advance = measured > 0 ? float(measured) : -1.0f;
                }
                if (advance < 0)
                    return false;
                sum += advance;
            }
            return true;
        }
    });
    return byCharacter ? sum : QFontMetricsF(font()).horizontalAdvance(text.toString());
}

struct Grid::ValueWidths
{
    // The locale's forms, looked up once for the pass.
    const platform::regional::LocaleForms *forms = &platform::regional::localeForms();
    struct Known
    {
        quint32 bits = 0; // no value's reference is 0
        float width = 0;
    };
    std::array<Known, 4096> known;

    Known &of(CellRef ref) { return known[(ref.bits * 2654435761u) >> 20]; }
};

// A value's text is made only to be measured: without a string for a number, and once a
// pass for a small value that repeats (a date).
qreal Grid::measureCell(CellRef ref) const
{
    return measureCell(m_cells->text, ref);
}

qreal Grid::measureCell(const CellTextStore &store, CellRef ref) const
{
    if (!store.isValue(ref))
        return measure(store.view(ref));
    const auto &forms = m_passWidths ? *m_passWidths->forms : platform::regional::localeForms();
    if (platform::regional::ShortText number; store.writeNumberText(ref, number, forms))
        return measure(number.view());
    if (!m_passWidths || !ref.isInline())
        return measure(store.text(ref));
    ValueWidths::Known &known = m_passWidths->of(ref);
    if (known.bits != ref.bits)
        known = {ref.bits, float(measure(store.text(ref)))};
    return known.width;
}

void Grid::autoSizeColumns(int first, int last)
{
    if (last < first)
        return;
    checkColumn(first);
    checkColumn(last);
    if (m_cells->setAside)
        sizePendingColumns(); // from the rows set aside, before any is asked anew
    for (int col = first; col <= last; ++col)
        m_cells->columns[col].sizePending = true;
    m_sizesPending = true;
    invalidateLayout();
}

// Measures the rows not yet measured in the column, or all of them where a measured
// cell shrank, and sets the width to the widest. A column sized from rows set aside
// keeps its width and starts measuring the rows it has now anew.
void Grid::sizeColumn(int col) const
{
    ColumnState &column = m_cells->columns[col];
    column.sizePending = false;
    if (column.stale)
        column.forgetMeasurement();
    const SetAsideRows *setAside = m_cells->setAside.get();
    const CellTextStore &store = setAside ? setAside->text : m_cells->text;
    const SegmentedArray<CellRow> &rows = setAside ? setAside->rows : m_cells->rows;
    for (auto row = std::size_t(column.measuredRows); row < rows.size(); ++row) {
        const CellRow &cells = rows[row];
        if (std::size_t(col) < cells.size())
            column.contentWidth = std::max(column.contentWidth,
                                           float(measureCell(store, cells[col])));
    }
    column.measuredRows = quint32(rows.size());
    column.width = std::max(MinimumColumnWidth,
                            int(std::ceil(column.contentWidth)) + 2 * CellPadding);
    if (setAside)
        column.forgetMeasurement();
}

void Grid::sizePendingColumns() const
{
    if (!m_sizesPending)
        return;
    m_passWidths = std::make_unique<ValueWidths>();
    for (int col = 0; col < Cols(); ++col) {
        if (m_cells->columns[col].sizePending)
            sizeColumn(col);
    }
    m_passWidths.reset();
    forgetSetAsideRows();
}

void Grid::forgetSetAsideRows() const
{
    m_cells->setAside.reset();
    m_sizesPending = false;
}

int Grid::defaultColumnWidth() const
{
    return std::max(48, QFontMetrics(font()).averageCharWidth() * 8 + 2 * CellPadding);
}

int Grid::columnWidth(int col) const
{
    if (m_cells->columns[col].sizePending)
        sizeColumn(col);
    const int width = m_cells->columns[col].width;
    return width >= 0 ? width : defaultColumnWidth();
}

double Grid::columnWidthTwips(int col) const
{
    checkColumn(col);
    return twips::fromPixels(columnWidth(col));
}

std::size_t Grid::cellBytes() const
{
    std::size_t total = m_cells->columns.size() * sizeof(ColumnState);
    const auto addRows = [&total](const CellTextStore &text, const SegmentedArray<CellRow> &rows) {
        total += text.bytes() + rows.size() * sizeof(CellRow);
        for (const CellRow &row : rows)
            total += row.size() * sizeof(CellRef);
    };
    addRows(m_cells->text, m_cells->rows);
    if (m_cells->setAside)
        addRows(m_cells->setAside->text, m_cells->setAside->rows);
    return total;
}

} // namespace controls
