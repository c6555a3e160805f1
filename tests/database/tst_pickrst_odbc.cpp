// The record list of real query results: PickRST over query recordsets of SQLite,
// through its ODBC driver, and of a PostgreSQL server of the test's own.
#include "support/dialogtesting.h"

#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/controls/panel.h"
#include "support/testdatabases.h"

using namespace dialogtesting;
using namespace Qt::StringLiterals;

namespace {

const QStringList FieldNames{u"編號"_s,
                             u"品名"_s,
                             u"數量"_s,
                             u"單價"_s,
                             u"金額"_s,
                             u"日期"_s,
                             u"時間"_s,
                             u"備註"_s};
enum Field { Number, Name, Quantity, Price, Amount, Day, Time, Note };

const QString Query = u"SELECT * FROM 訂單 ORDER BY 編號"_s;

void createOrders(adodb::Connection &connection)
{
    connection.Execute(u"CREATE TABLE 訂單 (編號 integer, 品名 varchar(40), 數量 integer, "
                       "單價 double precision, 金額 numeric(12,2), 日期 date, 時間 timestamp, "
                       "備註 varchar(80))"_s);
    connection.Execute(u"INSERT INTO 訂單 VALUES (1, '蘋果', 0, 12.5, 1234.56, '2012-12-08', "
                       "'2012-12-08 14:05:09', NULL)"_s);
    connection.Execute(u"INSERT INTO 訂單 VALUES (2, '香蕉', 3, 0.25, 0, '2013-01-31', "
                       "'2013-01-31 09:00:00', '第二筆，含「峯」與「裏」')"_s);
    connection.Execute(u"INSERT INTO 訂單 VALUES (3, '龍眼', -7, 0.000056789, 12.50, '2024-02-29', "
                       "'2024-02-29 00:00:00', '')"_s);
    connection.Execute(u"INSERT INTO 訂單 VALUES (4, '荔枝', 12, 0, -0.75, '1999-12-31', "
                       "'1999-12-31 23:59:59.600', '末筆')"_s);
}

} // namespace

class tst_PickRSTOdbc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listsEveryRecordBesideTheFieldNames_data();
    void listsEveryRecordBesideTheFieldNames();
    void cellsInTheRegionalForm_data();
    void cellsInTheRegionalForm();
    void listsFromWhereTheRecordsetStands_data();
    void listsFromWhereTheRecordsetStands();
    void showMsgListsAQueryInTheModalWindow();

private:
    std::unique_ptr<adodb::QueryRecordset> orders(const QString &database);

    TestDatabases m_databases;
    ModalDriver m_driver;
};

void tst_PickRSTOdbc::initTestCase()
{
    controls::installFontSubstitutes();
    QString error;
    QVERIFY2(m_databases.open(&error), qPrintable(error));
    for (const QString &database : TestDatabases::Names)
        createOrders(m_databases.connection(database));
}

void tst_PickRSTOdbc::init()
{
    QLocale::setDefault(
        QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan));
    frmSure().ClearMsgFrom();
}

void tst_PickRSTOdbc::cleanup()
{
    m_driver.stop();
    QLocale::setDefault(QLocale::system());
    QCOMPARE(visibleWindows(), QStringList());
}

std::unique_ptr<adodb::QueryRecordset> tst_PickRSTOdbc::orders(const QString &database)
{
    return m_databases.connection(database).Execute(Query);
}

void tst_PickRSTOdbc::listsEveryRecordBesideTheFieldNames_data()
{
    TestDatabases::addDatabaseRows();
}

void tst_PickRSTOdbc::listsEveryRecordBesideTheFieldNames()
{
    QFETCH(QString, database);
    auto records = orders(database);
    ReportCapture reports;

    QCOMPARE(frmSure().PickRST(records.get()), false);

    const controls::Grid *grid = frmSure().fgList;
    QCOMPARE(grid->Rows(), FieldNames.size());
    QCOMPARE(grid->Cols(), 5);
    QCOMPARE(grid->FixedCols(), 1);
    QCOMPARE(column(grid, 0), FieldNames);
    QCOMPARE(column(grid, 2),
             (QStringList{u"2"_s,
                          u"香蕉"_s,
                          u"3"_s,
                          u"0.25"_s,
                          u"0"_s,
                          u"2013/1/31"_s,
                          u"2013/1/31 上午 09:00:00"_s,
                          u"第二筆，含「峯」與「裏」"_s}));
    QVERIFY(records->isEOF());
    QCOMPARE(reports.warnings.size(), 0);
}

