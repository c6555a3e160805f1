// The message dialog as a shell command, run in-process on the real modal dialog:
// exit statuses, message lines in the code page, and records of a query as a card.
#include "msgcommand.h"

#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/dialogs/messagepanel.h"
#include "suiteframe/platform/codepage.h"
#include "support/buildversion.h"
#include "support/dialogtesting.h"
#include "support/postgresserver.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace dialogtesting;
namespace msgcommand = frame::msgcommand;
using namespace Qt::StringLiterals;

namespace {

// How the user answers the dialog; None: it must not show.
enum class Answer { None, Ok, Cancel, Escape, CloseBox };

struct Outcome
{
    int status = -1;
    QString output;
    QString error;
    QStringList rows; // the dialog's list, one row a line, cells joined by tabs
    QString message;  // the dialog's message
};

QStringList listRows(const controls::Grid *grid)
{
    QStringList rows;
    for (int row = 0; row < grid->Rows(); ++row) {
        QStringList cells;
        for (int col = 0; col < grid->Cols(); ++col)
            cells << grid->cellText(row, col);
        rows << cells.join(QLatin1Char('\t'));
    }
    return rows;
}

void executeAll(const QString &connectionString, const QStringList &statements)
{
    adodb::Connection connection;
    connection.setConnectionString(connectionString);
    connection.Open();
    for (const QString &statement : statements)
        connection.Execute(statement);
}

} // namespace

