// Records read onto the record card, each beside its floor in the same run: a bare loop
// of sqlite3_step that reads each cell by its type, against the same query read through
// QueryRecordset as values and as the texts a card shows, and listed by PickRST into the
// message dialog's grid (10,000, 100,000 and 1,000,000 rows); the record card shown by
// the suiteframe-msg command from its start to the dialog on the screen, at 10,000,
// 100,000 and 1,000,000 rows with the process's peak memory, beside the sqlite3 shell
// printing the same query; the same card from PostgreSQL through its ODBC driver at
// 100,000 rows beside psql printing the query unaligned; and one scroll step painted on
// a card of a million records.
//
//   cmake --preset release -DBUILD_TESTING=ON && cmake --build build/release --target bench_records
//   LC_ALL=zh_TW.UTF-8 build/release/bench/bench_records

#include "msgcommand.h"
#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/platform/value.h"
#include "support/postgresserver.h"

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

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace {

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

Database &database(int rows)
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

// The floor: SQLite's own loop over the query, each cell read by its type as a program
// written against SQLite's C API reads it.
void BM_BareSqliteStepLoop(benchmark::State &state)
{
    const int rows = int(state.range(0));
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(database(rows).file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        != SQLITE_OK) {
        state.SkipWithError("cannot open the database");
        return;
    }
    const QByteArray query = Query.toUtf8();
    for (auto _ : state) {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, query.constData(), int(query.size()), &statement, nullptr);
        qint64 cells = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < 8; ++c) {
                switch (sqlite3_column_type(statement, c)) {
                case SQLITE_INTEGER:
                    benchmark::DoNotOptimize(sqlite3_column_int64(statement, c));
                    break;
                case SQLITE_FLOAT:
                    benchmark::DoNotOptimize(sqlite3_column_double(statement, c));
                    break;
                case SQLITE_NULL:
                    break;
                default:
                    benchmark::DoNotOptimize(sqlite3_column_text(statement, c));
                    benchmark::DoNotOptimize(sqlite3_column_bytes(statement, c));
                }
                ++cells;
            }
        }
        sqlite3_finalize(statement);
        if (cells != qint64(rows) * 8)
            state.SkipWithError("not every cell was read");
    }
    sqlite3_close_v2(db);
}

template<bool AsText>
void readThroughRecordset(benchmark::State &state)
{
    const int rows = int(state.range(0));
    adodb::Connection connection;
    connection.setConnectionString(database(rows).connectionString);
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
        if (cells != qint64(rows) * 8)
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
    const int rows = int(state.range(0));
    adodb::Connection connection;
    connection.setConnectionString(database(rows).connectionString);
    connection.Open();
    dialogs::FrmSure &dialog = dialogs::frmSure();
    for (auto _ : state) {
        state.PauseTiming();
        dialog.ClearMsgFrom();
        state.ResumeTiming();
        auto records = connection.Execute(Query);
        dialog.PickRST(records.get());
        if (dialog.fgList->Cols() != rows + 1 || dialog.fgList->Rows() != 8)
            state.SkipWithError("not every record was listed");
    }
    dialog.ClearMsgFrom();
}

// The command's whole way to a shown card: arguments, connection, query, PickRST, the
// window's layout and show. The dialog is answered once it is visible. peak_MB is the
// process's resident peak while the card was made and shown, added_MB what it added to
// the memory resident before.
void showCards(benchmark::State &state, const QString &connectionString, int rows)
{
    const QStringList arguments{QStringLiteral("suiteframe-msg"),
                                QStringLiteral("-c"),
                                connectionString,
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
        if (dialogs::frmSure().fgList->Cols() != rows + 1)
            state.SkipWithError("not every record was on the card");
        state.SetIterationTime(double(shownAt) / 1e9);
        dialogs::frmSure().ClearMsgFrom();
    }
    const double peak = statusMegabytes("VmHWM:");
    state.counters["peak_MB"] = peak;
    state.counters["added_MB"] = peak - before;
}

void BM_MsgCommandRecordCard(benchmark::State &state)
{
    const int rows = int(state.range(0));
    showCards(state, database(rows).connectionString, rows);
}

// A PostgreSQL server of the benchmark's own, holding the same table.
PostgresServer &postgres(int rows)
{
    static PostgresServer server;
    static int filled = 0;
    if (filled == rows)
        return server;
    QString error;
    if (filled == 0 && !server.start(&error)) {
        std::fprintf(stderr, "cannot start PostgreSQL: %s\n", qPrintable(error));
        std::abort();
    }
    adodb::Connection connection;
    connection.setConnectionString(server.connectionString());
    connection.Open();
    connection.Execute(QStringLiteral("DROP TABLE IF EXISTS items"));
    connection.Execute(
        QStringLiteral("CREATE TABLE items (id integer, code varchar(10), name varchar(40), "
                       "qty integer, price double precision, amount numeric(12,2), created date, "
                       "note varchar(80))"));
    connection.Execute(
        QStringLiteral("INSERT INTO items SELECT x, 'A' || lpad(x::text, 5, '0'), '客戶名稱' || x, "
                       "x % 100, x * 0.25, x * 1.5, date '2024-01-01' + (x % 365), "
                       "CASE WHEN x % 10 = 0 THEN NULL ELSE '備註：第 ' || x || ' 筆資料' END "
                       "FROM generate_series(1, %1) AS x")
            .arg(rows));
    filled = rows;
    return server;
}

void BM_MsgCommandPostgresCard(benchmark::State &state)
{
    const int rows = int(state.range(0));
    showCards(state, postgres(rows).connectionString(), rows);
}

// Its floor: psql printing the same query unaligned, from its start to its end.
void BM_PsqlUnaligned(benchmark::State &state)
{
    const PostgresServer &server = postgres(int(state.range(0)));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGPASSWORD"), PostgresServer::Password);
    for (auto _ : state) {
        QProcess psql;
        psql.setProcessEnvironment(environment);
        psql.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        psql.start(QStringLiteral("psql"),
                   {QStringLiteral("host=127.0.0.1 port=%1 user=%2 dbname=%3")
                        .arg(server.port())
                        .arg(PostgresServer::User, PostgresServer::Database),
                    QStringLiteral("-A"),
                    QStringLiteral("-c"),
                    Query});
        if (!psql.waitForFinished(-1) || psql.exitCode() != 0)
            state.SkipWithError("psql failed");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
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
BENCHMARK(BM_MsgCommandPostgresCard)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Arg(100000)
    ->Iterations(3);
BENCHMARK(BM_PsqlUnaligned)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Arg(100000)
    ->Iterations(3);
BENCHMARK(BM_ScrollStepOnAMillionRecordCard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSqliteStepLoop)->Unit(benchmark::kMillisecond)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_PickRSTIntoGrid)->Unit(benchmark::kMillisecond)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_QueryRecordsetValues)->Unit(benchmark::kMillisecond)->Arg(100000);
BENCHMARK(BM_QueryRecordsetTexts)->Unit(benchmark::kMillisecond)->Arg(100000);