void tst_PickRSTOdbc::cellsInTheRegionalForm_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("expected");
    for (const char *database : {"sqlite", "postgres"}) {
        auto row =
            [&](const char *name, const char *locale, int record, Field field, const QString &text) {
                QTest::addRow("%s: %s, %s", database, locale, name)
                    << QString::fromLatin1(database) << QString::fromLatin1(locale) << record
                    << int(field) << text;
            };
        row("NULL is an empty cell", "zh_TW", 1, Note, QString());
        row("empty text", "zh_TW", 3, Note, QString());
        row("integer zero", "zh_TW", 1, Quantity, u"0"_s);
        row("negative integer", "zh_TW", 3, Quantity, u"-7"_s);
        row("double zero", "zh_TW", 4, Price, u"0"_s);
        row("double", "zh_TW", 1, Price, u"12.5"_s);
        row("double", "de_DE", 1, Price, u"12,5"_s);
        row("small double in plain decimals", "zh_TW", 3, Price, u"0.000056789"_s);
        row("small double in plain decimals", "de_DE", 3, Price, u"0,000056789"_s);
        row("numeric without grouping", "zh_TW", 1, Amount, u"1234.56"_s);
        row("numeric without grouping", "de_DE", 1, Amount, u"1234,56"_s);
        row("numeric zero of scale 2", "zh_TW", 2, Amount, u"0"_s);
        row("numeric without its scale's zeros", "zh_TW", 3, Amount, u"12.5"_s);
        row("negative numeric", "de_DE", 4, Amount, u"-0,75"_s);
        row("date", "zh_TW", 1, Day, u"2012/12/8"_s);
        row("date", "en_US", 1, Day, u"12/8/2012"_s);
        row("date", "de_DE", 1, Day, u"08.12.2012"_s);
        row("afternoon timestamp", "zh_TW", 1, Time, u"2012/12/8 下午 02:05:09"_s);
        row("afternoon timestamp", "en_US", 1, Time, u"12/8/2012 2:05:09 PM"_s);
        row("afternoon timestamp", "de_DE", 1, Time, u"08.12.2012 14:05:09"_s);
        row("timestamp at midnight is a date", "zh_TW", 3, Time, u"2024/2/29"_s);
        row("last second of a day, its fraction dropped",
            "zh_TW",
            4,
            Time,
            u"1999/12/31 下午 11:59:59"_s);
        row("Chinese text", "en_US", 2, Note, u"第二筆，含「峯」與「裏」"_s);
    }
}

void tst_PickRSTOdbc::cellsInTheRegionalForm()
{
    QFETCH(QString, database);
    QFETCH(QString, locale);
    QFETCH(int, record);
    QFETCH(int, field);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale(locale));
    auto records = orders(database);

    frmSure().PickRST(records.get());

    QCOMPARE(frmSure().fgList->cellText(field, record), expected);
}

void tst_PickRSTOdbc::listsFromWhereTheRecordsetStands_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<int>("alreadyRead");
    QTest::addColumn<int>("cols");
    for (const char *database : {"sqlite", "postgres"}) {
        QTest::addRow("%s: past two records", database) << QString::fromLatin1(database) << 2 << 3;
        QTest::addRow("%s: read to the end", database) << QString::fromLatin1(database) << 4 << 1;
    }
}

void tst_PickRSTOdbc::listsFromWhereTheRecordsetStands()
{
    QFETCH(QString, database);
    QFETCH(int, alreadyRead);
    QFETCH(int, cols);
    auto records = orders(database);
    QCOMPARE(records->fieldValue(Name).toText(), u"蘋果"_s); // a field read before the move
    for (int i = 0; i < alreadyRead; ++i)
        records->MoveNext();

    frmSure().PickRST(records.get());

    const controls::Grid *grid = frmSure().fgList;
    QCOMPARE(grid->Cols(), cols);
    if (cols == 1) {
        QCOMPARE(grid->Rows(), 0); // no field names either
        return;
    }
    QCOMPARE(column(grid, 0), FieldNames);
    QCOMPARE(grid->cellText(Number, 1), u"3"_s);
    QCOMPARE(grid->cellText(Name, 1), u"龍眼"_s);
    QCOMPARE(grid->cellText(Name, 2), u"荔枝"_s);
    QVERIFY(records->isEOF());
}

void tst_PickRSTOdbc::showMsgListsAQueryInTheModalWindow()
{
    auto records = orders(u"postgres"_s);
    bool listShown = false;
    QStringList firstRecord;
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        listShown = dialog->elaList->isVisible();
        firstRecord = column(dialog->fgList, 1);
        clickButton(dialog->cmdOK);
    });
    ReportCapture reports;

    QVERIFY(
        frmSure().SHOWMSG(Value(u"請確認訂單"), Value(u"訂單明細"), std::nullopt, records.get()));

    QVERIFY(m_driver.seen());
    QVERIFY(listShown);
    QCOMPARE(firstRecord,
             (QStringList{u"1"_s,
                          u"蘋果"_s,
                          u"0"_s,
                          u"12.5"_s,
                          u"1234.56"_s,
                          u"2012/12/8"_s,
                          u"2012/12/8 下午 02:05:09"_s,
                          QString()}));
    QCOMPARE(frmSure().fgList->Cols(), 5);
    QVERIFY(records->isEOF());
    QCOMPARE(reports.warnings.size(), 0);
}

QTEST_MAIN(tst_PickRSTOdbc)
#include "tst_pickrst_odbc.moc"
