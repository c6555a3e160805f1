// Internal to the database connection: a query's rows read through the ODBC driver
// manager. Not installed.

#pragma once

#include "suiteframe/adodb/cursor_p.h"
#include "suiteframe/adodb/odbc_p.h"

#include <memory>
#include <optional>
#include <vector>

namespace adodb::odbc {

// The rows of a statement that has run its query, fetched as the caller steps. Each cell
// becomes a value of the kind its column's SQL type maps to; texts come through the wide
// calls, or as UTF-8 through the narrow ones from a driver without wide calls, so that
// every character passes.
class Cursor final : public adodb::Cursor
{
public:
    // Describes the statement's columns and fetches the first row.
    explicit Cursor(std::unique_ptr<Statement> statement);

    bool isOpen() const override { return m_statement->isOpen(); }
    int columnCount() const override { return int(m_columns.size()); }
    QString columnName(int index) const override { return m_columns[index].name; }
    bool isOnRow() const override { return m_onRow; }
    bool step() override;
    // Reads the row's cells up to the one asked for, in column order as ODBC drivers
    // require, and keeps them until the next step.
    platform::Value value(int index) const override;

private:
    // How a column's cells are read and what kind of value they become.
    enum class Kind {
        Boolean,
        Integer,
        Long,
        Decimal,
        Single,
        Double,
        Date,
        Time,
        Timestamp,
        Text
    };
    struct Column
    {
        QString name;
        Kind kind;
    };

    static Kind kindOf(SQLSMALLINT sqlType);
    template<typename Unit>
    Column describeColumn(SQLUSMALLINT column) const;
    platform::Value readCell(int index) const;
    template<typename T>
    std::optional<T> readFixed(SQLUSMALLINT column, SQLSMALLINT cType) const;
    std::optional<QString> readText(SQLUSMALLINT column) const;
    template<typename Unit>
    std::optional<QString> readText(SQLUSMALLINT column,
                                    SQLSMALLINT cType,
                                    std::vector<Unit> &buffer) const;

    std::unique_ptr<Statement> m_statement;
    // Texts cross in UTF-16 through the wide calls, or in UTF-8 for a driver without them.
    bool m_wide = true;
    std::vector<Column> m_columns;
    bool m_onRow = false;
    // The current row's cells read so far; cells are read in column order.
    mutable std::vector<platform::Value> m_cells;
    mutable int m_cellsRead = 0;
    // Reused for every text cell, so reading allocates only what the texts need.
    mutable std::vector<SQLWCHAR> m_wideBuffer = std::vector<SQLWCHAR>(512);
    mutable std::vector<SQLCHAR> m_narrowBuffer = std::vector<SQLCHAR>(1024);
};

} // namespace adodb::odbc