class tst_MsgCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        controls::installFontSubstitutes();
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("批次 資料"))));
        m_sqlite = QStringLiteral("Driver=SQLite3;Database=") + path(QStringLiteral("人員.db"));
        QString error;
        QVERIFY2(m_postgres.start(&error), qPrintable(error));
        const QStringList staff = {
            QStringLiteral(
                "CREATE TABLE staff (id VARCHAR(10), name VARCHAR(40), salary NUMERIC(10, 2))"),
            QStringLiteral("INSERT INTO staff VALUES ('A001', '林志明', NULL)"),
            QStringLiteral("INSERT INTO staff VALUES ('A002', '黃𡩋祥', 52000.5)"),
        };
        executeAll(m_sqlite, staff);
        executeAll(m_postgres.connectionString(), staff);
        makeDamagedDatabase();
        QFile ini(path(QStringLiteral("設定.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Jobs]\r\nDatabase=" + m_sqlite.toUtf8() + "\r\n");
    }

    void cleanup()
    {
        m_driver.stop();
        platform::codepage::setName(QString());
        QCOMPARE(visibleWindows(), QStringList());
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // part of the output, or of the error line
        const QString missing = path(QStringLiteral("沒有.txt"));
        const QString folder = path(QString());
        const QString refused = QStringLiteral(
                                    "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;"
                                    "Database=x;Uid=clerk;Pwd=Secret-42")
                                    .arg(freeLoopbackPort());
        QTest::newRow("first button") << QStringList{u"確定嗎？"_s} << Answer::Ok << 0 << "";
        QTest::newRow("second button") << QStringList{u"確定嗎？"_s} << Answer::Cancel << 1 << "";
        QTest::newRow("Escape") << QStringList{u"確定嗎？"_s} << Answer::Escape << 1 << "";
        QTest::newRow("close box") << QStringList{u"確定嗎？"_s} << Answer::CloseBox << 1 << "";
        QTest::newRow("one button, captions, title, short") << QStringList{u"-b"_s,
                                                                           u"n"_s,
                                                                           u"--ok=知道了"_s,
                                                                           u"-t"_s,
                                                                           u"夜間批次"_s,
                                                                           u"-s"_s,
                                                                           u"完成"_s}
                                                            << Answer::Ok << 0 << "";
        QTest::newRow("--help") << QStringList{u"--help"_s} << Answer::None << 0
                                << "Usage: suiteframe-msg";
        QTest::newRow("--version") << QStringList{u"--version"_s} << Answer::None << 0
                                   << u"suiteframe-msg "_s + buildversion::text();
        QTest::newRow("unknown option")
            << QStringList{u"--colour"_s} << Answer::None << 2 << "Unknown option 'colour'";
        QTest::newRow("two messages")
            << QStringList{u"甲"_s, u"乙"_s} << Answer::None << 2 << "one MESSAGE only";
        QTest::newRow("buttons neither Y nor N")
            << QStringList{u"-b"_s, u"X"_s} << Answer::None << 2 << "Y or N";
        QTest::newRow("query without a database")
            << QStringList{u"-q"_s, u"SELECT 1"_s} << Answer::None << 2
            << "--query needs a database";
        QTest::newRow("lines and query")
            << QStringList{u"-l"_s, u"-"_s, u"-q"_s, u"SELECT 1"_s, u"-c"_s, m_sqlite}
            << Answer::None << 2 << "cannot be combined";
        QTest::newRow("unreadable lines file")
            << QStringList{u"-l"_s, missing} << Answer::None << 2 << "cannot read " + missing;
        QTest::newRow("lines file a folder")
            << QStringList{u"-l"_s, folder} << Answer::None << 2 << "it is a folder";
        // Opened, a FIFO without a writer would hold the command before any window.
        const QString fifo = path(u"管道"_s);
        QVERIFY(QFile::exists(fifo) || ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QTest::newRow("lines file a FIFO")
            << QStringList{u"-l"_s, fifo} << Answer::None << 2 << "no regular file";
        QTest::newRow("lines file endless")
            << QStringList{u"-l"_s, u"/dev/zero"_s} << Answer::None << 2 << "no regular file";
        QTest::newRow("empty query") << QStringList{u"-c"_s, m_sqlite, u"-q"_s, QString()}
                                     << Answer::None << 2 << "--query takes a value";
        QTest::newRow("empty connection string")
            << QStringList{u"-c"_s, QString(), u"-q"_s, u"SELECT 1"_s} << Answer::None << 2
            << "--connection takes a value";
        QTest::newRow("failed connection, password not told")
            << QStringList{u"-c"_s, refused, u"-q"_s, u"SELECT 1"_s} << Answer::None << 2
            << "cannot connect to the database: ";
        QTest::newRow("failed query")
            << QStringList{u"-c"_s, m_sqlite, u"-q"_s, u"SELECT * FROM nowhere"_s} << Answer::None
            << 2 << "the query failed: ";
        QTest::newRow("INI key missing") << QStringList{u"-i"_s,
                                                        path(u"設定.ini"_s),
                                                        u"--key"_s,
                                                        u"Other"_s,
                                                        u"-q"_s,
                                                        u"SELECT 1"_s}
                                         << Answer::None << 2 << "no connection string in";
        // The database is only read: a missing one is never made, and no connection
        // string can be read two ways.
        const QString sqliteFile = path(u"人員.db"_s);
        const auto query = [](const QString &connection, const QString &sql = u"SELECT 1"_s) {
            return QStringList{u"-c"_s, connection, u"-q"_s, sql};
        };
        QTest::newRow("missing database not created")
            << query(u"Driver=SQLite3;Database="_s + path(u"沒有.db"_s)) << Answer::None << 2
            << "cannot connect to the database: ";
        QTest::newRow("a driver given twice") << query(m_sqlite + u";Driver=/nowhere/x.so"_s)
                                              << Answer::None << 2 << "Driver 出現了兩次";
        QTest::newRow("Driver and DSN")
            << query(m_sqlite + u";DSN=other"_s) << Answer::None << 2 << "同時有 Driver 和 DSN";
        QTest::newRow("a key ending in a blank")
            << query(u"Driver =SQLite3;Database="_s + sqliteFile) << Answer::None << 2
            << "以空白結尾";
        QTest::newRow("SAVEFILE") << query(m_sqlite + u";SAVEFILE="_s + path(u"寫入.dsn"_s))
                                  << Answer::None << 2 << "不接受 SAVEFILE";
        QTest::newRow("LoadExt braced inside the database")
            << query(u"Driver=SQLite3;Database={"_s + sqliteFile + u";LoadExt="_s + path(u"e"_s)
                     + u"}"_s)
            << Answer::None << 2 << "Database 的值含有「;」";
        QTest::newRow("LoadExt") << query(m_sqlite + u";LoadExt="_s + path(u"e"_s)) << Answer::None
                                 << 2 << "不接受 LoadExt";
        QTest::newRow("damaged page: answer does not count")
            << query(u"Driver=SQLite3;Database="_s + path(u"損壞.db"_s), u"SELECT * FROM items"_s)
            << Answer::Ok << 2 << "reading the records failed after";
    }

    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Answer, answer);
        QFETCH(int, status);
        QFETCH(QString, said);
        const Outcome outcome = run(arguments, QByteArray(), answer);
        QCOMPARE(outcome.status, status);
        QCOMPARE(m_driver.seen(), answer != Answer::None);
        QVERIFY2((outcome.output + outcome.error).contains(said), qPrintable(outcome.error));
        QVERIFY(!outcome.error.contains(u"Secret-42"));
        QVERIFY(!QFile::exists(path(u"沒有.db"_s)));
        QVERIFY(!QFile::exists(path(u"寫入.dsn"_s)));
        if (outcome.error.contains(u"reading the records failed"))
            QVERIFY2(outcome.message.contains(u"清單沒有讀完"), qPrintable(outcome.message));
        if (status == 2) {
            QStringList lines = outcome.error.split(u'\n', Qt::SkipEmptyParts);
            lines.removeAll(u"Try 'suiteframe-msg --help' for more information."_s);
            QCOMPARE(lines.size(), 1);
            QVERIFY(lines[0].startsWith(u"suiteframe-msg: "));
        }
    }

    // Big5 bytes as a Windows machine writes them: CR LF, a trail byte that is a
    // backslash (許), tabs between the cells.
    void linesInTheCodePage_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::addColumn<bool>("fromInput");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        const QByteArray big5("\xB6\xB5\xA5\xD8\t\xAA\xF7\xC3\x42\r\n\xB3\x5C\xA5\x69\t100\r\n");
        const QStringList table{u"項目\t金額"_s, u"許可\t100"_s};
        QTest::newRow("Big5 file") << "CP950" << false << big5 << table;
        QTest::newRow("Big5 on standard input") << "CP950" << true << big5 << table;
        QTest::newRow("UTF-8 file")
            << "UTF-8" << false << QStringLiteral("項目\t金額\n許可\t100").toUtf8() << table;
        // Every line is shown, whatever its number of cells.
        QTest::newRow("lines without tabs")
            << "UTF-8" << false << QStringLiteral("第一行\n第二行\n").toUtf8()
            << QStringList{u"第一行\t"_s, u"第二行\t"_s};
        QTest::newRow("a blank line and a shorter last line")
            << "UTF-8" << false
            << QStringLiteral("項目\t數量\t金額\n甲\t1\t100\n\n合計\t300\n").toUtf8()
            << QStringList{u"項目\t數量\t金額"_s, u"甲\t1\t100"_s, u"\t\t"_s, u"合計\t300\t"_s};
    }

    void linesInTheCodePage()
    {
        QFETCH(QString, codePage);
        QFETCH(bool, fromInput);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        QVERIFY(platform::codepage::setName(codePage));
        const QString file = path(QStringLiteral("摘要.txt"));
        QFile lines(file);
        QVERIFY(lines.open(QIODevice::WriteOnly));
        lines.write(bytes);
        lines.close();

        const Outcome outcome = run({u"-l"_s, fromInput ? u"-"_s : file, u"今晚的批次已完成。"_s},
                                    fromInput ? bytes : QByteArray(),
                                    Answer::Ok);
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.rows, rows);
    }

    void queryShowsItsRecordsAsACard_data()
    {
        QTest::addColumn<QStringList>("database");
        QTest::newRow("SQLite") << QStringList{u"-c"_s, m_sqlite};
        QTest::newRow("PostgreSQL") << QStringList{u"-c"_s, m_postgres.connectionString()};
        QTest::newRow("SQLite, named in an INI file") << QStringList{u"--ini"_s,
                                                                     path(u"設定.ini"_s),
                                                                     u"--section"_s,
                                                                     u"jobs"_s,
                                                                     u"--key"_s,
                                                                     u"Database"_s};
    }

    void queryShowsItsRecordsAsACard()
    {
        QFETCH(QStringList, database);
        const Outcome outcome
            = run(database
                      + QStringList{u"-q"_s,
                                    u"SELECT id AS 編號, name AS 姓名, salary AS 月薪 "
                                    u"FROM staff ORDER BY id"_s},
                  QByteArray(),
                  Answer::Ok);
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.rows,
                 (QStringList{u"編號\tA001\tA002"_s,
                              u"姓名\t林志明\t黃𡩋祥"_s,
                              u"月薪\t\t52000.5"_s}));
    }

