// Reading rows of 8 columns from SQLite through its ODBC driver: a bare loop of SQLFetch
// and wide (or narrow) SQLGetData that reads every cell as text, and bound columns
// fetched in blocks, against the same query read
// through QueryRecordset, as values, as the texts a record list shows, listed by
// PickRST into the message dialog's grid (100,000 rows each); the record card shown by
// the suiteframe-msg command from its start to the dialog on the screen, at 10,000,
// 100,000 and 1,000,000 rows with the process's peak memory, beside the sqlite3 shell
// printing the same query; and one scroll step painted on a card of a million records.
//
//   cmake --preset release -DBUILD_TESTING=ON && cmake --build build/release --target bench_odbc_read
//   LC_ALL=zh_TW.UTF-8 build/release/bench/bench_odbc_read

#include "msgcommand.h"
#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/platform/value.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sql.h>
#include <sqlext.h>

#include <locale.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int RowCount = 100000;
const QString Query = QStringLiteral(
    "SELECT id, code, name, qty, price, amount, created, note FROM items");

struct Database
{
    QTemporaryDir dir;
    QString file;
    QString connectionString;

    explicit Database(int rows)
    {
        file = dir.filePath(QStringLiteral("bench.db"));
        connectionString = QStringLiteral("Driver=SQLite3;Database=") + file;
        adodb::Connection connection;
        connection.setConnectionString(connectionString);
        connection.Open();
        connection.Execute(
            QStringLiteral("CREATE TABLE items (id integer, code varchar(10), name varchar(40), "
                           "qty integer, price double, amount numeric(12,2), created date, "
                           "note varchar(80))"));
        connection.Execute(
            QStringLiteral(
                "INSERT INTO items WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                "WHERE x < %1) "
                "SELECT x, printf('A%05d', x), '客戶名稱' || x, x % 100, x * 0.25, x * 1.5, "
                "date('2024-01-01', '+' || (x % 365) || ' days'), "
                "CASE WHEN x % 10 = 0 THEN NULL ELSE '備註：第 ' || x || ' 筆資料' END FROM n")
                .arg(rows));
    }
};

Database &database(int rows = RowCount)
{
    static std::map<int, std::unique_ptr<Database>> databases;
    std::unique_ptr<Database> &db = databases[rows];
    if (!db)
        db = std::make_unique<Database>(rows);
    return *db;
}

// The process's resident memory, now and at its peak, in MB; the peak can be set back
// to the present.
double statusMegabytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

void resetPeakMemory()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

void checkOdbc(SQLRETURN rc, const char *what)
{
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        std::fprintf(stderr, "%s failed\n", what);
        std::abort();
    }
}

// A connection of the driver manager's own, made as a connection of the frame makes
// it: the driver options it gives SQLite's driver, and UTF-8 for a driver without wide
// calls.
struct BareConnection
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;

    BareConnection()
    {
        const QString connectionString = database().connectionString + QStringLiteral(";Timeout=1");
        checkOdbc(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), "environment");
        checkOdbc(SQLSetEnvAttr(env,
                                SQL_ATTR_ODBC_VERSION,
                                reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                                0),
                  "version");
        checkOdbc(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), "connection");
        locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", duplocale(LC_GLOBAL_LOCALE));
        locale_t previous = uselocale(utf8);
        std::vector<SQLWCHAR> in(connectionString.utf16(),
                                 connectionString.utf16() + connectionString.size() + 1);
        checkOdbc(SQLDriverConnectW(
                      dbc, nullptr, in.data(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
                  "connect");
        uselocale(previous);
        freelocale(utf8);
    }
    ~BareConnection()
    {
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    BareConnection(const BareConnection &) = delete;
    BareConnection &operator=(const BareConnection &) = delete;
};

template<SQLSMALLINT CType>
void bareOdbcLoop(benchmark::State &state)
{
    const BareConnection bare;
    SQLHDBC dbc = bare.dbc;
    std::vector<SQLWCHAR> query(Query.utf16(), Query.utf16() + Query.size() + 1);
    std::vector<SQLWCHAR> buffer(1024);
    for (auto _ : state) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        checkOdbc(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), "statement");
        checkOdbc(SQLExecDirectW(stmt, query.data(), SQL_NTS), "query");
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt, &columns);
        qint64 cells = 0;
        while (SQLFetch(stmt) == SQL_SUCCESS) {
            for (SQLUSMALLINT c = 1; c <= columns; ++c) {
                SQLLEN indicator = 0;
                SQLGetData(stmt,
                           c,
                           CType,
                           buffer.data(),
                           SQLLEN(buffer.size() * sizeof(SQLWCHAR)),
                           &indicator);
                benchmark::DoNotOptimize(indicator);
                ++cells;
            }
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        if (cells != qint64(RowCount) * 8)
            state.SkipWithError("not every cell was read");
    }
}