private:
    // Five thousand records, one page of them overwritten with noise, as a disk or a
    // copy that failed leaves it: reading stops part-way with SQLITE_CORRUPT.
    void makeDamagedDatabase()
    {
        const QString file = path(u"損壞.db"_s);
        QStringList statements{u"CREATE TABLE items (id INTEGER, text VARCHAR(100))"_s};
        QStringList rows;
        for (int i = 0; i < 5000; ++i)
            rows << u"(%1, '%2')"_s.arg(i).arg(QString(80, u'x'));
        statements << u"INSERT INTO items VALUES "_s + rows.join(u',');
        executeAll(u"Driver=SQLite3;Database="_s + file, statements);
        QFile damaged(file);
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        const qint64 pages = damaged.size() / 4096;
        QVERIFY(pages > 50);
        QVERIFY(damaged.seek(pages * 3 / 5 * 4096));
        damaged.write(QByteArray(4096, '\xA5'));
    }

    QString path(const QString &name) const
    {
        return m_dir.filePath(QStringLiteral("批次 資料/") + name);
    }

    Outcome run(const QStringList &arguments, const QByteArray &inputBytes, Answer answer)
    {
        Outcome outcome;
        // Armed always, so that a dialog that should not show is seen, and answered.
        m_driver.whenShown<dialogs::FrmSure>([&outcome, answer](dialogs::FrmSure *dialog) {
            outcome.rows = dialog->fgList->isVisible() ? listRows(dialog->fgList) : QStringList();
            outcome.message = dialog->elaMsg->Caption();
            switch (answer) {
            case Answer::Ok:
                clickButton(dialog->cmdOK);
                break;
            case Answer::Escape:
                QTest::keyClick(dialog, Qt::Key_Escape);
                break;
            case Answer::CloseBox:
                dialog->close();
                break;
            case Answer::Cancel:
            case Answer::None:
                clickButton(dialog->cmdCancel);
                break;
            }
        });
        const DesktopCapture reports; // a failing read of the records is reported
        QByteArray inputData = inputBytes, outputData, errorData;
        QBuffer input(&inputData), output(&outputData), error(&errorData);
        input.open(QIODevice::ReadOnly);
        output.open(QIODevice::WriteOnly);
        error.open(QIODevice::WriteOnly);
        outcome.status = msgcommand::run(QStringList{u"suiteframe-msg"_s} + arguments,
                                         input,
                                         output,
                                         error);
        outcome.output = QString::fromUtf8(outputData);
        outcome.error = QString::fromUtf8(errorData);
        return outcome;
    }

    QTemporaryDir m_dir;
    QString m_sqlite;
    PostgresServer m_postgres;
    ModalDriver m_driver;
};

QTEST_MAIN(tst_MsgCommand)

#include "tst_msgcommand.moc"