void BM_BareOdbcLoop(benchmark::State &state)
{
    bareOdbcLoop<SQL_C_WCHAR>(state);
}

// The bare loop reading UTF-8 texts, as the connection reads a driver without wide calls
// such as SQLite's; the wide loop has the driver manager convert them.
void BM_BareOdbcLoopNarrow(benchmark::State &state)
{
    bareOdbcLoop<SQL_C_CHAR>(state);
}

// The driver's own floor: the same rows into columns bound as UTF-8 text, fetched a row
// or 256 rows at a time, with nothing done with them.
void BM_BoundBlockFetch(benchmark::State &state)
{
    const BareConnection bare;
    SQLHDBC dbc = bare.dbc;
    std::vector<SQLWCHAR> query(Query.utf16(), Query.utf16() + Query.size() + 1);
    const SQLULEN rowsAtOnce = SQLULEN(state.range(0));
    constexpr SQLLEN Width = 256;
    std::vector<char> buffers(8 * rowsAtOnce * Width);
    std::vector<SQLLEN> indicators(8 * rowsAtOnce);
    for (auto _ : state) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        checkOdbc(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), "statement");
        SQLULEN fetched = 0;
        SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowsAtOnce), 0);
        SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
        checkOdbc(SQLExecDirectW(stmt, query.data(), SQL_NTS), "query");
        for (SQLUSMALLINT c = 1; c <= 8; ++c)
            SQLBindCol(stmt,
                       c,
                       SQL_C_CHAR,
                       buffers.data() + (c - 1) * rowsAtOnce * Width,
                       Width,
                       indicators.data() + (c - 1) * rowsAtOnce);
        qint64 rows = 0;
        SQLRETURN rc;
        while ((rc = SQLFetch(stmt)) == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
            rows += qint64(fetched);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        if (rows != RowCount)
            state.SkipWithError("not every row was read");
    }
}

template<bool AsText>
void readThroughRecordset(benchmark::State &state)
{
    adodb::Connection connection;
    connection.setConnectionString(database().connectionString);
    connection.Open();
    for (auto _ : state) {
        auto records = connection.Execute(Query);
        const int fields = records->fieldCount();
        qint64 cells = 0;
        for (; !records->isEOF(); records->MoveNext()) {
            for (int i = 0; i < fields; ++i) {
                const platform::Value value = records->fieldValue(i);
                if constexpr (AsText) {
                    const QString text = value.isNull() ? QString() : value.toText();
                    benchmark::DoNotOptimize(text.size());
                } else {
                    benchmark::DoNotOptimize(value);
                }
                ++cells;
            }
        }
        if (cells != qint64(RowCount) * 8)
            state.SkipWithError("not every cell was read");
    }
}

void BM_QueryRecordsetValues(benchmark::State &state)
{
    readThroughRecordset<false>(state);
}

void BM_QueryRecordsetTexts(benchmark::State &state)
{
    readThroughRecordset<true>(state);
}

// The whole query listed on its side in the dialog's grid, one column per record; the
// grid is emptied outside the timing so each round starts as a fresh dialog does.
void BM_PickRSTIntoGrid(benchmark::State &state)
{
    adodb::Connection connection;
    connection.setConnectionString(database().connectionString);
    connection.Open();
    dialogs::FrmSure &dialog = dialogs::frmSure();
    for (auto _ : state) {
        state.PauseTiming();
        dialog.ClearMsgFrom();
        state.ResumeTiming();
        auto records = connection.Execute(Query);
        dialog.PickRST(records.get());
        if (dialog.fgList->Cols() != RowCount + 1 || dialog.fgList->Rows() != 8)
            state.SkipWithError("not every record was listed");
    }
    dialog.ClearMsgFrom();
}

// The command's whole way to a shown card: arguments, connection, query, PickRST, the
// window's layout and show. The dialog is answered once it is visible. peak_MB is the
// process's resident peak while the card was made and shown, added_MB what it added to
// the memory resident before.
void BM_MsgCommandRecordCard(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const QStringList arguments{QStringLiteral("suiteframe-msg"),
                                QStringLiteral("-c"),
                                database(rows).connectionString,
                                QStringLiteral("-q"),
                                Query,
                                QStringLiteral("%1 筆").arg(rows)};
    QByteArray none;
    QBuffer input(&none), output, error;
    input.open(QIODevice::ReadOnly);
    output.open(QIODevice::WriteOnly);
    error.open(QIODevice::WriteOnly);
    const double before = statusMegabytes("VmRSS:");
    resetPeakMemory();
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 shownAt = -1;
        QTimer watch;
        watch.setInterval(1);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!dialogs::frmSure().isVisible())
                return;
            watch.stop();
            shownAt = clock.nsecsElapsed();
            dialogs::frmSure().cmdOK->click();
        });
        watch.start();
        clock.start();
        if (frame::msgcommand::run(arguments, input, output, error) != frame::msgcommand::Confirmed)
            state.SkipWithError("the command did not show its card");
        state.SetIterationTime(double(shownAt) / 1e9);
        dialogs::frmSure().ClearMsgFrom();
    }
    const double peak = statusMegabytes("VmHWM:");
    state.counters["peak_MB"] = peak;
    state.counters["added_MB"] = peak - before;
}

// The floor: the sqlite3 shell printing the same query, from its start to its end.
void BM_SqliteShell(benchmark::State &state)
{
    const QString file = database(int(state.range(0))).file;
    for (auto _ : state) {
        QProcess shell;
        shell.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        shell.start(QStringLiteral("sqlite3"), {file, Query});
        if (!shell.waitForFinished(-1) || shell.exitCode() != 0)
            state.SkipWithError("the sqlite3 shell failed");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}

// One step of the scroll bar on a shown card of a million records, painted at once.
void BM_ScrollStepOnAMillionRecordCard(benchmark::State &state)
{
    adodb::Connection connection;
    connection.setConnectionString(database(1000000).connectionString);
    connection.Open();
    dialogs::FrmSure &dialog = dialogs::frmSure();
    dialog.ClearMsgFrom();
    dialog.PickRST(connection.Execute(Query).get());
    dialog.show();
    QCoreApplication::processEvents();
    QScrollBar *bar = dialog.fgList->horizontalScrollBar();
    bar->setValue(bar->maximum() / 2);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->singleStep());
        dialog.fgList->viewport()->repaint();
    }
    dialog.hide();
    dialog.ClearMsgFrom();
}

} // namespace

BENCHMARK(BM_MsgCommandRecordCard)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(3);
BENCHMARK(BM_SqliteShell)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(3);
BENCHMARK(BM_ScrollStepOnAMillionRecordCard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareOdbcLoop)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BoundBlockFetch)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(256);
BENCHMARK(BM_BareOdbcLoopNarrow)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_QueryRecordsetValues)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_QueryRecordsetTexts)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PickRSTIntoGrid)->Unit(benchmark::kMillisecond)->MinTime(2.0);
